#include "ui/TrashRequest.h"

#include "ui/TrashDisplays.h"

TrashReport RunTrashRequest(SHFILEOPSTRUCTA& request, ITrashDisplays& displays,
                            const TrashRunOptions& options) {
    using Clock = TrashRunOptions::Clock;
    const auto now = [&options] { return options.now ? options.now() : Clock::now(); };

    const Clock::time_point start = now();
    bool showing = false;
    Clock::time_point lastUpdate{};

    // Ends the progress display even if the executor throws (out of memory), so a modal
    // window is never left behind.
    struct EndProgressOnExit {
        ITrashDisplays& displays;
        bool& showing;
        ~EndProgressOnExit() {
            if (showing)
                displays.EndProgress();
        }
    };

    TrashReport report;
    {
        EndProgressOnExit guard{displays, showing};
        report = ExecuteShellFileOperation(
            request, [&](std::size_t index, std::size_t total, std::string_view path) {
                const Clock::time_point t = now();
                if (!showing) {
                    if (t - start < options.showProgressAfter)
                        return true;
                    displays.BeginProgress(total);
                    showing = true;
                } else if (t - lastUpdate < options.updateEvery) {
                    // A stop pressed meanwhile is seen at the next update, a few files on.
                    return true;
                }
                lastUpdate = t;
                return displays.UpdateProgress(index, total, path);
            });
    }
    if (report.refused || report.NotTrashedCount() > 0)
        displays.ShowReport(report);
    return report;
}

TrashReport RunTrashRequest(SHFILEOPSTRUCTA& request, QWidget* owner) {
    CTrashDisplays displays(owner);
    return RunTrashRequest(request, displays);
}

namespace {
ITrashDisplays* g_displays = nullptr;
} // namespace

void SetTrashDisplays(ITrashDisplays* displays) {
    g_displays = displays;
}

TrashReport RunTrashRequest(SHFILEOPSTRUCTA& request) {
    if (g_displays)
        return RunTrashRequest(request, *g_displays);
    // The window layer's handles are its widgets.
    return RunTrashRequest(request, reinterpret_cast<QWidget*>(request.hwnd));
}
