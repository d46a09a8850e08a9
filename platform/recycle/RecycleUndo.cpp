// CTrashUndo on Windows: the recycle bin keeps what a delete moved, and the system's own
// Restore puts it back; this program records nothing of its own (TrashExecutorWindows.h).
// The shell gives no call that puts an item of the recycle bin back and says how it went
// without asking (it asks before replacing a file that took the item's place), so the
// window offers no undo here and says where the files went.
#include "platform/core/TrashExecutor.h"

struct CTrashUndo::Record {};

CTrashUndo::CTrashUndo() : m_record(std::make_unique<Record>()) {}

CTrashUndo::~CTrashUndo() = default;

bool CTrashUndo::IsKept() {
    return false;
}

bool CTrashUndo::IsEmpty() const {
    return true;
}

std::size_t CTrashUndo::Count() const {
    return 0;
}

void CTrashUndo::Clear() {}

TrashReport CTrashUndo::PutBack(const TrashProgress&) {
    TrashReport report;
    report.work = TrashWork::Undo;
    return report;
}
