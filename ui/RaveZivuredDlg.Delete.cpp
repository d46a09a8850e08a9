// The main window's "Delete Files" command: one question per selected extension, the
// matching files collected and moved to the trash, then the folder scanned again. What a
// click moves can be put back with Undo Last Delete (RaveZivuredDlg.Undo.cpp).
#include "ui/RaveZivuredDlg.h"

#include "deletion/CollectFiles.h"
#include "deletion/FileOperation.h"
#include "platform/window/Styles.h"
#include "ui/trash/TrashRequest.h"

#include <utility>

void CRaveZivuredDlg::CollectMatchingFiles(CFileOperation& op, CString ext, CString folder) {
    CollectFilesWithExtension(op, std::move(ext), std::move(folder));
}

void CRaveZivuredDlg::OnDeleteFiles() {
    // The window takes no input during a scan; a click that slips in meanwhile is dropped.
    if (IsRefreshing() || m_bDeleteRunning)
        return;

    CString strExt;
    CString strMessage;

    int nItem = m_listExt.GetNextItem(-1, LVNI_SELECTED);
    if (nItem < 0) {
        MessageBox("Please Select Files to delete from the list to continue.", nullptr,
                   MB_ICONINFORMATION);
        return;
    }

    m_bDeleteRunning = true;
    bool bFirstYes = true;
    while (nItem >= 0) {
        // The next selected row is found before anything is done for this one.
        const int nNext = m_listExt.GetNextItem(nItem, LVNI_SELECTED);
        strExt = m_listExt.GetItemText(nItem, 1);
        strMessage.Format("Are you sure you wish to delete %s files in folder (including sub "
                          "folders) %s ?",
                          strExt.GetString(), m_strFolder.GetString());
        // Only an explicit Yes deletes: a box that could not be shown answers 0, which is
        // no consent.
        if (MessageBox(strMessage.GetString(), nullptr, MB_YESNO | MB_ICONQUESTION) == IDYES) {
            // The undo covers the whole of this click, every extension of it.
            if (bFirstYes)
                m_undo.Clear();
            bFirstYes = false;
            CFileOperation op;
            op.m_pOwner = this;
            CollectMatchingFiles(op, strExt, m_strFolder);
            CDeleteRequest request(op);
            // A collection that kept no record of what it saw leaves the executor to look
            // at each path from "/" itself.
            const CFileBatch* batch = op.m_batch.folders.empty() ? nullptr : &op.m_batch;
            RunTrashJob(DeleteJob(request.Request(), batch, &m_undo, &op.m_foldersNotRead),
                        request.Request().hwnd);
        }
        nItem = nNext;
    }
    m_bDeleteRunning = false;

    RefreshList();
    UpdateUndoItem();
}
