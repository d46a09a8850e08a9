#include "tests/support/TempTree.h"
#include "tests/support/Trees.h"
#include "tests/walk/WalkerTestPosix.h"

#include <gtest/gtest.h>

#include <climits>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace std::string_literals;
using Strings = std::vector<std::string>;

namespace {

Strings Sorted(Strings v) {
    std::sort(v.begin(), v.end());
    return v;
}

// Lines "F rel" / "D rel" for what an unprivileged child saw below root.
std::string Describe(const std::string& root, const RecordingWalker& w) {
    std::string out;
    for (const std::string& f : Relative(root, w.files))
        out += "F " + f + "\n";
    for (const std::string& d : Relative(root, w.done))
        out += "D " + d + "\n";
    out += w.FoldersNotRead().Summary() + "\n";
    return out;
}

} // namespace

TEST(Walker, EmptyFolderGivesNoEntryAndOneFolderDone) {
    TempDir tmp;
    RecordingWalker w;
    w.Enumerate(tmp.path(), "*.*", true);
    EXPECT_TRUE(w.files.empty());
    EXPECT_EQ(w.done, Strings{tmp.path()});
}

TEST(Walker, MissingFolderGivesNoEntryAndOneFolderDone) {
    TempDir tmp;
    for (const std::string& folder : {tmp / "absent", tmp / "absent/deeper", ""s}) {
        RecordingWalker w;
        w.Enumerate(folder.c_str(), "*.*", true);
        EXPECT_TRUE(w.files.empty()) << folder;
        EXPECT_EQ(w.done, Strings{folder});
    }
}

TEST(Walker, WalksEveryFolderDepthFirstAndReportsEachFileOnce) {
    TempDir tmp;
    MakeTree(tmp.path(), {{TreeEntry::File, "top.c"},
                          {TreeEntry::File, "README"},
                          {TreeEntry::File, ".hidden"},
                          {TreeEntry::File, "a/one.h"},
                          {TreeEntry::File, "a/b/two.txt"},
                          {TreeEntry::File, "a/b/c/three.txt"},
                          {TreeEntry::Dir, "a/b/c/empty"},
                          {TreeEntry::File, "z/last"}});
    RecordingWalker w;
    w.Enumerate(tmp.path(), "*.*", true);

    EXPECT_EQ(Relative(tmp.path(), w.files),
              (Strings{".hidden", "README", "a/b/c/three.txt", "a/b/two.txt", "a/one.h", "top.c",
                       "z/last"}));
    EXPECT_EQ(Relative(tmp.path(), w.done), (Strings{"", "a", "a/b", "a/b/c", "a/b/c/empty", "z"}));
    EXPECT_EQ(w.entered.size(), w.done.size());

    // Depth first: everything below a folder comes between its entry and its
    // OnFolderDone, and the root is done last.
    for (const std::string& folder : w.done) {
        const auto doneAt = std::find(w.events.begin(), w.events.end(), "D " + folder);
        for (auto it = doneAt + 1; it != w.events.end(); ++it)
            EXPECT_NE(it->compare(2, folder.size() + 1, folder + "/"), 0)
                << *it << " reported after " << folder << " was done";
    }
    EXPECT_EQ(w.events.back(), "D " + tmp.path());
    for (const std::string& f : w.files)
        EXPECT_EQ(f.find("/./"), std::string::npos);
}

TEST(Walker, WithoutRecurseSubfoldersAreEntriesAndNotEntered) {
    TempDir tmp;
    MakeTree(tmp.path(), {{TreeEntry::File, "a.txt"}, {TreeEntry::File, "sub/inner.txt"}});
    RecordingWalker w;
    w.Enumerate(tmp.path(), "*.*", false);
    EXPECT_EQ(Relative(tmp.path(), w.files), (Strings{"a.txt", "sub"}));
    EXPECT_EQ(w.done, Strings{tmp.path()});
}

TEST(Walker, FilterIsHandedDownAndChangesNothing) {
    TempDir tmp;
    MakeTree(tmp.path(), {{TreeEntry::File, "a.txt"},
                          {TreeEntry::File, "b.log"},
                          {TreeEntry::File, "s/c.txt"},
                          {TreeEntry::File, "s/t/d"}});
    RecordingWalker reference;
    reference.Enumerate(tmp.path(), "*.*", true);
    for (const char* filter : {"*.txt", "", "*.log,,x", "\xff\xfe"}) {
        RecordingWalker w;
        w.Enumerate(tmp.path(), filter, true);
        EXPECT_EQ(w.events, reference.events) << filter;
        EXPECT_EQ(w.filters, Strings(w.entered.size(), filter));
    }
}

