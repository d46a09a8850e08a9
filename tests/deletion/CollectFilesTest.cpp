#include "deletion/CollectFiles.h"
#include "platform/core/ExtensionKey.h"
#include "platform/core/WaitCursor.h"
#include "tests/support/TempTree.h"
#include "tests/support/Trees.h"
#include "walk/EnumerateFiles.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

std::vector<std::string> Collect(const std::string& ext, const std::string& folder) {
    CFileOperation op;
    CollectFilesWithExtension(op, CString(ext), CString(folder));
    std::vector<std::string> paths;
    for (const CString& p : op.m_arrSource)
        paths.push_back(p.str());
    return paths;
}

std::vector<std::string> Under(const std::string& root, const std::vector<std::string>& relative) {
    std::vector<std::string> full;
    for (const std::string& r : relative)
        full.push_back(root + "/" + r);
    return full;
}

std::vector<std::string> Sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
}

// Counts the .txt files the walk reports.
class CountingWalk : public CEnumerateFiles {
public:
    void OnFileFound(const CString& path) override { txt += ExtensionKey(path.view()) == ".txt"; }
    int txt = 0;
};

class CollectFiles : public ::testing::Test {
protected:
    void TearDown() override { SetWaitCursorService(nullptr); }
};

TEST_F(CollectFiles, CollectsExactlyTheEntriesWithTheKeyAtEveryDepth) {
    TempDir tmp;
    MakeTree(tmp.path(), kMixedTree);
    // Folders (x.txt) are searched, never collected; links and the FIFO are collected as
    // themselves and never entered (outside/target.txt is found once, in place).
    for (const auto& [ext, expected] : kMixedTreeByKey) {
        SCOPED_TRACE("ext '" + ext + "'");
        EXPECT_EQ(Sorted(Collect(ext, tmp.path())), Sorted(Under(tmp.path(), expected)));
    }
    EXPECT_EQ(Collect(".jpg", tmp.path()), std::vector<std::string>{});
}

TEST_F(CollectFiles, AppendsToWhatTheBatchAlreadyHolds) {
    TempDir tmp;
    MakeTree(tmp.path(), {{TreeEntry::File, "a.txt"}, {TreeEntry::File, "b.log"}});
    CFileOperation op;
    op.m_arrSource.Add("earlier");
    CollectFilesWithExtension(op, ".txt", CString(tmp.path()));
    CollectFilesWithExtension(op, ".none", CString(tmp.path()));
    ASSERT_EQ(op.m_arrSource.GetSize(), 2);
    EXPECT_EQ(op.m_arrSource[0], "earlier");
    EXPECT_EQ(op.m_arrSource[1].str(), tmp / "a.txt");
}

// The order the system lists the tree in, subfolders depth-first at their place.
void ListInWalkOrder(const std::string& folder, std::vector<std::string>& out) {
    DIR* dir = ::opendir(folder.c_str());
    ASSERT_NE(dir, nullptr);
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name == "." || name == "..")
            continue;
        struct stat st;
        ASSERT_EQ(::lstat((folder + "/" + name).c_str(), &st), 0);
        if (S_ISDIR(st.st_mode))
            ListInWalkOrder(folder + "/" + name, out);
        else
            out.push_back(folder + "/" + name);
    }
    ::closedir(dir);
}

TEST_F(CollectFiles, AppendsInWalkOrder) {
    TempDir tmp;
    std::vector<TreeEntry> tree;
    for (const char* d : {"p", "q/r", "s"})
        for (int i = 0; i < 6; ++i)
            tree.push_back({TreeEntry::File, std::string(d) + "/f" + std::to_string(i) + ".log"});
    for (int i = 0; i < 6; ++i)
        tree.push_back({TreeEntry::File, "top" + std::to_string(i) + ".log"});
    MakeTree(tmp.path(), tree);
    std::vector<std::string> expected;
    ListInWalkOrder(tmp.path(), expected);
    EXPECT_EQ(Collect(".log", tmp.path()), expected);
}

// Progress is heard every kCollectProgressEvery entries with the files collected so far;
// a stop ends the walk there and keeps what was collected, record and path alike.
TEST_F(CollectFiles, ProgressThatSaysStopEndsTheCollectionWithWhatItHas) {
    TempDir tmp;
    std::vector<TreeEntry> tree;
    for (int i = 0; i < 3 * kCollectProgressEvery; ++i)
        tree.push_back(
            {TreeEntry::File,
             "d" + std::to_string(i % 3) + "/" + std::to_string(i) + (i % 2 ? ".a" : ".b"), "x"});
    MakeTree(tmp.path(), tree);
    for (const int calls : {1, 2, 1000}) {
        SCOPED_TRACE(calls);
        CFileOperation op;
        std::vector<std::size_t> heard;
        const bool complete =
            CollectFilesWithExtension(op, ".a", CString(tmp.path()), [&](std::size_t found) {
                heard.push_back(found);
                return static_cast<int>(heard.size()) < calls;
            });
        const auto collected = static_cast<std::size_t>(op.m_arrSource.GetSize());
        EXPECT_EQ(complete, calls == 1000);
        ASSERT_EQ(heard.size(), calls == 1000 ? 3u : static_cast<std::size_t>(calls));
        EXPECT_EQ(collected, complete ? tree.size() / 2 : heard.back());
        EXPECT_EQ(op.m_batch.files.size(), collected);
        EXPECT_EQ(op.m_batch.TotalBytes(), collected);
    }
}

