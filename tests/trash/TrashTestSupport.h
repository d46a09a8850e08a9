#pragma once
// Running the trash executor on real files in a child process inside a TrashSandbox, and
// reading back what it did. Shared by the trash tests.
#include "platform/core/FileBatch.h"
#include "platform/core/TrashExecutor.h"
#include "tests/support/RefusedMoves.h"
#include "tests/support/TrashSandbox.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

// A report as it crosses from a child to the test: the results' paths, flags and reasons.
std::string Serialize(const TrashReport& report);
TrashReport ParseReport(const std::string& text);

// The report as the child saw it, plus the fAnyOperationsAborted flag and whatever the
// progress callback was shown; and the undo's report when the run asked for one.
struct Outcome {
    int exitStatus = -1;
    TrashReport report;
    bool aborted = false;
    std::vector<std::string> progress; // "index/total path"
    TrashReport undone;
};

struct TrashRun {
    TrashRun() = default;
    TrashRun(std::vector<std::string> p) : paths(std::move(p)) {}

    std::vector<std::string> paths;
    // The collection's record of paths; when none is given, one made from the tree as it
    // is when Execute starts (BatchOfPaths), as the delete command passes it. Without
    // `recorded`, the request goes without one: the mode of an empty request.
    std::optional<CFileBatch> batch;
    bool recorded = true;
    UINT func = FO_DELETE;
    FILEOP_FLAGS flags = FOF_ALLOWUNDO;
    int stopBeforeIndex = -1; // the progress callback answers "stop" at this index
    bool unprivileged = false;
    MissingMoves missing = MissingMoves::None;   // ways of moving the drives refuse
    std::function<void()> inChild;               // runs in the child after the sandbox is entered
    std::function<void(std::size_t)> beforeFile; // runs in the child before file i is moved
    bool undo = false;                           // puts back what the delete moved, after
    std::function<void()> beforeUndo;            // runs in the child between the two
};

// The batch for paths (absolute, existing) as a collection records it, its chosen folder
// the deepest folder that holds them all (BatchOfTree).
CFileBatch BatchOfPaths(const std::vector<std::string>& paths);

// Builds the request from run.paths, as the delete command does, and carries it out in a
// child inside box (as uid 65534 when run.unprivileged), with run.missing refused.
Outcome Execute(const TrashSandbox& box, const TrashRun& run);

// The same for a batch made from the tree under root (BatchOfTree): the request's paths
// are the batch's.
Outcome ExecuteBatch(const TrashSandbox& box, const std::string& root,
                     const std::vector<std::string>& relative);

// Trashed name -> the original path its record holds, decoded to bytes, for the trash
// folder trash (the sandbox's home trash when empty); every record must be well formed.
std::map<std::string, std::string> TrashContents(const std::string& trash);

// What a command of trash-cli prints, run with the sandbox's HOME and XDG_DATA_HOME in
// folder; input is fed to its standard input.
std::string RunTrashCli(const TrashSandbox& box, const std::string& command,
                        const std::string& folder = "/", const std::string& input = {});
