// The walk's folder access on Windows: a folder is listed through its own handle
// (GetFileInformationByHandleEx, which gives every entry's index with its name) and
// reached by its path in the \\?\ form, accepted only when it is the very folder its
// parent's listing named: a folder swapped for a link or another folder since is "changed
// during the scan". A folder handle of the walk is the number of an open folder in the
// process's table of them.
#include "platform/core/HomeTrash.h"
#include "platform/core/PathSeparator.h"
#include "platform/core/WideText.h"
#include "platform/core/WinFile.h"
#include "walk/EnumerateFiles.h"
#include "walk/WalkNode.h"

#include <deque>
#include <mutex>
#include <vector>

namespace {

// The longest path the wide calls take in the \\?\ form, in UTF-16 units; a path's UTF-8
// bytes are never fewer, so counting bytes errs on the safe side.
constexpr std::size_t kPathLimit = 32767 - 4;
// One call of the listing fills this much.
constexpr std::size_t kListingBuffer = 64 * 1024;

// An open folder: its handle, the path it was opened by (the path of every entry listed in
// it starts there), and whether its listing has begun.
struct OpenFolder {
    CWinHandle folder;
    std::string path;
    bool listing = false;
};

// The open folders of every walk of the process. Entries stay where they are while in use
// (a deque grows at its end without moving them); a closed one's number is reused.
class COpenFolders {
public:
    int Add(CWinHandle folder, std::string path) {
        std::lock_guard lock(m_mutex);
        int number;
        if (m_free.empty()) {
            number = static_cast<int>(m_folders.size());
            m_folders.emplace_back();
        } else {
            number = m_free.back();
            m_free.pop_back();
        }
        OpenFolder& open = m_folders[static_cast<std::size_t>(number)];
        open.folder = std::move(folder);
        open.path = std::move(path);
        open.listing = false;
        return number;
    }
    OpenFolder* Get(int number) {
        std::lock_guard lock(m_mutex);
        if (number < 0 || static_cast<std::size_t>(number) >= m_folders.size())
            return nullptr;
        OpenFolder& open = m_folders[static_cast<std::size_t>(number)];
        return open.folder ? &open : nullptr;
    }
    void Close(int number) {
        OpenFolder* open = Get(number);
        if (!open)
            return;
        open->folder.Close();
        open->path.clear();
        std::lock_guard lock(m_mutex);
        m_free.push_back(number);
    }

private:
    std::mutex m_mutex;
    std::deque<OpenFolder> m_folders;
    std::vector<int> m_free;
};

COpenFolders& Folders() {
    static COpenFolders folders;
    return folders;
}

void Classify(DWORD error, OpenResult& result) {
    if (IsGoneError(error))
        result.gone = true;
    else if (error == ERROR_ACCESS_DENIED)
        result.why = NotRead::PermissionDenied;
    else if (error == ERROR_DIRECTORY)
        result.why = NotRead::Changed; // something else where the folder was
    else if (error == ERROR_TOO_MANY_OPEN_FILES || error == ERROR_NO_SYSTEM_RESOURCES)
        result.why = NotRead::TooManyOpenFiles;
    else
        result.why = NotRead::ReadError;
}

// Opens the folder at path; a link is taken as itself unless followLink.
OpenResult OpenByPath(std::string path, bool followLink) {
    OpenResult result;
    CWinHandle folder = OpenToList(LongPath(path), followLink);
    WinFileInfo info;
    if (!folder || !QueryInfo(folder.Get(), info)) {
        Classify(GetLastError(), result);
        return result;
    }
    // A link where a folder was, or a file: changed since it was listed.
    if (!info.IsFolder() || (!followLink && info.IsLink())) {
        result.why = NotRead::Changed;
        return result;
    }
    result.id.dev = info.volume;
    result.id.ino = info.index;
    result.id.searchable = true;
    // The top of a volume: a drive's root, or a folder another volume is mounted on. Below
    // the chosen folder only Wine shows such a folder as a folder (Windows' mount points
    // are links), and there its volume differs from its parent's, which tells it.
    if (followLink) {
        wchar_t volume[MAX_PATH + 1] = {};
        const std::wstring wide = LongPath(path);
        result.id.mountRoot = GetVolumePathNameW(wide.c_str(), volume, MAX_PATH + 1) &&
                              std::wstring(volume) == wide + (wide.back() == L'\\' ? L"" : L"\\");
    }
    result.fd = Folders().Add(std::move(folder), std::move(path));
    return result;
}

bool IsDotOrDotDot(std::wstring_view name) {
    return name == L"." || name == L"..";
}

unsigned char TypeOf(DWORD attributes, DWORD reparseTag) {
    if (IsLinkEntry(attributes, reparseTag))
        return DT_LNK; // a junction, a symbolic link or a mount point, to a folder or a file
    // A cloud placeholder or any other reparse point that is no link is what it holds.
    return attributes & FILE_ATTRIBUTE_DIRECTORY ? DT_DIR : DT_REG;
}

} // namespace

