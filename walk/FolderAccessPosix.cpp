// The walk's folder access on POSIX systems: folders opened relative to their parent's
// descriptor without following a link, identified by device and inode (statx, or where the
// file system allows, the parent's device and the listing's inode: OpenListedFolder),
// listed with getdents64.
#include "platform/core/TrashFolders.h"
#include "walk/EnumerateFiles.h"
#include "walk/WalkNode.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <linux/openat2.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

constexpr std::size_t kListingBuffer = 32 * 1024;
// Where ext2/3/4 resume a hashed listing (every folder, where folders are indexed) once
// all of it has been read: given as the offset of the last entry of the read that reached
// the end, so that no read has to come back empty to tell. No entry has it (the hash it
// stands for is never given to a name), and it is set only once no error can follow.
constexpr std::int64_t kHashedListingEnd = INT64_MAX;

// O_NONBLOCK: should a name turn out to be a FIFO after all, opening it must not wait for
// a writer (O_DIRECTORY refuses it anyway).
constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK;

// call() made again for as long as a signal interrupts it (EINTR): a handler installed
// without SA_RESTART, or a network or FUSE file system, must not make a folder look
// unreadable.
template <class Call> auto RetryOnSignal(Call call) {
    for (;;) {
        const auto result = call();
        if (result >= 0 || errno != EINTR)
            return result;
    }
}

// 0 when the folder open as fd can be searched, else the errno why not. Asked of the system
// only when the mode does not already let everyone search it (the usual case; an access
// list that takes search away from one user despite such a mode is not looked at).
int SearchRefusal(int fd, bool searchable) {
    if (searchable || ::faccessat(fd, ".", X_OK, AT_EACCESS) == 0)
        return 0;
    return errno;
}

bool IsDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// The entry name of the folder open as fd, never through a link: its type when the
// listing left it open (DT_UNKNOWN: some file systems do), and with wantSize its size.
// Only what is asked for is asked of the system, and nothing is synced first (a network
// file system answers from what it has). An entry that cannot be examined keeps
// DT_UNKNOWN, taken as a file, and kSizeUnknown.
void Examine(int fd, const char* name, bool wantSize, unsigned char& type, std::uint64_t& size) {
    unsigned int mask = wantSize ? STATX_SIZE : 0;
    if (type == DT_UNKNOWN)
        mask |= STATX_TYPE;
    struct statx st;
    if (::statx(fd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT | AT_STATX_DONT_SYNC, mask, &st) !=
        0)
        return;
    if (type == DT_UNKNOWN && (st.stx_mask & STATX_TYPE))
        type = IFTODT(st.stx_mode);
    if (wantSize && type != DT_DIR && (st.stx_mask & STATX_SIZE))
        size = st.stx_size;
}

// Whether the system takes a null path with AT_EMPTY_PATH (Linux 6.11 on): the call then
// skips looking up a path altogether. Cleared at the first refusal (EFAULT; ENOSYS
// where the system has no statx).
std::atomic<bool> g_nullPathStatx{true};

// Device, inode and mount top of an open folder.
bool Identify(int fd, FolderId& id) {
    struct statx st;
    constexpr unsigned int kMask = STATX_INO | STATX_TYPE | STATX_MODE | STATX_SIZE;
    long result = -1;
    if (g_nullPathStatx.load(std::memory_order_relaxed)) {
        // Made directly: the C library's statx declares its path never null.
        result = ::syscall(SYS_statx, fd, nullptr, AT_EMPTY_PATH, kMask, &st);
        if (result != 0 && (errno == EFAULT || errno == ENOSYS))
            g_nullPathStatx.store(false, std::memory_order_relaxed);
    }
    if (result != 0) // refused, or failed: asked again the usual way
        result = ::statx(fd, "", AT_EMPTY_PATH, kMask, &st);
    if (result != 0)
        return false;
    id.dev = makedev(st.stx_dev_major, st.stx_dev_minor);
    id.ino = st.stx_ino;
    id.mountRoot = (st.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) &&
                   (st.stx_attributes & STATX_ATTR_MOUNT_ROOT);
    id.searchable = (st.stx_mask & STATX_MODE) && (st.stx_mode & 0111) == 0111;
    id.oneBlock = (st.stx_mask & STATX_SIZE) && st.stx_size <= st.stx_blksize;
    return true;
}

// The reason for a failed open or read, from errno; gone for ENOENT.
void ClassifyError(int error, OpenResult& result) {
    switch (error) {
    case ENOENT:
        result.gone = true;
        break;
    case EACCES:
    case EPERM:
        result.why = NotRead::PermissionDenied;
        break;
    case ELOOP:   // a link where the folder was
    case ENOTDIR: // something else where the folder was
        result.why = NotRead::Changed;
        break;
    case EMFILE:
    case ENFILE:
        result.why = NotRead::TooManyOpenFiles;
        break;
    default:
        result.why = NotRead::ReadError;
        break;
    }
}

