#include "platform/core/ExtensionKey.h"
#include "res/version.h"
#include "tests/support/PrivateMount.h"
#include "tests/support/TempTree.h"
#include "tests/support/Trees.h"
#include "tests/walk/WalkerTestPosix.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <fcntl.h>
#include <map>
#include <poll.h>
#include <sstream>
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

// Runs the scan command (exe) with args, and env ("NAME=value") added to its environment,
// collecting what it writes. A run that takes longer than 20 seconds is killed and
// reported as status -2.
Outcome RunScan(const std::vector<std::string>& args, const char* exe = RZ_SCAN_EXE,
                const std::vector<std::string>& env = {}) {
    int outPipe[2], errPipe[2];
    if (::pipe2(outPipe, O_CLOEXEC) != 0 || ::pipe2(errPipe, O_CLOEXEC) != 0)
        return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(outPipe[1], 1);
        ::dup2(errPipe[1], 2);
        for (const std::string& e : env)
            ::putenv(const_cast<char*>(e.c_str()));
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

// Runs a copy of the command on folder as the unprivileged user: "status|stdout|stderr".
std::string ScanUnprivileged(const TempDir& tmp, const std::string& folder) {
    const std::string exe = CopyForEveryone(tmp);
    const ChildResult child = RunUnprivileged([&](std::string& out) {
        const Outcome r = RunScan({folder}, exe.c_str());
        out = std::to_string(r.status) + "|" + r.out + "|" + r.err;
    });
    EXPECT_EQ(child.exitStatus, 0);
    return child.out;
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
    for (const std::string& folder :
         {tmp / "absent", tmp / "file.txt", tmp / "fifo.txt", tmp / "broken", tmp / "loop"}) {
        const Outcome r = RunScan({folder});
        EXPECT_EQ(r.status, 2) << folder;
        EXPECT_EQ(r.out, "") << folder;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_NE(r.err.find(folder), std::string::npos) << r.err;
    }
}

// A mistake in the arguments names itself, then shows the usage, and exits with 2; the
// help and the version go to standard output.
TEST(ScanCommand, ArgumentsOtherThanOneFolderGetTheUsage) {
    TempDir tmp;
    const struct {
        std::vector<std::string> args;
        const char* says;
    } cases[] = {
        {{}, "no FOLDER given"},
        {{tmp.path(), tmp.path()}, "one FOLDER expected, got 2"},
        {{""}, "empty"},
        {{"--frobnicate", tmp.path()}, "unknown option '--frobnicate'"},
        {{"-j", tmp.path()}, "unknown option '-j'"},
    };
    for (const auto& c : cases) {
        const Outcome r = RunScan(c.args);
        EXPECT_EQ(r.status, 2) << c.says;
        EXPECT_EQ(r.out, "") << c.says;
        EXPECT_EQ(r.err.rfind("ravezivured-scan: ", 0), 0u) << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("usage: ravezivured-scan [--json] [--sizes] FOLDER"),
                  std::string::npos);
    }
    const Outcome help = RunScan({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("usage: ravezivured-scan", 0), 0u);
    EXPECT_NE(help.out.find("Exit status"), std::string::npos);
    const Outcome version = RunScan({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "ravezivured-scan " RZ_VERSION_TEXT "\n");
    // "--" ends the options: a folder may be named like one.
    MakeTree(tmp.path(), {{TreeEntry::File, "--json/a.c"}});
    EXPECT_EQ(RunScan({"--", tmp / "--json"}).out,
              "Sr\tExtension\tFiles Count\n1\t.c\t1\nTotal Files Found\t1\n");
}

// A folder that cannot be listed, and one whose names can be listed but that cannot be
// entered (nothing in it could be counted): both are bad folders.
TEST(ScanCommand, RefusesAFolderItMayNotRead) {
    for (const mode_t mode : {0, 0644}) {
        SCOPED_TRACE(mode);
        TempDir tmp;
        const std::string locked = tmp / "locked";
        MakeTree(tmp.path(), {{TreeEntry::File, "locked/a.txt"}});
        ASSERT_EQ(::chmod(locked.c_str(), mode), 0);
        OpenUpForEveryone(locked);
        EXPECT_EQ(ScanUnprivileged(tmp, locked),
                  "2||ravezivured-scan: cannot read folder '" + locked + "': Permission denied\n");
    }
}

namespace {

// Forty folders of a few files each, two levels deep: work for every reader.
std::string MakeWideTree(const TempDir& tmp) {
    const std::string root = tmp / "wide";
    for (int i = 0; i < 40; ++i)
        for (int j = 0; j < 4; ++j)
            WriteFile(root + "/d" + std::to_string(i) + "/e" + std::to_string(j % 2) + "/f" +
                      std::to_string(j) + ".x" + std::to_string(i % 5));
    return root;
}

} // namespace

// Threads the system will not start (a process or container limit) leave fewer readers,
// or none: the walk reads the rest on its own thread and the table is the whole one.
TEST(ScanCommand, ThreadsTheSystemRefusesLeaveTheWholeTable) {
    TempDir tmp;
    const std::string root = MakeWideTree(tmp);
    const Outcome whole = RunScan({root});
    ASSERT_EQ(whole.status, 0);
    for (const char* started : {"0", "1", "3"}) {
        SCOPED_TRACE(started);
        const Outcome r = RunScan({root}, RZ_SCAN_EXE,
                                  {"LD_PRELOAD=" RZ_FAIL_THREADS_LIB,
                                   std::string("RZ_FAIL_THREADS_AFTER=") + started,
                                   "ASAN_OPTIONS=detect_leaks=1:verify_asan_link_order=0"});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, whole.out);
    }
}

// Memory running out on a reader ends neither the program nor the table's honesty: the
// folder whose listing could not be kept is said ("out of memory") and the status is 1;
// a table given as complete is the whole one.
TEST(ScanCommand, MemoryRunningOutOnAReaderIsSaidNotHidden) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's allocator cannot be replaced by a preloaded malloc";
#endif
    TempDir tmp;
    const std::string root = MakeWideTree(tmp);
    const Outcome whole = RunScan({root});
    ASSERT_EQ(whole.status, 0);
    int said = 0;
    for (int at = 0; at < 60; at += 3) {
        SCOPED_TRACE(at);
        const Outcome r =
            RunScan({root}, RZ_SCAN_EXE,
                    {"LD_PRELOAD=" RZ_FAIL_MALLOC_LIB, "RZ_FAIL_MALLOC_AT=" + std::to_string(at)});
        if (r.status == 0) {
            EXPECT_EQ(r.out, whole.out);
            continue;
        }
        ASSERT_EQ(r.status, 1) << r.err;
        EXPECT_NE(r.err.find(" out of memory"), std::string::npos) << r.err;
        ++said;
    }
    EXPECT_GT(said, 0); // the failure did reach a listing
}

