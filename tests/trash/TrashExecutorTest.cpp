// The trash executor on real files. Every case runs in a child process whose HOME and
// XDG_DATA_HOME point into a temporary folder: GIO reads both once per process and
// caches them, so a fresh child per case is what gives each case its own trash (and keeps
// the real one out of reach). This process itself never calls GIO.
#include "deletion/FileOperation.h"
#include "platform/trash/ShellFileOperation.h"
#include "tests/support/TrashInfo.h"
#include "tests/support/TrashSandbox.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <map>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

// The report as the child saw it, plus the fAnyOperationsAborted flag and whatever the
// progress callback was shown.
struct Outcome {
    int exitStatus = -1;
    TrashReport report;
    bool aborted = false;
    std::vector<std::string> progress; // "index/total path"
};

std::string Serialize(const TrashReport& report, bool aborted,
                      const std::vector<std::string>& progress) {
    std::string out;
    auto put = [&](const std::string& s) {
        out += s;
        out += '\0';
    };
    put(report.refused ? "1" : "0");
    put(report.error);
    put(aborted ? "1" : "0");
    put(std::to_string(progress.size()));
    for (const std::string& p : progress)
        put(p);
    for (const TrashResult& r : report.results) {
        put(r.trashed ? "1" : "0");
        put(r.reason);
        put(r.path);
    }
    return out;
}

Outcome Parse(const ChildResult& child) {
    Outcome o;
    o.exitStatus = child.exitStatus;
    std::vector<std::string> f;
    for (std::size_t start = 0, end; (end = child.out.find('\0', start)) != std::string::npos;
         start = end + 1)
        f.push_back(child.out.substr(start, end - start));
    if (f.size() < 4)
        return o;
    o.report.refused = f[0] == "1";
    o.report.error = f[1];
    o.aborted = f[2] == "1";
    std::size_t i = 4;
    const std::size_t nProgress = std::stoul(f[3]);
    for (std::size_t k = 0; k < nProgress && i < f.size(); ++k)
        o.progress.push_back(f[i++]);
    for (; i + 2 < f.size(); i += 3)
        o.report.results.push_back({f[i + 2], f[i] == "1", f[i + 1], {}});
    return o;
}

struct TrashRun {
    std::vector<std::string> paths;
    UINT func = FO_DELETE;
    FILEOP_FLAGS flags = FOF_ALLOWUNDO;
    int stopBeforeIndex = -1; // the progress callback answers "stop" at this index
    bool unprivileged = false;
};

// Builds the request from a batch, as the delete command does, and carries it out in a
// child inside the sandbox.
Outcome Execute(const TrashSandbox& box, const TrashRun& run) {
    auto body = [&](std::string& out) {
        box.Enter();
        CFileOperation op;
        for (const std::string& p : run.paths)
            op.m_arrSource.Add(CString(p));
        CDeleteRequest request(op);
        request.Request().wFunc = run.func;
        request.Request().fFlags = run.flags;
        std::vector<std::string> seen;
        const TrashReport report = ExecuteShellFileOperation(
            request.Request(), [&](std::size_t index, std::size_t total, std::string_view path) {
                seen.push_back(std::to_string(index) + "/" + std::to_string(total) + " " +
                               std::string(path));
                return static_cast<int>(index) != run.stopBeforeIndex;
            });
        out = Serialize(report, request.Request().fAnyOperationsAborted != 0, seen);
    };
    return Parse(run.unprivileged ? RunUnprivileged(body) : RunInChild(body));
}

// Trashed name -> the original path its .trashinfo records, decoded to bytes.
std::map<std::string, std::string> TrashContents(const TrashSandbox& box) {
    std::map<std::string, std::string> contents;
    for (const auto& [name, record] : ReadTrashInfo(box.trash())) {
        EXPECT_TRUE(record.wellFormed) << name;
        contents[name] = record.path;
    }
    return contents;
}

std::string TrashList(const TrashSandbox& box) {
    const std::string cmd =
        "HOME='" + box.home() + "' XDG_DATA_HOME='" + box.data() + "' trash-list 2>&1";
    std::string out;
    if (FILE* p = ::popen(cmd.c_str(), "r")) {
        char buf[4096];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
            out.append(buf, n);
        ::pclose(p);
    }
    return out;
}

// How trash-list prints a path: every byte that is not part of valid UTF-8 shown as U+FFFD.
std::string AsTrashListShowsIt(const std::string& path) {
    std::string out;
    for (unsigned char c : path)
        out += c < 0x80 ? std::string(1, static_cast<char>(c)) : std::string("\xef\xbf\xbd");
    return out;
}

