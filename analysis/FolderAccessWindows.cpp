// The walk's folder access on Windows: folders held open without letting anyone rename or
// remove them (WinFile.h), identified by volume serial number and index, listed by path
// with FindFirstFileExW in the \\?\ form. A folder handle of the walk is the number of a
// held folder in the process's table of them.
#include "analysis/EnumerateFiles.h"
#include "analysis/WalkNode.h"
#include "platform/core/PathSeparator.h"
#include "platform/core/WideText.h"
#include "platform/core/WinFile.h"

#include <cstdlib>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

namespace {

// The longest path the wide calls take in the \\?\ form, in UTF-16 units; a path's UTF-8
// bytes are never fewer, so counting bytes errs on the safe side.
constexpr std::size_t kPathLimit = 32767 - 4;

// A held folder: its handle, the path it was opened by (the path of every entry listed in
// it starts there), and a listing in progress.
struct HeldFolder {
    CWinHandle folder;
    std::string path;
    HANDLE find = INVALID_HANDLE_VALUE;
    bool pending = false; // data holds an entry not yet taken
    WIN32_FIND_DATAW data{};
};

// The held folders of every walk of the process. Entries stay where they are while in
// use (a deque grows at its end without moving them); a closed one is reused.
class CHeldFolders {
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
        HeldFolder& held = m_folders[static_cast<std::size_t>(number)];
        held.folder = std::move(folder);
        held.path = std::move(path);
        return number;
    }
    HeldFolder* Get(int number) {
        std::lock_guard lock(m_mutex);
        if (number < 0 || static_cast<std::size_t>(number) >= m_folders.size())
            return nullptr;
        HeldFolder& held = m_folders[static_cast<std::size_t>(number)];
        return held.folder ? &held : nullptr;
    }
    void Close(int number) {
        HeldFolder* held = Get(number);
        if (!held)
            return;
        if (held->find != INVALID_HANDLE_VALUE)
            FindClose(held->find);
        held->find = INVALID_HANDLE_VALUE;
        held->pending = false;
        held->folder.Close();
        held->path.clear();
        std::lock_guard lock(m_mutex);
        m_free.push_back(number);
    }

private:
    std::mutex m_mutex;
    std::deque<HeldFolder> m_folders;
    std::vector<int> m_free;
};

