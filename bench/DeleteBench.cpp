// rz-bench-delete DIR EXT [STOP_AFTER]: a delete through the real main window, from the
// Yes to the refreshed table drawn, and how the progress window keeps up meanwhile.
//
// The window (offscreen unless QT_QPA_PLATFORM says otherwise) scans DIR, selects the row
// of extension EXT and presses Delete Files; the question is answered Yes at once. The
// progress and report windows are the real ones. With STOP_AFTER (seconds after the Yes),
// Stop is clicked then, as a click arriving from outside the busy window thread would. A
// report window is closed as soon as it is up. Prints, one per line:
//   seconds S            from the Yes to the first paint of the refreshed table
//   files_before N       the table's total before the delete, and files_after after it
//   progress_paints K    paints of the progress window
//   max_paint_gap_ms G   the longest time between two of them (and between the last one
//                        and the window's end)
//   stop_latency_ms L    with STOP_AFTER, when the delete was still running then: from the
//                        click to the progress window gone
//   report TEXT          the report window's summary, if one was shown
// Settings and the trash go wherever XDG_CONFIG_HOME and XDG_DATA_HOME point.
#include "bench/BenchWindow.h"
#include "platform/qt/Handles.h"
#include "platform/window/Styles.h"
#include "res/resource.h"
#include "ui/RaveZivuredDlg.h"
#include "ui/trash/TrashProgressWnd.h"
#include "ui/trash/TrashReportWnd.h"

#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

using Ms = std::chrono::duration<double, std::milli>;

// Answers every question Yes and notes when.
class CYesBox final : public IMessageBoxService {
public:
    int Show(const MessageBoxRequest&) override {
        answered = BenchClock::now();
        yes = true;
        return IDYES;
    }
    BenchClock::time_point answered;
    std::atomic<bool> yes{false};
};

// The dialog object whose window widget is, or null.
template <class Dialog> Dialog* DialogOf(QWidget* widget) {
    return widget ? dynamic_cast<Dialog*>(CDialog::FromHandle(HandleOf(widget))) : nullptr;
}

// Watches every paint of the progress window, and its end.
class CProgressWatch final : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (event->type() != QEvent::Paint || !widget)
            return false;
        QWidget* progress = widget->window();
        if (!DialogOf<CTrashProgressWnd>(progress))
            return false;
        const BenchClock::time_point now = BenchClock::now();
        if (paints > 0)
            maxGap = std::max(maxGap, Ms(now - last).count());
        last = now;
        ++paints;
        if (!window) {
            window = progress;
            shown = true;
            connect(progress, &QObject::destroyed, this, [this] {
                gone = BenchClock::now();
                maxGap = std::max(maxGap, Ms(gone - last).count());
            });
        }
        return false;
    }
    QPointer<QWidget> window;
    std::atomic<bool> shown{false}; // for the stopper's thread
    BenchClock::time_point last, gone;
    int paints = 0;
    double maxGap = 0;
};

void SelectRow(CRaveZivuredDlg& dlg, const CString& ext) {
    for (int i = 0; i < dlg.m_listExt.GetItemCount(); ++i)
        if (dlg.m_listExt.GetItemText(i, 1) == ext)
            dlg.m_listExt.SetItemState(i, LVIS_SELECTED, LVIS_SELECTED);
}

// Clicks Stop from another thread STOP_AFTER seconds after the Yes (or once the progress
// window is up, if that is later), as a click arriving while the window thread is busy.
class CStopper {
public:
    CStopper(double after, const CYesBox& yes, CProgressWatch& progress)
        : m_thread([this, after, &yes, &progress] { Run(after, yes, progress); }) {}
    ~CStopper() {
        finished = true;
        m_thread.join();
    }
    std::atomic<bool> finished{false};
    BenchClock::time_point clicked{};

private:
    std::thread m_thread;

    void Run(double after, const CYesBox& yes, CProgressWatch& progress) {
        while (after >= 0 && !finished && !yes.yes)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (after < 0 || finished)
            return;
        std::this_thread::sleep_until(
            yes.answered +
            std::chrono::duration_cast<BenchClock::duration>(std::chrono::duration<double>(after)));
        while (!finished && !progress.shown)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        clicked = BenchClock::now();
        QMetaObject::invokeMethod(
            &progress,
            [&progress] {
                if (auto* window = DialogOf<CTrashProgressWnd>(progress.window))
                    qobject_cast<QPushButton*>(WidgetOf(window->GetDlgItem(IDCANCEL)))->click();
            },
            Qt::QueuedConnection);
    }
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: rz-bench-delete DIR EXT [STOP_AFTER_SECONDS]\n");
        return 2;
    }
    const double stopAfter = argc == 4 ? std::atof(argv[3]) : -1;
    CBenchProgram program(argc, argv, CString(argv[1]));
    CYesBox yes;
    SetMessageBoxService(&yes);
    CProgressWatch progress;
    qApp->installEventFilter(&progress);
    // The report window, when one comes, is read and closed at once.
    std::string report;
    QTimer closeReport;
    QObject::connect(&closeReport, &QTimer::timeout, [&] {
        if (auto* window = DialogOf<CTrashReportWnd>(QApplication::activeModalWidget())) {
            report = std::string(window->GetDlgItemText(IDC_TRASH_SUMMARY).view());
            window->EndDialog(IDOK);
        }
    });
    closeReport.start(20);
    CStopper stopper(stopAfter, yes, progress);

    CRaveZivuredDlg dlg;
    int before = 0;
    // 0: waiting for the scanned table, 1: the delete is running (its paints do not count),
    // 2: waiting for the table drawn after it.
    int phase = 0;
    BenchClock::time_point end{};
    CPaintWatch watch([&] { return program.chooser.Picked() && !dlg.IsRefreshing() && phase != 1; },
                      [&](BenchClock::time_point painted) {
                          if (phase == 2) {
                              end = painted;
                              dlg.EndDialog(IDOK);
                              return;
                          }
                          before = dlg.m_nTotalFiles;
                          SelectRow(dlg, CString(argv[2]));
                          phase = 1;
                          // Returns once the delete and the scan after it are done.
                          dlg.SendMessage(WM_COMMAND, IDC_DELETE_FILES, 0);
                          phase = 2;
                          watch.Rearm();
                      });
    const int status = program.Run(dlg, watch, std::chrono::minutes(30));
    stopper.finished = true;
    SetMessageBoxService(nullptr);
    if (status != 0)
        return status;
    std::printf("seconds %.6f\nfiles_before %d\nfiles_after %d\n",
                std::chrono::duration<double>(end - yes.answered).count(), before,
                dlg.m_nTotalFiles);
    std::printf("progress_paints %d\nmax_paint_gap_ms %.1f\n", progress.paints, progress.maxGap);
    if (stopper.clicked != BenchClock::time_point{})
        std::printf("stop_latency_ms %.1f\n", Ms(progress.gone - stopper.clicked).count());
    if (!report.empty())
        std::printf("report %s\n", report.c_str());
    return 0;
}
