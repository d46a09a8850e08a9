// The readers' side of a walk: which folder is read next, how far ahead, and which
// descriptors stay open (see TreeWalk.cpp for the whole picture).
#include "walk/WalkShared.h"

#include <algorithm>
#include <chrono>
#include <new>

namespace {

// A read that takes longer than this may have waited on the disk (or lost its core): a
// listing of a few dozen entries in the cache takes some microseconds, one of a few hundred
// some tens, and a read from a fast disk about a hundred. (A million files from a cache
// warm here: 60 reads of 33,000 past it. From a cold one most of them are, but only 400
// past a millisecond: at that mark the walk grew its readers late or not at all, and took
// 1.26 s where eight readers from the start took 1.02 s.)
constexpr std::chrono::microseconds kSlowRead{128};
// Every read is timed by the clock (no system call). Where the system counts a thread's
// sleeps (two system calls), they are looked at only in a read begun after one that the
// clock found slow: from a cold cache nearly every read is slow, so the next one tells at
// once whether they wait on the disk, and a warm walk, whose reads are slow only when a
// thread loses its core, makes nearly no such calls. (Counting the sleeps of one read in
// eight instead cost a warm walk about 1.5%; timing only one read in eight as well made a
// walk from a cold cache about a fifth slower: it found its slow reads later, and so grew
// its readers later.)

// How often CWalkMutex::lock tries before it sleeps, with a pause between tries: some
// microseconds, longer than the lock is ever held by a thread that keeps its core.
constexpr int kLockTries = 64;
constexpr int kPausesPerTry = 8;
// Descriptors whose closing may be put off at a time (they stay open meanwhile, within the
// descriptors kept spare), and nodes or lists of chunks whose freeing may.
constexpr std::size_t kDeferredFds = 4;
constexpr std::size_t kDeferredItems = 64;
// Subfolders one read may open as soon as it finds them, at most. Opened while their
// listing's descriptor is at hand, they leave it needed by nobody, so the reader closes it
// at once; a listing kept open until its last subfolder is opened is closed later, by any
// thread, when the system's memory of that listing has gone cold (on ext4 freeing it was
// about a twentieth of a warm walk's time).
constexpr long kOpenAtOnce = 32;

void Pause() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#elif defined(__aarch64__)
    asm volatile("yield");
#else
    std::this_thread::yield();
#endif
}

void UnlinkAlive(WalkNode*& head, WalkNode* node) {
    (node->prevAlive ? node->prevAlive->nextAlive : head) = node->nextAlive;
    if (node->nextAlive)
        node->nextAlive->prevAlive = node->prevAlive;
}

Place Up(const Place& place) {
    const WalkNode* p = place.parent;
    return {p->parentNode(), p->index, place.depth - 1};
}

// Whether a comes before b in the walk: depth-first, each folder's subfolders in listing
// order.
bool Before(Place a, Place b) {
    bool bDeeper = false;
    while (a.depth > b.depth)
        a = Up(a);
    while (b.depth > a.depth) {
        b = Up(b);
        bDeeper = true;
    }
    if (a.parent == b.parent && a.index == b.index)
        return bDeeper; // an ancestor comes before what is below it
    while (a.parent != b.parent) {
        a = Up(a);
        b = Up(b);
    }
    return a.index < b.index;
}

Place RestOf(const WalkNode* node) {
    return {node, node->childCount, node->depth + 1};
}

// For the heap: the top is the earliest.
bool Later(const Wanted& a, const Wanted& b) {
    return Before(b.place, a.place);
}

} // namespace

void CWalkMutex::lock() {
    for (int i = 0; i < kLockTries; ++i) {
        if (m_mutex.try_lock())
            return;
        for (int j = 0; j < kPausesPerTry; ++j)
            Pause();
    }
    m_mutex.lock();
}

void LinkAlive(WalkNode*& head, WalkNode* node) {
    node->nextAlive = head;
    if (head)
        head->prevAlive = node;
    head = node;
}

std::size_t ChunkListBytes(const WalkChunk* chunk) {
    std::size_t bytes = 0;
    for (; chunk; chunk = chunk->next)
        bytes += ChunkBytes(chunk);
    return bytes;
}

CDeferred::CDeferred() noexcept {
    try {
        m_fds.reserve(kDeferredFds);
        m_nodes.reserve(kDeferredItems);
        m_chunks.reserve(kDeferredItems);
    } catch (const std::bad_alloc&) {
        // No room: everything is done at once, under the lock.
    }
}

