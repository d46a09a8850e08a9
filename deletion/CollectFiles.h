#pragma once
// Finding every file below a folder whose extension key equals a given one, for a delete.
#include "deletion/FileOperation.h"
#include "platform/core/String.h"

// Appends to op.m_arrSource the full path of every entry below folder, at any depth,
// whose ExtensionKey is exactly ext (case included; an empty ext matches names without
// an extension). Full path = the folder's path as passed down, one '/', the name (one
// '/' even when folder ends in one). Paths are appended in walk order: the entries of a
// folder in the order the system lists them, a subfolder searched completely before the
// next entry of its parent.
//
// Folders are searched, never collected. Links (to files, to folders, broken) and special
// files are entries like files: collected by their own name, never entered or opened. This
// is the same set the extension counting counts, so a row's count and its delete agree.
//
// Each level shows the wait cursor (nested) and makes its folder the current directory:
// folder itself with chdir, the folders below it opened relative to their parent's open
// listing without following links (O_NOFOLLOW | O_DIRECTORY) and entered with fchdir, so
// a folder replaced by a link after it was listed cannot lead the search outside the
// tree. A folder that cannot be entered or listed contributes nothing; its siblings are
// still searched. Nothing is reported. Afterwards the current directory is the last folder
// entered.
void CollectFilesWithExtension(CFileOperation& op, CString ext, CString folder);