CHeldFolders& Held() {
    static CHeldFolders folders;
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

// Opens path as a held folder; a link is taken as itself unless followLink.
OpenResult OpenByPath(std::string path, bool followLink) {
    OpenResult result;
    CWinHandle folder = OpenHeld(LongPath(path), followLink);
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
    result.id.everyoneSearches = true;
    // The top of a volume: a drive's root, or a folder another volume is mounted on.
    wchar_t volume[MAX_PATH + 1] = {};
    const std::wstring wide = LongPath(path);
    result.id.mountRoot = GetVolumePathNameW(wide.c_str(), volume, MAX_PATH + 1) &&
                          std::wstring(volume) == wide + (wide.back() == L'\\' ? L"" : L"\\");
    result.fd = Held().Add(std::move(folder), std::move(path));
    return result;
}

bool IsDotOrDotDot(const wchar_t* name) {
    return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

unsigned char TypeOf(DWORD attributes) {
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return DT_LNK; // a junction or a symbolic link, to a folder or to a file
    return attributes & FILE_ATTRIBUTE_DIRECTORY ? DT_DIR : DT_REG;
}

} // namespace

OpenResult OpenComponent(int dirFd, const char* name, const FolderId* expected) {
    const HeldFolder* parent = Held().Get(dirFd);
    if (!parent) {
        OpenResult result;
        result.why = NotRead::ReadError;
        return result;
    }
    OpenResult result = OpenByPath(JoinPath(parent->path, name), false);
    if (result.fd >= 0 && expected &&
        (result.id.dev != expected->dev || result.id.ino != expected->ino)) {
        CloseFolder(result.fd);
        result.fd = -1;
        result.why = NotRead::Changed;
    }
    return result;
}

OpenResult OpenRoot(const std::string& path) {
    if (path.find('\0') != std::string::npos) {
        OpenResult result;
        result.gone = true;
        return result;
    }
    return OpenByPath(AbsoluteFolder(CString(path)), true);
}

OpenResult OpenChain(int baseFd, const std::vector<WalkNode*>& path, const WalkNode* unseen) {
    OpenResult result;
    const HeldFolder* base = Held().Get(baseFd);
    if (!base) {
        result.why = NotRead::ReadError;
        return result;
    }
    if (path.empty()) {
        // Another hold of the same folder, checked to be still the same one.
        WinFileInfo info;
        QueryInfo(base->folder.Get(), info);
        const FolderId seen{info.volume, info.index, false, true};
        result = OpenByPath(base->path, false);
        if (result.fd >= 0 && (result.id.dev != seen.dev || result.id.ino != seen.ino)) {
            CloseFolder(result.fd);
            result = {};
            result.why = NotRead::Changed;
        }
        return result;
    }
    // Every folder on the way stays held until the last one is: each is reached through
    // the ones above it, by path.
    std::vector<int> way;
    int current = baseFd;
    for (std::size_t i = path.size(); i-- > 0;) {
        const WalkNode* component = path[i];
        const FolderId seen{component->dev, component->ino, false, true};
        result = OpenComponent(current, component->name.data(), component == unseen ? nullptr : &seen);
        if (result.fd < 0)
            break;
        way.push_back(result.fd);
        current = result.fd;
    }
    for (const int fd : way)
        if (fd != result.fd)
            CloseFolder(fd);
    return result;
}

bool CanSearch(int, const FolderId&, OpenResult&) {
    // A folder that can be listed can be searched: Windows has no permission between.
    return true;
}

HomeTrash HomeTrash::Find() {
    // Under Wine the recycle bin is the desktop trash of its host, named by the host's
    // XDG_DATA_HOME or HOME (Unix paths). Elsewhere there is no such folder.
    using DosNameOf = wchar_t* (*)(const char*);
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    const auto dosName = kernel ? reinterpret_cast<DosNameOf>(reinterpret_cast<void*>(
                                      GetProcAddress(kernel, "wine_get_dos_file_name")))
                                : nullptr;
    HomeTrash trash;
    std::string data;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && xdg[0] == '/')
        data = xdg;
    else if (const char* home = std::getenv("HOME"); home && home[0] == '/')
        data = std::string(home) + "/.local/share";
    wchar_t* name = dosName && !data.empty() ? dosName((data + "/Trash").c_str()) : nullptr;
    if (!name)
        return trash;
    const std::wstring path = name;
    HeapFree(GetProcessHeap(), 0, name);
    const CWinHandle folder = OpenToLook(LongPath(Utf8FromWide(path)));
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
    HeldFolder* held = Held().Get(node->fd);
    if (!held) {
        outcome.readError = outcome.end = true;
        return FinishRead(outcome);
    }
    if (held->find == INVALID_HANDLE_VALUE && !held->pending) {
        held->find = FindFirstFileExW(LongPath(JoinPath(held->path, "*")).c_str(), FindExInfoBasic,
                                      &held->data, FindExSearchNameMatch, nullptr,
                                      FIND_FIRST_EX_LARGE_FETCH);
        if (held->find == INVALID_HANDLE_VALUE) {
            // An empty folder of some file systems gives no entry at all, not even ".".
            const DWORD error = GetLastError();
            outcome.readError = error != ERROR_FILE_NOT_FOUND && !IsGoneError(error);
            outcome.end = true;
            return FinishRead(outcome);
        }
        held->pending = true;
    }
    while (held->pending && (whole || m_records.size() < kChunkTarget)) {
        const WIN32_FIND_DATAW& data = held->data;
        if (!IsDotOrDotDot(data.cFileName)) {
            const std::string name = Utf8FromWide(data.cFileName);
            const unsigned char type = TypeOf(data.dwFileAttributes);
            if (node->prefixLength + name.size() >= kPathLimit)
                outcome.pathTooLong = true;
            else if (!(type == DT_DIR && IsTrash(node, name, 0)))
                Keep(node, name.c_str(), name.size(), type, 0);
        }
        held->pending = FindNextFileW(held->find, &held->data) != FALSE;
        if (!held->pending) {
            // A folder removed while it is listed simply ends; anything else is an error.
            const DWORD error = GetLastError();
            outcome.readError = error != ERROR_NO_MORE_FILES && !IsGoneError(error);
            outcome.end = true;
            FindClose(held->find);
            held->find = INVALID_HANDLE_VALUE;
        }
    }
    return FinishRead(outcome);
}

long SpareFolderHandles() {
    // Handles are not scarce on Windows; this bounds what one walk holds.
    return 1L << 16;
}

bool FoldersHeldUntilFreed() {
    return true;
}

void CloseFolder(int fd) {
    Held().Close(fd);
}

bool ExamineEntry(int folderFd, std::string_view name, EntryState& state) {
    const HeldFolder* folder = Held().Get(folderFd);
    if (!folder)
        return false;
    const std::wstring path = LongPath(JoinPath(folder->path, name));
    DWORD listed = 0;
    if (!ListedAttributes(path, listed) ||
        ((listed & FILE_ATTRIBUTE_DIRECTORY) && !(listed & FILE_ATTRIBUTE_REPARSE_POINT)))
        return false;
    const CWinHandle entry = OpenToLook(path);
    WinFileInfo info;
    if (!entry || !QueryInfo(entry.Get(), info))
        return false;
    state.dev = info.volume;
    state.ino = info.index;
    state.type = 0;
    return true;
}

std::string AbsoluteFolder(const CString& folder) {
    // The system's own rules ("C:x", "\x", ".." and '/' included), however long.
    const std::wstring wide = WideFromUtf8(folder.view());
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
