#include "ui/trash/TrashTexts.h"

namespace {

std::string Count(std::size_t n) {
    std::string digits = std::to_string(n);
    for (std::size_t at = digits.size(); at > 3; at -= 3)
        digits.insert(at - 3, ",");
    return digits;
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
    if (report.NotTrashedCount() == report.StoppedCount() && report.StoppedCount() > 0)
        return undo ? "The undo was stopped" : "The delete was stopped";
    return undo ? "Some files were not put back" : "Some files were not moved to the trash";
}

std::string TrashSummary(TrashWork work, std::size_t moved, std::size_t failed,
                         std::size_t stopped) {
    const bool undo = work == TrashWork::Undo;
    const std::size_t requested = moved + failed + stopped;
    const std::string done = undo ? "put back" : "moved";
    std::string text = Count(moved) + " of " + Count(requested) +
                       (requested == 1 ? " file " : " files ") + WasOrWere(moved) + " " +
                       (undo ? done : "moved to the trash");
    if (stopped == 0)
        return text + "; " + Count(failed) + " " + WasOrWere(failed) + " not.";
    text += failed > 0 ? "; " + Count(failed) + " could not be " + done + " and" : ";";
    return text + " " + Count(stopped) + " " + WasOrWere(stopped) + " not " + done +
           " because the " + (undo ? "undo" : "delete") + " was stopped.";
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