TEST(Walker, PutsOneSeparatorBetweenFolderAndName) {
    TempDir tmp;
    MakeTree(tmp.path(), {{TreeEntry::File, "sub/x.txt"}});

    RecordingWalker trailing;
    trailing.Enumerate((tmp.path() + "/").c_str(), "*.*", true);
    EXPECT_EQ(trailing.files, Strings{tmp.path() + "/sub/x.txt"});
    EXPECT_EQ(Sorted(trailing.done), Sorted({tmp.path() + "/", tmp.path() + "/sub"}));

    RecordingWalker root;
    root.Enumerate("/", "*.*", false);
    ASSERT_FALSE(root.files.empty());
    for (const std::string& p : root.files) {
        ASSERT_GE(p.size(), 2u);
        EXPECT_EQ(p[0], '/');
        EXPECT_NE(p[1], '/') << p;
        EXPECT_EQ(p.find('/', 1), std::string::npos) << p;
    }
    EXPECT_EQ(root.done, Strings{"/"});
}

TEST(Walker, RelativeFolderGivesAbsolutePaths) {
    TempDir tmp;
    MakeTree(tmp.path(), {{TreeEntry::File, "rel/x.c"}});
    const std::string saved = std::filesystem::current_path();
    ASSERT_EQ(::chdir(tmp.path().c_str()), 0);
    RecordingWalker w;
    w.Enumerate("rel", "*.*", true);
    ASSERT_EQ(::chdir(saved.c_str()), 0);
    EXPECT_EQ(w.files, Strings{tmp.path() + "/rel/x.c"});
    EXPECT_EQ(w.done, Strings{"rel"});
}

TEST(Walker, CanWalkAgainAndStartsAfresh) {
    TempDir tmp;
    MakeTree(tmp.path(), {{TreeEntry::File, "a/1"}, {TreeEntry::File, "b/2"}});
    RecordingWalker w;
    w.Enumerate(tmp.path(), "*.*", true);
    const Strings first = w.events;
    w.Clear();
    w.Enumerate(tmp.path(), "*.*", true);
    EXPECT_EQ(w.events, first);
}

// Links of every kind, special files and unusual names are entries like any file: reported
// once by their own name, never followed, never opened.
TEST(Walker, LinksSpecialFilesAndOddNamesAreReportedAsEntries) {
    TempDir tmp;
    const std::string root = tmp / "tree";
    MakeTree(root, kMixedTree);
    HangGuard guard(30);
    RecordingWalker w;
    w.Enumerate(root.c_str(), "*.*", true);
    Strings expected;
    for (const auto& [key, files] : kMixedTreeByKey)
        expected.insert(expected.end(), files.begin(), files.end());
    EXPECT_EQ(Relative(root, w.files), Sorted(expected));
    EXPECT_EQ(Relative(root, w.done), Sorted(kMixedTreeFolders));
}

TEST(Walker, OutermostFolderMayBeALinkToAFolder) {
    TempDir tmp;
    MakeTree(tmp.path(), {{TreeEntry::File, "real/a.txt"}, {TreeEntry::Link, "via", "real"}});
    RecordingWalker w;
    w.Enumerate((tmp / "via").c_str(), "*.*", true);
    EXPECT_EQ(w.files, Strings{tmp / "via/a.txt"});
}

TEST(Walker, UnreadableFoldersAreSkippedAndSiblingsStillWalked) {
    TempDir tmp;
    const std::string root = tmp / "tree";
    MakeTree(root, {{TreeEntry::File, "locked/secret.txt"},
                    {TreeEntry::File, "listonly/sub/deep.txt"},
                    {TreeEntry::File, "listonly/plain.txt"},
                    {TreeEntry::File, "open/a.txt"},
                    {TreeEntry::File, "b.txt"}});
    ASSERT_EQ(::chmod((root + "/locked").c_str(), 0), 0);
    // Readable but not searchable: its names can be listed, but nothing in it can be
    // examined or reached (a delete could take none of it), so it is not read at all.
    ASSERT_EQ(::chmod((root + "/listonly").c_str(), 0644), 0);
    OpenUpForEveryone(root);

    const ChildResult whole = RunUnprivileged([&](std::string& out) {
        RecordingWalker w;
        w.Enumerate(root.c_str(), "*.*", true);
        out = Describe(root, w);
    });
    ASSERT_EQ(whole.exitStatus, 0);
    EXPECT_EQ(whole.out, "F b.txt\n"
                         "F open/a.txt\n"
                         "D \n"
                         "D listonly\n"
                         "D locked\n"
                         "D open\n"
                         "2 folders could not be read: 2 permission denied\n");

    const ChildResult top = RunUnprivileged([&](std::string& out) {
        RecordingWalker w;
        w.Enumerate((root + "/locked").c_str(), "*.*", true);
        out = Describe(root, w);
    });
    ASSERT_EQ(top.exitStatus, 0);
    EXPECT_EQ(top.out, "D locked\n1 folder could not be read: 1 permission denied\n");
}

