#pragma once
// The trees and limits of the POSIX walker tests: hang guards, chains deeper than a path
// can address, descriptor limits and mounts.
#include "tests/walk/WalkerTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

// Kills the test process instead of letting it hang when a walk blocks (for instance by
// opening a FIFO).
class HangGuard {
public:
    explicit HangGuard(unsigned seconds) { ::alarm(seconds); }
    ~HangGuard() { ::alarm(0); }
};

// A chain of folders, each named `name` and holding one file `file`, built with
// descriptors so that it may grow past what a path can address.
inline void BuildChain(const std::string& root, const std::string& name, const std::string& file,
                       int levels) {
    int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    for (int i = 0; i <= levels; ++i) {
        const int f = ::openat(fd, file.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        ASSERT_GE(f, 0) << "level " << i;
        ::close(f);
        if (i == levels)
            break;
        ASSERT_EQ(::mkdirat(fd, name.c_str(), 0755), 0) << "level " << i;
        const int next = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ASSERT_GE(next, 0) << "level " << i;
        ::close(fd);
        fd = next;
    }
    ::close(fd);
}

// Removes what BuildChain made below root when it goes out of scope. It moves the current
// directory down the chain and back up, so no long path and no pile of descriptors is
// ever needed.
class ChainCleanup {
public:
    ChainCleanup(std::string root, std::string name, std::string file)
        : m_root(std::move(root)), m_name(std::move(name)), m_file(std::move(file)) {}
    ~ChainCleanup() {
        const int saved = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (saved < 0 || ::chdir(m_root.c_str()) != 0)
            return;
        int depth = 0;
        while (::chdir(m_name.c_str()) == 0)
            ++depth;
        for (; depth >= 0; --depth) {
            ::unlink(m_file.c_str());
            ::rmdir(m_name.c_str());
            if (depth > 0 && ::chdir("..") != 0)
                break;
        }
        if (::fchdir(saved) != 0)
            std::abort();
        ::close(saved);
    }
    ChainCleanup(const ChainCleanup&) = delete;
    ChainCleanup& operator=(const ChainCleanup&) = delete;

private:
    std::string m_root, m_name, m_file;
};

// Lowers the open-descriptor limit for the lifetime of the object.
class DescriptorLimit {
public:
    explicit DescriptorLimit(rlim_t soft) {
        ::getrlimit(RLIMIT_NOFILE, &m_saved);
        rlimit lowered = m_saved;
        lowered.rlim_cur = soft;
        ::setrlimit(RLIMIT_NOFILE, &lowered);
    }
    ~DescriptorLimit() { ::setrlimit(RLIMIT_NOFILE, &m_saved); }

private:
    rlimit m_saved{};
};

// A mount inside a test's folder, undone (detached) when the object goes: a bind mount of
// source (with everything mounted below it when recursive), or a small memory file system
// when source is empty. Ok() is false when the system refused (no privilege).
class TestMount {
public:
    TestMount(const std::string& source, const std::string& target, bool recursive = false)
        : m_target(target) {
        const int rc = source.empty() ? ::mount("rz-test", target.c_str(), "tmpfs", 0, "size=4m")
                                      : ::mount(source.c_str(), target.c_str(), nullptr,
                                                MS_BIND | (recursive ? MS_REC : 0), nullptr);
        m_ok = rc == 0;
    }
    ~TestMount() {
        if (m_ok)
            ::umount2(m_target.c_str(), MNT_DETACH);
    }
    TestMount(const TestMount&) = delete;
    TestMount& operator=(const TestMount&) = delete;
    bool Ok() const { return m_ok; }

private:
    std::string m_target;
    bool m_ok = false;
};
