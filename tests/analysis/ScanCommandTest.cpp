#include "tests/analysis/WalkerTestSupport.h"
#include "tests/support/TempTree.h"
#include "tests/support/Trees.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

struct Outcome {
    int status = -1;
    std::string out, err;
};

// Runs the scan command (exe) with args, collecting what it writes. A run that takes
// longer than 20 seconds is killed and reported as status -2.
Outcome RunScan(const std::vector<std::string>& args, const char* exe = RZ_SCAN_EXE) {
    int outPipe[2], errPipe[2];
    if (::pipe2(outPipe, O_CLOEXEC) != 0 || ::pipe2(errPipe, O_CLOEXEC) != 0)
        return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(outPipe[1], 1);
        ::dup2(errPipe[1], 2);
        std::vector<char*> argv{const_cast<char*>(exe)};
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(exe, argv.data());
        ::_exit(127);
    }
    ::close(outPipe[1]);
    ::close(errPipe[1]);
    Outcome result;
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    std::string* sinks[2] = {&result.out, &result.err};
    int open = 2;
    bool killed = false;
    while (open > 0) {
        if (::poll(fds, 2, 20000) <= 0) {
            ::kill(pid, SIGKILL);
            killed = true;
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP)))
                continue;
            char buf[4096];
            const ssize_t n = ::read(fds[i].fd, buf, sizeof buf);
            if (n > 0) {
                sinks[i]->append(buf, static_cast<std::size_t>(n));
            } else {
                ::close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    for (const pollfd& p : fds)
        if (p.fd >= 0)
            ::close(p.fd);
    int status = 0;
    ::waitpid(pid, &status, 0);
    result.status = killed ? -2 : WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

// A copy of the command the unprivileged user can run wherever the build tree lives.
std::string CopyForEveryone(const TempDir& tmp) {
    const std::string copy = tmp / "ravezivured-scan";
    WriteFile(copy, ReadFile(RZ_SCAN_EXE));
    ::chmod(copy.c_str(), 0755);
    return copy;
}

} // namespace

TEST(ScanCommand, PrintsTheTableLargestCountFirstThenTheTotal) {
    TempDir tmp;
    MakeTree(tmp.path(), kMixedTree);
    const Outcome r = RunScan({tmp.path()});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    // Equal counts in byte order of their extension.
    EXPECT_EQ(r.out, "Sr\tExtension\tFiles Count\n"
                     "1\t.txt\t11\n"
                     "2\t\t6\n"
                     "3\t.\t1\n"
                     "4\t.TXT\t1\n"
                     "5\t.bak\t1\n"
                     "6\t.c\t1\n"
                     "7\t.hidden\t1\n"
                     "Total Files Found\t22\n");
}

TEST(ScanCommand, EmptyFolderGivesAnEmptyTable) {
    TempDir tmp;
    const Outcome r = RunScan({tmp.path()});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Sr\tExtension\tFiles Count\nTotal Files Found\t0\n");
}

TEST(ScanCommand, RefusesWhatIsNotAReadableFolderWithOneLineOnStderr) {
    TempDir tmp;
    MakeTree(tmp.path(), {{TreeEntry::File, "file.txt"},
                          {TreeEntry::Fifo, "fifo.txt"},
                          {TreeEntry::Link, "broken", "nowhere"},
                          {TreeEntry::Link, "loop", "loop"}});
    const std::vector<std::vector<std::string>> cases{{},
                                                      {tmp / "absent"},
                                                      {tmp / "file.txt"},
                                                      {tmp / "fifo.txt"},
                                                      {tmp / "broken"},
                                                      {tmp / "loop"},
                                                      {tmp.path(), tmp.path()}};
    for (const std::vector<std::string>& args : cases) {
        const std::string shown = args.empty() ? "(none)" : args[0];
        const Outcome r = RunScan(args);
        EXPECT_EQ(r.status, 2) << shown;
        EXPECT_EQ(r.out, "") << shown;
        ASSERT_FALSE(r.err.empty()) << shown;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_EQ(r.err.back(), '\n') << r.err;
        if (args.size() == 1)
            EXPECT_NE(r.err.find(args[0]), std::string::npos) << r.err;
        else
            EXPECT_NE(r.err.find("FOLDER"), std::string::npos) << r.err;
    }
}

TEST(ScanCommand, RefusesAFolderItMayNotRead) {
    TempDir tmp;
    const std::string locked = tmp / "locked";
    MakeTree(tmp.path(), {{TreeEntry::File, "locked/a.txt"}});
    ASSERT_EQ(::chmod(locked.c_str(), 0), 0);
    OpenUpForEveryone(locked);
    const std::string exe = CopyForEveryone(tmp);
    const ChildResult child = RunUnprivileged([&](std::string& out) {
        const Outcome r = RunScan({locked}, exe.c_str());
        out = std::to_string(r.status) + "|" + r.out + "|" + r.err;
    });
    ASSERT_EQ(child.exitStatus, 0);
    EXPECT_EQ(child.out.substr(0, 4), "2||r") << child.out;
    EXPECT_NE(child.out.find(locked + "': Permission denied\n"), std::string::npos) << child.out;
}

TEST(ScanCommand, CountsWhatItCanReadBelowAnUnreadableSubfolder) {
    TempDir tmp;
    const std::string root = tmp / "tree";
    MakeTree(root, {{TreeEntry::File, "locked/a.txt"}, {TreeEntry::File, "b.txt"}});
    ASSERT_EQ(::chmod((root + "/locked").c_str(), 0), 0);
    OpenUpForEveryone(root);
    const std::string exe = CopyForEveryone(tmp);
    const ChildResult child = RunUnprivileged([&](std::string& out) {
        const Outcome r = RunScan({root}, exe.c_str());
        out = std::to_string(r.status) + "|" + r.out + "|" + r.err;
    });
    ASSERT_EQ(child.exitStatus, 0);
    // The table of what was read, and the folder it could not read said on stderr.
    EXPECT_EQ(child.out, "1|Sr\tExtension\tFiles Count\n1\t.txt\t1\nTotal Files Found\t1\n"
                         "|ravezivured-scan: 1 folder could not be read: 1 permission denied\n");
}

// Folders that could not be read (here the one holding an entry past the path limit): the
// table is still written for what was read, one line on stderr says what was not, and the
// status is 1.
TEST(ScanCommand, SaysWhichFoldersItCouldNotReadAndExitsOne) {
    TempDir tmp;
    const std::string name(200, 'n');
    ChainCleanup cleanup(tmp.path(), name, "f.txt");
    BuildChain(tmp.path(), name, "f.txt", 25);
    std::size_t reachable = 0;
    for (std::size_t folder = tmp.path().size(); folder + 6 < PATH_MAX; folder += 201)
        ++reachable;
    const Outcome r = RunScan({tmp.path()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "Sr\tExtension\tFiles Count\n1\t.txt\t" + std::to_string(reachable) +
                         "\nTotal Files Found\t" + std::to_string(reachable) + "\n");
    EXPECT_EQ(r.err, "ravezivured-scan: 1 folder could not be read: 1 path too long\n");
}
