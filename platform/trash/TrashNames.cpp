#include "platform/trash/TrashNames.h"

#include "platform/trash/TrashInfoFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

// True when candidate k of name has a record or a file in the trash, or cannot be looked
// at (then it is not used either).
bool IsTaken(const std::string& name, std::uint32_t k, int infoFd, int filesFd) {
    const std::string candidate = TrashNameCandidate(name, k);
    const std::string record = candidate + std::string(kTrashInfoSuffix);
    struct stat st;
    return ::fstatat(infoFd, record.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 || errno != ENOENT ||
           ::fstatat(filesFd, candidate.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 || errno != ENOENT;
}

// The first free number above taken, on the assumption that numbers are used from the
// bottom up: any number found is checked again when the record is created, so a gap or a
// newcomer costs a retry, never a replaced file.
std::uint32_t FirstFreeAbove(const std::string& name, std::uint32_t taken, int infoFd,
                             int filesFd) {
    constexpr std::uint32_t kLimit = 1u << 30;
    std::uint32_t low = taken;
    std::uint32_t high = taken + 1;
    for (std::uint32_t step = 1; high < kLimit && IsTaken(name, high, infoFd, filesFd); step *= 2) {
        low = high;
        high = low + step;
    }
    while (high - low > 1) {
        const std::uint32_t middle = low + (high - low) / 2;
        (IsTaken(name, middle, infoFd, filesFd) ? low : high) = middle;
    }
    return high;
}

} // namespace

std::string TrashNameCandidate(const std::string& name, std::uint32_t k) {
    const std::string suffix = k <= 1 ? std::string() : "." + std::to_string(k);
    if (name.size() + suffix.size() <= kMaxTrashName)
        return name + suffix;
    std::size_t keep = kMaxTrashName - suffix.size();
    // Not inside a UTF-8 sequence: back off over continuation bytes.
    while (keep > 0 && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80)
        --keep;
    return name.substr(0, keep) + suffix;
}

std::string CTrashNames::Candidate(const std::string& name) const {
    const auto found = m_names.find(name);
    return TrashNameCandidate(name, found == m_names.end() ? 1 : found->second.next);
}

void CTrashNames::Taken(const std::string& name, int infoFd, int filesFd) {
    State& state = m_names[name];
    if (state.searched) {
        ++state.next;
        return;
    }
    state.searched = true;
    state.next = FirstFreeAbove(name, state.next, infoFd, filesFd);
}

void CTrashNames::Used(const std::string& name) {
    ++m_names[name].next;
}
