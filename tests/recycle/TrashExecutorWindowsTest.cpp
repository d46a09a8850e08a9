// The Windows executor under Wine: files to the recycle bin (Wine's is the desktop trash,
// read here through its info files), everything else left where it is, with its reason.
#include "platform/recycle/TrashExecutorWindows.h"
#include "deletion/FileOperation.h"
#include "platform/core/PathSeparator.h"
#include "platform/core/WideText.h"
#include "platform/core/WinFile.h"
#include "tests/support/TempTree.h"
#include "tests/support/TrashInfo.h"
#include "tests/support/WineHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

WinFileInfo InfoOf(const std::string& path, bool followLink) {
    WinFileInfo info;
    const CWinHandle handle =
        followLink ? OpenHeld(LongPath(path), true) : OpenToLook(LongPath(path));
    EXPECT_TRUE(handle && QueryInfo(handle.Get(), info)) << path;
    return info;
}

// The record a collection keeps of files (relative to root, with '/'), made here from the
// tree as it is now, and the request for them.
struct Request {
    CFileOperation op;
    std::unique_ptr<CDeleteRequest> request;

    Request(const std::string& root, const std::vector<std::string>& files) {
        CFileBatch& batch = op.m_batch;
        batch.root = root;
        const WinFileInfo top = InfoOf(root, true);
        batch.folders.push_back({0, "", top.volume, top.index});
        std::map<std::string, std::uint32_t> folders{{"", 0}};
        for (const std::string& file : files) {
            std::string folder;
            std::size_t at = 0;
            for (std::size_t slash; (slash = file.find('/', at)) != std::string::npos;
                 at = slash + 1) {
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

    TrashReport Run(const TrashProgress& progress = {}) {
        return ExecuteShellFileOperation(request->Request(), &op.m_batch, progress);
    }
};

// The host paths the desktop trash records, of everything in it.
std::set<std::string> TrashedHostPaths() {
    const char* data = std::getenv("XDG_DATA_HOME");
    EXPECT_TRUE(data && *data == '/') << "the tests run through scripts/wine-run.sh";
    std::set<std::string> paths;
    for (const auto& [name, record] : ReadTrashInfo("Z:" + Native(std::string(data) + "/Trash")))
        paths.insert(record.path);
    return paths;
}

bool InTrash(const std::string& path) {
    return TrashedHostPaths().count(HostPath(path)) == 1;
}

} // namespace

TEST(RecycleBin, MovesEachRequestedFileToTheRecycleBinAndNothingElse) {
    TempDir dir;
    MakeTree(dir.path(), {{TreeEntry::File, "a.tmp"},
                          {TreeEntry::File, "sub/b.tmp"},
                          {TreeEntry::File, "sub/keep.txt"},
                          {TreeEntry::File, "deep/er/c.tmp"},
                          {TreeEntry::Dir, "sub/empty.tmp"}});
    const std::vector<std::string> files = {"a.tmp", "sub/b.tmp", "deep/er/c.tmp"};
    Request request(dir.path(), files);
    const TrashReport report = request.Run();

    ASSERT_FALSE(report.refused) << report.error;
    ASSERT_EQ(report.results.size(), files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::string path = dir / Native(files[i]);
        EXPECT_TRUE(report.results[i].trashed) << path << ": " << report.results[i].reason;
        EXPECT_EQ(report.results[i].path, path);
        EXPECT_FALSE(Exists(path));
        EXPECT_TRUE(InTrash(path)) << path;
    }
    EXPECT_TRUE(Exists(dir / Native("sub/keep.txt")));
    EXPECT_TRUE(Exists(dir / Native("sub/empty.tmp")));
    EXPECT_TRUE(Exists(dir / Native("deep/er")));
}

// What happened to the file, or to a folder on its way, between the scan and the delete.
struct ChangeCase {
    const char* what;
    std::function<void(const TempDir&)> change;
    const char* reason;
    std::vector<std::string> stayed; // still there afterwards (relative, with '/')
};

class RecycleBinChange : public ::testing::TestWithParam<ChangeCase> {};

TEST_P(RecycleBinChange, LeavesTheFileWithItsReasonAndMovesNothing) {
    const ChangeCase& c = GetParam();
    TempDir dir;
    MakeTree(dir.path(), {{TreeEntry::File, "sub/b.tmp", "old"},
                          {TreeEntry::File, "elsewhere/b.tmp", "not ours"}});
    Request request(dir.path(), {"sub/b.tmp"});
    c.change(dir);
    const std::set<std::string> before = TrashedHostPaths();

    const TrashReport report = request.Run();

    ASSERT_EQ(report.results.size(), 1u) << report.error;
    EXPECT_FALSE(report.results[0].trashed) << c.what;
    EXPECT_EQ(report.results[0].reason, c.reason) << c.what;
    EXPECT_EQ(TrashedHostPaths(), before) << c.what;
    for (const std::string& kept : c.stayed)
        EXPECT_TRUE(Exists(dir / Native(kept))) << c.what << ": " << kept;
}

INSTANTIATE_TEST_SUITE_P(
    SinceTheScan, RecycleBinChange,
    ::testing::Values(
        ChangeCase{"gone",
                   [](const TempDir& d) { DeleteFileW(LongPath(d / "sub\\b.tmp").c_str()); },
                   kReasonGone,
                   {"elsewhere/b.tmp"}},
        ChangeCase{"now a folder",
                   [](const TempDir& d) {
                       DeleteFileW(LongPath(d / "sub\\b.tmp").c_str());
                       MakeTree(d.path(), {{TreeEntry::File, "sub/b.tmp/inside.txt"}});
                   },
                   kReasonNowFolder,
                   {"sub/b.tmp/inside.txt"}},
        ChangeCase{"replaced by another file",
                   [](const TempDir& d) {
                       WriteFile(d / "sub\\b.new", "new");
                       MoveFileExW(LongPath(d / "sub\\b.new").c_str(),
                                   LongPath(d / "sub\\b.tmp").c_str(), MOVEFILE_REPLACE_EXISTING);
                   },
                   kReasonChanged,
                   {"sub/b.tmp"}},
        ChangeCase{"its folder swapped for another",
                   [](const TempDir& d) {
                       MoveFileW(LongPath(d / "sub").c_str(), LongPath(d / "old").c_str());
                       MoveFileW(LongPath(d / "elsewhere").c_str(), LongPath(d / "sub").c_str());
                   },
                   kReasonChanged,
                   {"sub/b.tmp", "old/b.tmp"}},
        ChangeCase{"its folder swapped for a link",
                   [](const TempDir& d) {
                       MoveFileW(LongPath(d / "sub").c_str(), LongPath(d / "old").c_str());
                       MakeTree(d.path(), {{TreeEntry::Link, "sub", "elsewhere"}});
                   },
                   kReasonChanged,
                   {"elsewhere/b.tmp", "old/b.tmp"}}),
    [](const auto& info) {
        std::string name;
        for (const char ch : std::string(info.param.what))
            name += ch == ' ' ? '_' : ch;
        return name;
    });

TEST(RecycleBin, RefusesWhatItDoesNotCarryOutAndTouchesNothing) {
    TempDir dir;
    MakeTree(dir.path(), {{TreeEntry::File, "a.tmp"}, {TreeEntry::File, "b.tmp"}});
    const struct {
        const char* what;
        std::function<void(Request&)> spoil;
    } cases[] = {
        {"a move", [](Request& r) { r.request->Request().wFunc = FO_MOVE; }},
        {"more than undo", [](Request& r) { r.request->Request().fFlags |= 0x0010; }},
        {"a record of other files", [](Request& r) { r.op.m_batch.files[1].name = "c.tmp"; }},
    };
    for (const auto& c : cases) {
        Request request(dir.path(), {"a.tmp", "b.tmp"});
        c.spoil(request);
        const TrashReport report = request.Run();
        EXPECT_TRUE(report.refused) << c.what;
        EXPECT_TRUE(report.results.empty()) << c.what;
        EXPECT_TRUE(Exists(dir / "a.tmp") && Exists(dir / "b.tmp")) << c.what;
    }
}

TEST(RecycleBin, AStopLeavesThatFileAndTheRestWhereTheyAre) {
    TempDir dir;
    MakeTree(dir.path(),
             {{TreeEntry::File, "1.tmp"}, {TreeEntry::File, "2.tmp"}, {TreeEntry::File, "3.tmp"}});
    Request request(dir.path(), {"1.tmp", "2.tmp", "3.tmp"});
    const TrashReport report =
        request.Run([](std::size_t index, std::size_t, std::string_view) { return index < 1; });
    ASSERT_EQ(report.results.size(), 3u);
    EXPECT_TRUE(report.results[0].trashed);
    EXPECT_EQ(report.results[1].reason, kReasonStopped);
    EXPECT_EQ(report.results[2].reason, kReasonStopped);
    EXPECT_TRUE(request.request->Request().fAnyOperationsAborted);
    EXPECT_TRUE(Exists(dir / "2.tmp") && Exists(dir / "3.tmp"));
}

// Without a trash Wine's recycle bin deletes for good; the executor asks first and moves
// nothing. The run is a process of its own, started with a data folder that does not
// exist (Wine looks for its trash once per process).
TEST(RecycleBin, WithoutARecycleBinNothingIsDeleted) {
    TempDir dir;
    MakeTree(dir.path(), {{TreeEntry::File, "a.tmp"}, {TreeEntry::File, "sub/b.tmp"}});
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring command = L"\"" + std::wstring(self) + L"\" --recycle-without-trash \"" +
                                 WideFromUtf8(dir.path()) + L"\"";
    SetEnvironmentVariableW(L"XDG_DATA_HOME", WideFromUtf8(HostPath(dir / "no-data")).c_str());
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::wstring line = command;
    const BOOL started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                        nullptr, &startup, &process);
    ASSERT_TRUE(started);
    WaitForSingleObject(process.hProcess, 60000);
    DWORD status = 1;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EXPECT_EQ(status, 0u) << "the child reports each file kept for want of a recycle bin";
    EXPECT_TRUE(Exists(dir / "a.tmp"));
    EXPECT_TRUE(Exists(dir / Native("sub/b.tmp")));
}

// The child of the test above: every file must be reported kept for want of a recycle bin.
int RecycleWithoutTrash(const std::string& root) {
    Request request(root, {"a.tmp", "sub/b.tmp"});
    const TrashReport report = request.Run();
    int wrong = report.results.size() == 2 ? 0 : 1;
    for (const TrashResult& result : report.results)
        wrong += result.trashed || result.reason != kReasonNoDriveTrash;
    return wrong;
}

// Another program swaps a folder for a decoy of the same files over and over while the
// delete runs. A folder the executor holds cannot be renamed, so every file it moves is
// from the folder the scan saw, and no decoy ever reaches the trash.
TEST(RecycleBin, AnotherProgramCannotSwapAHeldFolderForADecoy) {
    TempDir dir;
    std::vector<TreeEntry> tree;
    std::vector<std::string> files;
    for (int i = 0; i < 100; ++i) {
        const std::string name = std::to_string(i) + ".tmp";
        tree.push_back({TreeEntry::File, "sub/" + name, "ours"});
        tree.push_back({TreeEntry::File, "decoy/" + name, "not ours"});
        files.push_back("sub/" + name);
    }
    MakeTree(dir.path(), tree);
    Request request(dir.path(), files);

    std::atomic<bool> done{false};
    std::thread swapper([&] {
        const std::wstring sub = LongPath(dir / "sub"), decoy = LongPath(dir / "decoy"),
                           aside = LongPath(dir / "aside");
        for (int round = 0; round < 20000 && !done; ++round)
            if (MoveFileW(sub.c_str(), aside.c_str())) {
                MoveFileW(decoy.c_str(), sub.c_str());
                Sleep(0);
                MoveFileW(sub.c_str(), decoy.c_str());
                MoveFileW(aside.c_str(), sub.c_str());
            }
    });
    const TrashReport report = request.Run();
    done = true;
    swapper.join();

    // Wherever the swaps left them, the hundred decoys are all still in the tree.
    int decoys = 0;
    for (const char* folder : {"sub", "decoy", "aside"})
        for (const std::string& name : Names(dir / folder))
            decoys += ReadFile(dir / (std::string(folder) + "\\" + name)) == "not ours";
    EXPECT_EQ(decoys, 100);
    // A file not moved was left because its folder, when its turn came, was the decoy, was
    // away in the middle of a swap, or was being moved by the other program.
    for (const TrashResult& result : report.results) {
        if (!result.trashed) {
            EXPECT_TRUE(result.reason == kReasonChanged || result.reason == kReasonGone ||
                        result.reason == kReasonInUse)
                << result.path << ": " << result.reason;
        }
    }
}

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--recycle-without-trash")
        return RecycleWithoutTrash(argv[2]);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
