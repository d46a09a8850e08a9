#pragma once
// Runs a test's body in a child process: for trashing (the trash is found from the
// environment, which the child points into a sandbox, see TrashSandbox.h) and for
// showing windows (painting starts Qt's raster
// thread pool, and a child forked from a process whose pool has threads waits forever for
// them; so the test process itself never paints). Assertions inside body print as usual;
// the test fails in the parent when any of them failed or the child did not finish.
#include "tests/support/TrashSandbox.h"

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <unistd.h>

inline void InChild(const std::function<void()>& body) {
    const ChildResult child = RunInChild([&](std::string& out) {
        ::alarm(TrashSandbox::kChildSeconds);
        body();
        out = ::testing::Test::HasFailure() ? "failed" : "passed";
    });
    EXPECT_EQ(child.exitStatus, 0) << "128 + " << SIGALRM << " means the child hung";
    EXPECT_EQ(child.out, "passed");
}
