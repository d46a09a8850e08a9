#pragma once
// Running a delete request, or the undo of the last delete, from the window: the work
// runs on the calling (window) thread, a progress window appears when it takes a while,
// and a report follows when anything was not moved.
#include "platform/core/FileBatch.h"
#include "platform/core/TrashExecutor.h"
#include "platform/core/Wnd.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

// What the user sees while and after a job runs. CTrashWindows (TrashWindows.h) is the one
// with windows; tests put a recorder in its place.
class ITrashDisplays {
public:
    virtual ~ITrashDisplays() = default;

    // The job has run long enough to be worth showing; total = files requested.
    virtual void BeginProgress(TrashWork work, std::size_t total) = 0;
    // done = files handled so far (moved or not) of total; path = the next one, as the
    // request holds its bytes. Returns false when the user asked to stop: that file and
    // the rest are then left where they are. Called only between BeginProgress and
    // EndProgress, and only as often as TrashRunOptions::updateEvery allows.
    virtual bool UpdateProgress(std::size_t done, std::size_t total, std::string_view path) = 0;
    // The job is over (finished or stopped). Called once after each BeginProgress.
    virtual void EndProgress() = 0;
    // Called once at the end when the request was refused, some file was not moved
    // (stopped included) or some folder was not read; returns when the user has dismissed
    // it. Never called when every file was moved and every folder read.
    virtual void ShowReport(const TrashReport& report) = 0;
};

struct TrashRunOptions {
    using Clock = std::chrono::steady_clock;
    // Progress appears at the first file boundary at least this long after the start.
    Clock::duration showProgressAfter = std::chrono::milliseconds(500);
    // After the first update, the least time between two updates: each update pumps the
    // window's events, so this bounds what keeping the window painted costs the work.
    Clock::duration updateEvery = std::chrono::milliseconds(50);
    // The time source; empty = Clock::now. Tests pass a scripted one.
    std::function<Clock::time_point()> now;
};

// A delete or an undo, ready to run with a progress callback.
struct TrashJob {
    TrashWork work = TrashWork::Delete;
    std::function<TrashReport(const TrashProgress&)> run;
};

// ExecuteShellFileOperation(request, batch, progress, undo), its report carrying
// foldersNotRead (the collection's, CFileOperation::m_foldersNotRead; null: none). request,
// batch, undo and foldersNotRead must outlive the job's run; the request's bytes are passed
// on unchanged.
TrashJob DeleteJob(SHFILEOPSTRUCTA& request, const CFileBatch* batch, CTrashUndo* undo,
                   const std::vector<TrashResult>* foldersNotRead = nullptr);
// undo.PutBack(progress). undo must outlive the job's run.
TrashJob UndoJob(CTrashUndo& undo);

// Runs job, feeding displays as described above, and returns its report. Only what is
// shown is converted; bytes are passed on unchanged.
TrashReport RunTrashJob(const TrashJob& job, ITrashDisplays& displays,
                        const TrashRunOptions& options = {});

// The window's run: with the installed displays (SetTrashDisplays) or, by default, with
// the windows of CTrashWindows (TrashWindows.h) owned by the dialog whose window owner is
// (null, or not a dialog's: the application's main window). No other window of the
// program takes input while the job runs.
TrashReport RunTrashJob(const TrashJob& job, HWND owner);

// The displays RunTrashJob(job, owner) uses. Null, the default, stands for the windows of
// CTrashWindows; tests install a recorder. An installed one must outlive its use.
void SetTrashDisplays(ITrashDisplays* displays);
// The displays installed with SetTrashDisplays, or null.
ITrashDisplays* InstalledTrashDisplays();
