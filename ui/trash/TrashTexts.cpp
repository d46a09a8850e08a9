#include "ui/trash/TrashTexts.h"

#include "platform/core/NumberText.h"

namespace {

std::string Count(std::size_t n) {
    return GroupDigits(n);
}

const char* WasOrWere(std::size_t n) {
    return n == 1 ? "was" : "were";
}

} // namespace

std::string TrashProgressHeading(TrashWork work) {
    return work == TrashWork::Undo ? "Putting files back..." : "Moving files to the trash...";
}

std::string TrashHeading(const TrashReport& report) {
    const bool undo = report.work == TrashWork::Undo;
    if (report.NotTrashedCount() == report.StoppedCount() && report.StoppedCount() > 0 &&
        report.foldersNotRead.empty())
        return undo ? "The undo was stopped" : "The delete was stopped";
    return undo ? "Some files were not put back" : "Some files were not moved to the trash";
}

namespace {

std::string FilesSummary(TrashWork work, std::size_t moved, std::optional<std::uint64_t> movedBytes,
                         std::size_t failed, std::size_t stopped) {
    const bool undo = work == TrashWork::Undo;
    const std::size_t requested = moved + failed + stopped;
    const char* done = undo ? "put back" : "moved";
    std::string text = Count(moved);
    text.append(" of ").append(Count(requested)).append(requested == 1 ? " file " : " files ");
    text.append(WasOrWere(moved)).append(" ").append(undo ? done : "moved to the trash");
    if (moved > 0 && movedBytes)
        text.append(" (").append(ReadableSize(*movedBytes)).append(")");
    if (stopped == 0) {
        text.append("; ").append(Count(failed)).append(" ").append(WasOrWere(failed));
        return text.append(" not.");
    }
    if (failed > 0)
        text.append("; ")
            .append(Count(failed))
            .append(" could not be ")
            .append(done)
            .append(" and");
    else
        text.append(";");
    text.append(" ").append(Count(stopped)).append(" ").append(WasOrWere(stopped));
    text.append(" not ").append(done).append(" because the ").append(undo ? "undo" : "delete");
    return text.append(" was stopped.");
}

} // namespace

std::string TrashSummary(TrashWork work, std::size_t moved, std::optional<std::uint64_t> movedBytes,
                         std::size_t failed, std::size_t stopped, std::size_t foldersNotRead) {
    std::string text = FilesSummary(work, moved, movedBytes, failed, stopped);
    if (foldersNotRead > 0)
        text.append(" ")
            .append(Count(foldersNotRead))
            .append(foldersNotRead == 1 ? " folder" : " folders")
            .append(" could not be read, so ")
            .append(foldersNotRead == 1 ? "its" : "their")
            .append(" files were not moved.");
    return text;
}

std::string TrashSummary(const TrashReport& report, bool undoKept) {
    const std::size_t stopped = report.StoppedCount();
    std::string text =
        TrashSummary(report.work, report.TrashedCount(),
                     report.bytesKnown ? std::optional(report.TrashedBytes()) : std::nullopt,
                     report.NotTrashedCount() - stopped, stopped, report.foldersNotRead.size());
    if (!undoKept && report.work == TrashWork::Delete && report.TrashedCount() > 0)
        text.append(" You can restore them from the Recycle Bin.");
    return text;
}

std::string TrashMovedNote(TrashWork work, std::size_t moved, std::uint64_t movedBytes) {
    const bool undo = work == TrashWork::Undo;
    std::string text = undo ? "put back " : "moved ";
    text.append(Count(moved)).append(moved == 1 ? " file, " : " files, ");
    text.append(ReadableSize(movedBytes));
    return undo ? text : text.append(" to the trash");
}

std::vector<const TrashResult*> TrashReportRows(const TrashReport& report) {
    std::vector<const TrashResult*> rows;
    for (const TrashResult& result : report.results)
        if (!result.trashed && result.reason != kReasonStopped)
            rows.push_back(&result);
    for (const TrashResult& folder : report.foldersNotRead)
        rows.push_back(&folder);
    return rows;
}

std::string TrashDisplayBytes(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f)
            text += "\xEF\xBF\xBD";
        else
            text += c;
    }
    return text;
}
