#include "ui/trash/TrashRequest.h"

#include "platform/core/ServiceSlot.h"

TrashJob DeleteJob(SHFILEOPSTRUCTA& request, const CFileBatch* batch, CTrashUndo* undo,
                   const std::vector<TrashResult>* foldersNotRead) {
    return {TrashWork::Delete,
            [&request, batch, undo, foldersNotRead](const TrashProgress& progress) {
                TrashReport report = ExecuteShellFileOperation(request, batch, progress, undo);
                if (foldersNotRead)
                    report.foldersNotRead = *foldersNotRead;
                return report;
            }};
}

TrashJob UndoJob(CTrashUndo& undo) {
    return {TrashWork::Undo,
            [&undo](const TrashProgress& progress) { return undo.PutBack(progress); }};
}

TrashReport RunTrashJob(const TrashJob& job, ITrashDisplays& displays,
                        const TrashRunOptions& options) {
    using Clock = TrashRunOptions::Clock;
    const auto now = [&options] { return options.now ? options.now() : Clock::now(); };

    const Clock::time_point start = now();
    bool showing = false;
    Clock::time_point lastUpdate{};

    // Ends the progress display even if the job throws (out of memory), so a modal window
    // is never left behind.
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
        report = job.run([&](std::size_t index, std::size_t total, std::string_view path) {
            const Clock::time_point t = now();
            if (!showing) {
                if (t - start < options.showProgressAfter)
                    return true;
                displays.BeginProgress(job.work, total);
                showing = true;
            } else if (t - lastUpdate < options.updateEvery) {
                // A stop pressed meanwhile is seen at the next update, a few files on.
                return true;
            }
            lastUpdate = t;
            return displays.UpdateProgress(index, total, path);
        });
    }
    if (report.refused || report.NotTrashedCount() > 0 || !report.foldersNotRead.empty())
        displays.ShowReport(report);
    return report;
}

namespace {
// Null in the slot stands for the windows of CTrashWindows, made per job for its owner;
// the stand-in is never called.
class CNoDisplays final : public ITrashDisplays {
public:
    void BeginProgress(TrashWork, std::size_t) override {}
    bool UpdateProgress(std::size_t, std::size_t, std::string_view) override { return true; }
    void EndProgress() override {}
    void ShowReport(const TrashReport&) override {}
};
CNoDisplays g_noDisplays;
CServiceSlot<ITrashDisplays> g_displays(g_noDisplays);
} // namespace

void SetTrashDisplays(ITrashDisplays* displays) {
    g_displays.Install(displays);
}

ITrashDisplays* InstalledTrashDisplays() {
    return g_displays.HasInstalled() ? &g_displays.Get() : nullptr;
}
