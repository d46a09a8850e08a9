#pragma once
// The recycle shell over IFileOperation (RecycleShell.h), the shell's newer interface: it
// tells, file by file, what it did. Before each file it asks the program (PreDeleteItem),
// which checks the file once more and stops the call when it is not the one meant; after
// each it says how it went and where the file is now (PostDeleteItem): with no item in
// the recycle bin, a file that is gone was deleted for good, and the report says so.
// Files the call did not reach (it stops at the first refusal) go to the next call.
#include "platform/recycle/RecycleShell.h"

#include <functional>
#include <memory>

struct IFileOperation;

// Makes an IFileOperation: the system's by default, a stand-in in the tests.
using FileOperationMaker = std::function<HRESULT(IFileOperation** operation)>;

// The shell over operations from make (empty: the system's), or null when they do not
// work here: COM cannot be used on this thread as the interface needs (a single-threaded
// apartment), or the system's interface is there without its workings (Wine's answers
// "not implemented"). owner (may be null) owns whatever the shell shows.
std::unique_ptr<CRecycleShell> MakeFileOperationShell(HWND owner, FileOperationMaker make = {});
