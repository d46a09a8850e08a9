// The Windows executor under Wine: files to the recycle bin (Wine's is the desktop trash,
// read here through its info files), everything else left where it is, with its reason.
#include "deletion/CollectFiles.h"
#include "platform/core/PathSeparator.h"
#include "platform/core/WideText.h"
#include "platform/core/WinFile.h"
#include "platform/recycle/FileOperationShell.h"
#include "tests/recycle/FakeFileOperation.h"
#include "tests/recycle/RecycleTestSupport.h"
#include "tests/support/TempTree.h"
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
    std::vector<std::string> stayed;  // still there afterwards (relative, with '/')
    ReparseTagStandIn tags = nullptr; // the reparse tags Wine cannot give, during the run
};

// A cloud placeholder (IO_REPARSE_TAG_CLOUD_6) where the file was: a folder, not a link.
DWORD PlaceholderTag(std::wstring_view name) {
    return name == L"b.tmp" ? 0x9000601A : 0;
}

class RecycleBinChange : public ::testing::TestWithParam<ChangeCase> {};

TEST_P(RecycleBinChange, LeavesTheFileWithItsReasonAndMovesNothing) {
    const ChangeCase& c = GetParam();
    TempDir dir;
    MakeTree(dir.path(), {{TreeEntry::File, "sub/b.tmp", "old"},
                          {TreeEntry::File, "elsewhere/b.tmp", "not ours"}});
    Request request(dir.path(), {"sub/b.tmp"});
    c.change(dir);
    const std::set<std::string> before = TrashedHostPaths(dir.path());

    SetReparseTagStandIn(c.tags);
    const TrashReport report = request.Run();
    SetReparseTagStandIn(nullptr);

    ASSERT_EQ(report.results.size(), 1u) << report.error;
    EXPECT_FALSE(report.results[0].trashed) << c.what;
    EXPECT_EQ(report.results[0].reason, c.reason) << c.what;
    EXPECT_EQ(TrashedHostPaths(dir.path()), before) << c.what;
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
        ChangeCase{"now a cloud placeholder folder",
                   [](const TempDir& d) {
                       DeleteFileW(LongPath(d / "sub\\b.tmp").c_str());
                       MakeTree(d.path(), {{TreeEntry::File, "sub/b.tmp/inside.txt"}});
                   },
                   kReasonNowFolder,
                   {"sub/b.tmp/inside.txt"},
                   PlaceholderTag},
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

// The shell is given ordinary paths, and reads them by rules of its own: a name that would
// be read as another one, or as a pattern, or a path too long for it, stays with a reason
// that says so, and never costs another file its place (report.txt. would be report.txt).
TEST(RecycleBin, PathsTheShellWouldReadAsAnotherNameStayWithTheirReason) {
    ASSERT_TRUE(OnWine());
    TempDir dir;
    const std::string deep = std::string(60, 'd') + "/" + std::string(60, 'e') + "/" +
                             std::string(60, 'f') + "/" + std::string(60, 'g');
    const struct {
        std::string name;
        const char* reason; // null: moved
    } cases[] = {
        {"report.txt.", kReasonNameDropsDotOrSpace},
        {"report.txt ", kReasonNameDropsDotOrSpace},
        {"folder./inside.txt", kReasonNameDropsDotOrSpace},
        {"a*b.txt", kReasonNameIsPattern},
        {"what?.txt", kReasonNameIsPattern},
        {"stream:name.txt", kReasonNameNotWindows},
        {"nul.txt", kReasonNameIsDevice},
        {"com1.txt", kReasonNameIsDevice},
        {deep + "/far.txt", kReasonPathTooLongForShell},
        {"report.txt", nullptr},
    };
    // Windows' own calls make no name with * ? or ':'; the host's do.
    std::vector<TreeEntry> tree;
    for (const auto& c : cases)
        if (c.name.find_first_of("*?:") == std::string::npos)
            tree.push_back({TreeEntry::File, c.name, "ours"});
    MakeTree(dir.path(), tree);
    for (const char* name : {"a*b.txt", "what?.txt", "stream:name.txt"}) {
        ASSERT_TRUE(StartHost({"/usr/bin/touch", HostPath(dir.path()) + "/" + name}));
        ASSERT_TRUE(WaitUntil([&] {
            const std::vector<std::string> names = Names(dir.path());
            return std::find(names.begin(), names.end(), name) != names.end();
        }));
    }
    // "report.txt." has the extension ".", and "report.txt " none (a space ends one).
    CFileOperation op;
    for (const char* extension : {".txt", ".", ""})
        CollectFilesWithExtension(op, extension, CString(dir.path()));
    CDeleteRequest request(op);
    const TrashReport report = ExecuteShellFileOperation(request.Request(), &op.m_batch);

    std::map<std::string, const TrashResult*> byPath;
    for (const TrashResult& result : report.results)
        byPath[result.path] = &result;
    ASSERT_EQ(report.results.size(), std::size(cases)) << report.error;
    for (const auto& c : cases) {
        const std::string path = dir / Native(c.name);
        ASSERT_TRUE(byPath.count(path)) << path;
        const TrashResult& result = *byPath[path];
        if (c.reason) {
            EXPECT_FALSE(result.trashed) << c.name;
            EXPECT_EQ(result.reason, c.reason) << c.name;
            const std::string folder = path.substr(0, path.find_last_of('\\'));
            const std::vector<std::string> names = Names(folder);
            EXPECT_NE(std::find(names.begin(), names.end(), path.substr(folder.size() + 1)),
                      names.end())
                << c.name << " was moved";
        } else {
            EXPECT_TRUE(result.trashed) << c.name << ": " << result.reason;
            EXPECT_TRUE(InTrash(path)) << c.name;
        }
    }
}

// A folder's files go to the shell together, in calls of at most the limit, so that Stop
// waits for one call at most: the files before the stop are moved, the rest stay.
TEST(RecycleBin, HandsAFoldersFilesOverInCallsOfAtMostTheLimit) {
    TempDir dir;
    std::vector<TreeEntry> tree;
    std::vector<std::string> files;
    for (int i = 0; i < 450; ++i) {
        files.push_back((i < 300 ? "a/" : "b/") + std::to_string(i) + ".tmp");
        tree.push_back({TreeEntry::File, files.back()});
    }
    MakeTree(dir.path(), tree);
    Request all(dir.path(), std::vector<std::string>(files.begin(), files.begin() + 400));
    Request stopped(dir.path(), std::vector<std::string>(files.begin() + 400, files.end()));
    std::size_t calls = 0;
    RecycleOptions options;
    options.batchLimit = 120;
    options.shellCalls = &calls;

    const TrashReport report = all.Run(options);
    EXPECT_EQ(report.TrashedCount(), 400u);
    EXPECT_EQ(calls, 4u); // 120 + 120 + 60 of a/, 100 of b/

    const TrashReport partly = stopped.Run(
        options, [](std::size_t index, std::size_t, std::string_view) { return index < 30; });
    EXPECT_EQ(partly.TrashedCount(), 30u);
    EXPECT_EQ(partly.StoppedCount(), 20u);
    EXPECT_EQ(calls, 1u);
    for (std::size_t i = 430; i < files.size(); ++i)
        EXPECT_TRUE(Exists(dir / files[i])) << files[i];
}

// The shell's newer interface (IFileOperation, here a stand-in: Wine's does nothing) says
// what became of each file. A file it deleted for good is reported so, never as moved; a
// file that changed just before the shell came to it stops the call and stays, and the
// files after it go in the next call.
TEST(RecycleBin, WithTheNewerShellInterfaceEachFilesFateIsKnown) {
    TempDir dir;
    const struct {
        const char* name;
        FakeAct act;
        bool trashed;
        const char* reason;
    } cases[] = {
        {"moved.tmp", FakeAct::Recycle, true, ""},
        {"destroyed.tmp", FakeAct::Destroy, false, kReasonDeletedPermanently},
        {"refused.tmp", FakeAct::Refuse, false, kReasonBinRefused},
        {"swapped.tmp", FakeAct::SwapBefore, false, kReasonChanged},
        {"after.tmp", FakeAct::Recycle, true, ""},
        {"other-in-bin.tmp", FakeAct::SwapInBin, false, kReasonSwappedIntoTrash},
    };
    std::vector<TreeEntry> tree{{TreeEntry::Dir, "bin"}};
    std::vector<std::string> files;
    for (const auto& c : cases) {
        tree.push_back({TreeEntry::File, std::string("in/") + c.name, "ours"});
        files.push_back(std::string("in/") + c.name);
    }
    MakeTree(dir.path(), tree);
    Request request(dir.path(), files);
    const std::wstring bin = WideFromUtf8(dir / "bin");
    const FakeScript script = [&](const std::wstring& name) {
        for (const auto& c : cases)
            if (name == WideFromUtf8(c.name))
                return c.act;
        return FakeAct::Recycle;
    };
    std::size_t calls = 0;
    RecycleOptions options;
    options.shellCalls = &calls;
    options.makeShell = [&](HWND owner) {
        return MakeFileOperationShell(owner, [&](IFileOperation** operation) {
            return MakeFakeFileOperation(operation, script, bin);
        });
    };
    const TrashReport report = request.Run(options);

    ASSERT_EQ(report.results.size(), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(report.results[i].trashed, cases[i].trashed) << cases[i].name;
        EXPECT_EQ(report.results[i].reason, cases[i].reason) << cases[i].name;
    }
    EXPECT_EQ(calls, 2u); // the call stopped at swapped.tmp; after.tmp went in the next
    EXPECT_TRUE(Exists(dir / "in/refused.tmp"));
    EXPECT_TRUE(Exists(dir / "in/swapped.tmp"));
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
        wrong += result.trashed || result.reason != kReasonNoRecycleBin;
    return wrong;
}

// Another program swaps a folder, over and over while the delete runs, for a decoy of the
// same files or for a link to a folder outside the chosen one that holds them too. A
// folder the executor holds cannot be renamed, and each file is checked right before its
// folder's call, so every file it moves is from the folder the scan saw: no decoy, and
// nothing outside, ever reaches the recycle bin.
TEST(RecycleBin, AnotherProgramCannotSwapAHeldFolderForADecoyOrALink) {
    TempDir dir;
    std::vector<TreeEntry> tree;
    std::vector<std::string> files;
    for (int i = 0; i < 300; ++i) {
        const std::string name = std::to_string(i) + ".tmp";
        tree.push_back({TreeEntry::File, "tree/sub/" + name, "ours"});
        tree.push_back({TreeEntry::File, "tree/decoy/" + name, "not ours"});
        tree.push_back({TreeEntry::File, "outside/" + name, "not ours"});
        files.push_back("sub/" + name);
    }
    tree.push_back({TreeEntry::Link, "tree/link", "../outside"});
    MakeTree(dir.path(), tree);
    Request request(dir / "tree", files);

    std::atomic<bool> done{false};
    std::thread swapper([&] {
        const std::wstring sub = LongPath(dir / "tree\\sub"), aside = LongPath(dir / "tree\\aside");
        const std::wstring stand[] = {LongPath(dir / "tree\\decoy"), LongPath(dir / "tree\\link")};
        for (int round = 0; round < 20000 && !done; ++round)
            if (MoveFileW(sub.c_str(), aside.c_str())) {
                const std::wstring& in = stand[round % 2];
                MoveFileW(in.c_str(), sub.c_str());
                Sleep(0);
                MoveFileW(sub.c_str(), in.c_str());
                MoveFileW(aside.c_str(), sub.c_str());
            }
    });
    const TrashReport report = request.Run();
    done = true;
    swapper.join();

    // Wherever the swaps left them, the decoys and the files outside are all still there.
    int others = 0;
    for (const char* folder : {"tree\\sub", "tree\\decoy", "tree\\aside", "outside"})
        for (const std::string& name : Names(dir / folder))
            others += ReadFile(dir / (std::string(folder) + "\\" + name)) == "not ours";
    EXPECT_EQ(others, 600);
    // A file not moved was left because its folder, when its turn came, was the decoy or
    // the link, was away in the middle of a swap, or was being moved by the other program.
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
