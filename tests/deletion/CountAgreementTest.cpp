// The delete of a row must take exactly the files the row counted: the collection and the
// counting walk agree on every key of a mixed tree.
#include "analysis/EnumerateFiles.h"
#include "analysis/ExtensionStats.h"
#include "deletion/CollectFiles.h"
#include "platform/core/ExtensionKey.h"
#include "tests/support/TempTree.h"
#include "tests/support/Trees.h"

#include <gtest/gtest.h>

#include <climits>
#include <fcntl.h>
#include <map>
#include <set>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

class CountingWalk : public CEnumerateFiles {
public:
    void OnFileFound(const CString& path) override {
        CountFile(counts, total, path.view());
        byKey[std::string(ExtensionKey(path.view()))].push_back(path.str());
    }
    CMapStringToString counts;
    int total = 0;
    std::map<std::string, std::vector<std::string>> byKey;
};

// A chain of folders far deeper than the levels that keep their listing open, with files
// at several depths.
void MakeDeepChain(const std::string& root, int levels) {
    std::string path = root;
    for (int i = 0; i < levels; ++i) {
        path += "/l" + std::to_string(i);
        ASSERT_EQ(::mkdir(path.c_str(), 0755), 0);
        if (i % 7 == 0)
            WriteFile(path + "/deep" + std::to_string(i) + ".txt");
        if (i % 11 == 0)
            WriteFile(path + "/noext" + std::to_string(i));
    }
}

// Folders with long names until the paths pass PATH_MAX; entries past it are skipped by
// both. Built relative to each folder, since the full paths are too long for the system.
void MakeLongChain(const std::string& root) {
    char cwd[PATH_MAX];
    ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
    ASSERT_EQ(::chdir(root.c_str()), 0);
    const std::string name(200, 'L');
    for (int i = 0; i < 24; ++i) {
        ASSERT_EQ(::mkdir(name.c_str(), 0755), 0);
        ASSERT_EQ(::chdir(name.c_str()), 0);
        ::close(::open("x.txt", O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
    }
    ASSERT_EQ(::chdir(cwd), 0);
}

// Removes what MakeLongChain made: the temporary folder's own cleanup cannot reach paths
// that long.
void RemoveLongChain(const std::string& root) {
    char cwd[PATH_MAX];
    ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
    ASSERT_EQ(::chdir(root.c_str()), 0);
    const std::string name(200, 'L');
    int depth = 0;
    while (::chdir(name.c_str()) == 0)
        ++depth;
    for (; depth > 0; --depth) {
        ::unlink("x.txt");
        ASSERT_EQ(::chdir(".."), 0);
        ASSERT_EQ(::rmdir(name.c_str()), 0);
    }
    ASSERT_EQ(::chdir(cwd), 0);
}

TEST(CountAgreement, CollectionTakesExactlyWhatTheCountCountedForEveryKey) {
    char cwd[PATH_MAX];
    ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
    TempDir tmp;
    MakeTree(tmp.path(), kMixedTree);
    MakeTree(tmp.path(), {{TreeEntry::Dir, "deep"}});
    MakeDeepChain(tmp / "deep", 45);
    MakeLongChain(tmp.path());

    CountingWalk walk;
    walk.Enumerate(CString(tmp.path()), "*.*", true);
    ASSERT_GT(walk.byKey.size(), 5u);
    ASSERT_EQ(walk.byKey.count(""), 1u);
    ASSERT_GT(walk.byKey[".txt"].size(), 10u);

    int collectedTotal = 0;
    for (const auto& [key, paths] : walk.byKey) {
        SCOPED_TRACE("key '" + key + "'");
        CFileOperation op;
        CollectFilesWithExtension(op, CString(key), CString(tmp.path()));
        std::vector<std::string> collected;
        for (const CString& p : op.m_arrSource)
            collected.push_back(p.str());
        // Same walk order too: both list each folder as the system does.
        EXPECT_EQ(collected, paths);
        CString count;
        ASSERT_TRUE(walk.counts.Lookup(key, count));
        EXPECT_EQ(std::to_string(collected.size()), count.str());
        collectedTotal += static_cast<int>(collected.size());
    }
    EXPECT_EQ(collectedTotal, walk.total);
    ASSERT_EQ(::chdir(cwd), 0);
    RemoveLongChain(tmp.path());
}

TEST(CountAgreement, RelativeFolderGivesAbsolutePathsThatStillNameTheFiles) {
    char cwd[PATH_MAX];
    ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
    TempDir tmp;
    MakeTree(tmp.path(), {{TreeEntry::File, "tree/a.txt"}, {TreeEntry::File, "tree/sub/b.txt"}});
    ASSERT_EQ(::chdir(tmp.path().c_str()), 0);
    CFileOperation op;
    CollectFilesWithExtension(op, ".txt", "tree");
    // The search left the current directory elsewhere; the paths must not depend on it.
    ASSERT_EQ(op.m_arrSource.GetSize(), 2);
    for (const CString& p : op.m_arrSource) {
        EXPECT_EQ(p[0], '/') << p.str();
        EXPECT_TRUE(Exists(p.str())) << p.str();
    }
    ASSERT_EQ(::chdir(cwd), 0);
}

} // namespace
