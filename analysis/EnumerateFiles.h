#pragma once
// A walker that reports every entry below a folder through overridable hooks.
//
// The class keeps the shape of the classic walker it stands in for: Enumerate's filter
// text is only handed on to the nested calls, and m_matcher (an extension-list matcher)
// travels with every walker for whoever wants it; the walk itself consults neither.
#include "analysis/MatchFileExtension.h"
#include "platform/core/String.h"

#include <cstddef>
#include <memory>
#include <vector>

class CEnumerateFiles {
public:
    CEnumerateFiles();

    // Walks folder: every entry except "." and ".." is visited in the order the system
    // lists it. A folder entry is walked into (through this virtual, depth-first) when
    // recurse is true; every other entry, and with recurse false every entry, goes to
    // OnFileFound with its full path: folder, one '/', name (one '/' even when folder ends
    // in one). A relative folder is first made absolute against the current directory, so
    // reported paths are always absolute; nothing else in folder is rewritten. filter is
    // handed unchanged to the nested calls and otherwise ignored. A missing or unreadable
    // folder contributes no entries. OnFolderDone(folder) is called once per Enumerate
    // call, with the text this call received, after its listing has been closed.
    //
    // Links (to files, folders, or nowhere) and special files are entries like files:
    // never followed, never opened. A nested folder that has been swapped for a link
    // since it was listed is not followed either (it then contributes no entries). Only
    // the folder given by the outermost caller may itself be a link to a folder. Names are
    // raw bytes, not necessarily UTF-8.
    //
    // Long paths: an entry whose full path would not fit in PATH_MAX bytes (terminating
    // NUL included) is skipped, neither reported nor walked into, so every path a hook
    // sees can be handed to the system as it is. Deep trees: only the outermost levels
    // keep their listing open while a subfolder is walked; deeper levels read the rest of
    // their listing into memory and close it first, so the walk never holds more than a
    // few dozen descriptors however deep the tree goes.
    virtual void Enumerate(const CString& folder, const CString& filter, bool recurse);
    virtual ~CEnumerateFiles();
    virtual void OnFolderDone(const CString& folder);
    virtual void OnFileFound(const CString& path) = 0;

    CMatchFileExtension m_matcher;

    // Listings held open at once by one walk; levels below this read ahead and close.
    static constexpr int kMaxOpenListings = 32;

protected:
    // Ends the walk in progress: no further entry is reported, and each level still open
    // closes its listing and reports OnFolderDone as it returns. Meant to be called from
    // a hook. The next Enumerate from outside a walk starts afresh.
    void StopWalk() { m_stopRequested = true; }
    bool WalkStopped() const { return m_stopRequested; }

private:
    int OpenListing(const CString& folder) const;
    char* ListingBuffer();

    bool m_stopRequested = false;
    int m_depth = 0;
    // Set just before a nested Enumerate for a subfolder of a listing that is still
    // open: lets that call open the subfolder relative to its parent instead of
    // resolving the whole path again. Only used when the nested call receives exactly
    // the path text this walker built (the same object).
    const CString* m_childPath = nullptr;
    int m_childParentFd = -1;
    std::size_t m_childNameOffset = 0;
    // Listing buffers, by depth.
    std::vector<std::unique_ptr<char[]>> m_listingBuffers;
};