OpenResult OpenComponent(int dirFd, const char* name, const FolderId* expected) {
    const OpenFolder* parent = Folders().Get(dirFd);
    if (!parent) {
        OpenResult result;
        result.why = NotRead::ReadError;
        return result;
    }
    return Expect(OpenByPath(JoinPath(parent->path, name), false), expected);
}

OpenResult OpenRoot(const std::string& path) {
    return OpenNamedRoot(path, [](const std::string& named) {
        return OpenByPath(AbsoluteFolder(CString(named)), true);
    });
}

namespace {

// Opens name below dirFd, accepted only when its index is ino (its volume is not checked:
// that of a folder first seen in a listing is not known yet).
OpenResult OpenListedComponent(int dirFd, const char* name, std::uint64_t ino) {
    OpenResult result = OpenComponent(dirFd, name, nullptr);
    const FolderId listed{result.id.dev, ino, false, true};
    return ino != 0 ? Expect(result, &listed) : result;
}

} // namespace

OpenResult OpenChain(int baseFd, const std::vector<WalkNode*>& path, const WalkNode* unseen) {
    const OpenFolder* base = Folders().Get(baseFd);
    if (!base) {
        OpenResult result;
        result.why = NotRead::ReadError;
        return result;
    }
    if (path.empty()) {
        // Another handle of the same folder, checked to be still the same one.
        WinFileInfo info;
        QueryInfo(base->folder.Get(), info);
        const FolderId seen{info.volume, info.index, false, true};
        return Expect(OpenByPath(base->path, false), &seen);
    }
    OpenResult result;
    int current = baseFd;
    for (std::size_t i = path.size(); i-- > 0;) {
        const WalkNode* component = path[i];
        // A folder opened for the first time must be the one its parent's listing named.
        if (component == unseen) {
            result = OpenListedComponent(current, component->name.data(), component->ino);
        } else {
            const FolderId seen{component->dev, component->ino, false, true};
            result = OpenComponent(current, component->name.data(), &seen);
        }
        if (current != baseFd)
            CloseFolder(current);
        if (result.fd < 0)
            break;
        current = result.fd;
    }
    return result;
}

std::uint32_t FileSystemOf(int) {
    return 0;
}

bool EndsAtShortRead(std::uint32_t, const FolderId&) {
    return false; // listed through a handle, not with getdents64
}

bool CanSearch(int, const FolderId&, OpenResult&) {
    // A folder that can be listed can be searched: Windows has no permission between.
    return true;
}

HomeTrash HomeTrash::Find() {
    // Under Wine the recycle bin is the desktop trash of its host, named by the host's
    // environment with a Unix path; Wine's own export gives its Windows name. Elsewhere
    // there is no such folder.
    using DosNameOf = wchar_t* (*)(const char*);
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    const auto dosName = kernel ? reinterpret_cast<DosNameOf>(reinterpret_cast<void*>(
                                      GetProcAddress(kernel, "wine_get_dos_file_name")))
                                : nullptr;
    const std::string host = HomeTrashPath();
    wchar_t* name = dosName && !host.empty() ? dosName(host.c_str()) : nullptr;
    HomeTrash trash;
    if (!name)
        return trash;
    const std::string path = Utf8FromWide(name);
    HeapFree(GetProcessHeap(), 0, name);
    const CWinHandle folder = OpenToLook(LongPath(path));
    WinFileInfo info;
    if (folder && QueryInfo(folder.Get(), info) && info.IsFolder()) {
        trash.valid = true;
        trash.dev = info.volume;
        trash.ino = info.index;
    }
    return trash;
}

