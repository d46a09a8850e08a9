#pragma once
// The one walk below a folder that the count, the scan command and the delete's collection
// share: what is an entry, what is walked into, what is skipped and why.
//
// Rules:
// - Every entry except "." and ".." is an entry. Folders are walked into; links (to
//   anything) and special files are entries like files: never followed, never opened.
// - Every folder below the chosen one is opened relative to its parent's open descriptor,
//   without following a link (O_NOFOLLOW | O_DIRECTORY). When descriptors must be given
//   back (deep or wide trees, a low descriptor limit), a folder is reopened from its
//   nearest open ancestor one component at a time, each checked against the device and
//   inode recorded when it was first opened. A mismatch, or a link where a folder was,
//   means the folder changed during the scan: it is not read.
// - A folder whose device and inode are one of its ancestors' (a bind mount of an
//   ancestor) is not walked again. Other mounted drives below the folder are walked.
// - A folder that can be listed but not searched is not read: its entries could be
//   neither examined nor reached, so neither the count nor the collection takes them.
// - The trash is not part of the tree: the home trash ($XDG_DATA_HOME/Trash, by default
//   ~/.local/share/Trash) and, at the top of every mounted drive met (the chosen folder
//   included), folders named .Trash, .Trash-<digits> and $Recycle.Bin are skipped
//   without a word.
// - An entry whose full path would not fit in PATH_MAX bytes (terminating NUL included)
//   is skipped; its folder counts as not completely read ("path too long").
// - A folder that disappeared during the walk is simply gone; any other folder that
//   could not be read counts, with its reason, in CWalkProblems.
//
// On Windows the same rules hold with the system's own means: the links are the reparse
// points whose tag is a name surrogate (symbolic links, junctions, mount points); a folder
// with any other reparse tag (a cloud placeholder, a deduplicated folder) is a folder like
// any other and is walked into. A folder is identified by its volume's serial number and
// its index. A folder is opened by its path (its parent's path and its name, in the
// \\?\ form, so every name and any length up to the system's 32,767 characters work),
// without following a reparse point, and taken only when it is the folder its parent's
// listing named (the index matches) or, opened again later, the one recorded then; it is
// then listed through that handle (GetFileInformationByHandleEx), so what is listed is that
// folder whatever happens to its path meanwhile. Folder handles are held and given back
// as descriptors are on POSIX, and they let others rename or remove the folder. A folder
// is found to have changed when, opened again, it is not the one recorded, or is a link
// now. The home trash is Wine's recycle bin (the desktop trash of its host).
//
// Listings are read by worker threads ahead of the walk (CTreeWalk); the walk's user
// (CEnumerateFiles) consumes them on its own thread in depth-first listing order.
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#ifdef _WIN32
// The kinds of entry a listing gives (WalkEntry::type), with the values of <dirent.h>,
// which Windows lacks.
inline constexpr unsigned char DT_UNKNOWN = 0;
inline constexpr unsigned char DT_DIR = 4;
inline constexpr unsigned char DT_REG = 8;
inline constexpr unsigned char DT_LNK = 10;
#else
#include <dirent.h>
#endif

// Why a folder was not read, or not completely.
enum class NotRead : std::uint8_t {
    PermissionDenied,
    FolderLoop,
    Changed,
    TooManyOpenFiles,
    ReadError,
    PathTooLong,
    OutOfMemory, // the listing could not be kept: what was read of it before still counts
};
inline constexpr std::size_t kNotReadReasons = 7;

// The reason in the words the user reads ("permission denied", "folder loop", ...).
const char* NotReadWords(NotRead reason);

// Folders not read by one walk, counted by reason.
class CWalkProblems {
public:
    void Add(NotRead reason) { ++m_counts[static_cast<std::size_t>(reason)]; }
    int Count(NotRead reason) const { return m_counts[static_cast<std::size_t>(reason)]; }
    int Total() const;
    void Clear() { m_counts = {}; }
    // "3 folders could not be read" ("1 folder ..."); empty when every folder was read.
    std::string Headline() const;
    // The reasons that occurred, in words, with their counts: most first, equal counts in
    // the order of NotRead.
    std::vector<std::pair<std::string, int>> ByReason() const;
    // The headline and ByReason: "3 folders could not be read: 2 permission denied, 1
    // folder loop". Empty when every folder was read.
    std::string Summary() const;

private:
    std::array<int, kNotReadReasons> m_counts{};
};

// A folder of a walk as the walk's user sees it. Fixed once the folder has been opened;
// valid until the walk that made it ends.
struct WalkFolder {
    const WalkFolder* parent = nullptr; // null for the chosen folder
    std::uint64_t id = 0;               // unique among all folders of all walks
    std::uint64_t dev = 0;
    std::uint64_t ino = 0;
    int depth = 0;         // 0 for the chosen folder
    std::string_view name; // the name in its parent; empty for the chosen folder
};

// The size of an entry the walk did not read (sizes off) or could not (the entry could
// not be examined).
inline constexpr std::uint64_t kSizeUnknown = ~std::uint64_t{0};

