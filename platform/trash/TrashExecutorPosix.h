#pragma once
// The executor that carries out a delete with undo on Linux: every file of the request is
// moved to the freedesktop trash by this program's own trash engine, working relative to
// folder descriptors, so that only the very files the collection saw are moved, reached
// through the very folders it walked.
#include "platform/core/TrashExecutor.h"

// ExecuteShellFileOperation (TrashExecutor.h) on Linux:
//
// batch is the collection's record of the request's files: its files and the request's
// paths must correspond one to one and in order (BatchMatchesPaths in BatchPaths.h),
// otherwise the request is refused. A null batch stands for one made from the paths as
// they are now (BatchFromPaths): each path's folders are then checked from "/" one name at
// a time, a path through a link is refused as "changed since the scan", and each file is
// taken as it is when its turn comes.
//
// A file in a folder that is, or lies inside, a trash folder is left where it is: "is in
// a trash folder" (TrashGuard.h). The chosen folder is opened once; each file is reached
// through its recorded folders (FolderChain.h) and moved by TrashFile (TrashMove.h), whose
// steps and reasons hold for every file; a file whose folder cannot be reached gets the
// folder's reason ("no longer exists", "changed since the scan", "permission denied",
// ...). The trash folders found stay open until the request is done (TrashLocation.h).
// Nothing is copied and there is no fallback to a permanent delete. The only entries ever
// unlinked are records this request created in a trash's info/ for a file that then did
// not stay in the trash, and, on drives that move files by a second name (MoveWays.h), a
// file's old name once the trash holds it, or the trash's name again when it does not
// stay. An empty list does nothing.
