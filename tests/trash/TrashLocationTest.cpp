// Which trash a file goes to: the home trash, made when missing and refused when it
// cannot be used, and on another drive its .Trash/$uid or .Trash-$uid, checked as the
// freedesktop.org Trash rules say. Drives are small tmpfs mounts that only a child
// process sees.
#include "platform/trash/TrashExecutorPosix.h"
#include "tests/support/PrivateMount.h"
#include "tests/support/TrashInfo.h"
#include "tests/trash/TrashTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

mode_t ModeOf(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// Makes the folders made (relative to the sandbox), hands everything to the unprivileged
// user, and takes write permission away from readOnly.
std::function<void(const TrashSandbox&)> Unwritable(std::vector<std::string> made,
                                                    std::string readOnly) {
    return [=](const TrashSandbox& b) {
        for (const std::string& folder : made)
            MakeTree(b.dir.path(), {{TreeEntry::Dir, folder}});
        b.GiveToNobody();
        ::chmod((b.dir / readOnly).c_str(), 0555);
    };
}

TEST(TrashLocation, TheHomeTrashIsMadeWhenMissingAndRefusedWhenItCannotBeUsed) {
    const std::vector<std::string> trashParts = {"data/Trash/info", "data/Trash/files"};
    struct Case {
        const char* name;
        std::function<void(const TrashSandbox&)> prepare; // before, as root
        std::function<void()> inChild;                    // the environment of the delete
        bool unprivileged;
        const char* reason; // null: trashed
        std::function<std::string(const TrashSandbox&)> trash;
    } cases[] = {
        {"missing", {}, {}, false, nullptr, [](const TrashSandbox& b) { return b.trash(); }},
        {"XDG_DATA_HOME unset",
         {},
         [] { ::unsetenv("XDG_DATA_HOME"); },
         false,
         nullptr,
         [](const TrashSandbox& b) { return b.home() + "/.local/share/Trash"; }},
        {"XDG_DATA_HOME not absolute",
         {},
         [] { ::setenv("XDG_DATA_HOME", "data", 1); },
         false,
         nullptr,
         [](const TrashSandbox& b) { return b.home() + "/.local/share/Trash"; }},
        {"Trash a file",
         [](const TrashSandbox& b) { WriteFile(b.trash(), "not a folder"); },
         {},
         false,
         "no usable trash (its folder cannot be created)",
         {}},
        {"data home a file",
         [](const TrashSandbox& b) { WriteFile(b.data(), "not a folder"); },
         {},
         false,
         "no usable trash (its folder cannot be created)",
         {}},
        {"info unwritable",
         Unwritable(trashParts, "data/Trash/info"),
         {},
         true,
         "permission denied by the trash folder",
         {}},
        {"files unwritable",
         Unwritable(trashParts, "data/Trash/files"),
         {},
         true,
         "permission denied by the trash folder",
         {}},
        {"data home unwritable",
         Unwritable({"data"}, "data"),
         {},
         true,
         "permission denied by the trash folder",
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TrashSandbox box;
        const std::vector<std::string> paths = {box.tree() + "/a.txt", box.tree() + "/b.txt"};
        for (const std::string& p : paths)
            WriteFile(p, "stay");
        if (c.prepare)
            c.prepare(box);
        TrashRun run(paths);
        run.unprivileged = c.unprivileged;
        run.inChild = c.inChild;
        const Outcome o = Execute(box, run);
        ASSERT_EQ(o.exitStatus, 0) << "a hang ends the child with 128 + SIGALRM";
        ASSERT_EQ(o.report.results.size(), 2u);
        for (std::size_t i = 0; i < paths.size(); ++i) {
            EXPECT_EQ(o.report.results[i].trashed, c.reason == nullptr);
            EXPECT_EQ(o.report.results[i].reason, c.reason ? c.reason : "");
            EXPECT_EQ(Exists(paths[i]), c.reason != nullptr);
        }
        if (c.reason) {
            EXPECT_TRUE(Names(box.trash() + "/info").empty()) << "no record left behind";
            EXPECT_TRUE(Names(box.trash() + "/files").empty());
            continue;
        }
        const std::string trash = c.trash(box);
        EXPECT_EQ(Names(trash + "/files"), (std::vector<std::string>{"a.txt", "b.txt"}));
        EXPECT_EQ(TrashContents(trash).at("a.txt"), paths[0]);
        for (const char* part : {"", "/files", "/info"})
            EXPECT_EQ(ModeOf(trash + part), 0700u) << part;
    }
}

// A delete on another drive, inside a child that sees the drive: prepare makes the drive's
// top as the case has it, then drive/sub/a.txt is trashed (as root, or as uid 65534).
struct DriveCase {
    const char* name;
    std::function<void(const std::string& drive)> prepare;
    bool unprivileged;
    const char* reason;      // null: trashed
    const char* trashWithin; // where it must land, relative to the drive's top
};

void RunOnDrive(const DriveCase& c) {
    SCOPED_TRACE(c.name);
    TrashSandbox box;
    const std::string drive = box.dir / "drive";
    MakeTree(box.dir.path(), {{TreeEntry::Dir, "drive"}});
    box.GiveToNobody(); // the home trash, for the unprivileged case
    const ChildResult child = InPrivateTmpfs(drive, [&](std::string& out) {
        MakeTree(drive, {{TreeEntry::File, "sub/a.txt", "on the drive"}});
        ::chmod((drive + "/sub").c_str(), 0777);
        ::chown((drive + "/sub/a.txt").c_str(), 65534, 65534);
        c.prepare(drive);
        const std::string path = drive + "/sub/a.txt";
        TrashRun run({path});
        run.unprivileged = c.unprivileged;
        const Outcome o = Execute(box, run);
        const std::string uid = c.unprivileged ? "65534" : "0";
        ASSERT_EQ(o.report.results.size(), 1u);
        EXPECT_EQ(o.report.results[0].reason, c.reason ? c.reason : "");
        EXPECT_EQ(Exists(path), c.reason != nullptr);
        EXPECT_TRUE(Names(box.trash() + "/files").empty()) << "never into the home trash";
        if (c.trashWithin) {
            const std::string trash = drive + "/" + c.trashWithin + uid;
            EXPECT_EQ(ReadFile(trash + "/files/a.txt"), "on the drive");
            // Relative to the drive's top, and read back so by a reader nobody here wrote.
            EXPECT_EQ(ReadTrashInfo(trash).at("a.txt").path, "sub/a.txt");
            const std::string listed = RunTrashCli(box, "trash-list");
            EXPECT_NE(listed.find(" " + path + "\n"), std::string::npos) << listed;
        }
        out = ::testing::Test::HasFailure() ? "failed" : "passed";
    });
    if (child.out == kCannotMount)
        GTEST_SKIP() << "mounting a tmpfs is not allowed here";
    EXPECT_EQ(child.exitStatus, 0);
    EXPECT_EQ(child.out, "passed");
}

TEST(TrashLocation, OnAnotherDriveTheTrashAtItsTopIsUsedOnlyWhenItIsSafe) {
    const auto mkdirMode = [](const std::string& path, mode_t mode) {
        ::mkdir(path.c_str(), mode);
        ::chmod(path.c_str(), mode);
    };
    const DriveCase cases[] = {
        {"no .Trash: .Trash-$uid is made", [](const std::string&) {}, false, nullptr, ".Trash-"},
        {".Trash with the sticky bit",
         [&](const std::string& d) { mkdirMode(d + "/.Trash", 01777); }, false, nullptr, ".Trash/"},
        {".Trash without the sticky bit",
         [&](const std::string& d) { mkdirMode(d + "/.Trash", 0777); }, false, nullptr, ".Trash-"},
        {".Trash a link to a sticky folder",
         [&](const std::string& d) {
             mkdirMode(d + "/shared", 01777);
             ::symlink("shared", (d + "/.Trash").c_str());
         },
         false, nullptr, ".Trash-"},
        {".Trash/$uid someone else's",
         [&](const std::string& d) {
             mkdirMode(d + "/.Trash", 01777);
             mkdirMode(d + "/.Trash/0", 0777);
             ::chown((d + "/.Trash/0").c_str(), 65534, 65534);
         },
         false, nullptr, ".Trash-"},
        {".Trash-$uid someone else's",
         [&](const std::string& d) {
             mkdirMode(d + "/.Trash-0", 0777);
             ::chown((d + "/.Trash-0").c_str(), 65534, 65534);
         },
         false, "no trash on that drive", nullptr},
        {"a top the user cannot write", [](const std::string&) {}, true, "no trash on that drive",
         nullptr},
    };
    for (const DriveCase& c : cases)
        RunOnDrive(c);
}

// Nothing in a trash folder is moved, whatever the request names: not the home trash's
// files or records (reached as the chosen folder, or through a link to it), not those of a
// drive's .Trash-$uid or .Trash/$uid. A folder merely named like a drive's trash, below the
// drive's top, is an ordinary folder.
TEST(TrashLocation, NothingInATrashFolderIsEverMoved) {
    TrashSandbox box;
    const std::string drive = box.dir / "drive";
    MakeTree(box.dir.path(), {{TreeEntry::Dir, "drive"}});
    MakeTree(box.trash(), {{TreeEntry::File, "files/x.txt", "trashed"},
                           {TreeEntry::File, "info/x.txt.trashinfo", "record"}});
    ::symlink(box.trash().c_str(), (box.tree() + "/trash").c_str());
    const ChildResult child = InPrivateTmpfs(drive, [&](std::string& out) {
        MakeTree(drive, {{TreeEntry::File, ".Trash-0/files/y.txt", "on the drive"},
                         {TreeEntry::File, ".Trash/0/info/z.trashinfo", "record"},
                         {TreeEntry::File, "sub/.Trash-5/w.txt", "ordinary"}});
        const std::vector<std::string> inTrash = {
            box.trash() + "/files/x.txt", box.trash() + "/info/x.txt.trashinfo",
            drive + "/.Trash-0/files/y.txt", drive + "/.Trash/0/info/z.trashinfo"};
        std::vector<std::string> paths = inTrash;
        paths.push_back(drive + "/sub/.Trash-5/w.txt");
        // A request without the collection's record: its batch made from the paths.
        TrashRun unrecorded(paths);
        unrecorded.recorded = false;
        const Outcome loose = Execute(box, unrecorded);
        // The collection's own record, for a chosen folder inside the trash by a link.
        const Outcome chosen = ExecuteBatch(box, box.tree() + "/trash/files", {"x.txt"});
        ASSERT_EQ(loose.report.results.size(), paths.size());
        for (std::size_t i = 0; i < inTrash.size(); ++i) {
            EXPECT_EQ(loose.report.results[i].reason, "is in a trash folder") << inTrash[i];
            EXPECT_TRUE(Exists(inTrash[i])) << inTrash[i];
        }
        EXPECT_TRUE(loose.report.results.back().trashed);
        ASSERT_EQ(chosen.report.results.size(), 1u);
        EXPECT_EQ(chosen.report.results[0].reason, "is in a trash folder");
        EXPECT_EQ(Names(box.trash() + "/files"), std::vector<std::string>{"x.txt"});
        EXPECT_EQ(Names(box.trash() + "/info"), std::vector<std::string>{"x.txt.trashinfo"});
        EXPECT_EQ(Names(drive + "/.Trash-0/files"), (std::vector<std::string>{"w.txt", "y.txt"}));
        out = ::testing::Test::HasFailure() ? "failed" : "passed";
    });
    if (child.out == kCannotMount)
        GTEST_SKIP() << "mounting a tmpfs is not allowed here";
    EXPECT_EQ(child.exitStatus, 0);
    EXPECT_EQ(child.out, "passed");
}

} // namespace