// One entry that is not walked into, as its folder's listing gave it.
struct WalkEntry {
    const WalkFolder* folder = nullptr;
    std::string_view name;
    unsigned char type = 0; // DT_* of the listing; DT_UNKNOWN only when it could not be told
    std::uint64_t ino = 0;  // the inode in the listing
    // Its size in bytes (a link's own, never its target's) when the walk reads sizes;
    // kSizeUnknown otherwise, and for an entry that could not be examined.
    std::uint64_t size = kSizeUnknown;
};

struct WalkNode;

// A piece of a listing: WalkRecords, each followed by its name and a NUL, 8-byte aligned.
struct WalkChunk {
    WalkChunk* next = nullptr;
    std::size_t used = 0; // bytes of records behind the header
};

// One record of a listing chunk: an entry that is reported, or a folder that is walked
// into (child set).
struct WalkRecord {
    WalkNode* child;
    std::uint64_t ino;
    std::uint64_t size; // kSizeUnknown unless the walk reads sizes
    std::uint16_t length;
    unsigned char type;
    const char* Name() const { return reinterpret_cast<const char*>(this + 1); }
    // The bytes it takes in a chunk, its name and the name's NUL included.
    static std::size_t Size(std::size_t nameLength) {
        return (sizeof(WalkRecord) + nameLength + 1 + 7) & ~std::size_t{7};
    }
};

// The listings of one walk, read by worker threads ahead of their consumer. The consumer
// (one thread, the one that created the walk) takes each folder's listing chunk by chunk,
// in order, with Prepare and NextChunk, and ends each folder with Finish. Workers read
// folders in the order a depth-first walk will want them, at most a fixed number of bytes
// ahead of the consumer, and never touch the consumer's data.
class CTreeWalk {
public:
    // Starts a walk of rootPath (opened as named, links followed: the one path that is
    // looked up by name). entryPrefixLength: the length of the text every entry path of
    // the root starts with (its absolute path and one '/'), for the path-length rule.
    // recurse false: folders are entries and nothing below the root is opened. sizes: the
    // readers also read each entry's size (one statx per entry on POSIX, relative to its
    // folder's descriptor; on Windows the listing carries it). stop: when it becomes true
    // the workers stop reading.
    CTreeWalk(const std::string& rootPath, std::size_t entryPrefixLength, bool recurse, bool sizes,
              const std::atomic<bool>& stop);
    // Stops the workers, waits for them, closes every descriptor and frees every listing.
    ~CTreeWalk();
    CTreeWalk(const CTreeWalk&) = delete;
    CTreeWalk& operator=(const CTreeWalk&) = delete;

    WalkNode* Root() const { return m_root; }

    // Consumer side. Before a subfolder is walked into: waits until it has been opened,
    // and takes what has been read of its listing. False when it is not part of the tree
    // after all (it turned out to be the home trash); Finish it then.
    bool Prepare(WalkNode* node);
    // The next chunk of node's listing, waiting for it (or reading it on this thread when
    // no worker has taken it); null at the end of the listing. The chunk returned before
    // is given back.
    const WalkChunk* NextChunk(WalkNode* node);
    // The consumer is done with node (and everything below it). Returns why it counts as
    // not read, once, the first that applies of "not opened", "out of memory", "read
    // error", "path too long" (the last three only when complete is true: the whole
    // listing was consumed); nothing when it was read.
    std::optional<NotRead> Finish(WalkNode* node, bool complete);
    // A new handle of folder (which belongs to this walk), reached from an open ancestor
    // through checked components; -1 when that fails. The caller closes it (CloseFolder).
    int OpenFolder(const WalkFolder& folder);

    // The records of a chunk, in listing order.
    static const WalkRecord* First(const WalkChunk* chunk) {
        return chunk->used ? reinterpret_cast<const WalkRecord*>(chunk + 1) : nullptr;
    }
    static const WalkRecord* Next(const WalkChunk* chunk, const WalkRecord* record) {
        const char* next = reinterpret_cast<const char*>(record) + WalkRecord::Size(record->length);
        const char* end = reinterpret_cast<const char*>(chunk + 1) + chunk->used;
        return next < end ? reinterpret_cast<const WalkRecord*>(next) : nullptr;
    }
    static const WalkFolder& Folder(const WalkNode* node);

private:
    struct Shared;
    std::unique_ptr<Shared> m_shared;
    WalkNode* m_root = nullptr;
};

// ---- What the walk's users ask of the platform's folder access ----

// Ends a folder handle that CTreeWalk::OpenFolder gave.
void CloseFolder(int fd);

// An entry as the system sees it now.
struct EntryState {
    std::uint64_t dev = 0;  // the device (on Windows the volume's serial number)
    std::uint64_t ino = 0;  // the inode (on Windows the file's index)
    std::uint32_t type = 0; // the st_mode type bits (S_IFREG, S_IFLNK, ...); 0 on Windows
    std::uint64_t size = 0; // its bytes (a link's own, never its target's)
};
// The entry name of the folder open as folderFd (CTreeWalk::OpenFolder), as it is now,
// never through a link; false when it is gone or is a folder now.
bool ExamineEntry(int folderFd, std::string_view name, EntryState& state);

// Why the walk can read nothing of folder, in the system's words: it cannot be listed, or
// (on POSIX) it can be listed but not searched. Empty when it can be walked.
std::string WhyFolderCannotBeRead(const std::string& folder);
