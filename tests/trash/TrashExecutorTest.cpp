// The trash executor on real files: what goes, under which name and record, and what is
// left with which reason. Every case trashes in a child process whose HOME and
// XDG_DATA_HOME point into a temporary folder, so the real trash stays out of reach.
#include "tests/support/Batches.h"
#include "tests/support/TrashInfo.h"
#include "tests/trash/TrashTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// Names a delete must carry to the trash and back byte for byte; the last two are too
// long to leave room for ".trashinfo" after them.
std::vector<std::string> AwkwardNames() {
    std::string accents = "xy"; // then 124 two-byte characters: 254 bytes in all
    for (int i = 0; i < 124; ++i)
        accents += "\xc3\xa9";
    return {"plain.txt",     "with space.txt",     "100%.txt",      "%41 not A.txt",
            "new\nline.txt", "\xff\xfe latin.txt", "tab\there.txt", std::string(251, 'n') + ".txt",
            accents + ".txt"};
}

TEST(TrashExecutor, MovesEachFileWithARecordOfItsOriginalPathByteForByte) {
    TrashSandbox box;
    const std::vector<std::string> names = AwkwardNames();
    for (const std::string& n : names)
        WriteFile(box.tree() + "/" + n, "content of " + n);
    const Outcome o = ExecuteBatch(box, box.tree(), names);
    ASSERT_EQ(o.exitStatus, 0);
    ASSERT_EQ(o.report.results.size(), names.size());

    const std::map<std::string, std::string> trash = TrashContents(box.trash());
    std::map<std::string, std::string> trashedNameOf;
    for (const auto& [trashed, origin] : trash)
        trashedNameOf[origin] = trashed;
    EXPECT_EQ(trash.size(), names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string path = box.tree() + "/" + names[i];
        SCOPED_TRACE(path);
        EXPECT_TRUE(o.report.results[i].trashed) << o.report.results[i].reason;
        EXPECT_EQ(o.report.results[i].path, path);
        EXPECT_FALSE(Exists(path));
        ASSERT_EQ(trashedNameOf.count(path), 1u);
        // Its name in the trash leaves room for ".trashinfo" within the system's limit.
        EXPECT_LE(trashedNameOf[path].size(), 245u);
        EXPECT_EQ(ReadFile(box.trash() + "/files/" + trashedNameOf[path]),
                  "content of " + names[i]);
    }
    // Cut short, and not inside a character: 245 bytes would split the 122nd "é".
    EXPECT_EQ(trashedNameOf[box.tree() + "/" + names.back()], names.back().substr(0, 244));
}

TEST(TrashExecutor, TheSameNameTwiceKeepsBothFilesAndEachOriginalPath) {
    TrashSandbox box;
    MakeTree(box.tree(),
             {{TreeEntry::File, "one/x.txt", "1"}, {TreeEntry::File, "two/x.txt", "2"}});
    ASSERT_EQ(ExecuteBatch(box, box.tree(), {"one/x.txt", "two/x.txt"}).report.TrashedCount(), 2u);
    // The same path again, in a later delete.
    WriteFile(box.tree() + "/one/x.txt", "3");
    ASSERT_EQ(ExecuteBatch(box, box.tree(), {"one/x.txt"}).report.TrashedCount(), 1u);

    std::multimap<std::string, std::string> contentByOrigin;
    for (const auto& [trashed, origin] : TrashContents(box.trash()))
        contentByOrigin.emplace(origin, ReadFile(box.trash() + "/files/" + trashed));
    EXPECT_EQ(contentByOrigin,
              (std::multimap<std::string, std::string>{{box.tree() + "/one/x.txt", "1"},
                                                       {box.tree() + "/one/x.txt", "3"},
                                                       {box.tree() + "/two/x.txt", "2"}}));
    EXPECT_EQ(Names(box.trash() + "/files"),
              (std::vector<std::string>{"x.txt", "x.txt.2", "x.txt.3"}));
}

