#pragma once
// Carrying out a delete request, and putting back what it moved. The platform's executor
// does both: on Linux platform/trash (the freedesktop trash, moved by this program's own
// engine on folder descriptors), on Windows platform/recycle (the shell's recycle bin).
// Each one's header gives its rules; what holds for both is said here.
#include "platform/core/FileBatch.h"
#include "platform/core/ShellRequest.h"
#include "platform/core/TrashReport.h"

#include <cstddef>
#include <memory>

// What the last delete moved (every request of it), until it is put back.
class CTrashUndo {
public:
    CTrashUndo();
    ~CTrashUndo();
    CTrashUndo(const CTrashUndo&) = delete;
    CTrashUndo& operator=(const CTrashUndo&) = delete;

    // False where the executor keeps no undo at all (Windows: the recycle bin keeps what a
    // delete moved, and the system's own Restore puts it back), so that the window offers
    // none and its report says where the files went instead.
    static bool IsKept();

    bool IsEmpty() const;
    // How many files a PutBack would try.
    std::size_t Count() const;
    void Clear();
    // Puts the files back, in the order they were moved, and returns a report of kind
    // TrashWork::Undo with one result per file under its request path. progress works as
    // for a delete: files not reached because it said stop stay here for a later PutBack;
    // every other file is dropped from the undo, put back or not.
    TrashReport PutBack(const TrashProgress& progress = {});

    // What the executor keeps of each request, of its own kind.
    struct Record;
    Record& Recorded() { return *m_record; }
    const Record& Recorded() const { return *m_record; }

private:
    std::unique_ptr<Record> m_record;
};

// Carries out request: only FO_DELETE with exactly FOF_ALLOWUNDO, anything else is refused
// and touches nothing. batch is the collection's record of the request's files (a request
// that does not match it is refused); null stands for the paths as they are now. Nothing
// is ever removed outright. Every path ends up in exactly one result, in request order:
// trashed + not trashed = requested. progress is asked before each file; when it says
// stop, that file and every later one get kReasonStopped and request.fAnyOperationsAborted
// is set. When undo is given, what was moved is added to it. Runs on the caller's thread
// and returns when done.
TrashReport ExecuteShellFileOperation(SHFILEOPSTRUCTA& request, const CFileBatch* batch,
                                      const TrashProgress& progress = {},
                                      CTrashUndo* undo = nullptr);