// A folder inside the trash (the home trash, or .Trash/.Trash-<uid> at a drive's top) is
// refused like an unreadable one; a folder merely named like a drive's trash is scanned.
TEST(ScanCommand, RefusesAFolderInsideTheTrash) {
    TempDir tmp;
    const std::string data = tmp / "data", drive = tmp / "drive";
    MakeTree(tmp.path(),
             {{TreeEntry::File, "data/Trash/files/old/a.txt"}, {TreeEntry::Dir, "drive"}});
    const ChildResult child = InPrivateTmpfs(drive, [&](std::string& out) {
        ::setenv("XDG_DATA_HOME", data.c_str(), 1);
        MakeTree(drive, {{TreeEntry::File, ".Trash-1000/files/b.txt"},
                         {TreeEntry::File, ".Trash/0/info/b.txt.trashinfo"},
                         {TreeEntry::File, "sub/.Trash-7/c.txt"}});
        const std::pair<std::string, int> cases[] = {
            {data + "/Trash", 2},         {data + "/Trash/files/old", 2},
            {drive + "/.Trash-1000", 2},  {drive + "/.Trash/0/info", 2},
            {drive + "/sub/.Trash-7", 0}, {data, 0},
        };
        for (const auto& [folder, status] : cases) {
            const Outcome r = RunScan({folder});
            out += std::to_string(r.status) + " " + folder + ": " + r.err;
            EXPECT_EQ(r.status, status) << folder;
            if (status == 2) {
                EXPECT_EQ(r.err, "ravezivured-scan: folder '" + folder +
                                     "' is inside the trash, which is never scanned\n");
            }
        }
        if (::testing::Test::HasFailure())
            out = "failed: " + out;
    });
    if (child.out == kCannotMount)
        GTEST_SKIP() << "mounting a tmpfs is not allowed here";
    EXPECT_EQ(child.exitStatus, 0);
    EXPECT_EQ(child.out.substr(0, 7) == "failed:", false) << child.out;
}

