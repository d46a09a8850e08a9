// rz-bench-window DIR: the time from choosing DIR in the main window's folder chooser to
// the table drawn on screen.
//
// Runs the real main window (offscreen unless QT_QPA_PLATFORM says otherwise) with a
// chooser that picks DIR as soon as the window opens it. The clock starts when the choice
// is handed back and stops once the refresh has returned and the list has then finished
// a paint. Prints "seconds S", "files N" and "incomplete 0|1" on separate lines.
// Settings go wherever XDG_CONFIG_HOME points: bench/window.sh gives it a temporary one.
#include "bench/BenchWindow.h"
#include "res/resource.h"
#include "ui/RaveZivuredDlg.h"

#include <chrono>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: rz-bench-window DIR\n");
        return 2;
    }
    CBenchProgram program(argc, argv, CString(argv[1]));
    CRaveZivuredDlg dlg;
    BenchClock::time_point end;
    // The first paint of the list once the refresh has returned stops the clock.
    CPaintWatch watch([&] { return program.chooser.Picked() && !dlg.IsRefreshing(); },
                      [&](BenchClock::time_point painted) {
                          end = painted;
                          dlg.EndDialog(IDOK);
                      });
    const int status = program.Run(dlg, watch, std::chrono::minutes(10));
    if (status == 0) {
        const std::chrono::duration<double> seconds = end - program.chooser.start;
        std::printf("seconds %.6f\nfiles %d\nincomplete %d\n", seconds.count(), dlg.m_nTotalFiles,
                    dlg.IsResultIncomplete() ? 1 : 0);
    }
    return status;
}
