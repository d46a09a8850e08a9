#pragma once
// A private home and trash for one test case that moves files to the trash.
//
// GIO reads HOME and XDG_DATA_HOME once per process and caches them, so a case gets its
// own trash (and the real one stays out of reach) only by trashing in a fresh child
// process: build the sandbox in the test, then call Enter() first thing inside the body
// given to RunInChild (or RunUnprivileged). The test process itself must never call GIO.
#include "tests/support/TempTree.h"

#include <string>

struct TrashSandbox {
    // Any child taking longer than this is ended by SIGALRM and counts as hung.
    static constexpr unsigned kChildSeconds = 20;

    TempDir dir;
    std::string home() const { return dir / "home"; }
    std::string data() const { return dir / "data"; } // XDG_DATA_HOME, created by GIO
    std::string tree() const { return dir / "tree"; } // where a case builds its files
    std::string trash() const { return data() + "/Trash"; }

    // Creates home and tree; data is left to the trash's first use.
    TrashSandbox();

    // Hands the whole sandbox to the unprivileged user RunUnprivileged runs as. Throws
    // when that fails.
    void GiveToNobody() const;

    // In the child: points HOME and XDG_DATA_HOME into the sandbox and arms the hang alarm.
    void Enter() const;
};
