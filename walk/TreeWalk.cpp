// A walk: its readers started and stopped, and the consumer's side. The readers' side is
// WalkReaders.cpp's; opening and listing one folder is FolderReader.cpp's and the
// platform's folder access (WalkNode.h).
//
// Every folder is a node. Readers take the next node from a queue ordered the way the walk
// will want them (depth-first, in listing order): a listing's subfolders join it as soon as
// it is read, and a big listing read in pieces has its rest wanted after the subfolders
// found so far.
// The consumer takes listings node by node in walk order; a node nobody has taken yet it
// reads itself. A read opens the subfolders it finds right away, as many as the
// descriptor budget allows, and then needs the listing's descriptor no more. A node keeps
// its descriptor while it has subfolders not opened yet and the budget allows; otherwise
// subfolders are reopened from the nearest open ancestor through checked components. One
// lock guards the queue, the states and the descriptors; a reader takes it once per folder
// (publishing what it read and taking the next), the consumer about twice.
#include "walk/WalkShared.h"

#include <algorithm>
#include <system_error>

namespace {

// Readers: one fewer than there are cores (the consumer reads as well whenever it would
// wait), and more, up to kReaders, while listings wait on the disk (each read that takes
// longer than kSlowRead asleep adds one): from a cold cache, on 2 cores and a million
// files, 8 to 16 readers take about 0.6 of the time of 4 and half that of 2, and 16 took
// 0.92 of the time of 8 on the next machine (for some 1 MB more at the peak); from a warm
// cache, threads beyond the cores only take turns with each other and with the count (a
// futex call and a context switch for every other folder), so a read that was slow
// because it lost its core does not count.
constexpr long kReaders = 16;
// Descriptors left to the rest of the program, and kept free per reader for reopening a
// folder through its ancestors (two at a time) and for a reader that keeps a listing open
// while others do the same.
constexpr long kReservedDescriptors = 8;
constexpr long kDescriptorsPerReader = 4;
// Listings held open for their subfolders, at most, however high the limit is.
constexpr long kMaxHeldDescriptors = 512;

} // namespace

CTreeWalk::CTreeWalk(const std::string& rootPath, std::size_t entryPrefixLength, bool recurse,
                     bool sizes, const std::atomic<bool>& stop)
    : m_shared(std::make_unique<Shared>(rootPath, recurse, sizes, stop)) {
    Shared& s = *m_shared;
    const long spare = SpareFolderHandles() - kReservedDescriptors;
    s.maxReaders = std::clamp((spare - 4) / (kDescriptorsPerReader + 1), 1L, kReaders);
    s.holdBudget =
        std::clamp(spare - kDescriptorsPerReader * (s.maxReaders + 1), 1L, kMaxHeldDescriptors);

    m_root = s.root = NewNode(nullptr, {}, entryPrefixLength);
    WalkBegins();
    s.bytesAhead += m_root->bytes;
    LinkAlive(s.alive, m_root);
    s.WantLocked(m_root, PlaceOf(m_root));
    if (!recurse) {
        s.maxReaders = 0; // one listing: the consumer reads it
        return;
    }
    s.threads.reserve(static_cast<std::size_t>(s.maxReaders));
    const long cores = std::max(1L, static_cast<long>(std::thread::hardware_concurrency()));
    const long first = std::max(1L, cores - 1); // the consumer reads too (WaitWhileBusy)
    for (long i = std::min(first, s.maxReaders); i > 0 && s.StartReader(); --i) {
    }
}

bool CTreeWalk::Shared::StartReader() {
    try {
        threads.emplace_back([this] {
            Reader reader(recurse, sizes, trash);
            WorkerLoop(reader);
        });
        return true;
    } catch (const std::system_error&) {
        // No more threads (the user's process limit, a container's pids.max): the readers
        // that did start are enough, and with none at all the consumer reads every folder
        // itself (Prepare, NextChunk).
        maxReaders = static_cast<long>(threads.size());
        return false;
    }
}

