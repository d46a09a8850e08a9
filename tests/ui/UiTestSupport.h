#pragma once
// Helpers of the window tests: scripted services answering in place of a person, and runs
// of the main window with a test script inside its message loop.
#include "platform/core/String.h"
#include "platform/window/Services.h"

#include <QString>

#include <deque>
#include <functional>
#include <optional>
#include <vector>

class CDialog;
class CRaveZivuredDlg;
class QWidget;

// Records every message box and answers from a queue (IDOK when the queue is empty). With
// whileShown set, the next box runs it once before it answers (what happens while a box is
// up). Installed for its lifetime.
class CScriptedMessageBox : public IMessageBoxService {
public:
    CScriptedMessageBox();
    ~CScriptedMessageBox() override;
    int Show(const MessageBoxRequest& request) override;

    std::deque<int> answers;
    std::function<void()> whileShown;
    std::vector<MessageBoxRequest> asked;
};

// Records every "open" and reports success. Installed for its lifetime.
class CRecordingShell : public IShellExecuteService {
public:
    struct Call {
        CString verb;
        CString file;
        int show;
    };
    CRecordingShell();
    ~CRecordingShell() override;
    bool Execute(const CString& verb, const CString& file, int showCommand) override;

    std::vector<Call> calls;
};

// A chooser that is never shown: it cancels at once. Installed for its lifetime, so that
// nothing a window test does can open a real one.
class CCancellingChooser : public IFolderChooserService {
public:
    CCancellingChooser();
    ~CCancellingChooser() override;
    bool Browse(const BROWSEINFO& info, CString& path) override;
    bool IsOpen() const override { return false; }
    void Raise() override {}
    void CloseAll() override {}
    LRESULT SendChooserMessage(HWND, UINT, WPARAM, LPARAM) override { return 0; }

    int opened = 0;
};

// A chooser that answers from a queue: a path is a choice, nullopt a Cancel (also when the
// queue is empty). Everything asked of it is recorded. With whileOpen set, the next
// Browse runs it once inside a loop of the open chooser (clicking "..." again, closing the
// main window...) before it answers, unless CloseAll closed it meanwhile. Installed for
// its lifetime.
class CScriptedChooser : public IFolderChooserService {
public:
    CScriptedChooser();
    ~CScriptedChooser() override;
    bool Browse(const BROWSEINFO& info, CString& path) override;
    bool IsOpen() const override { return m_open; }
    void Raise() override { ++raised; }
    void CloseAll() override;
    LRESULT SendChooserMessage(HWND chooser, UINT message, WPARAM wParam, LPARAM lParam) override;

    struct Sent {
        UINT message;
        WPARAM wParam;
        CString text; // lParam's text
    };

    std::deque<std::optional<CString>> answers;
    std::function<void()> whileOpen;

    std::vector<BROWSEINFO> opened; // one per Browse
    std::vector<Sent> sent;         // the callback's requests, in order
    int raised = 0;
    int closedWhileOpen = 0;

private:
    bool m_open = false;
    bool m_closed = false;
    class QEventLoop* m_loop = nullptr;
};

// Lets events run until done() holds or ms milliseconds have passed; returns done().
bool ProcessEventsUntil(const std::function<bool()>& done, int ms = 10000);

// Runs dialog modally with script called from inside its message loop. Returns DoModal's
// result, or kLeftRunning when the script left the dialog running (it is then ended).
inline constexpr int kLeftRunning = -2;
int RunModal(CDialog& dialog, const std::function<void()>& script);

// Constructs the main window, registers it as the application's main window and runs it
// as RunModal does.
int RunMainWindow(const std::function<void(CRaveZivuredDlg&)>& script);

// Runs script with what find returns as soon as that is not null, polling every 10 ms from
// whichever loop runs, at most tries times (then the test fails).
void WhenAppears(const std::function<QWidget*()>& find, const std::function<void(QWidget*)>& script,
                 int tries = 500);
// Runs script with the modal window as soon as one is up (polling from whichever loop
// runs, for up to five seconds).
void WhenModalWindowAppears(const std::function<void(QWidget*)>& script);
// Runs script with the open popup menu as soon as one is up.
void WhenPopupAppears(const std::function<void(QWidget*)>& script);

QWidget* Widget(HWND handle);
QWidget* Window(const CDialog& dialog);

// The settings file of the program: $XDG_CONFIG_HOME/<company>/<title>.conf.
QString SettingsFilePath();
// Removes every stored value of the program.
void ClearSettings();
// Stores a raw value under Settings/name, as another program (or an older run) might.
void StoreSetting(const char* name, const QVariant& value);
QVariant StoredSetting(const char* name);
bool HasSetting(const char* name);
