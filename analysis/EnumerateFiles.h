#pragma once
// A walker that reports every entry below a folder through overridable hooks.
#include "analysis/MatchFileExtension.h"
#include "platform/String.h"

class CEnumerateFiles {
public:
    CEnumerateFiles();

    // Walks folder: every entry except "." and ".." is visited in the order the system
    // lists it. A folder entry is walked into (through this virtual, depth-first) when
    // recurse is true; every other entry, and with recurse false every entry, goes to
    // OnFileFound with its full path: folder, one '/', name (one '/' even when folder ends
    // in one). filter is handed unchanged to the nested calls and otherwise ignored.
    // A missing or unreadable folder contributes no entries. OnFolderDone(folder) is
    // called once per Enumerate call, after its listing has been closed.
    //
    // Links (to files, folders, or nowhere) and special files are entries like files:
    // never followed, never opened. Names are raw bytes, not necessarily UTF-8.
    virtual void Enumerate(const CString& folder, const CString& filter, bool recurse);
    virtual ~CEnumerateFiles();
    virtual void OnFolderDone(const CString& folder);
    virtual void OnFileFound(const CString& path) = 0;

    CMatchFileExtension m_matcher;

protected:
    // Ends the walk in progress: no further entry is reported, and each level still open
    // closes its listing and reports OnFolderDone as it returns. Meant to be called from
    // a hook. The next Enumerate from outside a walk starts afresh.
    void StopWalk() { m_stopRequested = true; }
    bool WalkStopped() const { return m_stopRequested; }

private:
    bool m_stopRequested = false;
    int m_depth = 0;
};
