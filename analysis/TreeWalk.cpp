// The walk's threads: which folder is read next, how far ahead, and which descriptors stay
// open. Opening and listing one folder is FolderReader.cpp's.
#include "analysis/WalkNode.h"

#include <algorithm>
#include <condition_variable>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

// Listings and folders read but not yet consumed, at most (a chunk in progress may pass
// it). Keeps the walk's memory small however big the tree or a single folder is.
constexpr std::size_t kReadAheadBytes = 1024 * 1024;
// Readers: reading folders from disk waits on the disk far more than on the processor, so
// there are more of them than cores.
constexpr int kReaders = 8;
// Descriptors left to the rest of the program, and kept free per reader for reopening a
// folder through its ancestors (two at a time) and for a reader that keeps a listing open
// while others do the same.
constexpr long kReservedDescriptors = 8;
constexpr long kDescriptorsPerReader = 4;
// Listings held open for their subfolders, at most, however high the limit is.
constexpr long kMaxHeldDescriptors = 512;

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

struct CTreeWalk::Shared {
    Shared(const std::string& path, bool recurse, const std::atomic<bool>& stopFlag)
        : rootPath(path), trash(HomeTrash::Find()), stop(stopFlag), hookReader(recurse, trash) {}

    std::mutex mutex;
    std::condition_variable workCv;
    std::condition_variable hookCv;
    std::vector<WalkNode*> stack; // the next folder to read on top
    std::size_t bytesAhead = 0;
    int idle = 0;
    bool hookWaiting = false;
    bool shutdown = false;
    long held = 0; // listings held open, the root's included
    long holdBudget = 1;
    WalkNode* alive = nullptr; // every node not yet freed

    const std::string rootPath;
    const HomeTrash trash;
    const std::atomic<bool>& stop;
    CFolderReader hookReader;
    std::vector<std::thread> threads;
};

namespace {

void LinkAlive(WalkNode*& head, WalkNode* node) {
    node->nextAlive = head;
    if (head)
        head->prevAlive = node;
    head = node;
}

void UnlinkAlive(WalkNode*& head, WalkNode* node) {
    (node->prevAlive ? node->prevAlive->nextAlive : head) = node->nextAlive;
    if (node->nextAlive)
        node->nextAlive->prevAlive = node->prevAlive;
}

void FreeChunks(WalkNode* node, std::size_t& bytesAhead) {
    while (WalkChunk* chunk = node->first) {
        node->first = chunk->next;
        bytesAhead -= ChunkBytes(chunk);
        DeleteChunk(chunk);
    }
    node->last = nullptr;
}

bool CanFree(const WalkNode* node) {
    return node->finished && node->stackRefs == 0 && node->state != NodeState::Busy &&
           node->aliveChildren == 0;
}

} // namespace

CTreeWalk::CTreeWalk(const std::string& rootPath, std::size_t entryPrefixLength, bool recurse,
                     const std::atomic<bool>& stop)
    : m_shared(std::make_unique<Shared>(rootPath, recurse, stop)) {
    Shared& s = *m_shared;
    rlimit limit{};
    ::getrlimit(RLIMIT_NOFILE, &limit);
    const long soft = limit.rlim_cur == RLIM_INFINITY ? 1L << 20 : static_cast<long>(limit.rlim_cur);
    const long spare = soft - OpenDescriptors() - kReservedDescriptors;
    const long readers = std::clamp((spare - 4) / (kDescriptorsPerReader + 1), 1L, long{kReaders});
    s.holdBudget = std::clamp(spare - kDescriptorsPerReader * (readers + 1), 1L, kMaxHeldDescriptors);

    m_root = NewNode(nullptr, {}, entryPrefixLength);
    s.bytesAhead += m_root->bytes;
    LinkAlive(s.alive, m_root);
    s.stack.push_back(m_root);
    m_root->stackRefs = 1;
    if (!recurse)
        return; // one listing: the caller's thread reads it
    for (long i = 0; i < readers; ++i)
        s.threads.emplace_back([this, recurse] {
            CFolderReader reader(recurse, m_shared->trash);
            WorkerLoop(reader);
        });
}

