#pragma once
// What the window benchmarks share: the program set up as its entry leaves it, a folder
// chooser that picks a given folder at once, and a watch for the first paint of the
// table's list once a condition holds.
#include "app/RaveZivuredApp.h"
#include "platform/qt/QtWaitCursor.h"
#include "platform/window/Services.h"

#include <QApplication>
#include <QEvent>
#include <QObject>

#include <chrono>
#include <functional>

class CRaveZivuredDlg;

using BenchClock = std::chrono::steady_clock;

// Picks folder the first time it is opened (start = that moment), cancels after that.
class CPickingChooser final : public IFolderChooserService {
public:
    explicit CPickingChooser(CString folder) : m_folder(std::move(folder)) {}
    bool Browse(const BROWSEINFO&, CString& path) override;
    bool IsOpen() const override { return false; }
    void Raise() override {}
    void CloseAll() override {}
    LRESULT SendChooserMessage(HWND, UINT, WPARAM, LPARAM) override { return 0; }

    bool Picked() const { return m_picked; }
    BenchClock::time_point start;

private:
    CString m_folder;
    bool m_picked = false;
};

// At the first paint while ready() holds, runs then() once that paint is done (queued),
// with the time it ran.
class CPaintWatch final : public QObject {
public:
    CPaintWatch(std::function<bool()> ready, std::function<void(BenchClock::time_point)> then)
        : m_ready(std::move(ready)), m_then(std::move(then)) {}
    bool eventFilter(QObject*, QEvent* event) override;
    // Watches for the next paint again.
    void Rearm() { m_seen = false; }

private:
    std::function<bool()> m_ready;
    std::function<void(BenchClock::time_point)> m_then;
    bool m_seen = false;
};

// The application object, the wait cursor and the picking chooser, as the program's entry
// sets them up, on Qt's offscreen platform unless QT_QPA_PLATFORM says otherwise.
class CBenchProgram {
public:
    CBenchProgram(int& argc, char** argv, CString folder);
    ~CBenchProgram();

    // Runs dlg as the main window until it ends. watch watches the paints of its list
    // (installed as soon as the window exists, before the chooser opens); a run longer
    // than limit ends as a failure. Returns 0, or 1 for that failure.
    int Run(CRaveZivuredDlg& dlg, CPaintWatch& watch, std::chrono::minutes limit);

    CPickingChooser chooser;

private:
    QApplication m_application;
    CQtWaitCursor m_waitCursor;
    CRaveZivuredApp m_app;
};
