#include "deletion/CollectFiles.h"

#include "platform/core/ExtensionKey.h"
#include "platform/core/WaitCursor.h"

#include <climits>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// Levels that keep their listing open while a subfolder is searched; deeper levels read
// the rest of their listing into memory and close it first, so a search of any depth
// holds only a few dozen descriptors.
constexpr int kMaxOpenListings = 32;

// The path of an entry of folder, or false when it would not fit in PATH_MAX bytes: such
// entries are skipped, as the counting skips them, so the system can take every path
// handed to the delete as it is.
bool JoinPath(const CString& folder, std::string_view name, CString& full) {
    std::string& bytes = full.raw();
    bytes = folder.str();
    if (bytes.empty() || bytes.back() != '/')
        bytes += '/';
    bytes += name;
    return bytes.size() < PATH_MAX;
}

bool IsFolderEntry(int dirFd, const dirent& entry) {
    if (entry.d_type != DT_UNKNOWN)
        return entry.d_type == DT_DIR;
    // Some file systems do not fill in the type. An entry that cannot be examined is
    // taken as a file, as the counting takes it.
    struct stat st;
    if (::fstatat(dirFd, entry.d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    return S_ISDIR(st.st_mode);
}

void CollectInFolder(CFileOperation& op, const CString& ext, const CString& folder, int folderFd,
                     int depth);

// Makes the opened folder current and searches it; takes ownership of fd (-1: the folder
// could not be opened and contributes nothing).
void EnterAndCollect(CFileOperation& op, const CString& ext, const CString& fullPath, int fd,
                     int depth) {
    if (fd < 0)
        return;
    if (::fchdir(fd) != 0) {
        ::close(fd);
        return;
    }
    CollectInFolder(op, ext, fullPath, fd, depth);
}

// An entry read ahead of its turn, at a level too deep to keep its listing open.
struct PendingEntry {
    std::string name;
    bool folder;
    dev_t dev;
    ino_t ino;
};

// Searches the open folder folderFd (taking ownership of the descriptor). Full paths are
// built from `folder`, the path passed down, so later changes of the current directory
// by nested levels do not affect them.
void CollectInFolder(CFileOperation& op, const CString& ext, const CString& folder, int folderFd,
                     int depth) {
    DIR* dir = ::fdopendir(folderFd);
    if (!dir) {
        ::close(folderFd);
        return;
    }
    const bool holdOpen = depth <= kMaxOpenListings;
    std::vector<PendingEntry> pending;
    CString full;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == ".." || !JoinPath(folder, name, full))
            continue;
        const bool isFolder = IsFolderEntry(::dirfd(dir), *entry);
        if (!isFolder && pending.empty()) {
            if (ExtensionKey(full.view()) == ext.view())
                op.m_arrSource.Add(full);
            continue;
        }
        if (!isFolder) {
            // Read-ahead has begun: keep the listing order.
            pending.push_back({std::string(name), false, 0, 0});
            continue;
        }
        if (holdOpen) {
            // Opened relative to the listing that found it, never through a link: a
            // folder swapped for a link since it was listed fails to open and
            // contributes nothing.
            CWaitCursor wait;
            EnterAndCollect(op, ext, full,
                            ::openat(::dirfd(dir), entry->d_name,
                                     O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC),
                            depth + 1);
            continue;
        }
        // Remember which folder was listed, so that opening it later by its path can be
        // checked to reach that very folder and not one put in its place.
        // A folder that cannot be examined now keeps inode 0, which no folder has: it is
        // then not entered, like any folder that cannot be opened.
        struct stat st;
        const bool known = ::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                           S_ISDIR(st.st_mode);
        pending.push_back({std::string(name), true, known ? st.st_dev : 0, known ? st.st_ino : 0});
    }
    ::closedir(dir);

    // At a deep level everything from the first folder on was read ahead; it is handled
    // here, in listing order.
    for (const PendingEntry& entry : pending) {
        JoinPath(folder, entry.name, full);
        if (!entry.folder) {
            if (ExtensionKey(full.view()) == ext.view())
                op.m_arrSource.Add(full);
            continue;
        }
        CWaitCursor wait;
        int fd = ::open(full.GetString(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        struct stat st;
        if (fd >= 0 &&
            (::fstat(fd, &st) != 0 || st.st_dev != entry.dev || st.st_ino != entry.ino)) {
            ::close(fd);
            fd = -1;
        }
        EnterAndCollect(op, ext, full, fd, depth + 1);
    }
}

} // namespace

void CollectFilesWithExtension(CFileOperation& op, CString ext, CString folder) {
    CWaitCursor wait;
    // A text with a NUL in it names no folder; the system would see only its first part.
    if (folder.IsEmpty() || std::memchr(folder.GetString(), '\0', folder.size()))
        return;
    // Paths are made absolute first: the search moves the current directory, and the
    // delete that follows must find every path whatever the current directory is then.
    CString absolute = folder;
    if (folder[0] != '/') {
        char cwd[PATH_MAX];
        if (!::getcwd(cwd, sizeof cwd))
            return;
        absolute = CString(cwd);
        if (absolute.str().back() != '/')
            absolute += '/';
        absolute += folder;
    }
    // The chosen folder itself is entered as the user named it, links included.
    if (::chdir(folder.GetString()) != 0)
        return;
    const int fd = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    CollectInFolder(op, ext, absolute, fd, 1);
}
