#pragma once
// The executor that carries out a delete with undo on Windows: every file of the request
// goes to the shell's recycle bin.
#include "platform/core/TrashExecutor.h"

// ExecuteShellFileOperation (TrashExecutor.h) on Windows:
//
// Each file in turn: the progress callback is asked; a file in a recycle bin of its own
// (below $Recycle.Bin at its drive's top, TrashFolders.h) is left, "is in a trash folder";
// the folders on its way are held open
// and checked against the collection's record (HeldFolders.h); the file must still be the
// one the scan saw (the same volume and index) and not have become a folder (a link goes
// as itself); its volume must have a recycle bin (SHQueryRecycleBinW: without one, Wine's
// recycle bin would destroy the file); then it alone is handed to SHFileOperationW with
// FOF_ALLOWUNDO | FOF_WANTNUKEWARNING, and without a question, progress window or error
// box of the shell's own (the program asked, and shows its own). The shell still asks
// before it would destroy a file it cannot recycle (one too large, say); a No keeps the
// file. A file still there afterwards is reported not moved, with the shell's code as the
// detail when it gave one. A null batch: each path is taken as it is now.
//
// CTrashUndo on Windows keeps no record: the recycle bin holds the files, and Windows
// restores them from there. Undo is always empty.