ReadOutcome CFolderReader::Read(WalkNode* node, bool whole) {
    StartRead();
    ReadOutcome outcome;
    OpenFolder* open = Folders().Get(node->fd);
    if (!open) {
        outcome.readError = outcome.end = true;
        return FinishRead(outcome);
    }
    if (m_buffer.empty())
        m_buffer.resize(kListingBuffer);
    while (whole || m_recordBytes < kChunkTarget) {
        // The listing through the folder's own handle: what it lists is this folder,
        // whatever has happened to its path meanwhile.
        const FILE_INFO_BY_HANDLE_CLASS what =
            open->listing ? FileIdBothDirectoryInfo : FileIdBothDirectoryRestartInfo;
        open->listing = true;
        if (!GetFileInformationByHandleEx(open->folder.Get(), what, m_buffer.data(),
                                          static_cast<DWORD>(m_buffer.size()))) {
            // A folder removed while it is listed simply ends; anything else is an error.
            const DWORD error = GetLastError();
            outcome.readError = error != ERROR_NO_MORE_FILES && !IsGoneError(error);
            outcome.end = true;
            break;
        }
        for (std::size_t at = 0;;) {
            const auto* entry =
                reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(m_buffer.data() + at);
            const std::wstring_view wide(entry->FileName, entry->FileNameLength / sizeof(wchar_t));
            if (!IsDotOrDotDot(wide)) {
                const std::string name = Utf8FromWide(wide);
                // The listing's EaSize holds a reparse point's tag.
                DWORD attributes = entry->FileAttributes;
                DWORD tag = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) ? entry->EaSize : 0;
                ApplyReparseTagStandIn(wide, attributes, tag);
                const unsigned char type = TypeOf(attributes, tag);
                const auto ino = static_cast<std::uint64_t>(entry->FileId.QuadPart);
                if (node->prefixLength + name.size() >= kPathLimit)
                    outcome.pathTooLong = true;
                else if (!(type == DT_DIR && IsTrash(node, name, ino)))
                    Keep(node, name.c_str(), name.size(), type, ino,
                         m_sizes ? static_cast<std::uint64_t>(entry->EndOfFile.QuadPart)
                                 : kSizeUnknown);
            }
            if (entry->NextEntryOffset == 0)
                break;
            at += entry->NextEntryOffset;
        }
    }
    return FinishRead(outcome);
}

long SpareFolderHandles() {
    // Handles are not scarce on Windows; this bounds what one walk keeps open.
    return 1L << 16;
}

const bool kCountsThreadSleeps = false;

std::uint64_t ThreadSleeps() {
    return 0;
}

void CloseFolder(int fd) {
    Folders().Close(fd);
}

bool ExamineEntry(int folderFd, std::string_view name, EntryState& state) {
    const OpenFolder* folder = Folders().Get(folderFd);
    if (!folder)
        return false;
    const std::wstring path = LongPath(JoinPath(folder->path, name));
    DWORD listed = 0;
    DWORD tag = 0;
    if (!ListedAttributes(path, listed, tag) || IsWalkedFolder(listed, tag))
        return false;
    const CWinHandle entry = OpenToLook(path);
    WinFileInfo info;
    if (!entry || !QueryInfo(entry.Get(), info))
        return false;
    state.dev = info.volume;
    state.ino = info.index;
    state.type = 0;
    state.size = info.size;
    return true;
}

std::string AbsoluteFolder(const CString& folder) {
    // An absolute folder is kept as it is: the system's own rules would rewrite names such
    // as "con" (into the device \\.\con) or a trailing dot.
    const std::string_view text = folder.view();
    const bool drive = text.size() >= 3 && text[1] == ':' && (text[2] == '\\' || text[2] == '/');
    if (drive || text.starts_with("\\\\"))
        return folder.str();
    // Anything else by the system's rules ("C:x", "\\x", "..", '/'), however long.
    const std::wstring wide = WideFromUtf8(text);
    const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    std::wstring full(needed, L'\0');
    const DWORD written = GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
    if (written == 0 || written >= needed)
        return folder.str();
    full.resize(written);
    return Utf8FromWide(full);
}

std::string WhyFolderCannotBeRead(const std::string& folder) {
    const OpenResult opened = OpenByPath(AbsoluteFolder(CString(folder)), true);
    if (opened.fd >= 0) {
        CloseFolder(opened.fd);
        return {};
    }
    const DWORD error = GetLastError();
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                       FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string why = text ? Utf8FromWide(text) : "system error " + std::to_string(error);
    LocalFree(text);
    while (!why.empty() && (why.back() == '\n' || why.back() == '\r' || why.back() == '.'))
        why.pop_back();
    return why.empty() ? "not a folder" : why;
}
