// The main window's "Delete Files" command: per selected extension, the matching files
// collected (with the "Working..." window standing by), one question that says how many
// files and bytes that is and can show them, and on Yes exactly those files moved to the
// trash; then the folder scanned again. What a click moves can be put back with Undo Last
// Delete (RaveZivuredDlg.Undo.cpp).
#include "ui/RaveZivuredDlg.h"

#include "deletion/CollectFiles.h"
#include "deletion/FileOperation.h"
#include "platform/core/NumberText.h"
#include "platform/window/Styles.h"
#include "ui/trash/TrashRequest.h"
#include "ui/trash/TrashTexts.h"

#include <cstdint>
#include <string>
#include <utility>

namespace {

// "3 files, 1.2 MB will be moved to the trash."
std::string WhatWillMove(const CFileOperation& op) {
    const auto files = static_cast<std::size_t>(op.m_arrSource.GetSize());
    return GroupDigits(files) + (files == 1 ? " file, " : " files, ") +
           ReadableSize(op.m_batch.TotalBytes()) + " will be moved to the trash.";
}

// The question's list: every collected path, one a line, as the screen shows names.
std::string CollectedList(const CFileOperation& op) {
    std::string list;
    for (const CString& path : op.m_arrSource) {
        list += TrashDisplayBytes(path.view());
        list += '\n';
    }
    if (!list.empty())
        list.pop_back();
    return list;
}

} // namespace

void CRaveZivuredDlg::CollectMatchingFiles(CFileOperation& op, CString ext, CString folder) {
    CollectFilesWithExtension(op, std::move(ext), std::move(folder));
}

bool CRaveZivuredDlg::CollectWithProgress(CFileOperation& op, const CString& ext) {
    bool complete = true;
    RunWithWorkingWindow([&] {
        complete = CollectFilesWithExtension(
            op, ext, m_strFolder, [this](std::size_t found) { return ContinueWork(found); });
    });
    return complete && !m_walk.closeRequested;
}

bool CRaveZivuredDlg::AskToMove(const CFileOperation& op, const CString& ext) {
    CString text;
    if (op.m_arrSource.IsEmpty()) {
        text.Format("There are no %s files left in folder (including sub folders) %s.",
                    ext.GetString(), m_strFolder.GetString());
        if (const std::size_t notRead = op.m_foldersNotRead.size(); notRead > 0)
            text +=
                CString("\n\n" + GroupDigits(notRead) + (notRead == 1 ? " folder" : " folders") +
                        " could not be read, so the files in them were not looked for.");
        MessageBox(text.GetString(), nullptr, MB_ICONINFORMATION);
        return false;
    }
    text.Format("Are you sure you wish to delete %s files in folder (including sub folders) %s ?",
                ext.GetString(), m_strFolder.GetString());
    text += CString("\n\n" + WhatWillMove(op));
    MessageBoxDetails details{"Show Files", "Hide Files", [&op] { return CollectedList(op); }};
    // Only an explicit Yes deletes: a box that could not be shown answers 0, which is no
    // consent.
    return MessageBox(text.GetString(), nullptr, MB_YESNO | MB_ICONQUESTION, std::move(details)) ==
           IDYES;
}

TrashReport CRaveZivuredDlg::MoveCollected(CFileOperation& op) {
    // Yes moves what was collected and counted in the question, never a second collection;
    // the executor checks each file against its record first.
    CDeleteRequest request(op);
    // A collection that kept no record of what it saw leaves the executor to look at each
    // path from "/" itself.
    const CFileBatch* batch = op.m_batch.folders.empty() ? nullptr : &op.m_batch;
    return RunTrashJob(DeleteJob(request.Request(), batch, &m_undo, &op.m_foldersNotRead),
                       request.Request().hwnd);
}

void CRaveZivuredDlg::OnDeleteFiles() {
    // The window takes no input during a scan; a click that slips in meanwhile is dropped.
    if (IsRefreshing() || m_bDeleteRunning)
        return;

    int nItem = m_listExt.GetNextItem(-1, LVNI_SELECTED);
    if (nItem < 0) {
        MessageBox("Please Select Files to delete from the list to continue.", nullptr,
                   MB_ICONINFORMATION);
        return;
    }

    m_bDeleteRunning = true;
    bool bFirstYes = true;
    // What this click moved, every extension of it, for the title of the scan that follows.
    std::size_t moved = 0;
    std::uint64_t movedBytes = 0;
    while (nItem >= 0) {
        // The next selected row is found before anything is done for this one.
        const int nNext = m_listExt.GetNextItem(nItem, LVNI_SELECTED);
        const CString strExt = m_listExt.GetItemText(nItem, 1);
        CFileOperation op;
        op.m_pOwner = this;
        // Stopped (or the window closed) while collecting: nothing more is asked or moved.
        if (!CollectWithProgress(op, strExt))
            break;
        if (AskToMove(op, strExt)) {
            // The undo covers the whole of this click, every extension of it.
            if (bFirstYes)
                m_undo.Clear();
            bFirstYes = false;
            const TrashReport report = MoveCollected(op);
            moved += report.TrashedCount();
            movedBytes += report.TrashedBytes();
        }
        nItem = nNext;
    }
    m_bDeleteRunning = false;

    if (m_walk.closeRequested) {
        m_walk.closeRequested = false;
        UpdateUndoItem();
        OnCancel();
        return;
    }
    if (moved > 0)
        m_strMovedNote = CString(TrashMovedNote(TrashWork::Delete, moved, movedBytes));
    RefreshList();
    UpdateUndoItem();
}