CTreeWalk::~CTreeWalk() {
    Shared& s = *m_shared;
    {
        std::lock_guard lock(s.mutex);
        s.shutdown = true;
    }
    s.workCv.notify_all();
    for (std::thread& t : s.threads)
        t.join();
    // Alone now: whatever was read ahead and never consumed goes.
    while (WalkNode* node = s.alive) {
        s.alive = node->nextAlive;
        if (node->fd >= 0)
            ::close(node->fd);
        FreeChunks(node, s.bytesAhead);
        DeleteNode(node);
    }
}

const WalkFolder& CTreeWalk::Folder(const WalkNode* node) {
    return *node;
}

const WalkRecord* CTreeWalk::First(const WalkChunk* chunk) {
    return chunk->used ? reinterpret_cast<const WalkRecord*>(chunk + 1) : nullptr;
}

const WalkRecord* CTreeWalk::Next(const WalkChunk* chunk, const WalkRecord* record) {
    const auto* base = reinterpret_cast<const char*>(chunk + 1);
    const std::size_t size = (sizeof(WalkRecord) + record->length + 1 + 7) & ~std::size_t{7};
    const char* next = reinterpret_cast<const char*>(record) + size;
    return next < base + chunk->used ? reinterpret_cast<const WalkRecord*>(next) : nullptr;
}

void CTreeWalk::WorkerLoop(CFolderReader& reader) {
    Shared& s = *m_shared;
    std::unique_lock lock(s.mutex);
    for (;;) {
        while (!s.shutdown && (s.stack.empty() || s.bytesAhead >= kReadAheadBytes ||
                               s.stop.load(std::memory_order_relaxed))) {
            ++s.idle;
            s.workCv.wait(lock);
            --s.idle;
        }
        if (s.shutdown)
            return;
        WalkNode* node = s.stack.back();
        s.stack.pop_back();
        --node->stackRefs;
        if (ClaimLocked(node))
            ReadClaimed(reader, node, lock);
    }
}

bool CTreeWalk::ClaimLocked(WalkNode* node) {
    if (node->state == NodeState::Queued || node->state == NodeState::Paused)
        return true;
    // Taken by the consumer meanwhile; the stack's reference was the last thing holding it.
    if (CanFree(node))
        FreeNodeLocked(node);
    return false;
}

void CTreeWalk::FreeNodeLocked(WalkNode* node) {
    Shared& s = *m_shared;
    // Freeing a node can leave its parent with nothing that needs it either.
    while (node) {
        UnlinkAlive(s.alive, node);
        s.bytesAhead -= node->bytes;
        FreeChunks(node, s.bytesAhead);
        if (node->fd >= 0) {
            ::close(node->fd);
            --s.held;
        }
        WalkNode* parent = node->parentNode;
        DeleteNode(node);
        if (parent)
            --parent->aliveChildren;
        node = parent && CanFree(parent) ? parent : nullptr;
    }
    if (s.idle > 0)
        s.workCv.notify_one();
}

void CTreeWalk::MaybeCloseLocked(WalkNode* node) {
    Shared& s = *m_shared;
    // The root stays open: every reopen can start from it.
    if (node == m_root || node->fd < 0 || node->state != NodeState::Complete || node->fdUsers > 0)
        return;
    // Kept while subfolders still need it, unless descriptors are short: they are then
    // reopened through their ancestors.
    if (node->unopened > 0 && s.held <= s.holdBudget)
        return;
    ::close(node->fd);
    node->fd = -1;
    --s.held;
}

