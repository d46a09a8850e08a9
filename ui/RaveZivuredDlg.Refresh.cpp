// The main window's refresh: scan the folder, show the table and the total, with the
// "Working..." window standing by.
#include "ui/RaveZivuredDlg.h"

#include "analysis/ExtensionStats.h"
#include "platform/core/WaitCursor.h"
#include "platform/window/MessagePump.h"
#include "platform/window/WinApp.h"
#include "ui/DlgLoading.h"

#include <functional>
#include <memory>
#include <string>

CString g_strLastFolder;

namespace {
const char* const kIncompleteTitleSuffix = " - scan stopped, table incomplete";
} // namespace

void CRaveZivuredDlg::RefreshList() {
    if (IsRefreshing())
        return;

    CWaitCursor wait;
    g_strLastFolder = m_strFolder;
    ResetStats(m_mapExtCount, m_nTotalFiles);
    m_sizes.Clear();
    ReadSizes(m_bShowSizes);
    UpdateData(FALSE);
    SetDlgItemText(IDC_TOTAL_SIZE, CString());
    m_listExt.DeleteAllItems();

    bool stopped = false;
    RunWithWorkingWindow([&] {
        Enumerate(m_strFolder, "*.*", true);
        // The walk is over: from here on nothing lets events through, so nothing can touch
        // the statistics while the table is built from them.
        stopped = WalkStopped();
        AppendResultRows(m_mapExtCount, m_listExt, m_strSerial);
        UpdateData(FALSE);
        SortResultRows(m_listExt);
        RenumberResultRows(m_listExt);
        ShowTableSizes();
    });

    // A stopped scan says so in the title until a scan runs to its end.
    m_bResultIncomplete = stopped;
    if (CWinApp* app = AfxGetApp(); app && app->m_pszAppName) {
        CString title(app->m_pszAppName);
        // What the delete or undo that led to this scan moved: " - moved 3 files, 1.2 MB to
        // the trash". Said once: the next scan's title drops it.
        if (!m_strMovedNote.IsEmpty())
            title += " - " + m_strMovedNote;
        if (stopped)
            title += kIncompleteTitleSuffix;
        // Folders the walk could not read, whether or not it was stopped: " - 3 folders
        // could not be read".
        if (const std::string notRead = FoldersNotRead().Headline(); !notRead.empty())
            title += CString(" - " + notRead);
        SetWindowText(title.GetString());
    }
    m_strMovedNote.Empty();

    if (m_walk.closeRequested) {
        m_walk.closeRequested = false;
        OnCancel();
    }
    // The busy cursor goes with `wait`.
}

bool CRaveZivuredDlg::DeferEndDuringScan() {
    if (!IsRefreshing())
        return false;
    m_walk.closeRequested = true;
    return true;
}

void CRaveZivuredDlg::OnFolderDone(const CString&) {
    TickWalkProgress();
}

void CRaveZivuredDlg::RunWithWorkingWindow(const std::function<void()>& work) {
    // Created without naming a parent: the application's main window (this one) owns it.
    // If it cannot be created the work runs on without it.
    auto dlgLoading = std::make_unique<CDlgLoading>(this);
    dlgLoading->Create(CDlgLoading::IDD);

    // While the work runs, events are let through now and then so that the "Working..."
    // window paints and hears its Stop. This window must take no input meanwhile: disabling
    // it also disables the windows it owns, so the "Working..." window is enabled again
    // on its own.
    const BOOL wasDisabled = EnableWindow(FALSE);
    dlgLoading->EnableWindow(TRUE);
    m_walk = WalkProgress{};
    m_walk.dlgLoading = dlgLoading.get();
    m_walk.lastUpdate = std::chrono::steady_clock::now();
    AfxPumpWaitingMessages(); // shows the window before the work starts

    work();

    dlgLoading->DestroyWindow();
    dlgLoading.reset();
    m_walk.dlgLoading = nullptr;
    EnableWindow(wasDisabled ? FALSE : TRUE);
}

bool CRaveZivuredDlg::ContinueWork(std::size_t found) {
    CDlgLoading* dlgLoading = m_walk.dlgLoading;
    if (!dlgLoading)
        return true;
    const auto now = std::chrono::steady_clock::now();
    if (now - m_walk.lastUpdate < s_progressInterval)
        return true;
    dlgLoading->SetFoundCount(found);
    AfxPumpWaitingMessages();
    // Measured after the pump: a slow paint must not eat into the work's share of time.
    m_walk.lastUpdate = std::chrono::steady_clock::now();
    return !dlgLoading->StopRequested() && !m_walk.closeRequested;
}

void CRaveZivuredDlg::CheckWalkProgress() {
    m_walk.untilCheck = kProgressCheckEvery;
    if (!WalkStopped() && !ContinueWork(static_cast<std::size_t>(m_nTotalFiles)))
        StopWalk();
}
