#include "platform/core/TrashFolders.h"

#ifdef _WIN32
#include "platform/core/WideText.h"
#else
#include "platform/core/HomeTrash.h"

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

namespace {

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if ((a[i] | 0x20) != (b[i] | 0x20))
            return false;
    return true;
}

} // namespace

bool IsDriveTrashName(std::string_view name) {
    // $Recycle.Bin too on Linux: a Windows drive mounted there has one.
    if (name == ".Trash" || EqualsIgnoringAsciiCase(name, "$Recycle.Bin"))
        return true;
    constexpr std::string_view prefix = ".Trash-";
    if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix)
        return false;
    for (char c : name.substr(prefix.size()))
        if (c < '0' || c > '9')
            return false;
    return true;
}

#ifdef _WIN32

bool IsInsideTrash(const std::string& folder) {
    // \\?\X:\top\... or \\?\UNC\server\share\top\...: the folder at the drive's top is the
    // first component after the drive, or after the share.
    const std::string path = Utf8FromWide(LongPath(folder));
    std::string_view rest = std::string_view(path).substr(4);
    int skip = rest.starts_with("UNC\\") ? 3 : 1;
    for (; skip > 0; --skip) {
        const std::size_t slash = rest.find('\\');
        if (slash == std::string_view::npos)
            return false;
        rest.remove_prefix(slash + 1);
    }
    return IsDriveTrashName(rest.substr(0, rest.find('\\')));
}

#else

namespace {

// The top folder of a mount: the system says so, or ".." is on another device, or is the
// folder itself ("/").
bool IsMountTop(int fd) {
    struct statx here;
    if (::statx(fd, "", AT_EMPTY_PATH, STATX_INO, &here) != 0)
        return false;
    if ((here.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) &&
        (here.stx_attributes & STATX_ATTR_MOUNT_ROOT))
        return true;
    struct statx up;
    if (::statx(fd, "..", 0, STATX_INO, &up) != 0)
        return false;
    return up.stx_dev_major != here.stx_dev_major || up.stx_dev_minor != here.stx_dev_minor ||
           up.stx_ino == here.stx_ino;
}

// Whether the last component of path (absolute, links resolved, not "/") is a trash folder.
bool EndsInTrashFolder(const std::string& path, const TrashFolderId& home) {
    const std::size_t slash = path.find_last_of('/');
    const std::string parent = slash == 0 ? "/" : path.substr(0, slash);
    const std::string name = path.substr(slash + 1);
    const int parentFd = ::open(parent.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (parentFd < 0)
        return false;
    struct stat st;
    const bool trash = ::fstatat(parentFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                       IsTrashFolder(parentFd, name, st.st_dev, st.st_ino, home);
    ::close(parentFd);
    return trash;
}

} // namespace

TrashFolderId FindHomeTrash() {
    const std::string path = HomeTrashPath();
    TrashFolderId trash;
    struct stat st;
    if (!path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        trash.valid = true;
        trash.dev = st.st_dev;
        trash.ino = st.st_ino;
    }
    return trash;
}

bool IsTrashFolder(int parentFd, std::string_view name, std::uint64_t dev, std::uint64_t ino,
                   const TrashFolderId& home) {
    if (home.valid && dev == home.dev && ino == home.ino)
        return true;
    return IsDriveTrashName(name) && IsMountTop(parentFd);
}

bool IsInsideTrash(const std::string& folder) {
    // Where the system has the folder, links resolved: each folder above it is then a real
    // one, looked at in its own parent.
    char* real = ::realpath(folder.c_str(), nullptr);
    if (!real)
        return false;
    std::string path(real);
    std::free(real);
    const TrashFolderId home = FindHomeTrash();
    for (; path != "/"; path.erase(std::max<std::size_t>(path.find_last_of('/'), 1)))
        if (EndsInTrashFolder(path, home))
            return true;
    return false;
}

#endif
