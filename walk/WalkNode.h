#pragma once
// The walk's inside, shared by TreeWalk.cpp (threads, order, descriptors), FolderReader.cpp
// (the rules of one folder's listing) and the platform's folder access (opening and
// listing folders: FolderAccessPosix.cpp with descriptors and getdents64,
// FolderAccessWindows.cpp with folder handles and GetFileInformationByHandleEx). Not for
// the walk's users.
//
// A folder handle is an int on both: a descriptor, or on Windows the number of an open
// folder in the process's table of them (-1: none). CloseFolder (TreeWalk.h) ends either.
#include "walk/TreeWalk.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class NodeState : std::uint8_t {
    Queued,   // not opened yet
    Busy,     // one reader is opening or listing it
    Paused,   // opened, listed in part; the rest waits for a reader
    Complete, // listed to its end, or not opened at all
};

// One folder of a walk. Allocated with its name behind it (NewNode). Fields are written by
// the one reader that holds the node Busy and published under the walk's lock; the fields
// marked "lock" are read and written only under it.
struct WalkNode : WalkFolder {
    std::uint32_t index = 0; // its place among its parent's subfolders
    WalkNode* parentNode() const { return static_cast<WalkNode*>(const_cast<WalkFolder*>(parent)); }
    std::size_t prefixLength = 0; // length of "folder path/" that its entry paths start with
    std::size_t bytes = 0;        // what the node itself counts against the read-ahead
    std::uint32_t childCount = 0; // subfolders found so far (written by its reader)

    // Written by the reader that opens it, before it is published.
    int fd = -1; // also under the lock once published: it may be closed
    bool opened = false;
    bool mountTop = false; // the top of a mounted drive
    bool excluded = false; // the home trash: not part of the tree
    bool tried = false;    // opened (or tried) by the reader of its parent's listing
    // The kind of file system it is on (FileSystemOf), and whether a read of its listing
    // that leaves room for one more entry has read all of it (EndsAtShortRead).
    std::uint32_t fileSystem = 0;
    bool endsAtShortRead = false;
    // One bit (FolderBit) for the device and inode of each folder above it: a folder whose
    // own bit is not among them cannot be one of them, and the walk up to the root that
    // looks for a folder loop (an ancestor's memory, most of it cold by then) is left out.
    std::uint64_t ancestorBits = 0;

    // lock
    NodeState state = NodeState::Queued;
    bool failed = false; // could not be opened (not counted when simply gone)
    NotRead failure = NotRead::ReadError;
    bool readError = false;
    bool pathTooLong = false;
    bool outOfMemory = false;
    bool finished = false; // the consumer is done with it
    bool inQueue = false;  // in the readers' queue
    int fdUsers = 0;       // readers opening a folder below it through fd
    int unopened = 0;      // children not opened yet
    int aliveChildren = 0;
    WalkChunk* first = nullptr;
    WalkChunk* last = nullptr;
    WalkNode* prevAlive = nullptr;
    WalkNode* nextAlive = nullptr;

    // The consumer's own: chunks taken from first..last, the one it is reading, and
    // whether the listing had ended when it last looked.
    WalkChunk* taken = nullptr;
    WalkChunk* current = nullptr;
    bool sawEnd = false;
};

// A read stops once it holds this much; a big folder is read in pieces of about this size.
inline constexpr std::size_t kChunkTarget = 16 * 1024;

WalkNode* NewNode(WalkNode* parent, std::string_view name, std::size_t prefixLength);
void DeleteNode(WalkNode* node);
// A chunk with room for used bytes of records behind its header; throws std::bad_alloc.
WalkChunk* NewChunk(std::size_t used);
void DeleteChunk(WalkChunk* chunk);

// The nodes and chunks of every walk of the process that are allocated and not yet freed,
// counted where they are made and freed: both zero whenever no walk exists.
struct WalkAllocations {
    long nodes = 0;
    long chunks = 0;
};
WalkAllocations LiveWalkAllocations();
// Each walk's first and last: the memory kept for nodes and chunks goes with the last.
void WalkBegins();
void WalkEnds();
inline std::size_t ChunkBytes(const WalkChunk* chunk) {
    return sizeof(WalkChunk) + chunk->used;
}

// Device and inode of a folder, and whether it is the top of a mount.
struct FolderId {
    std::uint64_t dev = 0;
    std::uint64_t ino = 0;
    bool mountRoot = false;
    // Known to be searchable: the mode lets owner, group and others search it, or the system
    // let the walk look inside it.
    bool searchable = false;
    bool oneBlock = false; // its listing takes one block of its file system at most
};

// What opening one folder gave: a descriptor, or the reason there is none.
struct OpenResult {
    int fd = -1;
    bool gone = false; // not there any more: not a failure
    NotRead why = NotRead::ReadError;
    FolderId id;
};

// What opening a folder for its first listing gave, besides the descriptor.
struct OpenOutcome {
    bool failed = false;
    bool gone = false;
    NotRead why = NotRead::ReadError;
};

// ---- The platform's folder access ----

