#pragma once
// A private home and trash for one test case that moves files to the trash.
//
// The trash is found from HOME and XDG_DATA_HOME, so a case trashes in a child process
// whose environment points into the sandbox (and the real trash stays out of reach):
// build the sandbox in the test, then call Enter() first thing inside the body given to
// RunInChild (or RunUnprivileged); the test process's own environment is left alone.
#include "tests/support/TempTree.h"

#include <string>

struct TrashSandbox {
    // Any child taking longer than this is ended by SIGALRM and counts as hung.
    static constexpr unsigned kChildSeconds = 20;

    TempDir dir;
    std::string home() const { return dir / "home"; }
    std::string data() const { return dir / "data"; } // XDG_DATA_HOME, made by the trash
    std::string tree() const { return dir / "tree"; } // where a case builds its files
    std::string trash() const { return data() + "/Trash"; }

    // Creates home and tree under base (as TempDir); data is left to the trash's first use.
    explicit TrashSandbox(const std::string& base = {});

    // Hands the whole sandbox to the unprivileged user RunUnprivileged runs as. Throws
    // when that fails.
    void GiveToNobody() const;

    // In the child: points HOME and XDG_DATA_HOME into the sandbox and arms the hang alarm.
    void Enter() const;
};
