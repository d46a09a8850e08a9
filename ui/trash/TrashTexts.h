#pragma once
// The words of the windows around a delete or an undo (TrashWindows.h), apart from their
// templates.
#include "platform/core/TrashExecutor.h"
#include "platform/core/TrashReport.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// "Moving files to the trash..." or, for an undo, "Putting files back...".
std::string TrashProgressHeading(TrashWork work);

// The report's heading: "Some files were not moved to the trash" ("... put back" for an
// undo), or "The delete was stopped" ("The undo was stopped") when nothing but the stop
// kept files (and every folder was read).
std::string TrashHeading(const TrashReport& report);

// "M of N files were moved to the trash; F were not." ("put back" for an undo), with the
// files not reached because of a stop counted apart ("...; S were not moved because the
// delete was stopped."), numbers with thousands separators, singulars where they apply.
// Folders not read follow: " D folders could not be read, so their files were not moved."
std::string TrashSummary(TrashWork work, std::size_t moved, std::size_t failed, std::size_t stopped,
                         std::size_t foldersNotRead = 0);
// TrashSummary of report's counts. Where no undo is kept (undoKept false: Windows), a
// delete that moved files ends with "You can restore them from the Recycle Bin."
std::string TrashSummary(const TrashReport& report, bool undoKept = CTrashUndo::IsKept());

// The rows a report window lists, in order: every file not moved except those a stop kept
// (they are only counted), then every folder not read.
std::vector<const TrashResult*> TrashReportRows(const TrashReport& report);

// A file name's bytes as text for the screen: control characters (a newline in a name)
// become U+FFFD, so a label or a list row stays one line. For display only; never turn the
// result back into a path.
std::string TrashDisplayBytes(std::string_view bytes);
