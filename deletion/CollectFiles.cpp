#include "deletion/CollectFiles.h"

#include "platform/ExtensionKey.h"
#include "platform/WaitCursor.h"

#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace {

CString JoinPath(const CString& folder, std::string_view name) {
    std::string full = folder.str();
    if (full.empty() || full.back() != '/')
        full += '/';
    full += name;
    return CString(std::move(full));
}

bool IsFolderEntry(DIR* dir, const dirent& entry) {
    if (entry.d_type != DT_UNKNOWN)
        return entry.d_type == DT_DIR;
    // Some file systems do not fill in the type. An entry that cannot be examined is
    // taken as a file, as the counting takes it.
    struct stat st;
    if (::fstatat(::dirfd(dir), entry.d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    return S_ISDIR(st.st_mode);
}

void CollectInFolder(CFileOperation& op, const CString& ext, const CString& folder, int folderFd);

// Enters the folder `name` of the listing `parent` and collects below it. The folder is
// opened relative to the listing that found it, never by its full path and never through
// a link: if it was swapped for a link since it was listed, the open fails and the
// folder contributes nothing.
void CollectInSubfolder(CFileOperation& op, const CString& ext, DIR* parent, const char* name,
                        const CString& fullPath) {
    CWaitCursor wait;
    const int fd = ::openat(::dirfd(parent), name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return;
    if (::fchdir(fd) != 0) {
        ::close(fd);
        return;
    }
    CollectInFolder(op, ext, fullPath, fd);
}

// Lists the open folder folderFd (taking ownership of the descriptor) and visits every
// entry. Full paths are built from `folder`, the path passed down, so later changes of
// the current directory by nested levels do not affect them.
void CollectInFolder(CFileOperation& op, const CString& ext, const CString& folder, int folderFd) {
    DIR* dir = ::fdopendir(folderFd);
    if (!dir) {
        ::close(folderFd);
        return;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        const CString full = JoinPath(folder, name);
        if (IsFolderEntry(dir, *entry))
            CollectInSubfolder(op, ext, dir, entry->d_name, full);
        else if (ExtensionKey(full.view()) == ext.view())
            op.m_arrSource.Add(full);
    }
    ::closedir(dir);
}

} // namespace

void CollectFilesWithExtension(CFileOperation& op, CString ext, CString folder) {
    CWaitCursor wait;
    // The chosen folder itself is entered as the user named it, links included.
    if (::chdir(folder.GetString()) != 0)
        return;
    const int fd = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    CollectInFolder(op, ext, folder, fd);
}
