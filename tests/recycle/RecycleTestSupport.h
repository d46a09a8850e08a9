#pragma once
// What the recycle-bin executor's tests share (Windows, under Wine): a request with the
// record a collection would keep of it, and the desktop trash that is Wine's recycle bin.
#include "deletion/FileOperation.h"
#include "platform/recycle/TrashExecutorWindows.h"

#include <memory>
#include <set>
#include <string>
#include <vector>

// The record a collection keeps of files (relative to root, with '/'), made here from the
// tree as it is now, and the request for them.
struct Request {
    CFileOperation op;
    std::unique_ptr<CDeleteRequest> request;

    Request(const std::string& root, const std::vector<std::string>& files);
    TrashReport Run(const TrashProgress& progress = {});
    TrashReport Run(const RecycleOptions& options, const TrashProgress& progress = {});
};

// The host paths the desktop trash of XDG_DATA_HOME records, of everything in it, or only
// of what came from below the folder below (a Windows path; the tests of a run share one
// trash, and run side by side).
std::set<std::string> TrashedHostPaths(const std::string& below = {});
bool InTrash(const std::string& path);