void CTreeWalk::Shared::MoreReadersLocked() {
    if (slowReads && static_cast<long>(threads.size()) < maxReaders) {
        slowReads = false;
        StartReader();
    }
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
    s.deferred.Run();
    // Alone now: whatever was read ahead and never consumed goes.
    while (WalkNode* node = s.alive) {
        s.alive = node->nextAlive;
        CloseFolder(node->fd);
        FreeChunkList(node->first);
        FreeChunkList(node->taken);
        FreeChunkList(node->current);
        DeleteNode(node);
    }
    WalkEnds();
}

const WalkFolder& CTreeWalk::Folder(const WalkNode* node) {
    return *node;
}

bool CTreeWalk::Prepare(WalkNode* node) {
    Shared& s = *m_shared;
    WalkLock lock(s.mutex);
    s.MoreReadersLocked();
    s.ReleaseLocked();
    s.WaitWhileBusy(node, lock);
    if (node->state == NodeState::Queued)
        s.ReadHereLocked(node, lock);
    s.TakeChunksLocked(node);
    s.UnlockAndRunDeferred(lock, s.consumer.deferred);
    return !node->excluded;
}

const WalkChunk* CTreeWalk::NextChunk(WalkNode* node) {
    Shared& s = *m_shared;
    WalkChunk* done = node->current;
    node->current = nullptr;
    if (done)
        s.released += ChunkBytes(done);
    if (!node->taken && !node->sawEnd) {
        WalkLock lock(s.mutex);
        s.MoreReadersLocked();
        s.ReleaseLocked();
        for (;;) {
            s.WaitWhileBusy(node, lock);
            if (node->first || node->state == NodeState::Complete)
                break;
            s.ReadHereLocked(node, lock);
        }
        s.TakeChunksLocked(node);
        s.UnlockAndRunDeferred(lock, s.consumer.deferred);
    }
    if (done)
        DeleteChunk(done);
    if (WalkChunk* chunk = node->taken) {
        node->taken = chunk->next;
        chunk->next = nullptr;
        node->current = chunk;
    }
    return node->current;
}

std::optional<NotRead> CTreeWalk::Finish(WalkNode* node, bool complete) {
    Shared& s = *m_shared;
    s.released += FreeChunkList(node->current) + FreeChunkList(node->taken);
    node->current = node->taken = nullptr;
    WalkLock lock(s.mutex);
    std::optional<NotRead> why;
    if (node->failed)
        why = node->failure;
    else if (complete && node->outOfMemory)
        why = NotRead::OutOfMemory;
    else if (complete && node->readError)
        why = NotRead::ReadError;
    else if (complete && node->pathTooLong)
        why = NotRead::PathTooLong;
    node->finished = true;
    s.bytesAhead -= s.FreeChunksLocked(node->first);
    node->first = node->last = nullptr;
    if (CanFree(node))
        s.FreeNodeLocked(node);
    s.ReleaseLocked();
    s.UnlockAndRunDeferred(lock, s.consumer.deferred);
    return why;
}

int CTreeWalk::OpenFolder(const WalkFolder& folder) {
    Shared& s = *m_shared;
    // Every WalkFolder a walk hands out is one of its nodes.
    auto* node = static_cast<WalkNode*>(const_cast<WalkFolder*>(&folder));
    std::vector<WalkNode*> path;
    WalkNode* base;
    int baseFd;
    {
        std::lock_guard lock(s.mutex);
        base = s.BaseLocked(node, path);
        baseFd = base->fd;
    }
    const OpenResult opened = OpenChain(baseFd, path, nullptr);
    WalkLock lock(s.mutex);
    --base->fdUsers;
    s.MaybeCloseLocked(base);
    s.UnlockAndRunDeferred(lock, s.consumer.deferred);
    return opened.fd;
}
