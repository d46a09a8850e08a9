#pragma once
// Files and folders as Windows names them: held open, identified, and checked (Windows
// only; used by the Windows walker and the recycle-bin executor).
//
// A folder held by a CWinHandle from OpenHeld cannot be renamed, moved or removed by
// anyone else until the handle is closed (it is open without FILE_SHARE_DELETE), so a path
// through held folders keeps naming the folders that were checked. (Under Wine only other
// Windows programs are held off; a Unix program is not.)
#ifdef _WIN32
#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>

class CWinHandle {
public:
    CWinHandle() = default;
    explicit CWinHandle(HANDLE handle)
        : m_handle(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
    ~CWinHandle() { Close(); }
    CWinHandle(CWinHandle&& other) noexcept : m_handle(std::exchange(other.m_handle, nullptr)) {}
    CWinHandle& operator=(CWinHandle&& other) noexcept {
        if (this != &other) {
            Close();
            m_handle = std::exchange(other.m_handle, nullptr);
        }
        return *this;
    }
    CWinHandle(const CWinHandle&) = delete;
    CWinHandle& operator=(const CWinHandle&) = delete;

    HANDLE Get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }
    void Close() {
        if (m_handle)
            CloseHandle(std::exchange(m_handle, nullptr));
    }

private:
    HANDLE m_handle = nullptr;
};

// What the system says of an open file: its volume and index (together the file's
// identity, like a device and inode), its attributes and its size in bytes.
struct WinFileInfo {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    DWORD attributes = 0;
    std::uint64_t size = 0;

    bool IsFolder() const { return attributes & FILE_ATTRIBUTE_DIRECTORY; }
    // A symbolic link or a junction: an entry like a file, never walked into.
    bool IsLink() const { return attributes & FILE_ATTRIBUTE_REPARSE_POINT; }
};

// Opens path (in LongPath form) to be held: read access to its attributes and listing,
// shared with readers and writers but not with whoever would rename or remove it. A link
// is opened as itself unless followLink. Invalid handle and GetLastError() on failure.
CWinHandle OpenHeld(const std::wstring& path, bool followLink);

// Opens path (in LongPath form) only to look at it, as itself even when it is a link,
// held against nothing.
CWinHandle OpenToLook(const std::wstring& path);

// Opens the folder at path (in LongPath form) to list it through the handle, held against
// nothing; a link is opened as itself unless followLink.
CWinHandle OpenToList(const std::wstring& path, bool followLink);

// False (GetLastError() says why) when the system could not say.
bool QueryInfo(HANDLE handle, WinFileInfo& info);

// The attributes of the entry at path (in LongPath form) as its folder's listing gives
// them: a link is reported as a link whatever it points at (opening it, Wine follows it).
// False (GetLastError() says why) when there is no such entry.
bool ListedAttributes(const std::wstring& path, DWORD& attributes);

// True for the errors that mean "there is nothing at that path" (the file or one of its
// folders is missing).
bool IsGoneError(DWORD error);
#endif
