// rz-bench-window DIR: the time from choosing DIR in the main window's folder chooser to
// the table drawn on screen.
//
// Runs the real main window (offscreen unless QT_QPA_PLATFORM says otherwise) with a
// chooser that picks DIR as soon as the window opens it. The clock starts when the choice
// is handed back and stops once the refresh has returned and the list has then finished
// a paint. Prints "seconds S", "files N" and "incomplete 0|1" on separate lines.
// Settings go wherever XDG_CONFIG_HOME points: bench/window.sh gives it a temporary one.
#include "app/RaveZivuredApp.h"
#include "platform/qt/QtWaitCursor.h"
#include "platform/window/Services.h"
#include "res/resource.h"
#include "res/version.h"
#include "ui/RaveZivuredDlg.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QEvent>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

using Clock = std::chrono::steady_clock;

class CPickingChooser final : public IFolderChooserService {
public:
    explicit CPickingChooser(CString folder) : m_folder(std::move(folder)) {}
    bool Browse(const BROWSEINFO&, CString& path) override {
        if (m_picked)
            return false;
        m_picked = true;
        path = m_folder;
        start = Clock::now();
        return true;
    }
    bool IsOpen() const override { return false; }
    void Raise() override {}
    void CloseAll() override {}
    LRESULT SendChooserMessage(HWND, UINT, WPARAM, LPARAM) override { return 0; }

    bool Picked() const { return m_picked; }
    Clock::time_point start;

private:
    CString m_folder;
    bool m_picked = false;
};

// Stops the clock after the first paint of the list once the refresh has returned.
class CPaintWatch final : public QObject {
public:
    CPaintWatch(CRaveZivuredDlg& dlg, const CPickingChooser& chooser)
        : m_dlg(dlg), m_chooser(chooser) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && !m_seen && m_chooser.Picked() &&
            !m_dlg.IsRefreshing()) {
            m_seen = true;
            // Queued: runs once this paint has been done.
            QTimer::singleShot(0, [this] {
                end = Clock::now();
                m_dlg.EndDialog(IDOK);
            });
        }
        return false;
    }
    Clock::time_point end;

private:
    CRaveZivuredDlg& m_dlg;
    const CPickingChooser& m_chooser;
    bool m_seen = false;
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: rz-bench-window DIR\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    CQtWaitCursor waitCursor;
    SetWaitCursorService(&waitCursor);
    CRaveZivuredApp app;
    app.InitApplication();
    app.SetRegistryKey(RZ_MAKER_DOMAIN);

    CPickingChooser chooser{CString(argv[1])};
    SetFolderChooserService(&chooser);

    int status = 0;
    {
        CRaveZivuredDlg dlg;
        app.m_pMainWnd = &dlg;
        CPaintWatch watch(dlg, chooser);
        // Once the window exists (the first turn of its loop), before the queued "..."
        // click opens the chooser.
        QTimer::singleShot(0, [&] {
            auto* list = qobject_cast<QAbstractScrollArea*>(
                reinterpret_cast<QWidget*>(dlg.GetDlgItem(IDC_EXT_LIST)));
            list->viewport()->installEventFilter(&watch);
        });
        // A bound on the whole run: a table that is never drawn is a failure.
        QTimer::singleShot(std::chrono::minutes(10), [&] {
            std::fprintf(stderr, "rz-bench-window: no table after 10 minutes\n");
            status = 1;
            dlg.EndDialog(IDCANCEL);
        });
        dlg.DoModal();
        app.m_pMainWnd = nullptr;
        if (status == 0) {
            const std::chrono::duration<double> seconds = watch.end - chooser.start;
            std::printf("seconds %.6f\nfiles %d\nincomplete %d\n", seconds.count(),
                        dlg.m_nTotalFiles, dlg.IsResultIncomplete() ? 1 : 0);
        }
    }
    SetFolderChooserService(nullptr);
    SetWaitCursorService(nullptr);
    return status;
}
