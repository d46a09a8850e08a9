// The rules of one folder's listing, for every platform: what is an entry, what is walked
// into, what is skipped as the trash; the first opening of a folder; nodes and chunks. How
// a folder is opened and listed is the platform's (WalkNode.h).
#include "platform/core/TrashFolders.h"
#include "walk/WalkNode.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>

namespace {

// The record room a reader starts with: a read stops soon after kChunkTarget.
constexpr std::size_t kFirstRoom = 2 * kChunkTarget;

std::atomic<std::uint64_t> g_nextFolderId{1};
std::atomic<long> g_liveNodes{0};
std::atomic<long> g_liveChunks{0};
std::atomic<long> g_liveWalks{0};

// Nodes and chunks given back, kept for the next one of the same size (rounded up to
// kStep) rather than returned to the C library: a reader makes them and the consumer
// frees them, so each would go back to another thread's heap, under that heap's lock, and
// the next be cut afresh from it. Up to kKeptBytes are kept, and none once no walk is left.
class CBlockPool {
public:
    static std::size_t Rounded(std::size_t bytes) {
        return bytes <= kLargest ? (bytes + kStep - 1) / kStep * kStep : bytes;
    }
    // A block of Rounded(bytes); null when there is no memory.
    void* Take(std::size_t bytes) {
        const std::size_t size = Rounded(bytes);
        if (size <= kLargest) {
            std::lock_guard lock(m_mutex);
            if (Block* block = m_free[Class(size)]) {
                m_free[Class(size)] = block->next;
                m_bytes -= size;
                return block;
            }
        }
        return std::malloc(size);
    }
    // Gives back a block Take(bytes) gave.
    void Give(void* memory, std::size_t bytes) {
        const std::size_t size = Rounded(bytes);
        if (size <= kLargest) {
            std::lock_guard lock(m_mutex);
            if (m_bytes + size <= kKeptBytes && g_liveWalks.load(std::memory_order_relaxed) > 0) {
                auto* block = static_cast<Block*>(memory);
                block->next = m_free[Class(size)];
                m_free[Class(size)] = block;
                m_bytes += size;
                return;
            }
        }
        std::free(memory);
    }
    void Clear() {
        std::lock_guard lock(m_mutex);
        for (Block*& list : m_free)
            while (Block* block = list) {
                list = block->next;
                std::free(block);
            }
        m_bytes = 0;
    }

private:
    static constexpr std::size_t kStep = 64;
    static constexpr std::size_t kLargest = 8 * 1024;
#ifdef __SANITIZE_ADDRESS__
    static constexpr std::size_t kKeptBytes = 0; // every free seen by the sanitizer
#else
    static constexpr std::size_t kKeptBytes = 256 * 1024;
#endif
    struct Block {
        Block* next;
    };
    static std::size_t Class(std::size_t size) {
        return size / kStep - 1;
    }

    std::mutex m_mutex;
    std::array<Block*, kLargest / kStep> m_free{};
    std::size_t m_bytes = 0;
};

CBlockPool g_pool;

} // namespace

void WalkBegins() {
    g_liveWalks.fetch_add(1, std::memory_order_relaxed);
}

void WalkEnds() {
    if (g_liveWalks.fetch_sub(1, std::memory_order_relaxed) == 1)
        g_pool.Clear();
}

