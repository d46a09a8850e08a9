#include "ui/trash/TrashDisplays.h"

#include "platform/qt/Handles.h"
#include "platform/qt/QtText.h"
#include "platform/window/WinApp.h"

#include "ui/trash/TrashProgressDlg.h"
#include "ui/trash/TrashReportDlg.h"
#include "ui/trash/TrashTexts.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMessageBox>

namespace {
// The toolkit would caption a window without a title of its own with the executable's
// name; the program's windows all carry its title.
QString ApplicationTitle() {
    const CWinApp* app = AfxGetApp();
    return app && app->m_pszAppName ? ToQString(app->m_pszAppName)
                                    : QGuiApplication::applicationDisplayName();
}
} // namespace

QString TrashDisplayText(std::string_view bytes) {
    // Control characters go as TrashDisplayBytes says; invalid sequences become U+FFFD.
    return ToQString(TrashDisplayBytes(bytes));
}

std::unique_ptr<QDialog> MakeTrashReportWindow(const TrashReport& report, QWidget* owner,
                                               const QString& caption) {
    if (report.refused) {
        auto box = std::make_unique<QMessageBox>(QMessageBox::Warning, caption,
                                                 QObject::tr("No file was moved to the trash."),
                                                 QMessageBox::Ok, owner);
        box->setInformativeText(QString::fromStdString(report.error));
        return box;
    }
    if (report.NotTrashedCount() == 0 && report.foldersNotRead.empty())
        return nullptr;
    return std::make_unique<CTrashReportDlg>(report, owner, caption);
}

CTrashDisplays::CTrashDisplays(QWidget* owner, QString caption)
    : m_owner(owner), m_hadOwner(owner != nullptr),
      m_caption(caption.isEmpty() ? ApplicationTitle() : caption) {}

CTrashDisplays::~CTrashDisplays() {
    EndProgress();
}

void CTrashDisplays::BeginProgress(TrashWork work, std::size_t total) {
    EndProgress();
    // With an owner that has gone meanwhile there is nothing left to show progress for.
    if (m_hadOwner && !m_owner)
        return;
    m_progress = new CTrashProgressDlg(m_owner, m_caption, work);
    m_progress->SetProgress(0, total, {});
    m_progress->show();
    QCoreApplication::processEvents();
}

bool CTrashDisplays::UpdateProgress(std::size_t done, std::size_t total, std::string_view path) {
    if (!m_progress)
        return false;
    m_progress->SetProgress(done, total, path);
    // The one place events are handled while files are trashed: the window repaints, and
    // Stop, Esc or the close box set the stop flag. The window is application-modal, so
    // input to every other window is refused meanwhile.
    QCoreApplication::processEvents();
    return m_progress && !m_progress->StopRequested();
}

void CTrashDisplays::EndProgress() {
    // The owner may have deleted the window already; QPointer then reads null.
    delete m_progress.data();
    m_progress = nullptr;
}

void CTrashDisplays::ShowReport(const TrashReport& report) {
    if (m_hadOwner && !m_owner)
        return;
    std::unique_ptr<QDialog> window = MakeTrashReportWindow(report, m_owner, m_caption);
    if (!window)
        return;
    QPointer<QDialog> alive = window.get();
    window->exec();
    // Deleting the owner during exec() deletes the report with it.
    if (!alive)
        (void)window.release();
}

TrashReport RunTrashJob(const TrashJob& job, HWND owner) {
    if (ITrashDisplays* installed = InstalledTrashDisplays())
        return RunTrashJob(job, *installed);
    CTrashDisplays displays(WidgetOf(owner));
    return RunTrashJob(job, displays);
}