template <class T> bool CDeferred::Put(std::vector<T>& items, T item) {
    if (items.size() == items.capacity())
        return false; // growing could fail, and would allocate under the lock
    items.push_back(item);
    return true;
}

bool CDeferred::Close(int fd) {
    return Put(m_fds, fd);
}

bool CDeferred::Free(WalkNode* node) {
    return Put(m_nodes, node);
}

bool CDeferred::Free(WalkChunk* chunks) {
    return Put(m_chunks, chunks);
}

void CDeferred::Run() {
    for (const int fd : m_fds)
        CloseFolder(fd);
    for (WalkNode* node : m_nodes)
        DeleteNode(node);
    for (WalkChunk* chunks : m_chunks)
        FreeChunkList(chunks);
    m_fds.clear();
    m_nodes.clear();
    m_chunks.clear();
}

void CDeferred::swap(CDeferred& other) noexcept {
    m_fds.swap(other.m_fds);
    m_nodes.swap(other.m_nodes);
    m_chunks.swap(other.m_chunks);
}

void CTreeWalk::Shared::CloseLocked(int fd) {
    if (!deferred.Close(fd))
        CloseFolder(fd);
}

void CTreeWalk::Shared::DeleteNodeLocked(WalkNode* node) {
    if (!deferred.Free(node))
        DeleteNode(node);
}

std::size_t CTreeWalk::Shared::FreeChunksLocked(WalkChunk* chunks) {
    if (!chunks)
        return 0;
    const std::size_t bytes = ChunkListBytes(chunks);
    if (!deferred.Free(chunks))
        FreeChunkList(chunks);
    return bytes;
}

void CTreeWalk::Shared::UnlockAndRunDeferred(WalkLock& lock, CDeferred& into) {
    into.swap(deferred); // into is empty: the walk's room stays ready
    lock.unlock();
    into.Run();
}

std::size_t FreeChunkList(WalkChunk* chunk) {
    std::size_t bytes = 0;
    while (chunk) {
        WalkChunk* next = chunk->next;
        bytes += ChunkBytes(chunk);
        DeleteChunk(chunk);
        chunk = next;
    }
    return bytes;
}

Place PlaceOf(const WalkNode* node) {
    return {node->parentNode(), node->index, node->depth};
}

bool CanFree(const WalkNode* node) {
    return node->finished && !node->inQueue && node->state != NodeState::Busy &&
           node->aliveChildren == 0;
}

void CTreeWalk::Shared::WorkerLoop(Reader& reader) {
    WalkLock lock(mutex);
    for (;;) {
        if (reader.job.node)
            EndLocked(reader.job);
        while (!shutdown && !HasWorkLocked()) {
            ++idle;
            workCv.wait(lock);
            --idle;
        }
        if (shutdown)
            return;
        std::pop_heap(queue.begin(), queue.end(), Later);
        WalkNode* node = queue.back().node;
        queue.pop_back();
        node->inQueue = false;
        try {
            BeginLocked(reader.job, node);
        } catch (const std::bad_alloc&) {
            continue; // out of memory: the node stays unread, for the consumer to read
        }
        if (idle > 0 && HasWorkLocked())
            workCv.notify_one(); // more to read: one more reader wakes, and so on
        UnlockAndRunDeferred(lock, reader.deferred);
        Run(reader);
        lock.lock();
    }
}

bool CTreeWalk::Shared::HasWorkLocked() {
    if (bytesAhead >= kReadAheadBytes)
        throttled = true;
    return !throttled && !queue.empty() && !stop.load(std::memory_order_relaxed);
}

WalkNode* CTreeWalk::Shared::BaseLocked(WalkNode* from, std::vector<WalkNode*>& path) {
    WalkNode* base = from;
    while (base->fd < 0) { // the root stays open
        path.push_back(base);
        base = base->parentNode();
    }
    ++base->fdUsers; // keeps base->fd open until the job is done with it
    return base;
}

