#pragma once
// A walker that records what it is told (every platform; WalkerTestPosix.h has the trees
// and limits of the POSIX walker tests).
#include "platform/core/PathSeparator.h"
#include "walk/EnumerateFiles.h"

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

class RecordingWalker : public CEnumerateFiles {
public:
    void Enumerate(const CString& folder, const CString& filter, bool recurse) override {
        entered.push_back(folder.str());
        filters.push_back(filter.str());
        CEnumerateFiles::Enumerate(folder, filter, recurse);
    }
    void OnFileFound(const CString& path) override {
        files.push_back(path.str());
        events.push_back("F " + path.str());
        if (onFile)
            onFile(*this, path.str());
    }
    void OnFolderDone(const CString& folder) override {
        done.push_back(folder.str());
        events.push_back("D " + folder.str());
    }
    void Clear() {
        entered.clear();
        filters.clear();
        files.clear();
        done.clear();
        events.clear();
    }

    using CEnumerateFiles::CurrentEntry;
    using CEnumerateFiles::StopWalk;
    using CEnumerateFiles::WalkStopped;

    std::vector<std::string> entered, filters, files, done, events;
    std::function<void(RecordingWalker&, const std::string&)> onFile;
};

// The paths below root, relative to it ("" for root itself) and written with '/', sorted.
inline std::vector<std::string> Relative(const std::string& root,
                                         const std::vector<std::string>& paths) {
    std::vector<std::string> out;
    for (const std::string& p : paths) {
        if (p == root) {
            out.push_back("");
        } else if (p.compare(0, root.size() + 1, root + kPathSeparator) == 0) {
            std::string below = p.substr(root.size() + 1);
            std::replace(below.begin(), below.end(), kPathSeparator, '/');
            out.push_back(below);
        } else {
            out.push_back("<outside> " + p);
        }
    }
    std::sort(out.begin(), out.end());
    return out;
}
