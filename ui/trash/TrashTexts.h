#pragma once
// The words of the windows around a delete or an undo (TrashWindows.h), apart from their
// templates.
#include "platform/core/TrashExecutor.h"
#include "platform/core/TrashReport.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// "Moving files to the trash..." or, for an undo, "Putting files back...".
std::string TrashProgressHeading(TrashWork work);

// The report's heading: "Some files were not moved to the trash" ("... put back" for an
// undo), or "The delete was stopped" ("The undo was stopped") when nothing but the stop
// kept files (and every folder was read).
std::string TrashHeading(const TrashReport& report);

// "M of N files were moved to the trash (X MB); F were not." ("put back" for an undo), the
// bytes those M files hold in readable units (said when known and M > 0), the files not reached
// because of a stop counted apart ("...; S were not moved because the delete was
// stopped."), numbers with thousands separators, singulars where they apply. Folders not
// read follow: " D folders could not be read, so their files were not moved."
std::string TrashSummary(TrashWork work, std::size_t moved, std::optional<std::uint64_t> movedBytes,
                         std::size_t failed, std::size_t stopped, std::size_t foldersNotRead = 0);
// TrashSummary of report's counts and bytes. Where no undo is kept (undoKept false:
// Windows), a delete that moved files ends with "You can restore them from the Recycle Bin."
std::string TrashSummary(const TrashReport& report, bool undoKept = CTrashUndo::IsKept());

// What a delete or an undo moved, as the main window's title says it once it is over:
// "moved 1,234 files, 56.7 MB to the trash", or "put back 1,234 files, 56.7 MB".
std::string TrashMovedNote(TrashWork work, std::size_t moved, std::uint64_t movedBytes);

// The rows a report window lists, in order: every file not moved except those a stop kept
// (they are only counted), then every folder not read.
std::vector<const TrashResult*> TrashReportRows(const TrashReport& report);

// A file name's bytes as text for the screen: control characters (a newline in a name)
// become U+FFFD, so a label or a list row stays one line. For display only; never turn the
// result back into a path.
std::string TrashDisplayBytes(std::string_view bytes);