TEST(TrashExecutor, MovesEachFileToTheTrashRecordingItsOriginalPathByteForByte) {
    TrashSandbox box;
    const std::vector<std::string> names = {"plain.txt",     "with space.txt",
                                            "100%.txt",      "%41 not A.txt",
                                            "new\nline.txt", "\xff\xfe latin.txt"};
    std::vector<std::string> paths;
    for (const std::string& n : names) {
        paths.push_back(box.tree() + "/" + n);
        WriteFile(paths.back(), "content of " + n);
    }
    const Outcome o = Execute(box, {paths});
    ASSERT_EQ(o.exitStatus, 0);
    ASSERT_FALSE(o.report.refused);
    ASSERT_EQ(o.report.results.size(), names.size());

    const std::map<std::string, std::string> trash = TrashContents(box);
    EXPECT_EQ(trash.size(), names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        SCOPED_TRACE(names[i]);
        EXPECT_TRUE(o.report.results[i].trashed) << o.report.results[i].reason;
        EXPECT_EQ(o.report.results[i].path, paths[i]);
        EXPECT_FALSE(Exists(paths[i]));
        ASSERT_EQ(trash.count(names[i]), 1u);
        EXPECT_EQ(trash.at(names[i]), paths[i]);
        EXPECT_EQ(ReadFile(box.trash() + "/files/" + names[i]), "content of " + names[i]);
    }

    // A reader written by others sees every file with its original path.
    const std::string listed = TrashList(box);
    for (const std::string& p : paths)
        EXPECT_NE(listed.find(" " + AsTrashListShowsIt(p) + "\n"), std::string::npos) << p << "\n"
                                                                                      << listed;
}

TEST(TrashExecutor, SameNameFromTwoFoldersKeepsEachOriginalPath) {
    TrashSandbox box;
    MakeTree(box.tree(),
             {{TreeEntry::File, "one/x.txt", "1"}, {TreeEntry::File, "two/x.txt", "2"}});
    const Outcome o = Execute(box, {{box.tree() + "/one/x.txt", box.tree() + "/two/x.txt"}});
    ASSERT_EQ(o.exitStatus, 0);
    ASSERT_EQ(o.report.TrashedCount(), 2u);
    const std::map<std::string, std::string> trash = TrashContents(box);
    ASSERT_EQ(trash.size(), 2u);
    std::map<std::string, std::string> contentByOrigin;
    for (const auto& [trashed, origin] : trash)
        contentByOrigin[origin] = ReadFile(box.trash() + "/files/" + trashed);
    EXPECT_EQ(contentByOrigin[box.tree() + "/one/x.txt"], "1");
    EXPECT_EQ(contentByOrigin[box.tree() + "/two/x.txt"], "2");
    const std::string listed = TrashList(box);
    EXPECT_NE(listed.find(box.tree() + "/one/x.txt\n"), std::string::npos) << listed;
    EXPECT_NE(listed.find(box.tree() + "/two/x.txt\n"), std::string::npos) << listed;
}

TEST(TrashExecutor, LinksAreTrashedAsThemselvesAndTheirTargetsUntouched) {
    TrashSandbox box;
    MakeTree(box.tree(), {{TreeEntry::File, "target.dat", "keep me"},
                          {TreeEntry::File, "folder/inside.txt", "keep me too"},
                          {TreeEntry::Link, "x.txt", "target.dat"},
                          {TreeEntry::Link, "y.txt", "folder"},
                          {TreeEntry::Link, "z.txt", "nowhere"}});
    const Outcome o =
        Execute(box, {{box.tree() + "/x.txt", box.tree() + "/y.txt", box.tree() + "/z.txt"}});
    ASSERT_EQ(o.exitStatus, 0);
    ASSERT_EQ(o.report.TrashedCount(), 3u);
    EXPECT_EQ(ReadFile(box.tree() + "/target.dat"), "keep me");
    EXPECT_EQ(ReadFile(box.tree() + "/folder/inside.txt"), "keep me too");
    for (const char* name : {"x.txt", "y.txt", "z.txt"}) {
        EXPECT_FALSE(Exists(box.tree() + "/" + name));
        struct stat st;
        ASSERT_EQ(::lstat((box.trash() + "/files/" + name).c_str(), &st), 0) << name;
        EXPECT_TRUE(S_ISLNK(st.st_mode)) << name;
    }
}

// "link/.." is resolved by the kernel, as lstat sees it, never by text: the file checked
// is the file trashed.
TEST(TrashExecutor, DotDotAfterALinkNamesTheFileTheSystemResolves) {
    TrashSandbox box;
    MakeTree(box.tree(), {{TreeEntry::File, "f.txt", "by text"},
                          {TreeEntry::File, "real/f.txt", "by the system"},
                          {TreeEntry::Dir, "real/sub"},
                          {TreeEntry::Link, "ln", "real/sub"}});
    const Outcome o = Execute(box, {{box.tree() + "/ln/../f.txt"}});
    ASSERT_EQ(o.exitStatus, 0);
    ASSERT_EQ(o.report.TrashedCount(), 1u);
    EXPECT_EQ(ReadFile(box.tree() + "/f.txt"), "by text");
    EXPECT_FALSE(Exists(box.tree() + "/real/f.txt"));
    EXPECT_EQ(ReadFile(box.trash() + "/files/f.txt"), "by the system");
}

