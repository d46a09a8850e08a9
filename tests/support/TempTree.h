#pragma once
// Test fixtures on the real file system: a temporary folder removed afterwards, trees
// built from a table, and (POSIX only) running a piece of a test in a child process or as
// an unprivileged user. Paths use the platform's separator; a relative path in a tree
// table or after `/` is written with '/' and read with it.
#include "platform/core/PathSeparator.h"

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

// path with '/' turned into the platform's separator.
inline std::string Native(std::string path) {
    std::replace(path.begin(), path.end(), '/', kPathSeparator);
    return path;
}

class TempDir {
public:
    // A fresh folder under base, or when base is empty under $TMPDIR (or /tmp). Removed,
    // with everything below it, on destruction: permissions are restored first so
    // unreadable folders go too.
    explicit TempDir(const std::string& base = {});
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return m_path; }
    std::string operator/(const std::string& relative) const {
        return JoinPath(m_path, Native(relative));
    }

private:
    std::string m_path;
};

// One line of a tree table. Paths are relative to the tree's root; parent folders are
// created as needed.
struct TreeEntry {
    enum Kind { File, Dir, Link, Fifo };
    Kind kind;
    std::string path;
    std::string target = {}; // Link: what the link points at; File: its content
};

void MakeTree(const std::string& root, const std::vector<TreeEntry>& entries);

// A folder on a memory file system for tests that make many thousands of files
// (/dev/shm when it is a writable folder), or empty for the default.
std::string MemoryFolder();
void WriteFile(const std::string& path, const std::string& content = {});
bool Exists(const std::string& path); // lstat: a broken link exists
std::string ReadFile(const std::string& path);
// The names in folder, sorted ("." and ".." left out); empty when it cannot be read.
std::vector<std::string> Names(const std::string& folder);

// ---- POSIX only (fork) ----

// Runs body in a child process as the unprivileged user nobody (uid and gid 65534), so
// permission bits apply even when the tests run as root. Whatever body writes to `out`
// is returned for the parent to check (assertions inside body do not reach the parent);
// a body that throws or crashes, or a failure to drop privileges, gives a non-zero
// exitStatus.
struct ChildResult {
    int exitStatus = -1;
    std::string out;
};
ChildResult RunUnprivileged(const std::function<void(std::string& out)>& body);

// Runs body in a child process as the current user, with the same result as
// RunUnprivileged: what body writes to `out`, and a non-zero exitStatus when it throws or
// crashes. For cases that need a process of their own (see TrashSandbox.h).
ChildResult RunInChild(const std::function<void(std::string& out)>& body);

// Gives nobody access to path's ancestors so an unprivileged child can reach it.
void OpenUpForEveryone(const std::string& path);

// What the shell command prints, its errors included; empty when it cannot be run.
std::string CommandOutput(const std::string& command);
