// The walk's rules on bad input: folders not read are counted with their reason and never
// silently, a folder is walked once, the trash is not part of the tree, a stop ends the
// readers and gives their memory back.
#include "tests/support/PrivateMount.h"
#include "tests/support/TempTree.h"
#include "tests/walk/WalkerTestPosix.h"
#include "walk/WalkNode.h"

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace {

// "files N" and the summary of folders not read, for a walk of root in this process.
std::string WalkOutcome(const std::string& root) {
    RecordingWalker w;
    w.Enumerate(root.c_str(), "*.*", true);
    return "files " + std::to_string(w.files.size()) + "; " + w.FoldersNotRead().Summary();
}

int Threads() {
    int count = 0;
    if (DIR* dir = ::opendir("/proc/self/task")) {
        while (::readdir(dir))
            ++count;
        ::closedir(dir);
    }
    return count - 2;
}

} // namespace

// A folder bind-mounted inside itself, directly and with everything below it: every file
// counted once, each way back in counted as a folder loop (and not walked).
TEST(WalkRules, BindMountsOfAnAncestorAreFolderLoops) {
    TempDir tmp;
    const std::string a = tmp / "a";
    std::vector<TreeEntry> tree;
    for (int i = 0; i < 100; ++i)
        tree.push_back({TreeEntry::File, "a/f" + std::to_string(i) + ".txt"});
    for (const char* level : {"a/l1", "a/l2", "a/sub/l3"})
        tree.push_back({TreeEntry::Dir, level});
    MakeTree(tmp.path(), tree);
    TestMount l1(a, a + "/l1");
    if (!l1.Ok())
        GTEST_SKIP() << "mounting refused";
    TestMount l2(a, a + "/l2", true);
    TestMount l3(a, a + "/sub/l3", true);
    ASSERT_TRUE(l2.Ok() && l3.Ok());
    EXPECT_EQ(WalkOutcome(a), "files 100; 3 folders could not be read: 3 folder loop");
}

// A read that leaves room for more ends a listing only where the file system gives a
// folder's listing whole: on the disk, on tmpfs and on a FUSE drive (one reply's worth a
// read), a folder of a few names, one of a few blocks and one of more than a read's
// buffer are each listed whole.
TEST(WalkRules, SmallAndLargeFoldersAreListedWholeOnEveryKindOfDrive) {
    TempDir tmp;
    std::vector<TreeEntry> tree;
    for (const auto& [folder, count] : {std::pair{"few", 5}, {"blocks", 300}, {"many", 1500}})
        for (int i = 0; i < count; ++i)
            tree.push_back({TreeEntry::File,
                            std::string(folder) + "/" + std::string(40, 'n') + std::to_string(i)});
    const std::string disk = tmp / "disk", memory = tmp / "memory", fuse = tmp / "fuse";
    MakeTree(disk, tree);
    MakeTree(tmp.path(), {{TreeEntry::Dir, "memory"}, {TreeEntry::Dir, "fuse"}});
    const ChildResult child = InPrivateMounts([&](std::string& out) {
        TestMount onMemory("", memory);
        std::string why = onMemory.Ok() ? MountBindfs(disk, fuse) : "tmpfs refused";
        if (!why.empty()) {
            out = std::string(kCannotMount) + ": " + why;
            return;
        }
        MakeTree(memory, tree);
        for (const std::string& root : {disk, memory, fuse})
            out += WalkOutcome(root) + "\n";
    });
    if (CannotMount(child.out))
        GTEST_SKIP() << child.out;
    EXPECT_EQ(child.out, "files 1805; \nfiles 1805; \nfiles 1805; \n");
}

// Every folder has the device and inode the system gives it, whether the walk asked for
// them or took them from its parent's listing: on the disk, on tmpfs mounted inside the
// tree, and in a folder bind-mounted inside it (the same device, another mount).
TEST(WalkRules, EveryFolderHasTheIdsTheSystemGivesIt) {
    TempDir tmp;
    const std::string root = tmp / "root", other = tmp / "other";
    MakeTree(root, {{TreeEntry::File, "a/f"},
                    {TreeEntry::File, "a/b/f"},
                    {TreeEntry::Dir, "memory"},
                    {TreeEntry::Dir, "bound"}});
    MakeTree(other, {{TreeEntry::File, "c/f"}, {TreeEntry::File, "f"}});
    const ChildResult child = InPrivateMounts([&](std::string& out) {
        TestMount onMemory("", root + "/memory");
        TestMount bound(other, root + "/bound");
        if (!onMemory.Ok() || !bound.Ok()) {
            out = std::string(kCannotMount) + ": refused";
            return;
        }
        MakeTree(root + "/memory", {{TreeEntry::File, "d/f"}, {TreeEntry::File, "f"}});
        RecordingWalker w;
        w.onFile = [&](RecordingWalker& self, const std::string& path) {
            const WalkFolder& folder = *self.CurrentEntry().folder;
            const std::string dir = path.substr(0, path.rfind('/'));
            struct stat st {};
            if (::stat(dir.c_str(), &st) != 0 || st.st_dev != folder.dev || st.st_ino != folder.ino)
                out += "other ids: " + dir.substr(root.size()) + "\n";
        };
        w.Enumerate(root.c_str(), "*.*", true);
        out += "files " + std::to_string(w.files.size());
    });
    if (CannotMount(child.out))
        GTEST_SKIP() << child.out;
    EXPECT_EQ(child.out, "files 6");
}

