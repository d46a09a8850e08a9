#include "tests/support/PrivateMount.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

// True when the command-line tool is installed.
bool Installed(const std::string& tool) {
    return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0;
}

std::string WhyNot(const std::string& what, int error) {
    return what + ": " + std::strerror(error);
}

dev_t DeviceOf(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 ? st.st_dev : 0;
}

} // namespace

ChildResult InPrivateMounts(const std::function<void(std::string& out)>& body) {
    return RunInChild([&](std::string& out) {
        // Private propagation first, so no mount is passed on to the parent's view.
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
            out = kCannotMount;
            return;
        }
        body(out);
    });
}

ChildResult InPrivateTmpfs(const std::string& mountPoint,
                           const std::function<void(std::string& out)>& body) {
    return InPrivateMounts([&](std::string& out) {
        if (::mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, "size=4m,mode=0755") != 0) {
            out = kCannotMount;
            return;
        }
        body(out);
    });
}

std::string MountBtrfs(const std::string& image, const std::string& mountPoint) {
    if (!Installed("mkfs.btrfs"))
        return "mkfs.btrfs is not installed (package btrfs-progs)";
    const std::string make = "truncate -s 300M '" + image + "' && mkfs.btrfs -q '" + image +
                             "' >/dev/null 2>&1 && mount -o loop '" + image + "' '" + mountPoint +
                             "' 2>/dev/null";
    if (std::system(make.c_str()) != 0)
        return "cannot make and mount a btrfs image (no loop devices, or no btrfs in the kernel)";
    return {};
}

std::string MountBindfs(const std::string& source, const std::string& mountPoint) {
    if (!Installed("bindfs"))
        return "bindfs is not installed (package bindfs)";
    if (::access("/dev/fuse", R_OK | W_OK) != 0)
        return WhyNot("/dev/fuse", errno);
    const dev_t before = DeviceOf(mountPoint);
    const pid_t pid = ::fork();
    if (pid < 0)
        return WhyNot("fork", errno);
    if (pid == 0) {
        // In the foreground, and ended with the process that mounted it, which ends the
        // mount namespace and the mount with it.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        ::execlp("bindfs", "bindfs", "-f", source.c_str(), mountPoint.c_str(),
                 static_cast<char*>(nullptr));
        ::_exit(127);
    }
    for (int tries = 0; tries < 500; ++tries) {
        if (DeviceOf(mountPoint) != before)
            return {};
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::kill(pid, SIGKILL);
    return "bindfs did not mount " + mountPoint;
}

std::string OnlyWritable(const std::vector<std::string>& folders) {
    // Each folder a mount of its own first, so that it can be made writable again alone.
    for (const std::string& folder : folders)
        if (::mount(folder.c_str(), folder.c_str(), nullptr, MS_BIND | MS_REC, nullptr) != 0)
            return WhyNot("bind " + folder, errno);
    // Every folder at the top but the kernel's own, each as a fresh copy of its mounts: a
    // mount that has files open for writing cannot be made read-only, a fresh copy has none.
    DIR* top = ::opendir("/");
    if (!top)
        return WhyNot("/", errno);
    std::string why;
    while (const dirent* e = why.empty() ? ::readdir(top) : nullptr) {
        const std::string path = "/" + std::string(e->d_name);
        struct stat st;
        if (path == "/." || path == "/.." || path == "/proc" || path == "/sys" || path == "/dev" ||
            ::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
            continue;
        mount_attr readOnly{};
        readOnly.attr_set = MOUNT_ATTR_RDONLY;
        if (::mount(path.c_str(), path.c_str(), nullptr, MS_BIND | MS_REC, nullptr) != 0 ||
            ::mount_setattr(AT_FDCWD, path.c_str(), AT_RECURSIVE, &readOnly, sizeof readOnly) != 0)
            why = WhyNot("read-only " + path, errno);
    }
    ::closedir(top);
    mount_attr writable{};
    writable.attr_clr = MOUNT_ATTR_RDONLY;
    for (const std::string& folder : folders)
        if (why.empty() && ::mount_setattr(AT_FDCWD, folder.c_str(), AT_RECURSIVE, &writable,
                                           sizeof writable) != 0)
            why = WhyNot("writable " + folder, errno);
    return why;
}
