#include "ui/trash/TrashWindows.h"

#include "platform/window/MessagePump.h"
#include "platform/window/Services.h"
#include "platform/window/Styles.h"
#include "platform/window/WinApp.h"
#include "ui/trash/TrashReportWnd.h"

CTrashWindows::~CTrashWindows() {
    EndProgress();
}

void CTrashWindows::BeginProgress(TrashWork work, std::size_t total) {
    EndProgress();
    m_progress = std::make_unique<CTrashProgressWnd>(m_pOwner, work);
    if (!m_progress->Show()) {
        m_progress.reset();
        return;
    }
    // The owner takes no input while the work runs; disabling it disables the windows it
    // owns too, so the progress window is enabled again on its own.
    if (m_pOwner)
        m_ownerWasDisabled = m_pOwner->EnableWindow(FALSE);
    m_progress->EnableWindow(TRUE);
    m_progress->SetProgress(0, total, {});
    AfxPumpWaitingMessages();
}

bool CTrashWindows::UpdateProgress(std::size_t done, std::size_t total, std::string_view path) {
    if (!m_progress || !m_progress->GetSafeHwnd())
        return false;
    m_progress->SetProgress(done, total, path);
    // The one place messages run while files are moved: the window repaints, and Stop, Esc
    // or the close box set the stop flag.
    AfxPumpWaitingMessages();
    return m_progress && !m_progress->StopRequested();
}

void CTrashWindows::EndProgress() {
    if (!m_progress)
        return;
    m_progress->DestroyWindow();
    m_progress.reset();
    if (m_pOwner)
        m_pOwner->EnableWindow(m_ownerWasDisabled ? FALSE : TRUE);
}

void CTrashWindows::ShowReport(const TrashReport& report) {
    if (report.refused) {
        MessageBoxRequest request;
        request.owner = m_pOwner;
        request.text = CString("No file was moved to the trash.\n\n" + report.error);
        if (CWinApp* app = AfxGetApp(); app && app->m_pszAppName)
            request.caption = CString(app->m_pszAppName);
        request.type = MB_ICONEXCLAMATION;
        MessageBoxService().Show(request);
        return;
    }
    if (report.NotTrashedCount() == 0 && report.foldersNotRead.empty())
        return;
    CTrashReportWnd window(report, m_pOwner);
    window.DoModal();
}

TrashReport RunTrashJob(const TrashJob& job, HWND owner) {
    if (ITrashDisplays* installed = InstalledTrashDisplays())
        return RunTrashJob(job, *installed);
    CTrashWindows windows(CDialog::FromHandle(owner));
    return RunTrashJob(job, windows);
}
