#pragma once
// Drives of their own for tests: mounts that only one child process sees, gone with it.
#include "tests/support/TempTree.h"

#include <functional>
#include <string>
#include <vector>

// What the child writes to `out` when the system refuses a mount namespace or a mount (no
// privilege): the test then skips. A body may add ": " and why (a missing tool).
inline constexpr const char* kCannotMount = "cannot mount";

// True when out says kCannotMount, with or without why.
inline bool CannotMount(const std::string& out) {
    return out.rfind(kCannotMount, 0) == 0;
}

// Runs body in a child process with a mount namespace of its own, so that whatever it
// mounts goes with the child, whatever happens in it, and never outlives the test. As
// RunInChild; out is kCannotMount when there is no such namespace.
ChildResult InPrivateMounts(const std::function<void(std::string& out)>& body);

// In such a child, mounts a 4 MB tmpfs (root's, mode 0755) on mountPoint, an existing
// folder, then runs body; out is kCannotMount when that is refused.
ChildResult InPrivateTmpfs(const std::string& mountPoint,
                           const std::function<void(std::string& out)>& body);

// The following are for the body of InPrivateMounts. Each returns an empty string, or why
// the drive cannot be had here (to skip with).

// A fresh btrfs file system in the sparse file image, mounted on mountPoint through a loop
// device that goes with the mount (btrfs-progs).
std::string MountBtrfs(const std::string& image, const std::string& mountPoint);

// source shown again at mountPoint by bindfs (a FUSE drive: renameat2 answers
// RENAME_NOREPLACE with EINVAL there), its process ended with the calling one.
std::string MountBindfs(const std::string& source, const std::string& mountPoint);

// Makes every folder read-only but the folders given (each with what is mounted below it)
// and the kernel's own (/proc, /sys, /dev), so that nothing the body does can change a
// file anywhere else.
std::string OnlyWritable(const std::vector<std::string>& folders);