OpenResult Expect(OpenResult result, const FolderId* expected) {
    if (result.fd >= 0 && expected &&
        (result.id.dev != expected->dev || result.id.ino != expected->ino)) {
        CloseFolder(result.fd);
        result.fd = -1;
        result.why = NotRead::Changed;
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
    // Another file system starts only where the device changes or a mount does.
    node->fileSystem = parent && !node->mountTop ? parent->fileSystem : FileSystemOf(opened.fd);
    node->endsAtShortRead = EndsAtShortRead(node->fileSystem, opened.id);
    for (const WalkNode* a = parent; a && !outcome.failed; a = a->parentNode)
        if (a->dev == node->dev && a->ino == node->ino) {
            outcome.failed = true;
            outcome.why = NotRead::FolderLoop;
        }
    if (parent && trash.valid && node->dev == trash.dev && node->ino == trash.ino)
        node->excluded = true;
    // A folder that can be listed but not searched is not read at all.
    if (OpenResult denied;
        !outcome.failed && !node->excluded && !CanSearch(opened.fd, opened.id, denied)) {
        outcome.failed = !denied.gone;
        outcome.why = denied.why;
        outcome.gone = denied.gone;
    }
    if (outcome.failed || outcome.gone || node->excluded) {
        CloseFolder(opened.fd);
        return outcome;
    }
    node->fd = opened.fd;
    node->opened = true;
    return outcome;
}

WalkNode* NewNode(WalkNode* parent, std::string_view name, std::size_t prefixLength) {
    void* memory = g_pool.Take(sizeof(WalkNode) + name.size() + 1);
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
    g_liveNodes.fetch_add(1, std::memory_order_relaxed);
    return node;
}

void DeleteNode(WalkNode* node) {
    const std::size_t bytes = sizeof(WalkNode) + node->name.size() + 1;
    node->~WalkNode();
    g_pool.Give(node, bytes);
    g_liveNodes.fetch_sub(1, std::memory_order_relaxed);
}

WalkChunk* NewChunk(std::size_t used) {
    void* memory = g_pool.Take(sizeof(WalkChunk) + used);
    if (!memory)
        throw std::bad_alloc();
    auto* chunk = new (memory) WalkChunk;
    chunk->used = used;
    g_liveChunks.fetch_add(1, std::memory_order_relaxed);
    return chunk;
}

void DeleteChunk(WalkChunk* chunk) {
    const std::size_t bytes = sizeof(WalkChunk) + chunk->used;
    chunk->~WalkChunk();
    g_pool.Give(chunk, bytes);
    g_liveChunks.fetch_sub(1, std::memory_order_relaxed);
}

WalkAllocations LiveWalkAllocations() {
    return {g_liveNodes.load(std::memory_order_relaxed),
            g_liveChunks.load(std::memory_order_relaxed)};
}

CFolderReader::CFolderReader(bool recurse, bool sizes, const HomeTrash& trash)
    : m_recurse(recurse), m_sizes(sizes), m_trash(trash) {}

bool CFolderReader::IsTrash(const WalkNode* node, std::string_view name, std::uint64_t ino) const {
    if (node->mountTop && IsDriveTrashName(name))
        return true;
    // Found by the inode in the listing; should the listing's inode differ from the
    // folder's own (a mount point, some layered file systems), opening it tells instead.
    return m_trash.valid && node->dev == m_trash.dev && ino == m_trash.ino;
}

void CFolderReader::Keep(WalkNode* node, const char* name, std::size_t length, unsigned char type,
                         std::uint64_t ino, std::uint64_t size) {
    WalkNode* child = nullptr;
    if (type == DT_DIR && m_recurse) {
        // Its place first: a node is never made without somewhere to keep it (Abandon).
        m_children.push_back(nullptr);
        child = NewNode(node, std::string_view(name, length), node->prefixLength + length + 1);
        m_children.back() = child;
        // The listing's inode until the folder is opened; where a folder is reached by its
        // path (Windows), opening it checks that it is still this one.
        child->ino = ino;
        child->index = node->childCount++;
        m_childBytes += child->bytes;
    }
    const std::size_t bytes = WalkRecord::Size(length);
    if (m_recordBytes + bytes > m_records.size()) // rarely: the room is kept from read to read
        m_records.resize(std::max({2 * m_records.size(), m_recordBytes + bytes, kFirstRoom}));
    char* record = &m_records[m_recordBytes].byte;
    m_recordBytes += bytes;
    new (record) WalkRecord{child, ino, child ? kSizeUnknown : size,
                            static_cast<std::uint16_t>(length), type};
    std::memcpy(record + sizeof(WalkRecord), name, length + 1);
}

void CFolderReader::StartRead() {
    m_recordBytes = 0;
    m_children.clear();
    m_childBytes = 0;
    m_reading = true;
}

ReadOutcome CFolderReader::Abandon(WalkNode* node) {
    if (m_reading)
        for (WalkNode* child : m_children)
            if (child) {
                --node->childCount;
                DeleteNode(child);
            }
    StartRead();
    ReadOutcome outcome;
    outcome.end = true;
    outcome.outOfMemory = true;
    return FinishRead(outcome); // nothing kept: allocates nothing
}

ReadOutcome CFolderReader::FinishRead(ReadOutcome outcome) {
    outcome.children = &m_children;
    outcome.childBytes = m_childBytes;
    if (m_recordBytes > 0) {
        WalkChunk* chunk = NewChunk(m_recordBytes);
        std::memcpy(chunk + 1, &m_records.front().byte, m_recordBytes);
        outcome.chunk = chunk;
    }
    m_reading = false;
    return outcome;
}