TEST(TrashExecutor, LinksAreTrashedAsThemselvesAndTheirTargetsUntouched) {
    TrashSandbox box;
    MakeTree(box.tree(), {{TreeEntry::File, "target.dat", "keep me"},
                          {TreeEntry::File, "folder/inside.txt", "keep me too"},
                          {TreeEntry::Link, "x.txt", "target.dat"},
                          {TreeEntry::Link, "y.txt", "folder"},
                          {TreeEntry::Link, "z.txt", "nowhere"}});
    const Outcome o = ExecuteBatch(box, box.tree(), {"x.txt", "y.txt", "z.txt"});
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

// Whatever changed between the scan and the delete, the file is left where it is, with
// the reason, and nothing else moves.
TEST(TrashExecutor, WhatChangedSinceTheScanIsLeftWithItsReason) {
    struct Case {
        const char* name;
        std::function<void(const std::string& tree)> change;
        const char* reason;
    } cases[] = {
        {"file removed", [](const std::string& t) { ::unlink((t + "/sub/a.txt").c_str()); },
         "no longer exists"},
        {"file now a folder",
         [](const std::string& t) {
             ::unlink((t + "/sub/a.txt").c_str());
             MakeTree(t, {{TreeEntry::File, "sub/a.txt/other.jpg", "other extension"}});
         },
         "is now a folder"},
        {"another file in its place",
         [](const std::string& t) {
             WriteFile(t + "/sub/new", "newcomer");
             ::rename((t + "/sub/new").c_str(), (t + "/sub/a.txt").c_str());
         },
         "changed since the scan"},
        {"its folder swapped for a link",
         [](const std::string& t) {
             ::rename((t + "/sub").c_str(), (t + "/moved").c_str());
             ::symlink("moved", (t + "/sub").c_str());
         },
         "changed since the scan"},
        {"its folder removed",
         [](const std::string& t) {
             ::rename((t + "/sub").c_str(), (t + "/../elsewhere").c_str());
         },
         "no longer exists"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TrashSandbox box;
        MakeTree(box.tree(), {{TreeEntry::File, "first.txt"},
                              {TreeEntry::File, "sub/a.txt", "a"},
                              {TreeEntry::File, "last.txt"}});
        TrashRun run;
        run.batch = BatchOfTree(box.tree(), {"first.txt", "sub/a.txt", "last.txt"});
        run.paths = PathsOf(*run.batch);
        c.change(box.tree());
        const Outcome o = Execute(box, run);
        ASSERT_EQ(o.report.results.size(), 3u);
        EXPECT_TRUE(o.report.results[0].trashed);
        EXPECT_FALSE(o.report.results[1].trashed);
        EXPECT_EQ(o.report.results[1].reason, c.reason);
        EXPECT_TRUE(o.report.results[2].trashed);
        EXPECT_EQ(Names(box.trash() + "/files"),
                  (std::vector<std::string>{"first.txt", "last.txt"}));
        EXPECT_EQ(Names(box.trash() + "/info").size(), 2u);
    }
}

// Deeper than the descriptors kept open, walked up as a collection lists a folder's files
// after its subfolders'; halfway, a folder far up is renamed and a link put in its place.
// Every file is reached through the recorded folders, and only they are moved.
TEST(TrashExecutor, ADeepTreeIsWalkedUpAndDownThroughTheRecordedFoldersOnly) {
    TrashSandbox box;
    std::vector<std::string> relative;
    std::string folder;
    for (int level = 0; level < 40; ++level) {
        folder += "l" + std::to_string(level) + "/";
        relative.insert(relative.begin(), folder + "f.txt");
        WriteFile(box.tree() + "/" + relative.front(), "level " + std::to_string(level));
    }
    TrashRun run;
    run.batch = BatchOfTree(box.tree(), relative);
    run.paths = PathsOf(*run.batch);
    const std::string l15 = box.tree() + "/" + folder.substr(0, folder.find("/l16"));
    run.beforeFile = [&](std::size_t i) {
        if (i != 10)
            return;
        ::rename(l15.c_str(), (l15 + ".moved").c_str());
        MakeTree(box.tree(), {{TreeEntry::File, "elsewhere/f.txt", "elsewhere"}});
        ::symlink((box.tree() + "/elsewhere").c_str(), l15.c_str());
    };
    const Outcome o = Execute(box, run);
    ASSERT_EQ(o.report.results.size(), 40u);
    EXPECT_EQ(o.report.TrashedCount(), 40u);
    EXPECT_EQ(ReadFile(box.tree() + "/elsewhere/f.txt"), "elsewhere");
    std::map<std::string, std::string> trashed;
    for (const auto& [name, origin] : TrashContents(box.trash()))
        trashed[origin] = ReadFile(box.trash() + "/files/" + name);
    for (std::size_t i = 0; i < relative.size(); ++i)
        EXPECT_EQ(trashed[run.paths[i]], "level " + std::to_string(39 - i)) << run.paths[i];
}

// Without the collection's record each path is looked at from "/" one name at a time, so
// one that passes through a link is refused like a folder swapped for a link.
TEST(TrashExecutor, ARequestWithoutARecordRefusesPathsThroughALink) {
    TrashSandbox box;
    MakeTree(box.tree(), {{TreeEntry::File, "f.txt", "by text"},
                          {TreeEntry::File, "real/f.txt", "behind the link"},
                          {TreeEntry::Dir, "real/sub"},
                          {TreeEntry::Link, "ln", "real"},
                          {TreeEntry::Link, "ln2", "real/sub"},
                          {TreeEntry::File, "plain.txt", "plain"}});
    TrashRun run(
        {box.tree() + "/ln/f.txt", box.tree() + "/ln2/../f.txt", box.tree() + "/./plain.txt"});
    run.recorded = false;
    const Outcome o = Execute(box, run);
    ASSERT_EQ(o.report.results.size(), 3u);
    for (int i : {0, 1}) {
        EXPECT_FALSE(o.report.results[i].trashed) << i;
        EXPECT_EQ(o.report.results[i].reason, "changed since the scan") << i;
    }
    EXPECT_TRUE(o.report.results[2].trashed) << o.report.results[2].reason;
    EXPECT_EQ(ReadFile(box.tree() + "/f.txt"), "by text");
    EXPECT_EQ(ReadFile(box.tree() + "/real/f.txt"), "behind the link");
    EXPECT_EQ(Names(box.trash() + "/files"), std::vector<std::string>{"plain.txt"});
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
    EXPECT_EQ(o.report.StoppedCount(), 2u);
    EXPECT_TRUE(o.aborted);
    EXPECT_FALSE(Exists(paths[0]));
}

TEST(TrashExecutor, OtherOperationsFlagsOrAForeignRecordAreRefusedAndTouchNothing) {
    TrashSandbox box;
    const std::string path = box.tree() + "/a.txt";
    WriteFile(path, "x");
    WriteFile(box.tree() + "/b.txt", "y");
    const CFileBatch ofA = BatchOfTree(box.tree(), {"a.txt"});
    const CFileBatch ofB = BatchOfTree(box.tree(), {"b.txt"});
    struct Case {
        const char* name;
        UINT func;
        FILEOP_FLAGS flags;
        std::vector<std::string> paths;
        std::optional<CFileBatch> batch;
    } cases[] = {
        {"copy", FO_COPY, FOF_ALLOWUNDO, {path}, {}},
        {"move", FO_MOVE, FOF_ALLOWUNDO, {path}, {}},
        {"rename", FO_RENAME, FOF_ALLOWUNDO, {path}, {}},
        {"permanent delete", FO_DELETE, 0, {path}, {}},
        {"another flag", FO_DELETE, FOF_ALLOWUNDO | 0x0010, {path}, {}},
        {"nothing", 0, 0, {path}, {}},
        {"record of another file", FO_DELETE, FOF_ALLOWUNDO, {path}, ofB},
        {"record of fewer files", FO_DELETE, FOF_ALLOWUNDO, {path, box.tree() + "/b.txt"}, ofA},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TrashRun run(c.paths);
        run.batch = c.batch;
        run.recorded = c.batch.has_value();
        run.func = c.func;
        run.flags = c.flags;
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
    const Outcome o = Execute(box, TrashRun());
    ASSERT_EQ(o.exitStatus, 0);
    EXPECT_FALSE(o.report.refused);
    EXPECT_TRUE(o.report.results.empty());
    EXPECT_TRUE(o.progress.empty());
    EXPECT_FALSE(Exists(box.data()));
}

TEST(TrashExecutor, FileInAReadOnlyFolderIsReportedUntouchedWithNoRecordLeftBehind) {
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

} // namespace
