#include "tests/support/TempTree.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <grp.h>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

void Fail(const std::string& what, const std::string& path) {
    throw std::runtime_error(what + " " + path + ": " + std::strerror(errno));
}

void MakeParents(const std::string& path) {
    for (std::size_t pos = path.find('/', 1); pos != std::string::npos;
         pos = path.find('/', pos + 1)) {
        const std::string parent = path.substr(0, pos);
        if (::mkdir(parent.c_str(), 0755) != 0 && errno != EEXIST)
            Fail("mkdir", parent);
    }
}

int MakeWritable(const char* path, const struct stat* st, int type, struct FTW*) {
    if (type == FTW_D || type == FTW_DNR || type == FTW_DP)
        ::chmod(path, (st->st_mode & 07777) | 0700);
    return 0;
}

int RemoveOne(const char* path, const struct stat*, int type, struct FTW*) {
    if (type == FTW_DP || type == FTW_D || type == FTW_DNR)
        ::rmdir(path);
    else
        ::unlink(path);
    return 0;
}

} // namespace

TempDir::TempDir(const std::string& base) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern =
        (!base.empty() ? base : std::string(tmp && *tmp ? tmp : "/tmp")) + "/rz-test-XXXXXX";
    if (!::mkdtemp(pattern.data()))
        Fail("mkdtemp", pattern);
    m_path = pattern;
}

TempDir::~TempDir() {
    // Pre-order pass opens every folder up, then a depth-first pass removes everything.
    ::nftw(m_path.c_str(), MakeWritable, 64, FTW_PHYS);
    ::nftw(m_path.c_str(), RemoveOne, 64, FTW_PHYS | FTW_DEPTH);
}

std::string MemoryFolder() {
    return ::access("/dev/shm", W_OK | X_OK) == 0 ? "/dev/shm" : std::string();
}

void WriteFile(const std::string& path, const std::string& content) {
    MakeParents(path);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        Fail("create", path);
    if (!content.empty() && ::write(fd, content.data(), content.size()) < 0)
        Fail("write", path);
    ::close(fd);
}

std::string ReadFile(const std::string& path) {
    std::string data;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        Fail("open", path);
    char buf[4096];
    ssize_t n;
    while ((n = ::read(fd, buf, sizeof buf)) > 0)
        data.append(buf, static_cast<std::size_t>(n));
    ::close(fd);
    return data;
}

std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* e = ::readdir(dir))
            if (std::string(e->d_name) != "." && std::string(e->d_name) != "..")
                names.push_back(e->d_name);
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool Exists(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

void MakeTree(const std::string& root, const std::vector<TreeEntry>& entries) {
    for (const TreeEntry& e : entries) {
        const std::string full = root + "/" + e.path;
        MakeParents(full);
        switch (e.kind) {
        case TreeEntry::File:
            WriteFile(full, e.target);
            break;
        case TreeEntry::Dir:
            if (::mkdir(full.c_str(), 0755) != 0 && errno != EEXIST)
                Fail("mkdir", full);
            break;
        case TreeEntry::Link:
            if (::symlink(e.target.c_str(), full.c_str()) != 0)
                Fail("symlink", full);
            break;
        case TreeEntry::Fifo:
            if (::mkfifo(full.c_str(), 0644) != 0)
                Fail("mkfifo", full);
            break;
        }
    }
}

void OpenUpForEveryone(const std::string& path) {
    // Only the search bit on ancestors; the path itself keeps its own permissions.
    for (std::size_t pos = path.find('/', 1); pos != std::string::npos;
         pos = path.find('/', pos + 1)) {
        const std::string parent = path.substr(0, pos);
        struct stat st;
        if (::stat(parent.c_str(), &st) == 0)
            ::chmod(parent.c_str(), (st.st_mode & 07777) | 0001);
    }
}

namespace {

ChildResult ForkAndCollect(const std::function<void(std::string& out)>& body, bool dropPrivileges) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        Fail("pipe", "");
    // Output still buffered would otherwise be written twice, once by each process.
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0)
        Fail("fork", "");
    if (pid == 0) {
        ::close(fds[0]);
        int status = 0;
        if (dropPrivileges &&
            (::setgroups(0, nullptr) != 0 || ::setresgid(65534, 65534, 65534) != 0 ||
             ::setresuid(65534, 65534, 65534) != 0)) {
            status = 90;
        } else {
            try {
                std::string out;
                body(out);
                std::fflush(nullptr);
                if (::write(fds[1], out.data(), out.size()) != static_cast<ssize_t>(out.size()))
                    status = 91;
            } catch (...) {
                status = 92;
            }
        }
        ::close(fds[1]);
        ::_exit(status);
    }
    ::close(fds[1]);
    ChildResult result;
    char buf[4096];
    ssize_t n;
    while ((n = ::read(fds[0], buf, sizeof buf)) > 0)
        result.out.append(buf, static_cast<std::size_t>(n));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

} // namespace

ChildResult RunUnprivileged(const std::function<void(std::string& out)>& body) {
    return ForkAndCollect(body, true);
}

ChildResult RunInChild(const std::function<void(std::string& out)>& body) {
    return ForkAndCollect(body, false);
}

std::string CommandOutput(const std::string& command) {
    std::string out;
    if (FILE* p = ::popen((command + " 2>&1").c_str(), "r")) {
        char buf[4096];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
            out.append(buf, n);
        ::pclose(p);
    }
    return out;
}