OpenResult Opened(int fd) {
    OpenResult result;
    if (fd < 0) {
        ClassifyError(errno, result);
        return result;
    }
    if (!Identify(fd, result.id)) {
        ClassifyError(errno, result);
        ::close(fd);
        return result;
    }
    result.fd = fd;
    return result;
}

// Whether openat2 is there to be used (Linux 5.6 on; cleared at the first ENOSYS, or EPERM
// from a sandbox that refuses it).
std::atomic<bool> g_openat2{true};

// Whether, on a file system of this kind, a folder on the same mount as its parent is on
// the parent's device and has the inode its parent's listing gives it: ext2/3/4 and tmpfs.
// (Not so on btrfs, where a subvolume has a device of its own, nor where a listing's
// inodes may differ from the folders' own: layered and network file systems, FUSE.)
bool ListingTellsIds(std::uint32_t fileSystem) {
    return fileSystem == EXT4_SUPER_MAGIC || fileSystem == TMPFS_MAGIC;
}

// Opens child, a folder its parent's listing gave, below dirFd (the parent) without asking
// the system what it opened: true when that settles it, with result as OpenComponent would
// give it; false when the usual way must tell (OpenComponent).
//
// "name/." is opened with no link followed anywhere and no mount crossed (openat2). It
// opens only if name is a folder on the parent's mount that can be searched (looking up
// "." inside it needs that), so its device is the parent's and its inode the listing's
// (ListingTellsIds). A link or anything but a folder there is a change, a name gone is
// gone; a drive mounted there, a folder that cannot be searched or read and every other
// refusal go the usual way, which tells them apart.
bool OpenListedFolder(int dirFd, const WalkNode& child, OpenResult& result) {
    const WalkNode* parent = child.parentNode();
    if (!parent || !ListingTellsIds(parent->fileSystem) ||
        !g_openat2.load(std::memory_order_relaxed) || child.name.size() > NAME_MAX)
        return false;
    char path[NAME_MAX + 3];
    std::memcpy(path, child.name.data(), child.name.size());
    std::memcpy(path + child.name.size(), "/.", 3);
    open_how how{};
    how.flags = kFolderFlags | O_NOFOLLOW;
    how.resolve = RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS | RESOLVE_NO_XDEV;
    const long fd =
        RetryOnSignal([&] { return ::syscall(SYS_openat2, dirFd, path, &how, sizeof how); });
    if (fd >= 0) {
        result = {};
        result.fd = static_cast<int>(fd);
        result.id.dev = parent->dev;
        result.id.ino = child.ino;
        result.id.searchable = true;
        return true;
    }
    switch (errno) {
    case ENOENT:
    case ELOOP:
    case ENOTDIR:
        result = {};
        ClassifyError(errno, result);
        return true;
    case ENOSYS:
    case EPERM:
        g_openat2.store(false, std::memory_order_relaxed);
        return false;
    default:
        return false;
    }
}

} // namespace

OpenResult OpenComponent(int dirFd, const char* name, const FolderId* expected) {
    return Expect(
        Opened(RetryOnSignal([&] { return ::openat(dirFd, name, kFolderFlags | O_NOFOLLOW); })),
        expected);
}

OpenResult OpenRoot(const std::string& path) {
    return OpenNamedRoot(path, [](const std::string& named) {
        return Opened(RetryOnSignal([&] { return ::open(named.c_str(), kFolderFlags); }));
    });
}

OpenResult OpenChain(int baseFd, const std::vector<WalkNode*>& path, const WalkNode* unseen) {
    OpenResult result;
    if (path.empty()) {
        result.fd = ::fcntl(baseFd, F_DUPFD_CLOEXEC, 0);
        if (result.fd < 0)
            ClassifyError(errno, result);
        return result;
    }
    int current = baseFd;
    for (std::size_t i = path.size(); i-- > 0;) {
        const WalkNode* component = path[i];
        const FolderId seen{component->dev, component->ino, false};
        if (component != unseen || !OpenListedFolder(current, *component, result))
            result = OpenComponent(current, component->name.data(),
                                   component == unseen ? nullptr : &seen);
        if (current != baseFd)
            ::close(current);
        if (result.fd < 0)
            break;
        current = result.fd;
    }
    return result;
}

HomeTrash HomeTrash::Find() {
    const TrashFolderId trash = FindHomeTrash();
    return {trash.valid, trash.dev, trash.ino};
}

