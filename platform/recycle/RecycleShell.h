#pragma once
// Handing one folder's checked files to the shell, as few calls as the shell allows, and
// finding out what became of each: moved to the recycle bin, left where it is with why,
// or deleted for good by the shell after all (which the report then says).
#include "platform/core/TrashReport.h"
#include "platform/recycle/EntryCheck.h"

#include <windows.h>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

// One file for the shell.
struct ShellFile {
    std::string path;      // as the request holds it: the result's path
    std::wstring plain;    // the ordinary path the shell is given (ShellNames.h)
    std::wstring longPath; // the same in the \\?\ form, for the checks
    FileIdentity identity; // what it must still be
    TrashResult result;    // what Recycle found
};

class CRecycleShell {
public:
    virtual ~CRecycleShell() = default;
    // Hands files (of one folder, each checked just before) to the shell and sets each
    // one's result: moved; kReasonDeletedPermanently when the shell destroyed it anyway;
    // otherwise not moved, with why.
    virtual void Recycle(std::vector<ShellFile>& files) = 0;
    // The calls made to the shell so far.
    std::size_t Calls() const { return m_calls; }

protected:
    std::size_t m_calls = 0;
};

// The shell's newer interface (IFileOperation, FileOperationShell.h), which says what
// became of each file, or, where the system lacks it (Wine), SHFileOperationW
// (MakeListShell). owner (may be null) owns whatever the shell shows.
std::unique_ptr<CRecycleShell> MakeRecycleShell(HWND owner);

// SHFileOperationW (ShellCalls.h): one call for all of the files. It says nothing of each
// file, so afterwards a file no longer there has moved (with every question refused the
// shell can only have recycled it), and those still there are handed to it again one at
// a time, each checked again first, to learn why.
std::unique_ptr<CRecycleShell> MakeListShell(HWND owner);
