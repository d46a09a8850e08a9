#pragma once
// A walker that reports every entry below a folder through overridable hooks.
//
// The class keeps the shape of the classic walker it stands in for: Enumerate's filter
// text is only handed on to the nested calls, and m_matcher (an extension-list matcher)
// travels with every walker for whoever wants it; the walk itself consults neither.
#include "platform/core/String.h"
#include "walk/MatchFileExtension.h"
#include "walk/TreeWalk.h"

#include <atomic>
#include <deque>
#include <string>

// folder made absolute against the current directory (however long that is); an absolute
// folder is returned as it is.
std::string AbsoluteFolder(const CString& folder);

class CEnumerateFiles {
public:
    CEnumerateFiles();

    // Walks folder by the rules of TreeWalk.h: every entry except "." and ".." is visited,
    // each folder's entries in the order the system lists them. A folder entry is walked
    // into (through this virtual, depth-first) when recurse is true; every other entry,
    // and with recurse false every entry, goes to OnFileFound with its full path: folder,
    // one '/', name (one '/' even when folder ends in one). A relative folder is first
    // made absolute against the current directory (however long that is), so reported
    // paths are always absolute; nothing else in folder is rewritten. filter is handed
    // unchanged to the nested calls and otherwise ignored. A missing or unreadable folder
    // contributes no entries. OnFolderDone(folder) is called once per Enumerate call, with
    // the text this call received, after its listing has been closed. Names are raw bytes,
    // not necessarily UTF-8.
    //
    // The folder given by the outermost caller is opened as named and may itself be a
    // link to a folder; nothing below it is ever reached through a link. Every path a hook
    // sees is shorter than PATH_MAX and can be handed to the system as it is.
    //
    // Listings are read by worker threads ahead of the walk; the hooks run on the calling
    // thread only, in the order above, and no worker touches what they touch. The
    // descriptors the walk holds are budgeted from the process's limit.
    virtual void Enumerate(const CString& folder, const CString& filter, bool recurse);
    virtual ~CEnumerateFiles();
    virtual void OnFolderDone(const CString& folder);
    virtual void OnFileFound(const CString& path) = 0;
    // A folder of the walk that counts in FoldersNotRead, with its reason: called once for
    // it, with the text its Enumerate call received, just before that call's OnFolderDone.
    virtual void OnFolderNotRead(const CString& folder, NotRead why);

    // Whether the walks that start from now on read each entry's size, for
    // CurrentEntry().size (off at construction: a walk without sizes makes no call per
    // entry). Set it outside a walk.
    void ReadSizes(bool on) { m_readSizes = on; }
    bool ReadsSizes() const { return m_readSizes; }

    // The folders the last walk (from its outermost Enumerate) could not read, or not
    // completely, by reason. Cleared when a walk starts.
    const CWalkProblems& FoldersNotRead() const { return m_problems; }

    CMatchFileExtension m_matcher;

protected:
    // Ends the walk in progress: no further entry is reported, and each level still open
    // reports OnFolderDone as it returns; the readers stop. Meant to be called from a
    // hook. The next Enumerate from outside a walk starts afresh.
    void StopWalk() { m_stopRequested.store(true, std::memory_order_relaxed); }
    bool WalkStopped() const { return m_stopRequested.load(std::memory_order_relaxed); }

    // Inside OnFileFound: the entry being reported, with its folder's record.
    const WalkEntry& CurrentEntry() const { return m_entry; }
    // Inside a hook: a new descriptor of folder (a folder of the walk in progress), reached
    // from an open ancestor through components checked against what the walk saw; -1
    // when that fails. The caller closes it.
    int OpenWalkFolder(const WalkFolder& folder) { return m_walk->OpenFolder(folder); }

private:
    // Reports node's entries; true when its listing was consumed to the end.
    bool WalkListing(CTreeWalk& walk, WalkNode* node, CString& path, const CString& filter,
                     bool recurse);

    std::atomic<bool> m_stopRequested{false};
    bool m_readSizes = false;
    int m_depth = 0;
    CTreeWalk* m_walk = nullptr;
    // The subfolder the next nested Enumerate is for, and the very path text the walk
    // hands it: a call with any other text walks that text on its own.
    WalkNode* m_childNode = nullptr;
    const CString* m_childPath = nullptr;
    WalkEntry m_entry;
    CWalkProblems m_problems;
    // The path buffer of each level of the walk in progress (a deque: a level's buffer
    // stays where it is while deeper levels are added).
    std::deque<CString> m_paths;
};
