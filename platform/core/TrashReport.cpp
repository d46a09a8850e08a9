#include "platform/core/TrashReport.h"

std::size_t TrashReport::TrashedCount() const {
    std::size_t n = 0;
    for (const TrashResult& r : results)
        n += r.trashed ? 1 : 0;
    return n;
}

std::uint64_t TrashReport::TrashedBytes() const {
    std::uint64_t n = 0;
    for (const TrashResult& r : results)
        n += r.trashed ? r.bytes : 0;
    return n;
}

std::size_t TrashReport::NotTrashedCount() const {
    return results.size() - TrashedCount();
}

std::size_t TrashReport::StoppedCount() const {
    std::size_t n = 0;
    for (const TrashResult& r : results)
        n += !r.trashed && r.reason == kReasonStopped ? 1 : 0;
    return n;
}
