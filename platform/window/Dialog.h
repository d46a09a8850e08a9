#pragma once
// CDialog: a window built from a dialog template of the program's resources.
//
// The window exists between creation (DoModal or Create) and destruction (the end of a
// modal run, DestroyWindow, or the destruction of the object); m_hWnd is set meanwhile.
// Everything that happens to the window reaches the object as a message through
// WindowProc: the message map of the most derived class first, then its bases', then the
// default processing of DefWindowProc.
//
// The window layer turns toolkit events into messages:
//   button click             WM_COMMAND, (control id, BN_CLICKED)
//   Esc                      WM_COMMAND, IDCANCEL
//   Enter                    a focused push button is pressed; otherwise WM_COMMAND with
//                            the default push button's id (IDOK when there is none)
//   close box, Alt+F4        WM_SYSCOMMAND, SC_CLOSE
//   system menu command      WM_SYSCOMMAND, the item's id
//   an accelerator's key     WM_COMMAND, (the entry's command, 1), lParam 0 (LoadAccelTable)
//   F1                       WM_HELP, a HELPINFO naming the focused control
//   painting                 WM_PAINT (a CPaintDC in the handler paints the window)
//   a change of size         WM_SIZE, once the controls have followed it (the dynamic
//                            layout of a template with WS_THICKFRAME, DynamicLayout.h)
//   window teardown          WM_DESTROY, while the controls still exist
//   files dropped on it      WM_DROPFILES, lParam: a const std::vector<CString>* with the
//                            dropped items' paths, in the order given (UTF-8 on Windows);
//                            only after DragAcceptFiles, and from the message loop once the
//                            drop has ended, so the handler may run loops of its own. (The
//                            system's WM_DROPFILES carries a handle; this one, the paths.)
// The system menu (GetSystemMenu) opens with a right click on the dialog's free area,
// Alt+Space or the Menu key.
#include "platform/core/String.h"
#include "platform/core/Wnd.h"
#include "platform/window/MessageMap.h"
#include "platform/window/Services.h"
#include "platform/window/WinDefs.h"

#include <memory>

class CDataExchange;
class CMenu;
class CDialogWindow;

class CDialog : public CWnd {
public:
    // templateId names the template in the program's resources. parent is the owner of
    // the window; null means the application's main window (none for the main window
    // itself).
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    ~CDialog() override;
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Creates the window, runs OnInitDialog, shows it and runs a nested message loop until
    // EndDialog; the owner takes no input meanwhile. The window is destroyed before the
    // result returns. Returns the value given to EndDialog, or -1 when the window could
    // not be created (unknown template).
    virtual int DoModal();

    // Creates the window without a loop of its own (modeless). It shows itself when the
    // template has WS_VISIBLE. FALSE when the template is unknown or a window exists.
    virtual BOOL Create(UINT templateId, CWnd* parent = nullptr);

    // For a modeless window that stands while its thread works in the caller's loop (a
    // progress window): from now until the window is destroyed, no other window of the
    // program takes input (clicks, keys, close boxes), while this one does. Call it while
    // the window is hidden (a template without WS_VISIBLE), then show it.
    void BeginModalState();

    // Destroys the window: WM_DESTROY first, then the widgets. FALSE when there was none.
    virtual BOOL DestroyWindow();

    // Ends a modal run with result; a modeless dialog is hidden.
    void EndDialog(int result);

    // Moves data between members and controls: pushes them to the controls when
    // saveAndValidate is FALSE, reads the controls back when TRUE. FALSE when a field
    // could not be read (the member keeps its value).
    BOOL UpdateData(BOOL saveAndValidate = TRUE);

