// Opening and listing one folder of a walk: the rules for what is an entry, what is walked
// into and what is skipped.
#include "analysis/WalkNode.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

constexpr std::size_t kListingBuffer = 32 * 1024;
// A read stops once it holds this much; a big folder is read in pieces of about this size.
constexpr std::size_t kChunkTarget = 16 * 1024;

// O_NONBLOCK: should a name turn out to be a FIFO after all, opening it must not wait for
// a writer (O_DIRECTORY refuses it anyway).
constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK;

std::atomic<std::uint64_t> g_nextFolderId{1};

bool IsDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

bool IsDriveTrashName(std::string_view name) {
    if (name == ".Trash")
        return true;
    constexpr std::string_view prefix = ".Trash-";
    if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix)
        return false;
    for (char c : name.substr(prefix.size()))
        if (c < '0' || c > '9')
            return false;
    return true;
}

// Device, inode and mount top of an open folder.
bool Identify(int fd, FolderId& id) {
    struct statx st;
    if (::statx(fd, "", AT_EMPTY_PATH, STATX_INO | STATX_TYPE | STATX_MODE, &st) != 0)
        return false;
    id.dev = makedev(st.stx_dev_major, st.stx_dev_minor);
    id.ino = st.stx_ino;
    id.mountRoot = (st.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) &&
                   (st.stx_attributes & STATX_ATTR_MOUNT_ROOT);
    id.everyoneSearches = (st.stx_mask & STATX_MODE) && (st.stx_mode & 0111) == 0111;
    return true;
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

std::size_t RecordSize(std::size_t nameLength) {
    return (sizeof(WalkRecord) + nameLength + 1 + 7) & ~std::size_t{7};
}

} // namespace

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

OpenResult OpenComponent(int dirFd, const char* name, const FolderId* expected) {
    OpenResult result = Opened(::openat(dirFd, name, kFolderFlags | O_NOFOLLOW));
    if (result.fd >= 0 && expected &&
        (result.id.dev != expected->dev || result.id.ino != expected->ino)) {
        ::close(result.fd);
        result.fd = -1;
        result.why = NotRead::Changed;
    }
    return result;
}

OpenResult OpenRoot(const std::string& path) {
    // A text with a NUL in it names no folder; the system would see only its first part.
    if (path.find('\0') != std::string::npos) {
        OpenResult result;
        result.gone = true;
        return result;
    }
    return Opened(::open(path.c_str(), kFolderFlags));
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
        result =
            OpenComponent(current, component->name.data(), component == unseen ? nullptr : &seen);
        if (current != baseFd)
            ::close(current);
        if (result.fd < 0)
            break;
        current = result.fd;
    }
    return result;
}

OpenOutcome OpenFirstTime(WalkNode* node, int baseFd, const std::vector<WalkNode*>& path,
                          const std::string& rootPath, const HomeTrash& trash) {
    WalkNode* parent = node->parentNode;
    const OpenResult opened = parent ? OpenChain(baseFd, path, node) : OpenRoot(rootPath);
    OpenOutcome outcome;
    if (opened.fd < 0) {
        outcome.failed = !opened.gone;
        outcome.why = opened.why;
        return outcome;
    }
    node->dev = opened.id.dev;
    node->ino = opened.id.ino;
    node->mountTop = opened.id.mountRoot || (parent && opened.id.dev != parent->dev);
    for (const WalkNode* a = parent; a && !outcome.failed; a = a->parentNode)
        if (a->dev == node->dev && a->ino == node->ino) {
            outcome.failed = true;
            outcome.why = NotRead::FolderLoop;
        }
    if (parent && trash.valid && node->dev == trash.dev && node->ino == trash.ino)
        node->excluded = true;
    // A folder that can be listed but not searched: its entries could be neither examined
    // nor reached, so it is not read at all. Asked only when the mode does not already let
    // everyone search it (the usual case; an access list that takes search away from one
    // user despite such a mode is not looked at).
    if (!outcome.failed && !node->excluded && !opened.id.everyoneSearches &&
        ::faccessat(opened.fd, ".", X_OK, AT_EACCESS) != 0) {
        OpenResult denied;
        ClassifyError(errno, denied);
        outcome.failed = !denied.gone;
        outcome.why = denied.why;
        outcome.gone = denied.gone;
    }
    if (outcome.failed || outcome.gone || node->excluded) {
        ::close(opened.fd);
        return outcome;
    }
    node->fd = opened.fd;
    node->opened = true;
    return outcome;
}

