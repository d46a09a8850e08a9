#include "bench/BenchWindow.h"

#include "res/resource.h"
#include "res/version.h"
#include "ui/RaveZivuredDlg.h"

#include <QAbstractScrollArea>
#include <QTimer>

#include <cstdio>

namespace {

int& OffscreenUnlessChosen(int& argc) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return argc;
}

} // namespace

bool CPickingChooser::Browse(const BROWSEINFO&, CString& path) {
    if (m_picked)
        return false;
    m_picked = true;
    path = m_folder;
    start = BenchClock::now();
    return true;
}

bool CPaintWatch::eventFilter(QObject*, QEvent* event) {
    if (event->type() == QEvent::Paint && !m_seen && m_ready()) {
        m_seen = true;
        QTimer::singleShot(0, this, [this] { m_then(BenchClock::now()); });
    }
    return false;
}

CBenchProgram::CBenchProgram(int& argc, char** argv, CString folder)
    : chooser(std::move(folder)), m_application(OffscreenUnlessChosen(argc), argv) {
    QApplication::setQuitOnLastWindowClosed(false);
    SetWaitCursorService(&m_waitCursor);
    m_app.InitApplication();
    m_app.SetRegistryKey(RZ_MAKER_DOMAIN);
    SetFolderChooserService(&chooser);
}

CBenchProgram::~CBenchProgram() {
    SetFolderChooserService(nullptr);
    SetWaitCursorService(nullptr);
}

int CBenchProgram::Run(CRaveZivuredDlg& dlg, CPaintWatch& watch, std::chrono::minutes limit) {
    m_app.m_pMainWnd = &dlg;
    int status = 0;
    // The first turn of the window's loop, before the queued "..." click opens the chooser.
    QTimer::singleShot(0, [&] {
        auto* list = qobject_cast<QAbstractScrollArea*>(
            reinterpret_cast<QWidget*>(dlg.GetDlgItem(IDC_EXT_LIST)));
        list->viewport()->installEventFilter(&watch);
    });
    // A bound on the whole run: a table that is never drawn is a failure.
    QTimer::singleShot(limit, [&] {
        std::fprintf(stderr, "no table after %d minutes\n", static_cast<int>(limit.count()));
        status = 1;
        dlg.EndDialog(IDCANCEL);
    });
    dlg.DoModal();
    m_app.m_pMainWnd = nullptr;
    return status;
}