TEST(Walker, WalksEveryLevelOfATwoThousandLevelTreeWithFewDescriptors) {
    TempDir tmp;
    constexpr int kLevels = 2000;
    ChainCleanup cleanup(tmp.path(), "d", "f");
    BuildChain(tmp.path(), "d", "f", kLevels);

    // Which levels fit in a path: level k's folder is root + k * "/d", its file adds "/f".
    int expectedFolders = 0, expectedFiles = 0;
    for (int k = 0; k <= kLevels; ++k) {
        const std::size_t folderLength = tmp.path().size() + 2 * static_cast<std::size_t>(k);
        expectedFolders += folderLength < PATH_MAX;
        expectedFiles += folderLength + 2 < PATH_MAX;
    }
    ASSERT_GT(expectedFolders, 1900) << "temporary folder path too long for this test";

    RecordingWalker w;
    {
        // Far fewer descriptors than levels: the walk must not hold one per level.
        DescriptorLimit limit(64);
        w.Enumerate(tmp.path(), "*.*", true);
    }
    EXPECT_EQ(static_cast<int>(w.done.size()), expectedFolders);
    EXPECT_EQ(static_cast<int>(w.files.size()), expectedFiles);
    EXPECT_EQ(w.entered.size(), w.done.size());
    EXPECT_EQ(w.FoldersNotRead().Summary(),
              expectedFiles > kLevels ? "" : "1 folder could not be read: 1 path too long");
    for (const std::string& f : w.files)
        ASSERT_EQ(f.substr(f.size() - 2), "/f");

    // Stopping deep inside, where listings are read ahead: nothing more is reported, and
    // every level entered still reports its end.
    RecordingWalker stopping;
    stopping.onFile = [&](RecordingWalker& self, const std::string&) {
        if (self.files.size() == 1500)
            self.StopWalk();
    };
    stopping.Enumerate(tmp.path(), "*.*", true);
    EXPECT_EQ(stopping.files.size(), 1500u);
    EXPECT_EQ(stopping.done.size(), stopping.entered.size());
    EXPECT_TRUE(stopping.WalkStopped());
}

// Subfolders are opened as soon as their listing is read, while descriptors allow: a wide
// tree is walked whole however few there are, and every descriptor is given back, after a
// stopped walk too.
TEST(Walker, WideTreeGivesBackEveryDescriptorWhetherWalkedWholeOrStopped) {
    TempDir tmp;
    std::vector<TreeEntry> tree;
    for (int i = 0; i < 40; ++i)
        for (int j = 0; j < 3; ++j)
            tree.push_back(
                {TreeEntry::File, "d" + std::to_string(i) + "/e" + std::to_string(j) + "/f"});
    MakeTree(tmp.path(), tree);
    const auto openDescriptors = [] {
        return std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                             std::filesystem::directory_iterator());
    };

    for (const rlim_t limit : {rlim_t{24}, rlim_t{40}, rlim_t{4096}})
        for (const std::size_t stopAfter : {std::size_t{0}, std::size_t{5}, std::size_t{90}}) {
            const auto before = openDescriptors();
            RecordingWalker w;
            w.onFile = [&](RecordingWalker& self, const std::string&) {
                if (self.files.size() == stopAfter)
                    self.StopWalk();
            };
            {
                DescriptorLimit lowered(limit);
                w.Enumerate(tmp.path(), "*.*", true);
            }
            EXPECT_EQ(w.files.size(), stopAfter ? stopAfter : tree.size()) << limit;
            EXPECT_EQ(w.FoldersNotRead().Summary(), "") << limit;
            EXPECT_EQ(w.done.size(), w.entered.size()) << limit;
            EXPECT_EQ(openDescriptors(), before) << limit << " " << stopAfter;
        }
}

TEST(Walker, SkipsWhatLiesPastThePathLimit) {
    TempDir tmp;
    const std::string name(200, 'n');
    constexpr int kLevels = 30; // about 6,000 bytes of path
    ChainCleanup cleanup(tmp.path(), name, "file.txt");
    BuildChain(tmp.path(), name, "file.txt", kLevels);

    RecordingWalker w;
    w.Enumerate(tmp.path(), "*.*", true);

    int expectedFolders = 0, expectedFiles = 0;
    for (int k = 0; k <= kLevels; ++k) {
        const std::size_t folderLength =
            tmp.path().size() + (name.size() + 1) * static_cast<std::size_t>(k);
        expectedFolders += folderLength < PATH_MAX;
        expectedFiles += folderLength + 9 < PATH_MAX;
    }
    EXPECT_EQ(static_cast<int>(w.done.size()), expectedFolders);
    EXPECT_EQ(static_cast<int>(w.files.size()), expectedFiles);
    EXPECT_LT(expectedFolders, kLevels);
    // The deepest folder reached holds an entry past the limit: not completely read.
    EXPECT_EQ(w.FoldersNotRead().Summary(), "1 folder could not be read: 1 path too long");
    for (const std::string& f : w.files) {
        EXPECT_LT(f.size(), static_cast<std::size_t>(PATH_MAX));
        struct stat st;
        EXPECT_EQ(::lstat(f.c_str(), &st), 0) << "a reported path the system cannot use";
    }
}