    // Message sending: SendMessage dispatches now; PostMessage queues the dispatch to run
    // from the message loop (dropped if the window is gone by then).
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    // Window services.
    void SetWindowText(const char* text);
    CString GetWindowText() const;
    HICON SetIcon(HICON icon, BOOL bigIcon);
    BOOL IsIconic() const;
    BOOL IsWindowVisible() const;
    BOOL IsWindowEnabled() const;
    BOOL EnableWindow(BOOL enable = TRUE);
    void ShowWindow(int showCommand);
    void GetClientRect(RECT* rect) const;
    // Whether files dropped anywhere on the window (its controls included) reach it as
    // WM_DROPFILES. Off until asked for; a disabled window, or one a modal window blocks,
    // takes no drop.
    void DragAcceptFiles(BOOL accept = TRUE);
    // The window's place and size on the screen, its frame included, in pixels.
    void GetWindowRect(RECT* rect) const;
    // Moves the window (its frame's top left to x, y) and sizes it, frame included (a window
    // not shown yet may have no frame so far).
    void MoveWindow(int x, int y, int width, int height);
    // Converts a rectangle in this dialog's units to pixels.
    void MapDialogRect(RECT* rect) const;
    // The window's own menu of system commands; revert TRUE rebuilds it from scratch and
    // returns null, as the classic call does.
    CMenu* GetSystemMenu(BOOL revert);
    // Takes the keys of accelerator table id from the program's resources: pressed while
    // this window (or one of its controls) has the keyboard, each sends the entry's
    // command, before any control sees the key. FALSE when there is no such table.
    BOOL LoadAccelTable(UINT id);

    // The handle of control id, or null.
    HWND GetDlgItem(int id) const;
    void SetDlgItemText(int id, const CString& text);
    // Sends a control's own message to control id; 0 when there is no such control. Beside
    // Windows the controls understand those of the progress bar (PBM_SETRANGE32, PBM_SETPOS,
    // PBM_GETPOS) and answer 0 to the rest.
    LRESULT SendDlgItemMessage(int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    // The control's text: byte for byte what SetDlgItemText put there, as long as the user
    // has not changed it since.
    CString GetDlgItemText(int id) const;
    // The id of the control with the keyboard focus, or 0.
    int GetFocusId() const;
    void GotoDlgCtrl(int id);

    // A message box owned by this window. caption null: the application title. Returns
    // IDOK, IDYES, IDNO (or IDCANCEL), or 0 when no box could be shown.
    int MessageBox(const char* text, const char* caption = nullptr, UINT type = MB_OK);
    // The same with a list the user can open from the box (MessageBoxDetails).
    int MessageBox(const char* text, const char* caption, UINT type, MessageBoxDetails details);

    // Dispatches one message as described above.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    // The dialog whose window hwnd is, or null (no window, or not a dialog's).
    static CDialog* FromHandle(HWND hwnd);

protected:
    // Runs once the controls exist, before the window is first shown. The base pushes the
    // members to the controls (UpdateData(FALSE)). TRUE gives the focus to the first
    // control with a tab stop.
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange* pDX);
    // The default OK: read the controls back, then end with IDOK.
    virtual void OnOK();
    // The default Cancel: end with IDCANCEL.
    virtual void OnCancel();

    // What happens to a message no map entry handles: SC_CLOSE closes (as Cancel),
    // SC_MINIMIZE minimises, SC_RESTORE restores, SC_MOVE moves the window with the mouse
    // or the arrow keys; painting and the rest need nothing more.
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    // The framework's share of handlers a derived class overrides by name.
    void OnSysCommand(UINT id, LPARAM param);
    void OnPaint();
    void OnDestroy();

    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;

private:
    friend class CDialogWindow;
    struct Impl;

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;
    int m_nModalResult = -1;
    std::unique_ptr<Impl> d;

    BOOL CreateWindowFromTemplate(UINT templateId, CWnd* parent, bool modal);
    void WindowGone();
};

#ifndef _WIN32
// Enables or disables a window, a dialog's control (GetDlgItem) included; TRUE when it was
// disabled before. On Windows the system's own call.
BOOL EnableWindow(HWND window, BOOL enable);
#endif