TEST(TrashExecutor, PathsThatAreGoneOrNowFoldersAreSkippedAndReported) {
    TrashSandbox box;
    MakeTree(box.tree(), {{TreeEntry::File, "first.txt"},
                          {TreeEntry::Dir, "became.txt"},
                          {TreeEntry::File, "became.txt/other.jpg", "other extension"},
                          {TreeEntry::File, "last.txt"}});
    const std::vector<std::string> paths = {box.tree() + "/first.txt", box.tree() + "/gone.txt",
                                            box.tree() + "/became.txt", box.tree() + "/last.txt"};
    const Outcome o = Execute(box, {paths});
    ASSERT_EQ(o.exitStatus, 0);
    ASSERT_EQ(o.report.results.size(), 4u);
    EXPECT_TRUE(o.report.results[0].trashed);
    EXPECT_FALSE(o.report.results[1].trashed);
    EXPECT_EQ(o.report.results[1].reason, "no longer exists");
    EXPECT_FALSE(o.report.results[2].trashed);
    EXPECT_EQ(o.report.results[2].reason, "is now a folder");
    EXPECT_TRUE(o.report.results[3].trashed);
    EXPECT_EQ(ReadFile(box.tree() + "/became.txt/other.jpg"), "other extension");
    EXPECT_EQ(Names(box.trash() + "/files"), (std::vector<std::string>{"first.txt", "last.txt"}));
}

TEST(TrashExecutor, StoppingLeavesTheRestInPlaceReportedAsStopped) {
    TrashSandbox box;
    std::vector<std::string> paths;
    for (const char* n : {"a.txt", "b.txt", "c.txt"}) {
        paths.push_back(box.tree() + "/" + n);
        WriteFile(paths.back());
    }
    TrashRun run{paths};
    run.stopBeforeIndex = 1;
    const Outcome o = Execute(box, run);
    ASSERT_EQ(o.exitStatus, 0);
    EXPECT_EQ(o.progress, (std::vector<std::string>{"0/3 " + paths[0], "1/3 " + paths[1]}));
    ASSERT_EQ(o.report.results.size(), 3u);
    EXPECT_TRUE(o.report.results[0].trashed);
    for (int i : {1, 2}) {
        EXPECT_FALSE(o.report.results[i].trashed);
        EXPECT_EQ(o.report.results[i].reason, "stopped");
        EXPECT_EQ(o.report.results[i].path, paths[i]);
        EXPECT_TRUE(Exists(paths[i]));
    }
    EXPECT_TRUE(o.aborted);
    EXPECT_FALSE(Exists(paths[0]));
}

TEST(TrashExecutor, OtherOperationsOrFlagsAreRefusedAndTouchNothing) {
    struct Case {
        UINT func;
        FILEOP_FLAGS flags;
    } cases[] = {{FO_COPY, FOF_ALLOWUNDO},
                 {FO_MOVE, FOF_ALLOWUNDO},
                 {FO_RENAME, FOF_ALLOWUNDO},
                 {FO_DELETE, 0},
                 {FO_DELETE, FOF_ALLOWUNDO | 0x0010},
                 {0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.func) + " " + std::to_string(c.flags));
        TrashSandbox box;
        const std::string path = box.tree() + "/a.txt";
        WriteFile(path, "x");
        TrashRun run{{path}, c.func, c.flags};
        const Outcome o = Execute(box, run);
        ASSERT_EQ(o.exitStatus, 0);
        EXPECT_TRUE(o.report.refused);
        EXPECT_FALSE(o.report.error.empty());
        EXPECT_TRUE(o.report.results.empty());
        EXPECT_TRUE(o.progress.empty());
        EXPECT_EQ(ReadFile(path), "x");
        EXPECT_FALSE(Exists(box.data()));
    }
}

TEST(TrashExecutor, EmptyListDoesNothing) {
    TrashSandbox box;
    const Outcome o = Execute(box, {});
    ASSERT_EQ(o.exitStatus, 0);
    EXPECT_FALSE(o.report.refused);
    EXPECT_TRUE(o.report.results.empty());
    EXPECT_TRUE(o.progress.empty());
    EXPECT_FALSE(Exists(box.data()));
}

