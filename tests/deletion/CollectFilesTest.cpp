#include "deletion/CollectFiles.h"
#include "platform/core/WaitCursor.h"
#include "tests/support/TempTree.h"
#include "tests/support/Trees.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <functional>
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

// Restores the working directory the collection changes.
class CollectFiles : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(::getcwd(m_cwd, sizeof m_cwd), nullptr); }
    void TearDown() override {
        SetWaitCursorService(nullptr);
        ASSERT_EQ(::chdir(m_cwd), 0);
    }
    char m_cwd[4096];
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

// Swaps a folder for a link to somewhere outside the tree at the moment the search is
// about to enter it: the wait cursor of a level is shown just before its folder is opened.
class SwapOnEnter : public IWaitCursorService {
public:
    std::function<void()> onBegin;
    void BeginWaitCursor() override {
        if (onBegin)
            onBegin();
    }
    void EndWaitCursor() override {}
};

TEST_F(CollectFiles, FolderSwappedForALinkAfterListingIsNotFollowed) {
    TempDir tmp;
    MakeTree(tmp.path(), {{TreeEntry::File, "tree/sub/own.txt"},
                          {TreeEntry::File, "tree/top.txt"},
                          {TreeEntry::File, "elsewhere/precious.txt"}});
    const std::string sub = tmp / "tree/sub";
    SwapOnEnter swapper;
    int begins = 0;
    swapper.onBegin = [&] {
        // Begin 1 is the chosen folder, begin 2 the subfolder about to be opened.
        if (++begins == 2) {
            ASSERT_EQ(::rename(sub.c_str(), (tmp / "moved").c_str()), 0);
            ASSERT_EQ(::symlink((tmp / "elsewhere").c_str(), sub.c_str()), 0);
        }
    };
    SetWaitCursorService(&swapper);
    const std::vector<std::string> found = Collect(".txt", tmp / "tree");
    EXPECT_EQ(begins, 2);
    // Its own file may have been listed before the swap; nothing from elsewhere is taken.
    for (const std::string& f : found)
        EXPECT_NE(f.find("/tree/"), std::string::npos) << f;
    EXPECT_NE(std::find(found.begin(), found.end(), tmp / "tree/top.txt"), found.end());
}

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
        for (const std::string& p : Collect(".txt", root))
            out += p + "\n";
    });
    ASSERT_EQ(child.exitStatus, 0);
    EXPECT_EQ(Sorted(Under(root, {"a/1.txt", "z/4.txt", "5.txt"})), Sorted([&] {
                  std::vector<std::string> lines;
                  std::size_t start = 0, end;
                  while ((end = child.out.find('\n', start)) != std::string::npos) {
                      lines.push_back(child.out.substr(start, end - start));
                      start = end + 1;
                  }
                  return lines;
              }()));
}

} // namespace