HomeTrash HomeTrash::Find() {
    // The freedesktop Trash specification: $XDG_DATA_HOME/Trash, where an unset or
    // relative XDG_DATA_HOME means ~/.local/share.
    std::string data;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && xdg[0] == '/')
        data = xdg;
    else if (const char* home = std::getenv("HOME"); home && home[0] == '/')
        data = std::string(home) + "/.local/share";
    HomeTrash trash;
    struct stat st;
    if (!data.empty() && ::stat((data + "/Trash").c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        trash.valid = true;
        trash.dev = st.st_dev;
        trash.ino = st.st_ino;
    }
    return trash;
}

WalkNode* NewNode(WalkNode* parent, std::string_view name, std::size_t prefixLength) {
    void* memory = std::malloc(sizeof(WalkNode) + name.size() + 1);
    if (!memory)
        throw std::bad_alloc();
    auto* node = new (memory) WalkNode;
    char* text = reinterpret_cast<char*>(node + 1);
    if (!name.empty())
        std::memcpy(text, name.data(), name.size());
    text[name.size()] = '\0';
    node->name = std::string_view(text, name.size());
    node->parent = parent;
    node->parentNode = parent;
    node->depth = parent ? parent->depth + 1 : 0;
    node->id = g_nextFolderId.fetch_add(1, std::memory_order_relaxed);
    node->prefixLength = prefixLength;
    node->bytes = sizeof(WalkNode) + name.size() + 1;
    return node;
}

void DeleteNode(WalkNode* node) {
    node->~WalkNode();
    std::free(node);
}

void DeleteChunk(WalkChunk* chunk) {
    chunk->~WalkChunk();
    std::free(chunk);
}

CFolderReader::CFolderReader(bool recurse, const HomeTrash& trash)
    : m_recurse(recurse), m_trash(trash), m_buffer(kListingBuffer) {}

bool CFolderReader::IsTrash(const WalkNode* node, std::string_view name, std::uint64_t ino) const {
    if (node->mountTop && IsDriveTrashName(name))
        return true;
    // Found by the inode in the listing; should the listing's inode differ from the
    // folder's own (a mount point, some layered file systems), opening it tells instead.
    return m_trash.valid && node->dev == m_trash.dev && ino == m_trash.ino;
}

void CFolderReader::Keep(WalkNode* node, const char* name, std::size_t length, unsigned char type,
                         std::uint64_t ino) {
    WalkNode* child = nullptr;
    if (type == DT_DIR && m_recurse) {
        child = NewNode(node, std::string_view(name, length), node->prefixLength + length + 1);
        child->index = node->childCount++;
        m_children.push_back(child);
        m_childBytes += child->bytes;
    }
    const std::size_t at = m_records.size();
    m_records.resize(at + RecordSize(length));
    new (m_records.data() + at) WalkRecord{child, ino, static_cast<std::uint16_t>(length), type};
    std::memcpy(m_records.data() + at + sizeof(WalkRecord), name, length + 1);
}

ReadOutcome CFolderReader::Read(WalkNode* node, bool whole) {
    m_records.clear();
    m_children.clear();
    m_childBytes = 0;
    ReadOutcome outcome;
    while (whole || m_records.size() < kChunkTarget) {
        const ssize_t got = ::getdents64(node->fd, m_buffer.data(), m_buffer.size());
        if (got <= 0) {
            // A folder removed while it is listed simply ends; anything else is an error.
            outcome.readError = got < 0 && errno != ENOENT;
            outcome.end = true;
            break;
        }
        for (std::size_t at = 0; at < static_cast<std::size_t>(got);) {
            const auto* entry = reinterpret_cast<const dirent64*>(m_buffer.data() + at);
            at += entry->d_reclen;
            const char* name = entry->d_name;
            if (IsDotOrDotDot(name))
                continue;
            const std::size_t length = std::strlen(name);
            if (node->prefixLength + length >= PATH_MAX) {
                outcome.pathTooLong = true;
                continue;
            }
            unsigned char type = entry->d_type;
            if (type == DT_UNKNOWN) {
                // Some file systems leave the type open. An entry that cannot be examined
                // is taken as a file.
                struct stat st;
                if (::fstatat(node->fd, name, &st, AT_SYMLINK_NOFOLLOW) == 0)
                    type = IFTODT(st.st_mode);
            }
            if (type == DT_DIR && IsTrash(node, std::string_view(name, length), entry->d_ino))
                continue;
            Keep(node, name, length, type, entry->d_ino);
        }
    }
    outcome.children = &m_children;
    outcome.childBytes = m_childBytes;
    if (!m_records.empty()) {
        void* memory = std::malloc(sizeof(WalkChunk) + m_records.size());
        if (!memory)
            throw std::bad_alloc();
        auto* chunk = new (memory) WalkChunk;
        chunk->used = m_records.size();
        std::memcpy(chunk + 1, m_records.data(), m_records.size());
        outcome.chunk = chunk;
    }
    return outcome;
}