TEST(ScanCommand, CountsWhatItCanReadBelowAnUnreadableSubfolder) {
    TempDir tmp;
    const std::string root = tmp / "tree";
    MakeTree(root, {{TreeEntry::File, "locked/a.txt"}, {TreeEntry::File, "b.txt"}});
    ASSERT_EQ(::chmod((root + "/locked").c_str(), 0), 0);
    OpenUpForEveryone(root);
    // The table of what was read, and the folder it could not read said on stderr.
    EXPECT_EQ(ScanUnprivileged(tmp, root),
              "1|Sr\tExtension\tFiles Count\n1\t.txt\t1\nTotal Files Found\t1\n"
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
    const Outcome json = RunScan({"--json", tmp.path()});
    EXPECT_EQ(json.status, 1);
    EXPECT_NE(json.out.find("\"complete\": false, \"not_read\": {\"count\": 1, \"reasons\": "
                            "{\"path too long\": 1}}}"),
              std::string::npos)
        << json.out;
}

// ---- What a script reads back ----

namespace {

// Names whose extensions hold what would break a line or a field, with how many files
// carry each extension.
const std::map<std::string, int> kAwkwardExtensions = {
    {".t\tab", 2},   {".new\nline", 1}, {".back\\slash", 1}, {".c\rr", 1},
    {".ctl\x01", 1}, {".\xff\xfe", 3},  {".caf\xc3\xa9", 1}, {".q\"uote", 1},
};

void MakeAwkwardTree(const std::string& root) {
    for (const auto& [ext, count] : kAwkwardExtensions)
        for (int i = 0; i < count; ++i)
            WriteFile(root + "/d" + std::to_string(i) + "/f" + ext);
}

int HexValue(char c) {
    return c <= '9' ? c - '0' : c - 'a' + 10;
}

// The table's escapes undone.
std::string Unescape(const std::string& field) {
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '\\' || i + 1 == field.size()) {
            out += field[i];
            continue;
        }
        const char next = field[++i];
        if (next == 'x' && i + 2 < field.size() + 0) {
            out += static_cast<char>(HexValue(field[i + 1]) * 16 + HexValue(field[i + 2]));
            i += 2;
        } else {
            out += next == 't' ? '\t' : next == 'n' ? '\n' : next == 'r' ? '\r' : next;
        }
    }
    return out;
}

// The rows of the tab-separated table: extension -> count.
std::map<std::string, int> ReadTable(const std::string& out) {
    std::map<std::string, int> rows;
    std::istringstream lines(out);
    std::string line;
    std::getline(lines, line); // the heading
    while (std::getline(lines, line) && line.rfind("Total Files Found\t", 0) != 0) {
        const std::size_t a = line.find('\t'), b = line.find('\t', a + 1);
        EXPECT_EQ(line.find('\t', b + 1), std::string::npos) << "a third tab: " << line;
        rows[Unescape(line.substr(a + 1, b - a - 1))] = std::stoi(line.substr(b + 1));
    }
    EXPECT_FALSE(std::getline(lines, line)) << "lines after the total: " << line;
    return rows;
}

// The rows of the JSON output, each extension from its _hex field when it has one.
std::map<std::string, int> ReadJsonRows(const std::string& out) {
    std::map<std::string, int> rows;
    for (std::size_t at = out.find("{\"sr\": "); at != std::string::npos;
         at = out.find("{\"sr\": ", at + 1)) {
        const std::size_t end = out.find('}', at);
        const std::string row = out.substr(at, end - at);
        const std::size_t count = row.find("\"count\": ");
        std::string ext;
        if (const std::size_t hex = row.find("\"extension_hex\": \""); hex != std::string::npos) {
            for (std::size_t i = hex + 18; row[i] != '"'; i += 2)
                ext += static_cast<char>(HexValue(row[i]) * 16 + HexValue(row[i + 1]));
        } else {
            // Valid UTF-8: only the JSON escapes to undo.
            const std::size_t start = row.find("\"extension\": \"") + 14;
            for (std::size_t i = start; row[i] != '"'; ++i) {
                if (row[i] != '\\') {
                    ext += row[i];
                } else if (row[++i] == 'u') {
                    ext += static_cast<char>(HexValue(row[i + 3]) * 16 + HexValue(row[i + 4]));
                    i += 4;
                } else {
                    ext += row[i] == 't'   ? '\t'
                           : row[i] == 'n' ? '\n'
                           : row[i] == 'r' ? '\r'
                                           : row[i];
                }
            }
        }
        rows[ext] = std::stoi(row.substr(count + 9));
    }
    return rows;
}

} // namespace

TEST(ScanCommand, EscapedTableAndJsonGiveBackEveryExtensionsExactBytesAndCount) {
    TempDir tmp;
    MakeAwkwardTree(tmp.path());
    const Outcome table = RunScan({tmp.path()});
    ASSERT_EQ(table.status, 0) << table.err;
    EXPECT_EQ(ReadTable(table.out), kAwkwardExtensions) << table.out;
    EXPECT_NE(table.out.find("\t.\xff\xfe\t"), std::string::npos) << "other bytes stay as they are";

    const Outcome json = RunScan({"--json", tmp.path()});
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_EQ(ReadJsonRows(json.out), kAwkwardExtensions) << json.out;
    EXPECT_NE(json.out.find(
                  "\"extension\": \".\xef\xbf\xbd\xef\xbf\xbd\", \"extension_hex\": \"2efffe\""),
              std::string::npos)
        << json.out;
    EXPECT_NE(json.out.find("\"total\": 11, \"complete\": true"), std::string::npos) << json.out;
    EXPECT_EQ(std::count(json.out.begin(), json.out.end(), '\n'), 1) << "one line";
}