void CTreeWalk::Shared::BeginLocked(ReadJob& job, WalkNode* node) {
    const bool first = node->state == NodeState::Queued && !node->tried;
    job.path.clear();
    job.base = nullptr;
    if (first && node->parentNode()) {
        // The one allocation here, before anything changes: should it fail, the node and
        // the job are as they were.
        job.path.push_back(node);
        job.base = BaseLocked(node->parentNode(), job.path);
        job.baseFd = job.base->fd;
    }
    job.node = node;
    job.first = first;
    job.whole = held >= holdBudget;
    job.openRoom = recurse ? std::clamp(holdBudget - held - 1, 0L, kOpenAtOnce) : 0;
    job.openTried = 0;
    job.openedChildren = 0;
    held += job.openRoom;
    job.opened = {};
    job.read = {};
    job.measure = static_cast<long>(threads.size()) < maxReaders;
    job.countSleeps = job.measure && kCountsThreadSleeps && slowByClock;
    node->state = NodeState::Busy;
}

void CTreeWalk::Shared::Run(Reader& reader) {
    ReadJob& job = reader.job;
    job.read.end = true;
    const std::uint64_t sleeps = job.countSleeps ? ThreadSleeps() : 0;
    const auto start =
        job.measure ? std::chrono::steady_clock::now() : std::chrono::steady_clock::time_point{};
    try {
        if (job.first)
            job.opened = OpenFirstTime(job.node, job.baseFd, job.path, rootPath, trash);
        if (job.node->opened)
            job.read = reader.lister.Read(job.node, job.whole);
    } catch (const std::bad_alloc&) {
        // An exception leaving a reader's thread would end the program. The listing ends
        // here instead and the folder counts as not read ("out of memory"), so the table
        // says it is incomplete rather than quietly holding less.
        job.read = reader.lister.Abandon(job.node);
    }
    OpenFound(job);
    // Only a read that slept counts: one that lost its core midway (threads beyond the cores,
    // a busy machine) would be no faster with more readers.
    job.slowByClock = job.measure && std::chrono::steady_clock::now() - start > kSlowRead;
    job.slow =
        job.slowByClock && (!kCountsThreadSleeps || (job.countSleeps && ThreadSleeps() > sleeps));
}

void CTreeWalk::Shared::OpenFound(ReadJob& job) {
    WalkNode* node = job.node;
    if (!job.read.children || node->fd < 0 || stop.load(std::memory_order_relaxed))
        return;
    // The children are nobody else's until the job is published.
    for (WalkNode* child : *job.read.children) {
        if (job.openTried == job.openRoom)
            break;
        try {
            job.childPath.assign(1, child);
            const OpenOutcome opened =
                OpenFirstTime(child, node->fd, job.childPath, rootPath, trash);
            child->failed = opened.failed;
            child->failure = opened.why;
        } catch (const std::bad_alloc&) {
            break; // the rest is opened when it is read, as usual
        }
        child->tried = true;
        ++job.openTried;
        if (child->fd >= 0)
            ++job.openedChildren;
    }
}

void CTreeWalk::Shared::EndLocked(ReadJob& job) {
    WalkNode* node = job.node;
    job.node = nullptr;
    held += job.openedChildren - job.openRoom;
    slowReads = slowReads || job.slow;
    if (job.measure)
        slowByClock = job.slowByClock;
    if (job.base) {
        --job.base->fdUsers;
        MaybeCloseLocked(job.base);
    }
    if (job.first) {
        node->failed = job.opened.failed;
        node->failure = job.opened.why;
        if (node->fd >= 0)
            ++held;
        if (WalkNode* parent = node->parentNode()) {
            --parent->unopened;
            MaybeCloseLocked(parent);
        }
    }
    PublishLocked(node, job.read, job.openTried);
}

void CTreeWalk::Shared::PublishLocked(WalkNode* node, const ReadOutcome& read, long opened) {
    node->readError = node->readError || read.readError;
    node->pathTooLong = node->pathTooLong || read.pathTooLong;
    node->outOfMemory = node->outOfMemory || read.outOfMemory;
    if (read.chunk) {
        (node->last ? node->last->next : node->first) = read.chunk;
        node->last = read.chunk;
        bytesAhead += ChunkBytes(read.chunk);
    }
    static const std::vector<WalkNode*> none;
    const std::vector<WalkNode*>& children = read.children ? *read.children : none;
    bytesAhead += read.childBytes;
    node->unopened += static_cast<int>(children.size()) - static_cast<int>(opened);
    node->aliveChildren += static_cast<int>(children.size());
    for (WalkNode* child : children)
        LinkAlive(alive, child);

    if (read.end) {
        node->state = NodeState::Complete;
        MaybeCloseLocked(node);
    } else {
        // The rest of the listing is wanted after the subfolders just found.
        node->state = NodeState::Paused;
        WantLocked(node, RestOf(node));
    }
    for (WalkNode* child : children)
        WantLocked(child, PlaceOf(child));
    if (consumerWaitsFor == node)
        consumerCv.notify_one();
    if (idle > 0 && HasWorkLocked())
        workCv.notify_one();
}