// 3,000 levels with only 30 descriptors: every level a path can name is walked, and the
// one folder holding an entry past the path limit says so.
TEST(WalkRules, ThreeThousandLevelsWithThirtyDescriptors) {
    TempDir tmp;
    constexpr int kLevels = 3000;
    ChainCleanup cleanup(tmp.path(), "d", "f");
    BuildChain(tmp.path(), "d", "f", kLevels);
    int expectedFiles = 0;
    for (int k = 0; k <= kLevels; ++k)
        expectedFiles += tmp.path().size() + 2 * static_cast<std::size_t>(k) + 2 < PATH_MAX;
    const ChildResult child = RunInChild([&](std::string& out) {
        DescriptorLimit limit(30);
        out = WalkOutcome(tmp.path());
    });
    ASSERT_EQ(child.exitStatus, 0);
    EXPECT_EQ(child.out, "files " + std::to_string(expectedFiles) +
                             "; 1 folder could not be read: 1 path too long");
}

// A working directory deeper than PATH_MAX: "." gets the same rule as its absolute path.
TEST(WalkRules, RelativeFolderBelowTheLimitGetsTheLongPathRule) {
    TempDir tmp;
    const std::string name(250, 'w');
    ChainCleanup cleanup(tmp.path(), name, "file.txt");
    BuildChain(tmp.path(), name, "file.txt", 20);
    const ChildResult child = RunInChild([&](std::string& out) {
        if (::chdir(tmp.path().c_str()) != 0)
            return;
        for (int i = 0; i < 20; ++i)
            if (::chdir(name.c_str()) != 0)
                return;
        RecordingWalker w;
        w.Enumerate(".", "*.*", true);
        out = std::to_string(w.files.size()) + " " + w.FoldersNotRead().Summary();
    });
    ASSERT_EQ(child.exitStatus, 0);
    EXPECT_EQ(child.out, "0 1 folder could not be read: 1 path too long");
}

// Out of descriptors: whatever could not be opened is counted as "too many open files",
// never left out silently.
TEST(WalkRules, RunningOutOfDescriptorsIsReported) {
    TempDir tmp;
    std::vector<TreeEntry> tree;
    for (int i = 0; i < 40; ++i)
        tree.push_back({TreeEntry::File, "s" + std::to_string(i) + "/t/f.txt"});
    MakeTree(tmp.path(), tree);
    const ChildResult child = RunInChild([&](std::string& out) {
        RecordingWalker w;
        // A first walk with room to spare: under the sanitizers, their own first checks of
        // the walker's classes need descriptors too.
        w.Enumerate((tmp / "s0").c_str(), "*.*", true);
        w.Clear();
        // Leave the walk one or two descriptors beyond its root.
        const int spare = ::open("/", O_RDONLY | O_CLOEXEC);
        DescriptorLimit limit(static_cast<rlim_t>(spare + 3));
        w.Enumerate(tmp.path(), "*.*", true);
        const CWalkProblems& p = w.FoldersNotRead();
        out =
            std::to_string(static_cast<int>(w.files.size()) + p.Count(NotRead::TooManyOpenFiles)) +
            " " + std::to_string(p.Total() - p.Count(NotRead::TooManyOpenFiles));
    });
    ASSERT_EQ(child.exitStatus, 0);
    // Each of the 40 files is counted, or one of its two folders is reported instead; a
    // folder counted as not read hides at most its one file.
    const auto space = child.out.find(' ');
    ASSERT_NE(space, std::string::npos) << child.out;
    EXPECT_GE(std::stoi(child.out.substr(0, space)), 40) << child.out;
    EXPECT_EQ(child.out.substr(space + 1), "0");
}

