#pragma once
// A stand-in for the shell's IFileOperation, which Wine has without its workings: it does
// to each file what the test's script says, and tells the program's listener what the
// shell would (PreDeleteItem before each file, stopping at a refusal; PostDeleteItem after
// it, with the file's item in the "recycle bin", a folder of the test's, or none).
#include <windows.h>

#include <functional>
#include <string>

struct IFileOperation;

enum class FakeAct {
    Recycle,    // moved into the bin folder
    Destroy,    // deleted for good, no item in the bin
    Refuse,     // left, with the copy engine's "cancelled"
    SwapBefore, // replaced by another file just before the listener is asked
    SwapInBin,  // moved, but the item in the bin is then another file
};

// name (of the file) -> what to do with it.
using FakeScript = std::function<FakeAct(const std::wstring& name)>;

// A new operation (reference count 1) that recycles into binFolder (an existing folder,
// ordinary path).
HRESULT MakeFakeFileOperation(IFileOperation** operation, FakeScript script,
                              std::wstring binFolder);
