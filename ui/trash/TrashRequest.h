#pragma once
// Running one delete request from the window: the trash executor runs on the calling
// (window) thread, a progress window appears when it takes a while, and a report follows
// when anything was not trashed.
#include "platform/trash/ShellFileOperation.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <string_view>

class QWidget;

// What the user sees while and after a request runs. CTrashDisplays (TrashDisplays.h) is
// the one with windows; tests put a recorder in its place.
class ITrashDisplays {
public:
    virtual ~ITrashDisplays() = default;

    // Trashing has run long enough to be worth showing; total = files requested.
    virtual void BeginProgress(std::size_t total) = 0;
    // done = files handled so far (trashed or not) of total; path = the next one, as the
    // request holds its bytes. Returns false when the user asked to stop: that file and
    // the rest are then left where they are. Called only between BeginProgress and
    // EndProgress, and only as often as TrashRunOptions::updateEvery allows.
    virtual bool UpdateProgress(std::size_t done, std::size_t total, std::string_view path) = 0;
    // The request is over (finished or stopped). Called once after each BeginProgress.
    virtual void EndProgress() = 0;
    // Called once at the end when the request was refused or some file was not trashed;
    // returns when the user has dismissed it. Never called when every file was trashed.
    virtual void ShowReport(const TrashReport& report) = 0;
};

struct TrashRunOptions {
    using Clock = std::chrono::steady_clock;
    // Progress appears at the first file boundary at least this long after the start.
    Clock::duration showProgressAfter = std::chrono::milliseconds(500);
    // After the first update, the least time between two updates: each update pumps the
    // window's events, so this bounds what keeping the window painted costs the trashing.
    Clock::duration updateEvery = std::chrono::milliseconds(50);
    // The time source; empty = Clock::now. Tests pass a scripted one.
    std::function<Clock::time_point()> now;
};

// Carries out request with ExecuteShellFileOperation, feeding displays as described above,
// and returns the executor's report. The request's bytes are passed on unchanged; only
// what is shown is converted.
TrashReport RunTrashRequest(SHFILEOPSTRUCTA& request, ITrashDisplays& displays,
                            const TrashRunOptions& options = {});

// The same with the windows of CTrashDisplays: the progress window and the report are
// owned by owner (may be null) and captioned with the application title. Both
// are application-modal, so no other window takes input while the request runs.
TrashReport RunTrashRequest(SHFILEOPSTRUCTA& request, QWidget* owner);

// The displays RunTrashRequest(request) uses. Null, the default, stands for the windows of
// CTrashDisplays; tests install a recorder. An installed one must outlive its use.
void SetTrashDisplays(ITrashDisplays* displays);

// The window's delete: runs request with the installed displays or, by default, with
// windows owned by the request's owner window (request.hwnd, may be null).
TrashReport RunTrashRequest(SHFILEOPSTRUCTA& request);
