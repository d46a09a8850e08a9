#include "analysis/EnumerateFiles.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

bool IsDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// One open directory listing, read straight with getdents64 into a buffer of its own:
// no per-entry system call, and none of the extra calls opendir makes per folder. Closed
// when it goes out of scope, or earlier on request.
class Listing {
public:
    static constexpr std::size_t kBufferSize = 32 * 1024;

    // buffer: kBufferSize bytes, for this listing's use until it is closed.
    Listing(int fd, char* buffer) : m_fd(fd), m_buffer(buffer) {}
    ~Listing() { Close(); }
    Listing(const Listing&) = delete;
    Listing& operator=(const Listing&) = delete;

    bool IsOpen() const { return m_fd >= 0; }
    int Fd() const { return m_fd; }
    void Close() {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

    // The next entry, or null at the end of the listing. A read error, such as the
    // folder having been removed meanwhile, also ends it.
    const dirent64* Next() {
        if (m_next >= m_filled) {
            if (m_fd < 0)
                return nullptr;
            const ssize_t got = ::getdents64(m_fd, m_buffer, kBufferSize);
            if (got <= 0) {
                m_next = m_filled = 0;
                return nullptr;
            }
            m_next = 0;
            m_filled = static_cast<std::size_t>(got);
        }
        const auto* entry = reinterpret_cast<const dirent64*>(m_buffer + m_next);
        m_next += entry->d_reclen;
        return entry;
    }

    // Whether the entry is a folder, without following a link. The type comes with the
    // listing on the usual file systems; only where it is left open is the entry asked.
    bool IsFolder(const dirent64* entry) const {
        if (entry->d_type == DT_DIR)
            return true;
        if (entry->d_type != DT_UNKNOWN)
            return false;
        struct stat st;
        return ::fstatat(m_fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
    }

private:
    int m_fd;
    char* m_buffer;
    std::size_t m_next = 0;
    std::size_t m_filled = 0;
};

// An entry read ahead of its turn; its name lives in a shared byte buffer.
struct PendingEntry {
    std::size_t offset;
    std::size_t length;
    bool walkInto;
};

// The prefix every entry path of folder starts with: folder made absolute, plus one '/'.
void StartEntryPath(std::string& path, const CString& folder) {
    path.clear();
    if (folder.IsEmpty() || folder[0] != '/') {
        char cwd[PATH_MAX];
        if (::getcwd(cwd, sizeof cwd)) {
            path = cwd;
            if (path.back() != '/')
                path += '/';
        }
    }
    path += folder.view();
    if (path.empty() || path.back() != '/')
        path += '/';
}

} // namespace

CEnumerateFiles::CEnumerateFiles() = default;

CEnumerateFiles::~CEnumerateFiles() = default;

void CEnumerateFiles::OnFolderDone(const CString&) {}

int CEnumerateFiles::OpenListing(const CString& folder) const {
    // A path with a NUL in it names no folder; the system would see only its first part.
    if (std::memchr(folder.GetString(), '\0', folder.size()))
        return -1;
    // O_NONBLOCK: should the path turn out to be a FIFO after all, opening it must not
    // wait for a writer (O_DIRECTORY refuses it anyway). Nested folders are opened
    // without following a link: the entry was a folder when it was listed, and if it has
    // been replaced by a link since, the walk must not leave the tree through it.
    int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK;
    if (m_depth > 1)
        flags |= O_NOFOLLOW;
    if (m_childPath == &folder && m_childParentFd >= 0)
        return ::openat(m_childParentFd, folder.GetString() + m_childNameOffset, flags);
    return ::open(folder.GetString(), flags);
}

char* CEnumerateFiles::ListingBuffer() {
    // Levels that keep their listing open each need a buffer of their own; deeper levels
    // close theirs before descending, so one shared buffer serves all of them. Buffers
    // are kept for the walker's lifetime: allocating one per folder would make the heap
    // grow and shrink, a system call each way, for every folder of the walk.
    const std::size_t slot = static_cast<std::size_t>(std::min(m_depth, kMaxOpenListings + 1));
    if (m_listingBuffers.size() <= slot)
        m_listingBuffers.resize(slot + 1);
    if (!m_listingBuffers[slot])
        m_listingBuffers[slot] = std::make_unique_for_overwrite<char[]>(Listing::kBufferSize);
    return m_listingBuffers[slot].get();
}

void CEnumerateFiles::Enumerate(const CString& folder, const CString& filter, bool recurse) {
    if (m_depth == 0) {
        m_stopRequested = false;
        m_childPath = nullptr;
    }
    struct DepthGuard {
        int& depth;
        explicit DepthGuard(int& d) : depth(d) { ++depth; }
        ~DepthGuard() { --depth; }
        DepthGuard(const DepthGuard&) = delete;
        DepthGuard& operator=(const DepthGuard&) = delete;
    } depthGuard(m_depth);

    {
        Listing listing(OpenListing(folder), ListingBuffer());
        m_childPath = nullptr;

        if (listing.IsOpen()) {
            // One path buffer per level, reused for every entry: the folder part stays,
            // only the name after it changes, so reporting an entry allocates nothing.
            CString path;
            std::string& bytes = path.raw();
            StartEntryPath(bytes, folder);
            const std::size_t base = bytes.size();
            bytes.reserve(base + NAME_MAX + 1);

            const bool holdOpen = m_depth <= kMaxOpenListings;
            std::string pendingNames;
            std::vector<PendingEntry> pending;
            const auto remember = [&](const char* name, std::size_t length, bool walkInto) {
                pending.push_back({pendingNames.size(), length, walkInto});
                pendingNames.append(name, length);
            };

            while (!m_stopRequested) {
                const dirent64* entry = listing.Next();
                if (!entry)
                    break;
                const char* name = entry->d_name;
                if (IsDotOrDotDot(name))
                    continue;
                const std::size_t length = std::strlen(name);
                if (base + length >= PATH_MAX)
                    continue;
                const bool walkInto = recurse && listing.IsFolder(entry);
                if (walkInto && !holdOpen) {
                    // Too deep to keep this listing open while the subfolder is walked:
                    // read the rest now and close it, then carry on from memory.
                    remember(name, length, true);
                    while ((entry = listing.Next())) {
                        name = entry->d_name;
                        const std::size_t n = std::strlen(name);
                        if (!IsDotOrDotDot(name) && base + n < PATH_MAX)
                            remember(name, n, recurse && listing.IsFolder(entry));
                    }
                    listing.Close();
                    break;
                }
                bytes.resize(base);
                bytes.append(name, length);
                if (walkInto) {
                    m_childPath = &path;
                    m_childParentFd = listing.Fd();
                    m_childNameOffset = base;
                    Enumerate(path, filter, recurse);
                    m_childPath = nullptr;
                } else {
                    OnFileFound(path);
                }
            }

            for (const PendingEntry& entry : pending) {
                if (m_stopRequested)
                    break;
                bytes.resize(base);
                bytes.append(pendingNames, entry.offset, entry.length);
                if (entry.walkInto)
                    Enumerate(path, filter, recurse);
                else
                    OnFileFound(path);
            }
        }
    }
    OnFolderDone(folder);
}