ReadOutcome CFolderReader::Read(WalkNode* node, bool whole) {
    StartRead();
    if (m_buffer.empty())
        m_buffer.resize(kListingBuffer);
    ReadOutcome outcome;
    while (whole || m_recordBytes < kChunkTarget) {
        const ssize_t got =
            RetryOnSignal([&] { return ::getdents64(node->fd, m_buffer.data(), m_buffer.size()); });
        if (got <= 0) {
            // A folder removed while it is listed simply ends; anything else is an error.
            outcome.readError = got < 0 && errno != ENOENT;
            outcome.end = true;
            break;
        }
        std::int64_t resumeAt = 0; // the offset of the last entry: where the next read starts
        for (std::size_t at = 0; at < static_cast<std::size_t>(got);) {
            const auto* entry = reinterpret_cast<const dirent64*>(m_buffer.data() + at);
            at += entry->d_reclen;
            resumeAt = entry->d_off;
            const char* name = entry->d_name;
            if (IsDotOrDotDot(name))
                continue;
            const std::size_t length = std::strlen(name);
            if (node->prefixLength + length >= PATH_MAX) {
                outcome.pathTooLong = true;
                continue;
            }
            unsigned char type = entry->d_type;
            std::uint64_t size = kSizeUnknown;
            if (type == DT_UNKNOWN || (m_sizes && type != DT_DIR))
                Examine(node->fd, name, m_sizes, type, size);
            if (type == DT_DIR && IsTrash(node, std::string_view(name, length), entry->d_ino))
                continue;
            Keep(node, name, length, type, entry->d_ino, size);
        }
        if (node->fileSystem == EXT4_SUPER_MAGIC && resumeAt == kHashedListingEnd) {
            outcome.end = true;
            break;
        }
        // Room left for the longest entry there can be: the listing is at its end.
        if (node->endsAtShortRead &&
            m_buffer.size() - static_cast<std::size_t>(got) >= sizeof(dirent64)) {
            outcome.end = true;
            break;
        }
    }
    return FinishRead(outcome);
}

std::uint32_t FileSystemOf(int fd) {
    struct statfs fs;
    return ::fstatfs(fd, &fs) == 0 ? static_cast<std::uint32_t>(fs.f_type) : 0;
}

bool EndsAtShortRead(std::uint32_t fileSystem, const FolderId& id) {
    // ext2, ext3 and ext4 read a folder of one block whole, and only then give its entries;
    // tmpfs lists from memory. Either goes on until the buffer cannot take the next entry.
    // Others may not: a FUSE drive gives one reply's worth a read, and where a listing is
    // read block by block, an error after some of them comes at the next read.
    switch (fileSystem) {
    case EXT4_SUPER_MAGIC:
        return id.oneBlock;
    case TMPFS_MAGIC:
        return true;
    default:
        return false;
    }
}

bool CanSearch(int fd, const FolderId& id, OpenResult& denied) {
    const int refusal = SearchRefusal(fd, id.searchable);
    if (refusal == 0)
        return true;
    ClassifyError(refusal, denied);
    return false;
}

namespace {
long OpenDescriptors() {
    DIR* dir = ::opendir("/proc/self/fd");
    if (!dir)
        return 16;
    long count = 0;
    while (::readdir(dir))
        ++count;
    ::closedir(dir);
    return count - 3; // ".", ".." and the listing's own descriptor
}
} // namespace

long SpareFolderHandles() {
    rlimit limit{};
    ::getrlimit(RLIMIT_NOFILE, &limit);
    const long soft =
        limit.rlim_cur == RLIM_INFINITY ? 1L << 20 : static_cast<long>(limit.rlim_cur);
    return soft - OpenDescriptors();
}

const bool kCountsThreadSleeps = true;

std::uint64_t ThreadSleeps() {
    rusage usage{};
    ::getrusage(RUSAGE_THREAD, &usage);
    return static_cast<std::uint64_t>(usage.ru_nvcsw);
}

void CloseFolder(int fd) {
    if (fd >= 0)
        ::close(fd);
}

bool ExamineEntry(int folderFd, std::string_view name, EntryState& state) {
    struct stat st;
    const std::string text(name);
    if (folderFd < 0 || ::fstatat(folderFd, text.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
        S_ISDIR(st.st_mode))
        return false;
    state.dev = st.st_dev;
    state.ino = st.st_ino;
    state.type = st.st_mode & S_IFMT;
    state.size = st.st_size > 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
    return true;
}

std::string AbsoluteFolder(const CString& folder) {
    std::string path;
    if (folder.IsEmpty() || folder[0] != '/') {
        // Without a buffer the C library grows one as needed: a current directory deeper
        // than PATH_MAX still gives its whole path, and the path rule then applies to it.
        if (char* cwd = ::getcwd(nullptr, 0)) {
            path = cwd;
            std::free(cwd);
            if (path.back() != '/')
                path += '/';
        }
    }
    path += folder.view();
    return path;
}

std::string WhyFolderCannotBeRead(const std::string& folder) {
    const int fd = RetryOnSignal([&] { return ::open(folder.c_str(), kFolderFlags); });
    if (fd < 0)
        return std::strerror(errno);
    // Listed but not searched, a folder gives the walk nothing (TreeWalk.h): as unreadable
    // as one that cannot be listed.
    const int refusal = SearchRefusal(fd, false);
    ::close(fd);
    return refusal == 0 ? std::string() : std::strerror(refusal);
}
