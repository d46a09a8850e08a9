#include "platform/trash/Descriptors.h"

#include <climits>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

void CUniqueFd::Reset(int fd) {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = fd;
}

bool EntryStat::IsFolder() const {
    return S_ISDIR(mode);
}

namespace {

bool Look(int dirfd, const char* name, int flags, EntryStat& out) {
    struct statx sx;
    flags |= AT_NO_AUTOMOUNT | (*name ? 0 : AT_EMPTY_PATH);
    if (::statx(dirfd, name, flags,
                STATX_TYPE | STATX_MODE | STATX_INO | STATX_UID | STATX_NLINK | STATX_MNT_ID,
                &sx) != 0)
        return false;
    // The same encoding as stat's st_dev, which is what a collection records.
    out.id.dev = makedev(sx.stx_dev_major, sx.stx_dev_minor);
    out.id.ino = sx.stx_ino;
    out.mode = sx.stx_mode;
    out.uid = sx.stx_uid;
    out.nlink = sx.stx_nlink;
    out.mountId = (sx.stx_mask & STATX_MNT_ID) ? sx.stx_mnt_id : 0;
    return true;
}

} // namespace

bool StatAt(int dirfd, const char* name, EntryStat& out, bool followLinks) {
    return Look(dirfd, name, followLinks ? 0 : AT_SYMLINK_NOFOLLOW, out);
}

bool StatNow(int dirfd, const char* name, EntryStat& out) {
    return Look(dirfd, name, AT_SYMLINK_NOFOLLOW | AT_STATX_FORCE_SYNC, out);
}

int OpenFolderAt(int dirfd, const char* name) {
    // O_PATH: the folder is only a place to create, rename and look up entries in, which
    // needs search permission, as a move by path would; its listing is never read.
    return ::openat(dirfd, name, O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

std::string PathOfOpenFolder(int fd) {
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    std::string path(PATH_MAX, '\0');
    const ssize_t n = ::readlink(link.c_str(), path.data(), path.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= path.size() || path[0] != '/')
        return {};
    path.resize(static_cast<std::size_t>(n));
    return path;
}