// ---- Sizes ----

namespace {

// Extension -> the Size field of a --sizes table, and "TOTAL" -> the total line's bytes.
std::map<std::string, std::string> ReadSizeColumn(const std::string& out) {
    std::map<std::string, std::string> sizes;
    std::istringstream lines(out);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "Sr\tExtension\tFiles Count\tSize");
    while (std::getline(lines, line)) {
        std::vector<std::string> fields;
        for (std::size_t at = 0;;) {
            const std::size_t tab = line.find('\t', at);
            fields.push_back(line.substr(at, tab - at));
            if (tab == std::string::npos)
                break;
            at = tab + 1;
        }
        if (fields[0] == "Total Files Found" && fields.size() == 3)
            sizes["TOTAL"] = fields[2];
        else if (fields.size() == 4)
            sizes[Unescape(fields[1])] = fields[3];
        else
            ADD_FAILURE() << "not a row of four fields: " << line;
    }
    return sizes;
}

// The same sums from find's own sizes (%s: a link's own): every entry below root that is not
// a folder, by the extension key of its name; a folder find cannot read adds nothing.
std::map<std::string, std::string> SizesByFind(const std::string& findOutput) {
    std::map<std::string, unsigned long long> sums;
    std::size_t at = 0;
    for (std::size_t end; (end = findOutput.find('\0', at)) != std::string::npos; at = end + 1) {
        const std::string item = findOutput.substr(at, end - at);
        const std::size_t slash = item.find('/');
        const unsigned long long size = std::stoull(item.substr(0, slash));
        sums[std::string(ExtensionKey("/" + item.substr(slash + 1)))] += size;
        sums["TOTAL"] += size;
    }
    std::map<std::string, std::string> sizes;
    for (const auto& [key, sum] : sums)
        sizes[key] = std::to_string(sum);
    return sizes;
}

} // namespace

// Links (to a file, a folder, nowhere), a FIFO, empty files, a sparse file of 3 GiB and a
// folder the user may not read: each extension's bytes are what find says, summed
// independently, and the total is their sum.
TEST(ScanCommand, SizesAgreeWithFindsOwnSum) {
    TempDir tmp;
    const std::string root = tmp / "tree";
    MakeTree(root, kMixedTree);
    MakeTree(root, {{TreeEntry::File, "sub/some.txt", std::string(1000, 'x')},
                    {TreeEntry::File, "sub/deep/other.c", std::string(70000, 'y')},
                    {TreeEntry::File, "empty.bin"},
                    {TreeEntry::File, "locked/hidden.txt", "not to be counted"}});
    const int sparse = ::open((root + "/disk.img").c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(sparse, 0);
    ASSERT_EQ(::ftruncate(sparse, 3LL << 30), 0);
    ::close(sparse);
    ASSERT_EQ(::chmod((root + "/locked").c_str(), 0), 0);
    OpenUpForEveryone(root);

    const std::string exe = CopyForEveryone(tmp);
    const ChildResult child = RunUnprivileged([&](std::string& out) {
        const Outcome r = RunScan({"--sizes", root}, exe.c_str());
        out = std::to_string(r.status) + '\x01' + r.out + '\x01' +
              CommandOutput("{ find '" + root + "' -mindepth 1 ! -type d -printf '%s/%f\\0' " +
                            "2>/dev/null; }");
    });
    ASSERT_EQ(child.exitStatus, 0);
    const std::size_t a = child.out.find('\x01'), b = child.out.find('\x01', a + 1);
    EXPECT_EQ(child.out.substr(0, a), "1") << "the locked folder is said";
    const std::map<std::string, std::string> found = SizesByFind(child.out.substr(b + 1));
    EXPECT_EQ(ReadSizeColumn(child.out.substr(a + 1, b - a - 1)), found);
    EXPECT_EQ(found.at(".img"), "3221225472");
    EXPECT_EQ(found.count(".bin"), 1u);

    const Outcome json = RunScan({"--sizes", "--json", root});
    EXPECT_NE(json.out.find("\"extension\": \".img\", \"count\": 1, \"bytes\": 3221225472, "
                            "\"size_unknown\": 0}"),
              std::string::npos)
        << json.out;
}