OpenResult CTreeWalk::OpenThrough(WalkNode* target, bool targetKnown) {
    Shared& s = *m_shared;
    // The components from the nearest open ancestor down to target, deepest first.
    thread_local std::vector<WalkNode*> path;
    path.clear();
    WalkNode* base = target;
    int baseFd;
    {
        std::lock_guard lock(s.mutex);
        if (!targetKnown) {
            path.push_back(target);
            base = target->parentNode;
        }
        while (base->fd < 0) { // the root is always open
            path.push_back(base);
            base = base->parentNode;
        }
        ++base->fdUsers; // keeps base->fd open until we are done with it
        baseFd = base->fd;
    }
    OpenResult result;
    if (path.empty()) {
        result.fd = ::fcntl(baseFd, F_DUPFD_CLOEXEC, 0);
        if (result.fd < 0)
            ClassifyError(errno, result);
    }
    int current = baseFd;
    for (std::size_t i = path.size(); i-- > 0;) {
        const WalkNode* component = path[i];
        // Folders opened before are checked against what they were then.
        const FolderId seen{component->dev, component->ino, false};
        const bool known = component != target || targetKnown;
        result = OpenComponent(current, component->name.data(), known ? &seen : nullptr);
        if (current != baseFd)
            ::close(current);
        if (result.fd < 0)
            break;
        current = result.fd;
    }
    std::lock_guard lock(s.mutex);
    --base->fdUsers;
    MaybeCloseLocked(base);
    return result;
}

void CTreeWalk::OpenClaimed(WalkNode* node, OpenOutcome& outcome) {
    WalkNode* parent = node->parentNode;
    OpenResult opened = parent ? OpenThrough(node, false) : OpenRoot(m_shared->rootPath);
    if (opened.fd < 0) {
        outcome.failed = !opened.gone;
        outcome.why = opened.why;
        return;
    }
    node->dev = opened.id.dev;
    node->ino = opened.id.ino;
    node->mountTop = opened.id.mountRoot || (parent && opened.id.dev != parent->dev);
    const HomeTrash& trash = m_shared->trash;
    for (const WalkNode* a = parent; a && !outcome.failed; a = a->parentNode)
        if (a->dev == node->dev && a->ino == node->ino) {
            outcome.failed = true;
            outcome.why = NotRead::FolderLoop;
        }
    if (!outcome.failed && parent && trash.valid && node->dev == trash.dev && node->ino == trash.ino)
        node->excluded = true;
    // A folder that can be listed but not searched: its entries could be neither examined
    // nor reached, so it is not read at all.
    if (!outcome.failed && !node->excluded && ::faccessat(opened.fd, ".", X_OK, AT_EACCESS) != 0) {
        OpenResult denied;
        ClassifyError(errno, denied);
        outcome.failed = !denied.gone;
        outcome.why = denied.why;
        outcome.gone = denied.gone;
    }
    if (outcome.failed || outcome.gone || node->excluded) {
        ::close(opened.fd);
        return;
    }
    node->fd = opened.fd;
    node->opened = true;
}

void CTreeWalk::ReadClaimed(CFolderReader& reader, WalkNode* node,
                            std::unique_lock<std::mutex>& lock) {
    Shared& s = *m_shared;
    const bool first = node->state == NodeState::Queued;
    node->state = NodeState::Busy;
    // No descriptor to spare for a listing left open half read: read it to its end.
    const bool whole = s.held >= s.holdBudget;
    lock.unlock();

    OpenOutcome opened;
    if (first)
        OpenClaimed(node, opened);
    ReadOutcome read;
    read.end = true;
    if (node->opened)
        read = reader.Read(node, whole);

    lock.lock();
    if (first) {
        node->failed = opened.failed;
        node->failure = opened.why;
        if (node->fd >= 0)
            ++s.held;
        if (WalkNode* parent = node->parentNode) {
            --parent->unopened;
            MaybeCloseLocked(parent);
        }
    }
    Publish(node, read);
}

