#include "platform/recycle/Reasons.h"

#include "platform/core/TrashReport.h"

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
