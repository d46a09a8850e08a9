#pragma once
// A drive of its own for a test: a small tmpfs that only one child process sees.
#include "tests/support/TempTree.h"

#include <functional>
#include <string>

// What the child writes to `out` when the system refuses to mount (no privilege): the
// test then skips.
inline constexpr const char* kCannotMount = "cannot mount";

// Runs body in a child process with a mount namespace of its own, in which a 4 MB tmpfs
// (root's, mode 0755) is mounted on mountPoint, an existing folder. The mount goes with
// the child, whatever happens in it, so it never outlives the test. As RunInChild.
ChildResult InPrivateTmpfs(const std::string& mountPoint,
                           const std::function<void(std::string& out)>& body);
