// A tree that changes while it is counted and collected: another thread swaps a folder for
// a link to a look-alike folder outside, or removes it and puts it back, in a bounded loop.
// Nothing from outside may ever be counted or collected, at any depth, whether folders are
// reached from their open parent or reopened through their ancestors.
#include "deletion/CollectFiles.h"
#include "tests/support/TempTree.h"
#include "tests/walk/WalkerTestPosix.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

enum class Change { SwapForLink, RemoveAndRestore };

struct ChangeCase {
    Change change;
    int depth;        // of the folder that changes
    int below;        // levels of folders below it
    rlim_t limit = 0; // descriptor limit for the walk (0: as it is), to force reopening
};

// The folder that changes (x, with 100 sibling folders) holds own<i>.txt and a chain of
// `below` folders each holding deep.txt; outside, the look-alike holds secret<i>.txt and
// the same chain of secret.txt.
std::string MakeTrees(const std::string& base, const ChangeCase& c) {
    std::string target = "tree";
    for (int i = 1; i < c.depth; ++i)
        target += "/p";
    target += "/x";
    std::vector<TreeEntry> tree;
    std::string inner, outerInner;
    for (int i = 0; i < c.below; ++i) {
        inner += "/q";
        tree.push_back({TreeEntry::File, target + inner + "/deep.txt"});
        tree.push_back({TreeEntry::File, "look" + inner + "/secret.txt"});
    }
    for (int i = 0; i < 30; ++i) {
        tree.push_back({TreeEntry::File, target + "/own" + std::to_string(i) + ".txt"});
        tree.push_back({TreeEntry::File, "look/secret" + std::to_string(i) + ".txt"});
    }
    // Siblings, so that between the listing that finds the folder and its opening other
    // folders are read: the window the change has to hit.
    const std::string parent = target.substr(0, target.rfind('/'));
    for (int i = 0; i < 100; ++i)
        tree.push_back({TreeEntry::File, parent + "/s" + std::to_string(i) + "/f.txt"});
    tree.push_back({TreeEntry::File, "tree/top.txt"});
    MakeTree(base, tree);
    return base + "/" + target;
}

std::set<ino_t> InodesBelow(const std::string& root) {
    std::set<ino_t> inodes;
    struct stat st;
    if (::lstat(root.c_str(), &st) == 0)
        inodes.insert(st.st_ino);
    for (const auto& e : std::filesystem::recursive_directory_iterator(root))
        if (::lstat(e.path().c_str(), &st) == 0)
            inodes.insert(st.st_ino);
    return inodes;
}

// What was counted or collected that did not come from inside the tree: the first such
// thing and how many there were; empty when there was none.
std::string Walks(const std::string& root, const std::set<ino_t>& inside, int rounds) {
    std::string first;
    int wrong = 0;
    const auto note = [&](const std::string& what) {
        if (wrong++ == 0)
            first = what;
    };
    for (int round = 0; round < rounds; ++round) {
        RecordingWalker w;
        w.Enumerate(root.c_str(), "*.*", true);
        for (const std::string& f : w.files)
            if (f.find("secret") != std::string::npos)
                note("counted " + f);
        CFileOperation op;
        CollectFilesWithExtension(op, ".txt", CString(root));
        for (const CString& p : op.m_arrSource)
            if (p.str().find("secret") != std::string::npos)
                note("collected " + p.str());
        for (const BatchFile& f : op.m_batch.files)
            if (f.ino != 0 && !inside.count(f.ino))
                note("recorded file " + f.name);
        for (const BatchFolder& f : op.m_batch.folders)
            if (!inside.count(f.ino))
                note("recorded folder " + f.name);
    }
    return wrong ? first + " and " + std::to_string(wrong - 1) + " more" : "";
}

class ChangingTree : public ::testing::TestWithParam<ChangeCase> {};

TEST_P(ChangingTree, NothingFromOutsideIsEverCountedOrCollected) {
    const ChangeCase c = GetParam();
    TempDir tmp;
    const std::string target = MakeTrees(tmp.path(), c);
    const std::string root = tmp / "tree";
    const std::string look = tmp / "look";
    const std::string away = tmp / "away";
    const std::set<ino_t> inside = InodesBelow(root);

    // In a process of its own, for the descriptor limit; the change runs there too, so
    // that no thread of this process is caught in the middle of something by the fork.
    const ChildResult child = RunInChild([&](std::string& out) {
        std::atomic<bool> done{false};
        // Each state lasts a moment, so that walks meet the link (or the gap) often.
        std::thread changer([&] {
            const auto pause = std::chrono::microseconds(50);
            for (int i = 0; i < 100000 && !done; ++i) {
                if (::rename(target.c_str(), away.c_str()) != 0)
                    continue;
                const bool linked =
                    c.change == Change::SwapForLink && ::symlink(look.c_str(), target.c_str()) == 0;
                std::this_thread::sleep_for(pause);
                if (linked)
                    ::unlink(target.c_str());
                ::rename(away.c_str(), target.c_str());
                std::this_thread::sleep_for(pause);
            }
        });
        std::optional<DescriptorLimit> limit;
        if (c.limit)
            limit.emplace(c.limit);
        out = Walks(root, inside, 80);
        done = true;
        changer.join();
    });
    EXPECT_EQ(child.exitStatus, 0);
    EXPECT_EQ(child.out, "");
}

INSTANTIATE_TEST_SUITE_P(Depths, ChangingTree,
                         ::testing::Values(ChangeCase{Change::SwapForLink, 2, 3},
                                           ChangeCase{Change::SwapForLink, 33, 3},
                                           ChangeCase{Change::SwapForLink, 100, 3},
                                           // Few descriptors: the folders below are reopened
                                           // through the one that changes, component by component.
                                           ChangeCase{Change::SwapForLink, 2, 60, 20},
                                           ChangeCase{Change::RemoveAndRestore, 3, 20},
                                           ChangeCase{Change::RemoveAndRestore, 2, 60, 20}));

} // namespace
