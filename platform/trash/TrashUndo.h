#pragma once
// Putting back what the last delete moved to the trash.
#include "platform/core/FileBatch.h"
#include "platform/core/ShellRequest.h"
#include "platform/core/TrashExecutor.h"
#include "platform/trash/Descriptors.h"
#include "platform/trash/MoveWays.h"

#include <cstdint>
#include <string>
#include <vector>

// What one request moved, enough to put each file back exactly where it was: the way to
// its folder as the collection recorded it, and which entry of which trash it became.
struct UndoBatch {
    struct Trash {
        std::string path; // the trash folder
        FileId dir, files, info;
        MoveWay move = MoveWay::NoReplace; // how its drive moves files, as the delete learned
    };
    struct File {
        std::uint32_t folder = 0; // in folders
        std::string name;         // its name there
        std::string requestPath;  // as the request named it, for the report
        FileId id;                // the collected entry that went to the trash
        std::uint32_t trash = 0;  // in trashes
        std::string trashName;    // its name in the trash's files/
        std::uint64_t size = 0;   // its bytes as the collection saw them, for the report
    };
    std::string root;
    std::vector<BatchFolder> folders;
    std::vector<Trash> trashes;
    std::vector<File> files; // in the order they were moved
};

// What the undo keeps on Linux: one batch per request that moved something.
struct CTrashUndo::Record {
    std::vector<UndoBatch> batches;
    // Adds what one request moved; a batch that moved nothing is not kept.
    void Add(UndoBatch batch);
};

// CTrashUndo::PutBack (TrashExecutor.h) on Linux, for each file:
// - its folder is reached from the chosen folder through the recorded folders, checked
//   as the delete checked them; no folder is created: "its folder no longer exists",
//   or "its folder was replaced" (another folder, or a link, in its place);
// - its trash is opened by path and must be the very trash, files/ and info/ it went
//   to, and its entry there the very entry the collection saw (not a folder, a link or
//   anything else swapped in since, nor what took the file's place during the delete and
//   stayed in the trash): otherwise "no longer in the trash" or "changed in the trash",
//   and it is not touched;
// - it is moved back by the way its drive moved it in (MoveOutOfTrash in MoveWays.h): a
//   file that has taken its place meanwhile is never replaced ("its place is taken"; by
//   the last way, a plain rename where nothing else works, only one that appears in the
//   instant after the place is looked at could be), and the file stays in the trash with
//   its record; after a move its record is removed.
// Nothing is ever removed but the record of a file put back, and, on drives that move by
// a second name, the trash's name of a file once its place holds it.