// FIFOs, sockets and device nodes are entries, counted by name and never opened.
TEST(WalkRules, SpecialFilesAreEntriesAndNeverOpened) {
    TempDir tmp;
    MakeTree(tmp.path(), {{TreeEntry::Fifo, "s/pipe.txt"}, {TreeEntry::File, "s/plain.txt"}});
    ASSERT_EQ(::mknod((tmp / "s/tty.txt").c_str(), S_IFCHR | 0600, makedev(5, 0)), 0);
    const int sock = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = tmp / "s/sock.txt";
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    socketPath.copy(address.sun_path, socketPath.size());
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    HangGuard guard(30);
    RecordingWalker w;
    w.Enumerate(tmp.path(), "*.*", true);
    ::close(sock);
    EXPECT_EQ(Relative(tmp.path(), w.files),
              (std::vector<std::string>{"s/pipe.txt", "s/plain.txt", "s/sock.txt", "s/tty.txt"}));
    EXPECT_EQ(w.FoldersNotRead().Total(), 0);
}

// The trash is not part of the tree: the home trash wherever it lies in it, and .Trash and
// .Trash-<digits> at the top of every drive met (the chosen folder included), are neither
// walked nor counted nor said to be unread. Elsewhere such names are ordinary folders.
TEST(WalkRules, TrashFoldersAreNotPartOfTheTree) {
    TempDir tmp;
    MakeTree(tmp.path(), {{TreeEntry::File, "home/.local/share/Trash/files/a.txt"},
                          {TreeEntry::File, "home/.local/share/Trash/info/a.txt.trashinfo"},
                          {TreeEntry::File, "home/.local/share/keep.txt"},
                          {TreeEntry::File, "home/sub/.Trash-0/kept.txt"},
                          {TreeEntry::Dir, "home/drive"}});
    TestMount drive("", tmp / "home/drive");
    if (!drive.Ok())
        GTEST_SKIP() << "mounting refused";
    MakeTree(tmp / "home/drive", {{TreeEntry::File, ".Trash-1000/files/b.txt"},
                                  {TreeEntry::File, ".Trash/0/files/c.txt"},
                                  {TreeEntry::File, ".Trash-x/kept.txt"},
                                  {TreeEntry::File, "data/.Trash/kept.txt"},
                                  {TreeEntry::File, "data/d.txt"}});
    const std::string home = tmp / "home";
    const char* saved = std::getenv("XDG_DATA_HOME");
    const std::string savedValue = saved ? saved : "";
    ::setenv("XDG_DATA_HOME", (home + "/.local/share").c_str(), 1);
    RecordingWalker whole, top;
    whole.Enumerate(home.c_str(), "*.*", true);
    top.Enumerate((home + "/drive").c_str(), "*.*", true);
    saved ? ::setenv("XDG_DATA_HOME", savedValue.c_str(), 1) : ::unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(Relative(home, whole.files),
              (std::vector<std::string>{".local/share/keep.txt", "drive/.Trash-x/kept.txt",
                                        "drive/data/.Trash/kept.txt", "drive/data/d.txt",
                                        "sub/.Trash-0/kept.txt"}));
    EXPECT_EQ(whole.FoldersNotRead().Total(), 0);
    EXPECT_EQ(top.files.size(), 3u);
}

// Stopped early in a big walk: the readers are gone and every folder and listing the walk
// read ahead is freed as soon as Enumerate returns.
TEST(WalkRules, StopEndsTheReadersAndGivesTheirMemoryBack) {
    TempDir tmp;
    std::vector<TreeEntry> tree;
    for (int d = 0; d < 100; ++d)
        for (int f = 0; f < 50; ++f)
            tree.push_back({TreeEntry::File, "d" + std::to_string(d / 10) + "/e" +
                                                 std::to_string(d) + "/f" + std::to_string(f)});
    MakeTree(tmp.path(), tree);
    RecordingWalker w;
    std::chrono::steady_clock::time_point stoppedAt;
    WalkAllocations whileWalking;
    w.onFile = [&](RecordingWalker& self, const std::string&) {
        if (self.files.size() == 1000) {
            whileWalking = LiveWalkAllocations();
            self.StopWalk();
            stoppedAt = std::chrono::steady_clock::now();
        }
    };
    const int threadsBefore = Threads();
    w.Enumerate(tmp.path(), "*.*", true);
    const auto latency = std::chrono::steady_clock::now() - stoppedAt;
    EXPECT_EQ(w.files.size(), 1000u);
    EXPECT_EQ(Threads(), threadsBefore) << "readers left running";
    EXPECT_GT(whileWalking.nodes, 0);
    EXPECT_GT(whileWalking.chunks, 0);
    const WalkAllocations after = LiveWalkAllocations();
    EXPECT_EQ(after.nodes, 0);
    EXPECT_EQ(after.chunks, 0);
    EXPECT_LT(latency, std::chrono::seconds(2)) << "a hang, not a measurement";
    std::printf("stop to return: %.3f ms\n",
                std::chrono::duration<double, std::milli>(latency).count());
}
