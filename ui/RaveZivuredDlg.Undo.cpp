// The main window's "Undo Last Delete" (Ctrl+Z, or the window menu): the files the last
// Delete Files click moved to the trash go back to their places, then the folder is
// scanned again, its title saying how many files and bytes came back.
#include "ui/RaveZivuredDlg.h"

#include "platform/window/Menu.h"
#include "platform/window/Styles.h"
#include "ui/trash/TrashRequest.h"
#include "ui/trash/TrashTexts.h"

void CRaveZivuredDlg::OnUndoLastDelete() {
    // As with a delete, nothing starts during a scan; a key that slips in is dropped.
    if (IsRefreshing() || m_bDeleteRunning || m_undo.IsEmpty())
        return;
    m_bDeleteRunning = true;
    const TrashReport report = RunTrashJob(UndoJob(m_undo), GetSafeHwnd());
    m_bDeleteRunning = false;
    if (const std::size_t moved = report.TrashedCount(); moved > 0)
        m_strMovedNote = CString(TrashMovedNote(TrashWork::Undo, moved, report.TrashedBytes()));
    RefreshList();
    UpdateUndoItem();
}

void CRaveZivuredDlg::UpdateUndoItem() {
    if (CMenu* menu = GetSystemMenu(FALSE))
        menu->EnableMenuItem(IDM_UNDO_LAST_DELETE,
                             MF_BYCOMMAND | (m_undo.IsEmpty() ? MF_GRAYED : MF_ENABLED));
}