// Opens name below dirFd as a folder, never through a link; with expected, only when it
// is still that very folder (else "changed during the scan").
OpenResult OpenComponent(int dirFd, const char* name, const FolderId* expected);
// Opens the chosen folder as the user named it (links followed).
OpenResult OpenRoot(const std::string& path);
// False, with denied set, when the folder open as fd (id) can be listed but not searched:
// its entries could be neither examined nor reached.
bool CanSearch(int fd, const FolderId& id, OpenResult& denied);
// The kind of file system the folder open as fd is on, as the platform tells them apart (0:
// not told).
std::uint32_t FileSystemOf(int fd);
// Whether, for a folder (id) on a file system of that kind, a read of its listing that
// leaves room for one more entry has read all of it: the read that would find the end can
// then be left out. Only where the file system reads such a folder's listing whole before
// giving any of it, so that no error can come after a part.
bool EndsAtShortRead(std::uint32_t fileSystem, const FolderId& id);
// Folder handles a walk may use besides those of the rest of the program (the process's
// limit less what is open).
long SpareFolderHandles();
// How many times the calling thread has gone to sleep waiting for something (the disk, a
// lock), when the system counts it; 0 where it does not. A read that took long without
// raising it lost its core to another thread rather than waited on the disk.
std::uint64_t ThreadSleeps();
// Whether ThreadSleeps counts.
extern const bool kCountsThreadSleeps;

// The home trash folder, looked up once per walk; valid false when there is none.
struct HomeTrash {
    bool valid = false;
    std::uint64_t dev = 0;
    std::uint64_t ino = 0;
    static HomeTrash Find();
};

// Opens the components of path (deepest first) from baseFd down, each checked against the
// device and inode recorded when it was first opened, except `unseen` (a folder opened for
// the first time, reached from its checked parent without following a link). A path with
// no component gives a copy of baseFd.
OpenResult OpenChain(int baseFd, const std::vector<WalkNode*>& path, const WalkNode* unseen);

// ---- The rules, on top of it (FolderReader.cpp) ----

// result as it is, or, when it opened a folder other than expected (null: any), "changed
// during the scan" with the folder closed again.
OpenResult Expect(OpenResult result, const FolderId* expected);
// The chosen folder named by path, opened by open(path), unless the path has a NUL inside
// and so names no folder at all (the system would see only its first part): gone then.
template <class Open> OpenResult OpenNamedRoot(const std::string& path, Open open) {
    if (path.find('\0') != std::string::npos) {
        OpenResult result;
        result.gone = true;
        return result;
    }
    return open(path);
}

// Opens node for its first listing: the root by rootPath, any other folder through path
// from baseFd (see OpenChain). Records its device and inode and whether it tops a mount;
// refuses a folder loop and a folder that cannot be searched, and marks the home trash
// excluded. On success node->fd is open and node->opened set.
OpenOutcome OpenFirstTime(WalkNode* node, int baseFd, const std::vector<WalkNode*>& path,
                          const std::string& rootPath, const HomeTrash& trash);

// What one read of a folder's listing gave.
struct ReadOutcome {
    WalkChunk* chunk = nullptr; // null when no entry was kept
    // The subfolders found, in listing order (the reader's, valid until its next Read);
    // null when nothing was read.
    const std::vector<WalkNode*>* children = nullptr;
    std::size_t childBytes = 0; // what the children count against the read-ahead
    bool end = false;           // the listing is at its end (or failed: readError)
    bool readError = false;
    bool pathTooLong = false; // an entry was skipped for the path limit
    bool outOfMemory = false; // the listing ends here: what it read could not be kept
};

// Lists folders for one thread: its buffers are reused from folder to folder. The rules
// (Keep, IsTrash) are FolderReader.cpp's, the listing (Read) the platform's.
class CFolderReader {
public:
    // sizes: each entry that is not walked into gets its size (WalkRecord::size).
    CFolderReader(bool recurse, bool sizes, const HomeTrash& trash);
    // Reads node's listing from its open handle: at least one buffer's worth, or to its
    // end when whole is true. Subfolders to walk into get a child node each.
    ReadOutcome Read(WalkNode* node, bool whole);
    // After memory ran out (std::bad_alloc) during a Read of node: forgets what that read
    // had kept, the subfolders it had found included, and gives the outcome that ends the
    // listing as "out of memory". Anything before that Read stays as it was.
    ReadOutcome Abandon(WalkNode* node);

private:
    void Keep(WalkNode* node, const char* name, std::size_t length, unsigned char type,
              std::uint64_t ino, std::uint64_t size);
    bool IsTrash(const WalkNode* node, std::string_view name, std::uint64_t ino) const;
    // Before a read, and after it: what was kept becomes the outcome's chunk and children.
    void StartRead();
    ReadOutcome FinishRead(ReadOutcome outcome);

    bool m_recurse;
    bool m_sizes;
    HomeTrash m_trash;
    std::vector<char> m_buffer; // the platform's listing buffer, made at the first read
    // A byte a vector leaves as it is when it grows: room for a record is written at once.
    struct RecordByte {
        char byte;
        RecordByte() {} // NOLINT: left unset on purpose
    };
    std::vector<RecordByte> m_records; // its room; the records are its first m_recordBytes
    std::size_t m_recordBytes = 0;
    std::vector<WalkNode*> m_children; // null at the end while its node is being made
    std::size_t m_childBytes = 0;
    bool m_reading = false; // between StartRead and the end of FinishRead
};
