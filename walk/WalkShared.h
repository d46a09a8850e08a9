#pragma once
// The state one walk's readers and its consumer share (TreeWalk.cpp: construction and the
// consumer's side; WalkReaders.cpp: the readers' side). Not for the walk's users.
#include "walk/WalkNode.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// The walk's lock. It is held for well under a microsecond at a time (a heap push or pop, a
// few counters), by a reader once per folder and by the consumer about twice, so on a warm
// cache the two collide thousands of times per second. A plain mutex then puts the loser
// to sleep and the winner makes a system call to wake it (a futex call per folder, a
// context switch for every few); this one tries for a moment first, and sleeps only when
// the holder is slow, say because it lost its core.
class CWalkMutex {
public:
    void lock();
    bool try_lock() { return m_mutex.try_lock(); }
    void unlock() { m_mutex.unlock(); }

private:
    std::mutex m_mutex;
};
using WalkLock = std::unique_lock<CWalkMutex>;

// Listings and folders read but not yet consumed, at most (a piece in progress may pass
// it). Readers that hit it wait until the consumer is back below half of it.
inline constexpr std::size_t kReadAheadBytes = 1024 * 1024;

void LinkAlive(WalkNode*& head, WalkNode* node);
// Frees a list of chunks; returns the bytes they counted.
std::size_t FreeChunkList(WalkChunk* chunk);
// The bytes a list of chunks counts.
std::size_t ChunkListBytes(const WalkChunk* chunk);

// Descriptors to close and memory to free, given up while the walk's lock was held and
// put off until it is let go: a close is a system call of some microseconds, during which
// the other threads would spin or sleep on the lock. Its room is made once; when it is
// full, the rest is done at once as before.
class CDeferred {
public:
    CDeferred() noexcept;
    // False when full: the caller does it now.
    bool Close(int fd);
    bool Free(WalkNode* node);
    bool Free(WalkChunk* chunks); // a whole list
    // Closes and frees everything; then it is empty.
    void Run();
    void swap(CDeferred& other) noexcept;

private:
    template <class T> static bool Put(std::vector<T>& items, T item);

    std::vector<int> m_fds;
    std::vector<WalkNode*> m_nodes;
    std::vector<WalkChunk*> m_chunks;
};
// Nothing needs node any more: the consumer is done with it, no reader has it, nothing
// below it is left.
bool CanFree(const WalkNode* node);

// A place in the walk's order: the index-th subfolder of parent (null for the root).
struct Place {
    const WalkNode* parent;
    std::uint32_t index;
    int depth;
};
Place PlaceOf(const WalkNode* node);

// One entry of the readers' queue: a folder to open, or the rest of a listing (wanted
// where its next subfolder will be).
struct Wanted {
    WalkNode* node;
    Place place;
};

// One piece of reading: a node taken from the queue (or by the consumer), where opening
// it starts from, and what came of it.
struct ReadJob {
    WalkNode* node = nullptr;
    bool first = false; // opened by this job
    bool whole = false; // no descriptor to spare for a half-read listing: read to the end
    WalkNode* base = nullptr;
    int baseFd = -1;
    std::vector<WalkNode*> path; // components below base, deepest first
    OpenOutcome opened;
    ReadOutcome read;
    // Subfolders this job may open as soon as the read finds them (counted in held
    // meanwhile), how many it tried, and how many of those are open.
    long openRoom = 0;
    long openTried = 0;
    long openedChildren = 0;
    std::vector<WalkNode*> childPath; // the one component OpenFirstTime goes through
    bool measure = false;             // whether slow is looked for
    bool countSleeps = false;         // whether the thread's sleeps are counted too (ThreadSleeps)
    bool slowByClock = false;         // took longer than a listing in the cache takes
    bool slow = false;                // and waited on the disk meanwhile
};

struct Reader {
    Reader(bool recurse, bool sizes, const HomeTrash& trash) : lister(recurse, sizes, trash) {}
    CFolderReader lister;
    ReadJob job;
    CDeferred deferred; // taken from the walk's before the lock is let go, done after
};

struct CTreeWalk::Shared {
    Shared(const std::string& path, bool recursive, bool readSizes,
           const std::atomic<bool>& stopFlag)
        : rootPath(path), recurse(recursive), sizes(readSizes), trash(HomeTrash::Find()),
          stop(stopFlag), consumer(recursive, readSizes, trash) {}

    // The consumer's: one more reader (false when no thread could be started), and one
    // more when a read was slow (see kReaders) and there are fewer than maxReaders.
    bool StartReader();
    void MoreReadersLocked();

    void WorkerLoop(Reader& reader);
    bool HasWorkLocked();
    void BeginLocked(ReadJob& job, WalkNode* node);
    void Run(Reader& reader);
    void OpenFound(ReadJob& job);
    void EndLocked(ReadJob& job);
    void PublishLocked(WalkNode* node, const ReadOutcome& read, long opened);
    void ReadHereLocked(WalkNode* node, WalkLock& lock);
    void ReadNextLocked(WalkLock& lock);
    void RunConsumerJobLocked(WalkLock& lock);
    void WaitWhileBusy(WalkNode* node, WalkLock& lock);
    void TakeChunksLocked(WalkNode* node);
    void ReleaseLocked();
    WalkNode* BaseLocked(WalkNode* from, std::vector<WalkNode*>& path);
    void FreeNodeLocked(WalkNode* node);
    void MaybeCloseLocked(WalkNode* node);
    void WantLocked(WalkNode* node, const Place& place);
    void CloseLocked(int fd);
    void DeleteNodeLocked(WalkNode* node);
    // Frees a list of chunks (later, when it can); returns the bytes they counted.
    std::size_t FreeChunksLocked(WalkChunk* chunks);
    // Lets go of the lock, then does what was put off while it was held (into: the
    // calling thread's own CDeferred).
    void UnlockAndRunDeferred(WalkLock& lock, CDeferred& into);

    CWalkMutex mutex;
    std::condition_variable_any workCv;
    std::condition_variable_any consumerCv;
    std::vector<Wanted> queue; // a heap: the folder the walk will want first on top
    std::size_t bytesAhead = 0;
    std::size_t released = 0; // given back by the consumer, not yet taken off bytesAhead
    bool throttled = false;   // readers wait for the consumer to catch up
    int idle = 0;
    const WalkNode* consumerWaitsFor = nullptr;
    bool shutdown = false;
    long held = 0; // listings held open, the root's included
    long holdBudget = 1;
    long maxReaders = 0;
    bool slowReads = false;   // a read since the last reader started was slow
    bool slowByClock = false; // the last read timed took long (see kSlowRead)
    WalkNode* root = nullptr;
    WalkNode* alive = nullptr; // every node not yet freed
    CDeferred deferred;        // put off under the lock, not yet done

    const std::string rootPath;
    const bool recurse;
    const bool sizes;
    const HomeTrash trash;
    const std::atomic<bool>& stop;
    Reader consumer;
    std::vector<std::thread> threads;
};
