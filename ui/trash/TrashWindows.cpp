#include "ui/trash/TrashWindows.h"

#include "platform/window/MessagePump.h"
#include "platform/window/Services.h"
#include "platform/window/Styles.h"
#include "platform/window/WinApp.h"
#include "ui/trash/TrashReportWnd.h"

CTrashWindows::~CTrashWindows() {
    EndProgress();
}

bool CTrashWindows::OwnerGone() const {
    return m_pOwner && !m_pOwner->GetSafeHwnd();
}

void CTrashWindows::BeginProgress(TrashWork work, std::size_t total) {
    EndProgress();
    if (OwnerGone())
        return;
    m_progress = std::make_unique<CTrashProgressWnd>(m_pOwner, work);
    if (!m_progress->Show()) {
        m_progress.reset();
        return;
    }
    m_progress->SetProgress(0, total, {});
    AfxPumpWaitingMessages();
}

bool CTrashWindows::UpdateProgress(std::size_t done, std::size_t total, std::string_view path) {
    if (!m_progress || !m_progress->GetSafeHwnd())
        return false;
    m_progress->SetProgress(done, total, path);
    // The one place messages run while files are moved: the window repaints, and Stop, Esc
    // or the close box set the stop flag. No other window takes input meanwhile.
    AfxPumpWaitingMessages();
    return m_progress && m_progress->GetSafeHwnd() && !m_progress->StopRequested();
}

void CTrashWindows::EndProgress() {
    if (!m_progress)
        return;
    m_progress->DestroyWindow();
    m_progress.reset();
}

void CTrashWindows::ShowReport(const TrashReport& report) {
    if (OwnerGone())
        return;
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