void CTreeWalk::Shared::FreeNodeLocked(WalkNode* node) {
    // Freeing a node can leave its parent with nothing that needs it either.
    while (node) {
        UnlinkAlive(alive, node);
        bytesAhead -= node->bytes;
        bytesAhead -= FreeChunksLocked(node->first);
        node->first = node->last = nullptr;
        if (node->fd >= 0) {
            CloseLocked(node->fd);
            --held;
        }
        WalkNode* parent = node->parentNode();
        DeleteNodeLocked(node);
        if (parent)
            --parent->aliveChildren;
        node = parent && CanFree(parent) ? parent : nullptr;
    }
}

void CTreeWalk::Shared::MaybeCloseLocked(WalkNode* node) {
    // The root stays open: every reopen can start from it.
    if (node == root || node->fd < 0 || node->state != NodeState::Complete || node->fdUsers > 0)
        return;
    // Kept while subfolders still need it, unless descriptors are short: they are then
    // reopened through their ancestors.
    if (node->unopened > 0 && held <= holdBudget)
        return;
    CloseLocked(node->fd);
    node->fd = -1;
    --held;
}

void CTreeWalk::Shared::WantLocked(WalkNode* node, const Place& place) {
    try {
        queue.push_back({node, place});
    } catch (const std::bad_alloc&) {
        return; // out of memory: no reader takes it, the consumer reads it when it gets there
    }
    std::push_heap(queue.begin(), queue.end(), Later);
    node->inQueue = true;
}

void CTreeWalk::Shared::ReleaseLocked() {
    bytesAhead -= released;
    released = 0;
    if (throttled && bytesAhead < kReadAheadBytes / 2) {
        throttled = false;
        if (idle > 0 && HasWorkLocked())
            workCv.notify_one();
    }
}

void CTreeWalk::Shared::WaitWhileBusy(WalkNode* node, WalkLock& lock) {
    while (node->state == NodeState::Busy) {
        // A reader has it. Rather than sleep until it is done (a wake-up for nearly every
        // folder once the cache is warm and the count outruns the readers), the consumer
        // reads the folder wanted first meanwhile, as a reader would.
        if (HasWorkLocked()) {
            ReadNextLocked(lock);
            continue;
        }
        consumerWaitsFor = node;
        consumerCv.wait(lock);
    }
    consumerWaitsFor = nullptr;
}

void CTreeWalk::Shared::ReadNextLocked(WalkLock& lock) {
    std::pop_heap(queue.begin(), queue.end(), Later);
    WalkNode* next = queue.back().node;
    queue.pop_back();
    next->inQueue = false;
    try {
        BeginLocked(consumer.job, next);
    } catch (const std::bad_alloc&) {
        return; // out of memory: as with a reader, it stays unread until its turn comes
    }
    RunConsumerJobLocked(lock);
}

void CTreeWalk::Shared::ReadHereLocked(WalkNode* node, WalkLock& lock) {
    // Nobody has taken it yet: reading it here is quicker than waiting for a reader. It
    // leaves the queue (where it is normally on top: everything before it has been read).
    if (!queue.empty() && queue.front().node == node) {
        std::pop_heap(queue.begin(), queue.end(), Later);
        queue.pop_back();
    } else if (const auto it = std::find_if(queue.begin(), queue.end(),
                                            [node](const Wanted& w) { return w.node == node; });
               it != queue.end()) {
        queue.erase(it);
        std::make_heap(queue.begin(), queue.end(), Later);
    }
    node->inQueue = false;
    BeginLocked(consumer.job, node);
    RunConsumerJobLocked(lock);
}

void CTreeWalk::Shared::RunConsumerJobLocked(WalkLock& lock) {
    UnlockAndRunDeferred(lock, consumer.deferred);
    Run(consumer);
    lock.lock();
    EndLocked(consumer.job);
}

void CTreeWalk::Shared::TakeChunksLocked(WalkNode* node) {
    node->taken = node->first;
    node->first = node->last = nullptr;
    node->sawEnd = node->state == NodeState::Complete;
}