void CTreeWalk::Publish(WalkNode* node, const ReadOutcome& read) {
    Shared& s = *m_shared;
    node->readError = node->readError || read.readError;
    node->pathTooLong = node->pathTooLong || read.pathTooLong;
    if (read.chunk) {
        (node->last ? node->last->next : node->first) = read.chunk;
        node->last = read.chunk;
        s.bytesAhead += ChunkBytes(read.chunk);
    }
    static const std::vector<WalkNode*> none;
    const std::vector<WalkNode*>& children = read.children ? *read.children : none;
    s.bytesAhead += read.childBytes;
    node->unopened += static_cast<int>(children.size());
    node->aliveChildren += static_cast<int>(children.size());
    for (WalkNode* child : children)
        LinkAlive(s.alive, child);

    std::size_t pushed = 0;
    if (read.end) {
        node->state = NodeState::Complete;
        MaybeCloseLocked(node);
    } else {
        // The rest of the listing is wanted after the subfolders just found.
        node->state = NodeState::Paused;
        s.stack.push_back(node);
        ++node->stackRefs;
        ++pushed;
    }
    // The first subfolder on top: it is the one the walk will want first.
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        s.stack.push_back(*it);
        (*it)->stackRefs = 1;
        ++pushed;
    }
    if (s.hookWaiting)
        s.hookCv.notify_one();
    if (pushed >= static_cast<std::size_t>(s.idle))
        s.workCv.notify_all();
    else
        while (pushed-- > 0)
            s.workCv.notify_one();
}

const WalkChunk* CTreeWalk::NextChunk(WalkNode* node) {
    Shared& s = *m_shared;
    std::unique_lock lock(s.mutex);
    for (;;) {
        if (WalkChunk* chunk = node->first) {
            node->first = chunk->next;
            if (!node->first)
                node->last = nullptr;
            return chunk;
        }
        if (node->state == NodeState::Complete)
            return nullptr;
        if (node->state == NodeState::Busy) {
            s.hookWaiting = true;
            s.hookCv.wait(lock);
            s.hookWaiting = false;
            continue;
        }
        // Nobody has taken it yet: reading it here is quicker than waiting for a reader.
        ReadClaimed(s.hookReader, node, lock);
    }
}

void CTreeWalk::ReleaseChunk(const WalkChunk* chunk) {
    Shared& s = *m_shared;
    {
        std::lock_guard lock(s.mutex);
        s.bytesAhead -= ChunkBytes(chunk);
        if (s.idle > 0 && !s.stack.empty())
            s.workCv.notify_one();
    }
    DeleteChunk(const_cast<WalkChunk*>(chunk));
}

bool CTreeWalk::Prepare(WalkNode* node) {
    Shared& s = *m_shared;
    std::unique_lock lock(s.mutex);
    while (node->state == NodeState::Busy) {
        s.hookWaiting = true;
        s.hookCv.wait(lock);
        s.hookWaiting = false;
    }
    if (node->state == NodeState::Queued)
        ReadClaimed(s.hookReader, node, lock);
    return !node->excluded;
}

void CTreeWalk::Finish(WalkNode* node, bool complete, CWalkProblems& problems) {
    Shared& s = *m_shared;
    std::lock_guard lock(s.mutex);
    if (node->failed)
        problems.Add(node->failure);
    else if (complete && node->readError)
        problems.Add(NotRead::ReadError);
    else if (complete && node->pathTooLong)
        problems.Add(NotRead::PathTooLong);
    node->finished = true;
    FreeChunks(node, s.bytesAhead);
    if (CanFree(node))
        FreeNodeLocked(node);
}

int CTreeWalk::OpenFolder(const WalkFolder& folder) {
    // Every WalkFolder a walk hands out is one of its nodes.
    auto* node = static_cast<WalkNode*>(const_cast<WalkFolder*>(&folder));
    return OpenThrough(node, true).fd;
}
