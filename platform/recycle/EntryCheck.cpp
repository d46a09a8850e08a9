#include "platform/recycle/EntryCheck.h"

#include "platform/core/TrashReport.h"
#include "platform/recycle/Reasons.h"

const char* CheckEntry(const std::wstring& longPath, const FileIdentity* expected,
                       WinFileInfo& info) {
    DWORD listed = 0;
    DWORD tag = 0;
    if (!ListedAttributes(longPath, listed, tag))
        return ReasonForError(GetLastError());
    // Handed to the shell, a folder would go with everything in it.
    if (IsWalkedFolder(listed, tag))
        return kReasonNowFolder;
    const CWinHandle file = OpenToLook(longPath);
    if (!file || !QueryInfo(file.Get(), info))
        return ReasonForError(GetLastError());
    if (expected && FileIdentity{info.volume, info.index} != *expected)
        return kReasonChanged;
    return nullptr;
}

bool StillThere(const std::wstring& longPath, const FileIdentity& identity) {
    DWORD listed = 0;
    DWORD tag = 0;
    if (!ListedAttributes(longPath, listed, tag))
        return !IsGoneError(GetLastError());
    const CWinHandle file = OpenToLook(longPath);
    WinFileInfo info;
    if (!file || !QueryInfo(file.Get(), info))
        return !IsGoneError(GetLastError());
    return FileIdentity{info.volume, info.index} == identity;
}
