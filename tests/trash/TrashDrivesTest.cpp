// Drives that move files in other ways: FUSE, NFS and SMB drives refuse RENAME_NOREPLACE,
// some drives hard links too, and a btrfs subvolume is a drive of its own inside its
// mount. Each way of moving is tested on any drive, the system made to refuse the others
// (RefusedMoves.h), and on real drives where the machine allows mounting them.
#include "tests/support/PrivateMount.h"
#include "tests/support/TrashInfo.h"
#include "tests/trash/TrashTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// "files: a b ...; info: c d ..." of the names given, sorted.
std::string Listing(std::vector<std::string> files, std::vector<std::string> info) {
    std::string text = "files:";
    std::sort(files.begin(), files.end());
    for (const std::string& name : files)
        text += " " + name;
    text += "; info:";
    std::sort(info.begin(), info.end());
    for (const std::string& name : info)
        text += " " + name;
    return text;
}

// The same of the trash folder trash.
std::string Listing(const std::string& trash) {
    return Listing(Names(trash + "/files"), Names(trash + "/info"));
}

ino_t InodeOf(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

class TrashWays : public testing::TestWithParam<MissingMoves> {};

// By each way: names taken in the trash (a file without its record, a record without its
// file) are skipped, a file with a second name keeps it, a link goes as a link, a file in
// a folder that may not be changed stays with no record or second name left behind, and
// the undo puts everything back but the file whose place was taken meanwhile. Where
// records are written under a partial name first (no O_TMPFILE), a partial record an hour
// old is removed when met, and a fresh one, being written by someone else, keeps its name.
TEST_P(TrashWays, EachWayTrashesAndPutsBackWithoutReplacingOrLosingAnything) {
    // Without O_TMPFILE the first record (a.txt's) is written under a partial name, also
    // where the drive then turns out to have no hard links either; later records too where
    // it has them.
    const bool firstPartial = GetParam() != MissingMoves::None;
    const bool partials = GetParam() == MissingMoves::NoReplace;
    TrashSandbox box;
    const std::string tree = box.tree();
    MakeTree(tree, {{TreeEntry::File, "a.txt", "a"},
                    {TreeEntry::File, "taken/x.txt", "new x"},
                    {TreeEntry::File, "two/linked.txt", "two names"},
                    {TreeEntry::Link, "link.txt", "a.txt"},
                    {TreeEntry::File, "ro/kept.txt", "kept"},
                    {TreeEntry::File, "back/b.txt", "b"}});
    ASSERT_EQ(::link((tree + "/two/linked.txt").c_str(), (tree + "/two/other.dat").c_str()), 0);
    MakeTree(box.trash(), {{TreeEntry::File, "files/x.txt", "orphan"},
                           {TreeEntry::File, "info/x.txt.2.trashinfo",
                            "[Trash Info]\nPath=/gone/x.txt\nDeletionDate=2020-01-01T00:00:00\n"}});
    MakeTree(box.trash(), {{TreeEntry::File, "info/a.txt.rzpartial", "crashed"},
                           {TreeEntry::File, "info/linked.txt.rzpartial", "being written"}});
    const timespec twoHoursAgo[2] = {{std::time(nullptr) - 7200, 0},
                                     {std::time(nullptr) - 7200, 0}};
    ASSERT_EQ(
        ::utimensat(AT_FDCWD, (box.trash() + "/info/a.txt.rzpartial").c_str(), twoHoursAgo, 0), 0);
    box.GiveToNobody();
    ASSERT_EQ(::chmod((tree + "/ro").c_str(), 0555), 0);
    TrashRun run({tree + "/a.txt", tree + "/taken/x.txt", tree + "/two/linked.txt",
                  tree + "/link.txt", tree + "/ro/kept.txt", tree + "/back/b.txt"});
    run.unprivileged = true;
    run.missing = GetParam();
    run.undo = true;
    const std::string afterDelete = box.dir / "after-delete";
    run.beforeUndo = [&] {
        std::ofstream(afterDelete) << Listing(box.trash());
        WriteFile(tree + "/back/b.txt", "newcomer");
    };
    const ino_t linked = InodeOf(tree + "/two/linked.txt");
    const Outcome o = Execute(box, run);
    ASSERT_EQ(o.exitStatus, 0);

    ASSERT_EQ(o.report.results.size(), 6u);
    for (std::size_t i = 0; i < 6; ++i)
        EXPECT_EQ(o.report.results[i].reason, i == 4 ? "permission denied" : "") << i;
    const std::string linkedName = partials ? "linked.txt.2" : "linked.txt";
    std::vector<std::string> info = {"a.txt.trashinfo",      "b.txt.trashinfo",
                                     "link.txt.trashinfo",   linkedName + ".trashinfo",
                                     "linked.txt.rzpartial", "x.txt.2.trashinfo",
                                     "x.txt.3.trashinfo"};
    std::vector<std::string> left = {"linked.txt.rzpartial", "x.txt.2.trashinfo"};
    if (!firstPartial) {
        info.push_back("a.txt.rzpartial");
        left.push_back("a.txt.rzpartial");
    }
    EXPECT_EQ(ReadFile(afterDelete),
              Listing({"a.txt", "b.txt", "link.txt", linkedName, "x.txt", "x.txt.3"}, info));
    ASSERT_EQ(o.undone.results.size(), 5u);
    for (const TrashResult& r : o.undone.results)
        EXPECT_EQ(r.reason, r.path == tree + "/back/b.txt" ? "its place is taken" : "") << r.path;

    EXPECT_EQ(ReadFile(tree + "/a.txt"), "a");
    EXPECT_EQ(ReadFile(tree + "/taken/x.txt"), "new x");
    EXPECT_EQ(InodeOf(tree + "/two/linked.txt"), linked);
    EXPECT_EQ(InodeOf(tree + "/two/other.dat"), linked);
    char target[16] = {};
    EXPECT_EQ(::readlink((tree + "/link.txt").c_str(), target, sizeof target - 1), 5);
    EXPECT_STREQ(target, "a.txt");
    EXPECT_EQ(ReadFile(tree + "/ro/kept.txt"), "kept");
    EXPECT_EQ(ReadFile(tree + "/back/b.txt"), "newcomer");
    left.push_back("b.txt.trashinfo");
    EXPECT_EQ(Listing(box.trash()), Listing({"b.txt", "x.txt"}, left));
    EXPECT_EQ(ReadFile(box.trash() + "/files/b.txt"), "b");
    EXPECT_EQ(ReadFile(box.trash() + "/files/x.txt"), "orphan");
    EXPECT_EQ(TrashContents(box.trash()).at("b.txt"), tree + "/back/b.txt");
}

INSTANTIATE_TEST_SUITE_P(Ways, TrashWays,
                         testing::Values(MissingMoves::None, MissingMoves::NoReplace,
                                         MissingMoves::NoReplaceNorLinks),
                         [](const auto& info) { return std::string(NameOf(info.param)); });

// On a FUSE drive (bindfs), on a btrfs drive holding the home trash, and in a subvolume of
// it: each file goes to the trash at the top of its own drive (a subvolume's own top, not
// its mount's; the home trash only for the file on its mount and device), trash-list
// shows each at its path, and the undo puts them back. trash-list (0.17) looks for trashes
// at the top of mounts only, so it is shown the subvolume as a mount of its own.
TEST(TrashDrives, OnAFuseDriveAndInABtrfsSubvolumeEachFileGoesToTheTrashOfItsDriveAndBack) {
    TrashSandbox box;
    const std::string bind = box.tree() + "/bind";
    const std::string btrfs = box.tree() + "/btrfs";
    const std::string sv = btrfs + "/sv";
    MakeTree(box.dir.path(), {{TreeEntry::File, "bindsrc/sub/a.txt", "on fuse"},
                              {TreeEntry::Dir, "tree/bind"},
                              {TreeEntry::Dir, "tree/btrfs"}});
    const ChildResult child = InPrivateMounts([&](std::string& out) {
        std::string why = MountBindfs(box.dir / "bindsrc", bind);
        if (why.empty())
            why = MountBtrfs(box.dir / "btrfs.img", btrfs);
        if (why.empty() &&
            std::system(("btrfs subvolume create '" + sv + "' >/dev/null").c_str()) != 0)
            why = "cannot create a btrfs subvolume";
        if (!why.empty()) {
            out = std::string(kCannotMount) + ": " + why;
            return;
        }
        MakeTree(btrfs, {{TreeEntry::File, "top.txt", "on btrfs"},
                         {TreeEntry::File, "sv/sub/b.txt", "in the subvolume"}});
        const struct {
            std::string path, trash, record;
        } cases[] = {
            {bind + "/sub/a.txt", bind + "/.Trash-0", "sub/a.txt"},
            {btrfs + "/top.txt", btrfs + "/data/Trash", btrfs + "/top.txt"},
            {sv + "/sub/b.txt", sv + "/.Trash-0", "sub/b.txt"},
        };
        TrashRun run({cases[0].path, cases[1].path, cases[2].path});
        run.inChild = [&] { ::setenv("XDG_DATA_HOME", (btrfs + "/data").c_str(), 1); };
        run.undo = true;
        const std::string listed = box.dir / "listed";
        run.beforeUndo = [&] {
            const std::string list = "env XDG_DATA_HOME='" + btrfs + "/data' trash-list";
            std::ofstream(listed) << RunTrashCli(box, list)
                                  << RunTrashCli(box, "unshare -m sh -c \"mount --bind '" + sv +
                                                          "' '" + sv + "' && " + list + "\"");
            for (const auto& c : cases)
                std::ofstream(listed, std::ios::app)
                    << c.path << " in " << c.trash << " as "
                    << ReadTrashInfo(c.trash)[c.path.substr(c.path.rfind('/') + 1)].path << "\n";
        };
        const Outcome o = Execute(box, run);
        EXPECT_EQ(o.exitStatus, 0);
        EXPECT_EQ(o.report.TrashedCount(), 3u);
        EXPECT_EQ(o.undone.TrashedCount(), 3u);
        const std::string text = ReadFile(listed);
        for (const auto& c : cases) {
            SCOPED_TRACE(c.path);
            EXPECT_NE(text.find(" " + c.path + "\n"), std::string::npos) << text;
            EXPECT_NE(text.find(c.path + " in " + c.trash + " as " + c.record + "\n"),
                      std::string::npos)
                << text;
            EXPECT_TRUE(Exists(c.path)) << "put back";
            EXPECT_EQ(Listing(c.trash), "files:; info:") << "nothing left in the trash";
        }
        out = ::testing::Test::HasFailure() ? "failed" : "passed";
    });
    if (CannotMount(child.out))
        GTEST_SKIP() << child.out;
    EXPECT_EQ(child.exitStatus, 0);
    EXPECT_EQ(child.out, "passed");
}

} // namespace