// A folder vanishes while the walk is inside it, near the top and deep down.
class WalkerRemoval : public ::testing::TestWithParam<int> {};

TEST_P(WalkerRemoval, FolderRemovedWhileInsideItEndsItsPartQuietly) {
    TempDir tmp;
    std::string prefix;
    for (int i = 0; i < GetParam(); ++i)
        prefix += "p/";
    std::vector<TreeEntry> tree{{TreeEntry::File, prefix + "keep1.txt"},
                                {TreeEntry::File, prefix + "keep2/y.txt"}};
    for (int i = 0; i < 200; ++i)
        tree.push_back({TreeEntry::File, prefix + "gone/f" + std::to_string(i) + ".txt"});
    for (int i = 0; i < 5; ++i)
        tree.push_back({TreeEntry::File, prefix + "gone/sub" + std::to_string(i) + "/x.txt"});
    MakeTree(tmp.path(), tree);

    const std::string gone = tmp / (prefix + "gone");
    bool removed = false;
    RecordingWalker w;
    w.onFile = [&](RecordingWalker&, const std::string& path) {
        if (!removed && path.compare(0, gone.size() + 1, gone + "/") == 0) {
            std::filesystem::remove_all(gone);
            removed = true;
        }
    };
    w.Enumerate(tmp.path(), "*.*", true);

    ASSERT_TRUE(removed);
    EXPECT_EQ(w.done.size(), w.entered.size());
    const std::set<std::string> unique(w.files.begin(), w.files.end());
    EXPECT_EQ(unique.size(), w.files.size()) << "an entry was reported twice";
    EXPECT_TRUE(unique.count(tmp / (prefix + "keep1.txt")));
    EXPECT_TRUE(unique.count(tmp / (prefix + "keep2/y.txt")));
}

INSTANTIATE_TEST_SUITE_P(Depths, WalkerRemoval, ::testing::Values(0, 36));

TEST(Walker, StopWalkEndsTheWalkAndEveryOpenLevelStillFinishes) {
    TempDir tmp;
    std::vector<TreeEntry> tree;
    for (const char* folder : {"a", "a/b", "a/b/c", "d"})
        for (int i = 0; i < 5; ++i)
            tree.push_back({TreeEntry::File, std::string(folder) + "/f" + std::to_string(i)});
    MakeTree(tmp.path(), tree);

    for (std::size_t stopAfter : {1u, 7u, 12u, 20u}) {
        RecordingWalker w;
        w.onFile = [&](RecordingWalker& self, const std::string&) {
            if (self.files.size() == stopAfter)
                self.StopWalk();
        };
        w.Enumerate(tmp.path(), "*.*", true);
        EXPECT_EQ(w.files.size(), stopAfter);
        EXPECT_EQ(w.done.size(), w.entered.size());
        EXPECT_EQ(w.events.back(), "D " + tmp.path());

        // The next walk from outside starts afresh.
        w.onFile = nullptr;
        w.Clear();
        w.Enumerate(tmp.path(), "*.*", true);
        EXPECT_EQ(w.files.size(), tree.size());
        EXPECT_FALSE(w.WalkStopped());
    }
}

// Between listing a subfolder and walking it, the subfolder is replaced by a link to a
// folder outside the tree: the walk must not leave the tree through it. (Its own entries
// may still be reported: its listing may have been read ahead before the swap.)
TEST(Walker, SubfolderSwappedForALinkIsNotFollowed) {
    TempDir tmp;
    const std::string root = tmp / "tree";
    MakeTree(tmp.path(),
             {{TreeEntry::File, "tree/sub/mine.txt"}, {TreeEntry::File, "outside/secret.txt"}});

    class Swapper : public RecordingWalker {
    public:
        std::string target, outside;
        void Enumerate(const CString& folder, const CString& filter, bool recurse) override {
            if (folder.str() == target) {
                std::filesystem::rename(target, target + ".moved");
                std::filesystem::create_directory_symlink(outside, target);
            }
            RecordingWalker::Enumerate(folder, filter, recurse);
        }
    } w;
    w.target = root + "/sub";
    w.outside = tmp / "outside";
    w.Enumerate(root.c_str(), "*.*", true);
    for (const std::string& f : w.files)
        EXPECT_EQ(f, root + "/sub/mine.txt");
    EXPECT_EQ(Relative(root, w.done), (Strings{"", "sub"}));
}
