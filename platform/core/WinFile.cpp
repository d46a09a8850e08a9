#include "platform/core/WinFile.h"

#include <atomic>

namespace {

std::atomic<ReparseTagStandIn> g_standIn{nullptr};

// The last name of path, for the stand-in.
std::wstring_view LastName(std::wstring_view path) {
    while (path.size() > 1 && path.back() == L'\\')
        path.remove_suffix(1);
    const std::size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring_view::npos ? path : path.substr(slash + 1);
}

} // namespace

bool IsLinkEntry(DWORD attributes, DWORD reparseTag) {
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
           (reparseTag == 0 || IsReparseTagNameSurrogate(reparseTag));
}

bool IsWalkedFolder(DWORD attributes, DWORD reparseTag) {
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) && !IsLinkEntry(attributes, reparseTag);
}

void SetReparseTagStandIn(ReparseTagStandIn standIn) {
    g_standIn.store(standIn);
}

bool HasReparseTagStandIn() {
    return g_standIn.load() != nullptr;
}

void ApplyReparseTagStandIn(std::wstring_view name, DWORD& attributes, DWORD& reparseTag) {
    const ReparseTagStandIn standIn = g_standIn.load();
    if (!standIn)
        return;
    if (const DWORD tag = standIn(name)) {
        attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
        reparseTag = tag;
    }
}

CWinHandle OpenHeld(const std::wstring& path, bool followLink) {
    // Backup semantics: what opens a folder at all.
    const DWORD flags =
        FILE_FLAG_BACKUP_SEMANTICS | (followLink ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    return CWinHandle(CreateFileW(path.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, flags,
                                  nullptr));
}

CWinHandle OpenToList(const std::wstring& path, bool followLink) {
    const DWORD flags =
        FILE_FLAG_BACKUP_SEMANTICS | (followLink ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    return CWinHandle(CreateFileW(path.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, flags, nullptr));
}

CWinHandle OpenToLook(const std::wstring& path) {
    return CWinHandle(
        CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

bool QueryInfo(HANDLE handle, WinFileInfo& info) {
    BY_HANDLE_FILE_INFORMATION data;
    if (!GetFileInformationByHandle(handle, &data))
        return false;
    info.volume = data.dwVolumeSerialNumber;
    info.index = (std::uint64_t{data.nFileIndexHigh} << 32) | data.nFileIndexLow;
    info.size = (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
    info.attributes = data.dwFileAttributes;
    info.reparseTag = 0;
    FILE_ATTRIBUTE_TAG_INFO tag{};
    if ((info.attributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
        GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof tag))
        info.reparseTag = tag.ReparseTag;
    if (HasReparseTagStandIn()) {
        std::wstring path(GetFinalPathNameByHandleW(handle, nullptr, 0, 0), L'\0');
        const DWORD length =
            GetFinalPathNameByHandleW(handle, path.data(), static_cast<DWORD>(path.size()), 0);
        if (length > 0 && length < path.size())
            ApplyReparseTagStandIn(LastName({path.data(), length}), info.attributes,
                                   info.reparseTag);
    }
    return true;
}

bool ListedAttributes(const std::wstring& path, DWORD& attributes, DWORD& reparseTag) {
    WIN32_FIND_DATAW data;
    const HANDLE find =
        FindFirstFileExW(path.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE)
        return false;
    FindClose(find);
    attributes = data.dwFileAttributes;
    // The listing keeps a reparse point's tag where nothing else is kept.
    reparseTag = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) ? data.dwReserved0 : 0;
    ApplyReparseTagStandIn(LastName(path), attributes, reparseTag);
    return true;
}

bool IsGoneError(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}