TEST(TrashExecutor, NameTooLongForTheTrashIsReportedAndKept) {
    TrashSandbox box;
    // 250 bytes fit a folder, but its .trashinfo name (+10) does not.
    const std::string path = box.tree() + "/" + std::string(246, 'n') + ".txt";
    WriteFile(path, "long");
    const Outcome o = Execute(box, {{path}});
    ASSERT_EQ(o.exitStatus, 0);
    ASSERT_EQ(o.report.results.size(), 1u);
    EXPECT_FALSE(o.report.results[0].trashed);
    EXPECT_EQ(o.report.results[0].reason, "name too long");
    EXPECT_EQ(ReadFile(path), "long");
    EXPECT_TRUE(Names(box.trash() + "/info").empty());
}

TEST(TrashExecutor, FileInAReadOnlyFolderIsReportedUntouchedWithNoInfoLeftBehind) {
    TrashSandbox box;
    MakeTree(box.tree(),
             {{TreeEntry::File, "ro/kept.txt", "kept"}, {TreeEntry::File, "rw/goes.txt"}});
    box.GiveToNobody();
    ASSERT_EQ(::chmod((box.tree() + "/ro").c_str(), 0555), 0);
    TrashRun run{{box.tree() + "/ro/kept.txt", box.tree() + "/rw/goes.txt"}};
    run.unprivileged = true;
    const Outcome o = Execute(box, run);
    ASSERT_EQ(o.exitStatus, 0);
    ASSERT_EQ(o.report.results.size(), 2u);
    EXPECT_FALSE(o.report.results[0].trashed);
    EXPECT_EQ(o.report.results[0].reason, "permission denied");
    EXPECT_TRUE(o.report.results[1].trashed) << o.report.results[1].reason;
    EXPECT_EQ(ReadFile(box.tree() + "/ro/kept.txt"), "kept");
    EXPECT_EQ(Names(box.trash() + "/info"), std::vector<std::string>{"goes.txt.trashinfo"});
    EXPECT_EQ(Names(box.trash() + "/files"), std::vector<std::string>{"goes.txt"});
}

// A trash that cannot be used: each case must report every file promptly (the child is
// bounded by an alarm), move nothing, and leave no info file.
TEST(TrashExecutor, UnusableTrashReportsEveryFileAndMovesNothing) {
    struct Case {
        const char* name;
        std::function<void(const TrashSandbox&)> spoil;
        bool unprivileged;
        std::string reason;
    } cases[] = {
        {"data home is a file", [](const TrashSandbox& b) { WriteFile(b.data(), "not a folder"); },
         false, "no usable trash (its folder cannot be created)"},
        {"trash is a file", [](const TrashSandbox& b) { WriteFile(b.trash(), "not a folder"); },
         false, "no usable trash (its folder cannot be created)"},
        {"info not writable",
         [](const TrashSandbox& b) {
             MakeTree(b.dir.path(),
                      {{TreeEntry::Dir, "data/Trash/info"}, {TreeEntry::Dir, "data/Trash/files"}});
             b.GiveToNobody();
             ::chmod((b.trash() + "/info").c_str(), 0555);
         },
         true, "permission denied by the trash folder"},
        {"files not writable",
         [](const TrashSandbox& b) {
             MakeTree(b.dir.path(),
                      {{TreeEntry::Dir, "data/Trash/info"}, {TreeEntry::Dir, "data/Trash/files"}});
             b.GiveToNobody();
             ::chmod((b.trash() + "/files").c_str(), 0555);
         },
         true, "permission denied by the trash folder"},
        {"data home not writable",
         [](const TrashSandbox& b) {
             MakeTree(b.dir.path(), {{TreeEntry::Dir, "data"}});
             b.GiveToNobody();
             ::chmod(b.data().c_str(), 0555);
         },
         true, "permission denied by the trash folder"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TrashSandbox box;
        const std::vector<std::string> paths = {box.tree() + "/a.txt", box.tree() + "/b.txt"};
        for (const std::string& p : paths)
            WriteFile(p, "stay");
        c.spoil(box);
        TrashRun run{paths};
        run.unprivileged = c.unprivileged;
        const Outcome o = Execute(box, run);
        ASSERT_EQ(o.exitStatus, 0) << "a hang ends the child with " << 128 + SIGALRM;
        ASSERT_EQ(o.report.results.size(), 2u);
        for (std::size_t i = 0; i < paths.size(); ++i) {
            EXPECT_FALSE(o.report.results[i].trashed);
            EXPECT_EQ(o.report.results[i].reason, c.reason);
            EXPECT_EQ(ReadFile(paths[i]), "stay");
        }
        EXPECT_TRUE(Names(box.trash() + "/info").empty());
        EXPECT_TRUE(Names(box.trash() + "/files").empty());
    }
}

} // namespace
