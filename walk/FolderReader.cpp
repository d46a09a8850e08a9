// The rules of one folder's listing, for every platform: what is an entry, what is walked
// into, what is skipped as the trash; the first opening of a folder; nodes and chunks. How
// a folder is opened and listed is the platform's (WalkNode.h).
#include "platform/core/TrashFolders.h"
#include "walk/WalkNode.h"
#include "walk/WalkShared.h"

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
std::atomic<long> g_liveWalks{0};

// Folder ids a thread takes from g_nextFolderId at a time: taking one each, the threads
// of a walk would pass that counter between their cores for every folder.
constexpr std::uint64_t kIdsAtOnce = 1024;

std::uint64_t NextFolderId() {
    thread_local std::uint64_t next = 0, end = 0;
    if (next == end) {
        next = g_nextFolderId.fetch_add(kIdsAtOnce, std::memory_order_relaxed);
        end = next + kIdsAtOnce;
    }
    return next++;
}

// Where nodes and chunks come from. Those given back are kept for the next one of the same
// size (rounded up to kStep) rather than returned to the C library: a reader makes them
// and the consumer frees them, so each would go back to another thread's heap, under that
// heap's lock, and the next be cut afresh from it. Up to kKeptBytes are kept, and none
// once no walk is left. It also counts what is out (LiveWalkAllocations), under the lock
// it takes anyway.
class CBlockPool {
public:
    // A block of at least bytes; null when there is no memory. node: a node, else a chunk.
    void* Take(std::size_t bytes, bool node) {
        const std::size_t size = Rounded(bytes);
        void* block = nullptr;
        {
            std::lock_guard<CWalkMutex> lock(m_mutex);
            if (size <= kLargest && m_free[Class(size)]) {
                Block* kept = m_free[Class(size)];
                m_free[Class(size)] = kept->next;
                m_bytes -= size;
                block = kept;
            }
            ++(node ? m_out.nodes : m_out.chunks);
        }
        if (!block)
            block = Allocate(size);
        if (!block)
            Count(node, -1);
        return block;
    }
    // Gives back a block Take(bytes, node) gave.
    void Give(void* memory, std::size_t bytes, bool node) {
        const std::size_t size = Rounded(bytes);
        {
            std::lock_guard<CWalkMutex> lock(m_mutex);
            --(node ? m_out.nodes : m_out.chunks);
            if (size <= kLargest && m_bytes + size <= kKeptBytes &&
                g_liveWalks.load(std::memory_order_relaxed) > 0) {
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
        std::lock_guard<CWalkMutex> lock(m_mutex);
        for (Block*& list : m_free)
            while (Block* block = list) {
                list = block->next;
                std::free(block);
            }
        m_bytes = 0;
    }
    WalkAllocations Out() {
        std::lock_guard<CWalkMutex> lock(m_mutex);
        return m_out;
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
    // A block that starts a cache line where the C library has such a call (not the one of
    // Windows, whose aligned blocks need a free of their own), so that what other threads
    // write of one block never shares a line with the start of the next.
    static void* Allocate(std::size_t size) {
#ifdef _WIN32
        return std::malloc(size);
#else
        return size <= kLargest ? std::aligned_alloc(kStep, size) : std::malloc(size);
#endif
    }
    static std::size_t Rounded(std::size_t bytes) {
        return bytes <= kLargest ? (bytes + kStep - 1) / kStep * kStep : bytes;
    }
    static std::size_t Class(std::size_t size) {
        return size / kStep - 1;
    }
    void Count(bool node, long change) {
        std::lock_guard<CWalkMutex> lock(m_mutex);
        (node ? m_out.nodes : m_out.chunks) += change;
    }

    CWalkMutex m_mutex;
    std::array<Block*, kLargest / kStep> m_free{};
    std::size_t m_bytes = 0;
    WalkAllocations m_out;
};

CBlockPool g_pool;

// The bit of WalkNode::ancestorBits that stands for folder.
std::uint64_t FolderBit(const WalkFolder& folder) {
    const std::uint64_t mixed =
        (folder.ino ^ folder.dev * 0xC2B2AE3D27D4EB4Full) * 0x9E3779B97F4A7C15ull;
    return std::uint64_t{1} << (mixed >> 58);
}

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
    WalkNode* parent = node->parentNode();
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
    node->ancestorBits = parent ? parent->ancestorBits | FolderBit(*parent) : 0;
    if (node->ancestorBits & FolderBit(*node))
        for (const WalkNode* a = parent; a && !outcome.failed; a = a->parentNode())
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
    void* memory = g_pool.Take(sizeof(WalkNode) + name.size() + 1, true);
    if (!memory)
        throw std::bad_alloc();
    auto* node = new (memory) WalkNode;
    char* text = reinterpret_cast<char*>(node + 1);
    if (!name.empty())
        std::memcpy(text, name.data(), name.size());
    text[name.size()] = '\0';
    node->name = std::string_view(text, name.size());
    node->parent = parent;
    node->depth = parent ? parent->depth + 1 : 0;
    node->id = NextFolderId();
    node->prefixLength = prefixLength;
    node->bytes = sizeof(WalkNode) + name.size() + 1;
    return node;
}

void DeleteNode(WalkNode* node) {
    const std::size_t bytes = sizeof(WalkNode) + node->name.size() + 1;
    node->~WalkNode();
    g_pool.Give(node, bytes, true);
}

WalkChunk* NewChunk(std::size_t used) {
    void* memory = g_pool.Take(sizeof(WalkChunk) + used, false);
    if (!memory)
        throw std::bad_alloc();
    auto* chunk = new (memory) WalkChunk;
    chunk->used = used;
    return chunk;
}

void DeleteChunk(WalkChunk* chunk) {
    const std::size_t bytes = sizeof(WalkChunk) + chunk->used;
    chunk->~WalkChunk();
    g_pool.Give(chunk, bytes, false);
}

WalkAllocations LiveWalkAllocations() {
    return g_pool.Out();
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
