#include "platform/trash/TrashReasons.h"

#include <cerrno>
#include <cstring>
#include <utility>

const char* ReasonForError(int error, const char* fallback) {
    static constexpr std::pair<int, const char*> kReasons[] = {
        {ENOENT, kReasonGone},
        // A folder on the way is no longer a folder, or is now a link.
        {ENOTDIR, kReasonChanged},
        {ELOOP, kReasonChanged},
        {EACCES, kReasonPermission},
        {EPERM, kReasonPermission},
        {ENAMETOOLONG, kReasonNameTooLong},
        {ENOSPC, kReasonDiskFull},
        {EDQUOT, kReasonDiskFull},
        {EROFS, kReasonReadOnly},
        {EBUSY, kReasonInUse},
        {EMFILE, kReasonTooManyOpen},
        {ENFILE, kReasonTooManyOpen},
    };
    for (const auto& [code, words] : kReasons)
        if (code == error)
            return words;
    return fallback;
}

TrashResult NotMoved(const std::string& path, const char* reason, int error) {
    return {path, false, reason, error ? std::strerror(error) : std::string()};
}
