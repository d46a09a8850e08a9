#include "platform/recycle/Reasons.h"

#include <cstdio>

const char* ReasonForError(DWORD code) {
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case 0x7C: // DE_INVALIDFILES
        return kReasonGone;
    case ERROR_ACCESS_DENIED:
    case 0x78: // DE_ACCESSDENIEDSRC
        return kReasonPermission;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return kReasonInUse;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return kReasonDiskFull;
    case ERROR_WRITE_PROTECT:
        return kReasonReadOnly;
    case ERROR_FILENAME_EXCED_RANGE:
    case 0x79: // DE_PATHTOODEEP
    case 0x81: // DE_FILENAMETOOLONG
        return kReasonNameTooLong;
    default:
        return kReasonNotMoved;
    }
}

const char* ReasonForResult(HRESULT result) {
    // The copy engine's own codes (<sherrors.h>).
    constexpr auto kUserCancelled = static_cast<HRESULT>(0x80270000L);
    constexpr auto kRequiresElevation = static_cast<HRESULT>(0x80270002L);
    if (HRESULT_FACILITY(result) == FACILITY_WIN32)
        return ReasonForError(static_cast<DWORD>(HRESULT_CODE(result)));
    // Every question of the shell's is refused a window (ShellCalls.h), and the one it
    // still asks with these flags is whether to delete for good what the bin will not take.
    if (result == kUserCancelled)
        return kReasonBinRefused;
    if (result == kRequiresElevation)
        return kReasonPermission;
    return kReasonNotMoved;
}

std::string CodeText(const char* what, unsigned long code) {
    char text[96];
    std::snprintf(text, sizeof text, "%s 0x%lX", what, code);
    return text;
}

TrashResult Moved(const std::string& path) {
    return {path, true, {}, {}};
}

TrashResult NotMoved(const std::string& path, const char* reason, std::string detail) {
    return {path, false, reason, std::move(detail)};
}
