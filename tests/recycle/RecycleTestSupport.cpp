#include "tests/recycle/RecycleTestSupport.h"

#include "platform/core/PathSeparator.h"
#include "platform/core/WideText.h"
#include "platform/core/WinFile.h"
#include "tests/support/TempTree.h"
#include "tests/support/TrashInfo.h"
#include "tests/support/WineHost.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

namespace {

WinFileInfo InfoOf(const std::string& path, bool followLink) {
    WinFileInfo info;
    const CWinHandle handle =
        followLink ? OpenHeld(LongPath(path), true) : OpenToLook(LongPath(path));
    EXPECT_TRUE(handle && QueryInfo(handle.Get(), info)) << path;
    return info;
}

} // namespace

Request::Request(const std::string& root, const std::vector<std::string>& files) {
    CFileBatch& batch = op.m_batch;
    batch.root = root;
    const WinFileInfo top = InfoOf(root, true);
    batch.folders.push_back({0, "", top.volume, top.index});
    std::map<std::string, std::uint32_t> folders{{"", 0}};
    for (const std::string& file : files) {
        std::string folder;
        std::size_t at = 0;
        for (std::size_t slash; (slash = file.find('/', at)) != std::string::npos; at = slash + 1) {
            const std::string parent = folder;
            folder = file.substr(0, slash);
            if (folders.count(folder))
                continue;
            const WinFileInfo info = InfoOf(JoinPath(root, Native(folder)), false);
            folders[folder] = static_cast<std::uint32_t>(batch.folders.size());
            batch.folders.push_back(
                {folders[parent], file.substr(at, slash - at), info.volume, info.index});
        }
        const std::string path = JoinPath(root, Native(file));
        const WinFileInfo info = InfoOf(path, false);
        batch.files.push_back({folders[folder], file.substr(at), info.volume, info.index, 0});
        op.m_arrSource.Add(CString(path));
    }
    request = std::make_unique<CDeleteRequest>(op);
}

TrashReport Request::Run(const TrashProgress& progress) {
    return ExecuteShellFileOperation(request->Request(), &op.m_batch, progress);
}

TrashReport Request::Run(const RecycleOptions& options, const TrashProgress& progress) {
    return RecycleFiles(request->Request(), &op.m_batch, progress, options);
}

std::set<std::string> TrashedHostPaths(const std::string& below) {
    const char* data = std::getenv("XDG_DATA_HOME");
    EXPECT_TRUE(data && *data == '/') << "the tests run through scripts/wine-run.sh";
    const std::string prefix = below.empty() ? "" : HostPath(below) + "/";
    std::set<std::string> paths;
    for (const auto& [name, record] : ReadTrashInfo("Z:" + Native(std::string(data) + "/Trash")))
        if (record.path.compare(0, prefix.size(), prefix) == 0)
            paths.insert(record.path);
    return paths;
}

bool InTrash(const std::string& path) {
    return TrashedHostPaths().count(HostPath(path)) == 1;
}
