#pragma once
// The executor that carries out a delete with undo on Windows: every file of the request
// goes to the shell's recycle bin.
#include "platform/core/TrashExecutor.h"
#include "platform/recycle/RecycleShell.h"

#include <cstddef>
#include <functional>
#include <memory>

// ExecuteShellFileOperation (TrashExecutor.h) on Windows: RecycleFiles with the defaults.
//
// The files are handed to the shell a folder at a time, in calls of at most batchLimit
// files (so that a Stop waits for one call at most). Each file, in request order, is first
// asked about (progress); then, before its folder's call:
// - a file in a recycle bin of its own (below $Recycle.Bin at its drive's top,
//   TrashFolders.h) is left: "is in a trash folder";
// - its path must be one the shell reads as that very file (ShellNames.h): a name that
//   ends in a dot or a space, holds * or ?, is a device's, or a path of 260 characters or
//   more stays, with a reason that says which;
// - its drive's recycle bin must take files, decided once per drive before its first
//   file (RecycleBins.h): on a removable or network drive, or with a bin set to remove
//   files immediately, every file stays, "this drive has no recycle bin", and nothing is
//   asked; a file larger than the bin takes stays, "too large for the recycle bin";
// - the folders on its way are held open and checked against the collection's record
//   (HeldFolders.h), and stay held through the call;
// - the file must still be the one the scan saw (the same volume and index) and not have
//   become a folder (EntryCheck.h; a link goes as itself).
// What the shell did with each file is found out (RecycleShell.h): a file the shell
// deleted for good after all is reported "deleted permanently", never moved. A null batch:
// each path is taken as it is now.
//
// CTrashUndo on Windows keeps no record (CTrashUndo::IsKept() is false): the recycle bin
// holds the files, and Windows' own Restore puts them back. Undo is always empty.

// Files per call of the shell: big enough that a call's own cost is shared by many files,
// small enough that a Stop is answered soon (bench/recycle-wine.sh).
inline constexpr std::size_t kRecycleBatchFiles = 200;

struct RecycleOptions {
    std::size_t batchLimit = kRecycleBatchFiles;
    // Makes the shell the files are handed to; empty: MakeRecycleShell.
    std::function<std::unique_ptr<CRecycleShell>(HWND owner)> makeShell;
    // When given, set to the number of calls made to the shell.
    std::size_t* shellCalls = nullptr;
};

TrashReport RecycleFiles(SHFILEOPSTRUCTA& request, const CFileBatch* batch,
                         const TrashProgress& progress, const RecycleOptions& options);