TEST_F(CollectFiles, FolderGivenWithATrailingSlashGivesOneSlashInPaths) {
    TempDir tmp;
    MakeTree(tmp.path(), {{TreeEntry::File, "sub/a.txt"}});
    EXPECT_EQ(Collect(".txt", tmp.path() + "/"), Under(tmp.path(), {"sub/a.txt"}));
}

TEST_F(CollectFiles, MissingFolderContributesNothing) {
    TempDir tmp;
    EXPECT_TRUE(Collect("", tmp / "missing").empty());
    EXPECT_TRUE(Collect("", "").empty());
}

TEST_F(CollectFiles, WaitCursorIsShownOncePerLevelAndNested) {
    TempDir tmp;
    MakeTree(tmp.path(), {{TreeEntry::File, "a/b/c/f.txt"}, {TreeEntry::Dir, "e"}});
    CCountingWaitCursor cursor;
    SetWaitCursorService(&cursor);
    Collect(".txt", tmp.path());
    EXPECT_EQ(cursor.Depth(), 0);
    EXPECT_EQ(cursor.MaxDepth(), 4); // root, a, a/b, a/b/c
    EXPECT_EQ(cursor.Begins(), 5);   // and e
}

// A folder that cannot be listed, and one that can be listed but not entered: neither is
// counted nor collected, so the count of a row is exactly what its delete tries; the
// collection names both, with why, for the delete's report.
TEST_F(CollectFiles, UnreadableSubfolderIsSkippedAndItsSiblingsSearched) {
    TempDir tmp;
    MakeTree(tmp.path(), {{TreeEntry::File, "tree/a/1.txt"},
                          {TreeEntry::File, "tree/locked/2.txt"},
                          {TreeEntry::File, "tree/noentry/3.txt"},
                          {TreeEntry::File, "tree/z/4.txt"},
                          {TreeEntry::File, "tree/5.txt"}});
    ASSERT_EQ(::chmod((tmp / "tree/locked").c_str(), 0300), 0);  // not listable
    ASSERT_EQ(::chmod((tmp / "tree/noentry").c_str(), 0600), 0); // not enterable
    OpenUpForEveryone(tmp / "tree/a");
    const std::string root = tmp / "tree";
    const ChildResult child = RunUnprivileged([&](std::string& out) {
        CountingWalk count;
        count.Enumerate(root.c_str(), "*.*", true);
        out =
            "counted " + std::to_string(count.txt) + ", " + count.FoldersNotRead().Summary() + "\n";
        CFileOperation op;
        CollectFilesWithExtension(op, CString(".txt"), CString(root));
        std::vector<std::string> lines;
        for (const CString& p : op.m_arrSource)
            lines.push_back(p.str());
        for (const TrashResult& folder : op.m_foldersNotRead)
            lines.push_back(folder.path + ": " + folder.reason +
                            (folder.trashed ? " (moved)" : ""));
        for (const std::string& line : Sorted(lines))
            out += line + "\n";
    });
    ASSERT_EQ(child.exitStatus, 0);
    EXPECT_EQ(child.out, "counted 3, 2 folders could not be read: 2 permission denied\n" + root +
                             "/5.txt\n" + root + "/a/1.txt\n" + root +
                             "/locked: folder could not be read: permission denied\n" + root +
                             "/noentry: folder could not be read: permission denied\n" + root +
                             "/z/4.txt\n");
}

// What the collection records lets the delete reach every file it collected, and only
// that file: the folders from the root down by name, each with its device and inode, and
// each file's device, inode and type as they are, with its size (a link's own).
TEST_F(CollectFiles, RecordsLeadToExactlyTheCollectedFiles) {
    TempDir tmp;
    MakeTree(tmp.path(), kMixedTree);
    for (const auto& [ext, expected] : kMixedTreeByKey) {
        SCOPED_TRACE("ext '" + ext + "'");
        CFileOperation op;
        CollectFilesWithExtension(op, CString(ext), CString(tmp.path()));
        const CFileBatch& batch = op.m_batch;
        EXPECT_EQ(batch.root, tmp.path());
        ASSERT_EQ(batch.files.size(), static_cast<std::size_t>(op.m_arrSource.GetSize()));
        for (std::size_t i = 0; i < batch.files.size(); ++i) {
            const BatchFile& file = batch.files[i];
            std::string path = file.name;
            for (std::uint32_t f = file.folder; f != 0; f = batch.folders[f].parent) {
                ASSERT_LT(batch.folders[f].parent, f) << "a folder before its parent";
                path = batch.folders[f].name + "/" + path;
            }
            EXPECT_EQ(tmp.path() + "/" + path, op.m_arrSource[static_cast<int>(i)].str());
            struct stat st;
            ASSERT_EQ(::lstat((tmp.path() + "/" + path).c_str(), &st), 0);
            EXPECT_EQ(file.dev, st.st_dev);
            EXPECT_EQ(file.ino, st.st_ino);
            EXPECT_EQ(file.type, st.st_mode & S_IFMT);
            EXPECT_EQ(file.size, static_cast<std::uint64_t>(st.st_size)) << path;
        }
        for (const BatchFolder& folder : batch.folders) {
            std::string path;
            for (const BatchFolder* f = &folder; f != &batch.folders[0];
                 f = &batch.folders[f->parent])
                path = "/" + f->name + path;
            struct stat st;
            ASSERT_EQ(::lstat((tmp.path() + path).c_str(), &st), 0);
            EXPECT_EQ(folder.dev, st.st_dev) << path;
            EXPECT_EQ(folder.ino, st.st_ino) << path;
        }
    }
}

} // namespace
