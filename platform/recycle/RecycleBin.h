#pragma once
// The executor that carries out a delete with undo on Windows: every file of the request
// goes to the shell's recycle bin.
#include "platform/core/FileBatch.h"
#include "platform/core/ShellRequest.h"

class CTrashUndo;

// Carries out request. Only FO_DELETE with exactly FOF_ALLOWUNDO is accepted; anything
// else is refused and touches nothing. batch is the collection's record of the request's
// files (one per path, in order, each path its folders' path and its name); a request that
// does not match it is refused. A null batch: each path is taken as it is now.
//
// Each file in turn: the progress callback is asked; the folders on its way are held open
// and checked against the record (CHeldFolders); the file itself must still be there and
// not be a folder; its drive must have a recycle bin (SHQueryRecycleBinW); then it alone is
// handed to SHFileOperationW with FOF_ALLOWUNDO | FOF_WANTNUKEWARNING (and no question or
// progress window of the shell's own: the program asked, and shows its own). The shell
// asks before it would destroy a file it cannot recycle (too large, say); a No keeps the
// file. A file still there afterwards is reported not moved, with the shell's code as the
// detail when it gave one.
//
// Every path ends up in exactly one result, in request order; progress saying stop leaves
// that file and the rest with kReasonStopped and sets request.fAnyOperationsAborted.
TrashReport ExecuteShellFileOperation(SHFILEOPSTRUCTA& request, const CFileBatch* batch,
                                      const TrashProgress& progress = {},
                                      CTrashUndo* undo = nullptr);
