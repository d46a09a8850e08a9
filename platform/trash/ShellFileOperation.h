#pragma once
// The executor that carries out a delete with undo on Linux: every path of the request is
// moved to the freedesktop trash through GIO.
//
// This header and its .cpp include no Qt header (Qt's `signals` macro clashes with the
// GIO headers).
#include "platform/core/ShellRequest.h"

// Carries out request. Only FO_DELETE with exactly FOF_ALLOWUNDO is accepted; anything
// else is refused and touches nothing. Each path, in order:
// - gone (lstat fails with "no such file") -> not trashed, "no longer exists";
// - a directory now (lstat, links not followed) -> not trashed, "is now a folder";
//   a link, whatever it points at, is trashed as the link itself;
// - otherwise moved to the trash with g_file_trash; a failure becomes a reason in plain
//   words (see TrashReasonForGioError in the .cpp for the list).
// Nothing is ever unlinked or removed, and there is no fallback to a permanent delete.
// An empty list does nothing and gives no results. request.fAnyOperationsAborted is set
// when progress asked to stop. Runs on the caller's thread and returns when done.
TrashReport ExecuteShellFileOperation(SHFILEOPSTRUCTA& request, const TrashProgress& progress = {});
