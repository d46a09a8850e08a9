#pragma once
// The folder the window opens on, from the program's arguments: ravezivured [--] [FOLDER].
#include "platform/core/String.h"

#include <vector>

struct StartFolder {
    CString folder;  // the folder to scan at once, absolute; empty for none
    CString problem; // what was wrong with the arguments, in a message's words; empty if nothing
};

// arguments: the program's, after the toolkit took its own options (CWinApp::Arguments).
// - None: neither folder nor problem (the chooser opens by itself).
// - One FOLDER: a path, absolute or relative to the current folder, or a file: URI of this
//   computer (FileUri.h), as launchers may hand one over. It comes back absolute, with "."
//   components and doubled separators left out; on Linux a path with ".." is resolved by
//   the system (what ".." after a link leads to, no text rule knows) when it exists. Its
//   bytes are kept as they are: a name need not be UTF-8. Whether it is a folder that can
//   be scanned is the window's to say.
// - "--" ends the options: what follows is a folder even when it starts with '-'.
// - Anything else (an option, a second folder, an empty text, a URI of another computer):
//   problem says what, and there is no folder.
StartFolder StartFolderFromArguments(const std::vector<CString>& arguments);
