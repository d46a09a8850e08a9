#pragma once
// Services that show a window of their own or leave the process: the message box, the
// shell's "open", and the folder chooser. The dialogs reach them only through these
// interfaces. Each has a toolkit implementation in use by default; tests install scripted
// ones that answer without a person and record what was asked.
//
// Installing null puts the default back. An installed service must outlive its use.
#include "platform/core/String.h"
#include "platform/window/WinDefs.h"

#include <functional>
#include <string>

class CWnd;

// ---- Message box ----

// A list a box can open below its text on request (the files a question is about): the
// button that opens and closes it, and the list's text, built only when the user first
// opens it, one item a line.
struct MessageBoxDetails {
    CString showCaption; // the button while the list is closed ("Show Files")
    CString hideCaption; // and while it is open
    std::function<std::string()> text;
};

struct MessageBoxRequest {
    CWnd* owner = nullptr; // the window that owns the box and takes no input meanwhile
    CString text;
    CString caption;
    UINT type = 0;             // MB_ buttons and icon
    MessageBoxDetails details; // no such button while details.text is empty
};

class IMessageBoxService {
public:
    virtual ~IMessageBoxService() = default;
    // Shows the box and returns the id of the button pressed (IDOK, IDCANCEL, IDYES,
    // IDNO), or 0 when no box could be shown.
    virtual int Show(const MessageBoxRequest& request) = 0;
};

IMessageBoxService& MessageBoxService();
void SetMessageBoxService(IMessageBoxService* service);

// ---- Opening a document or address with the desktop ----

class IShellExecuteService {
public:
    virtual ~IShellExecuteService() = default;
    // Opens file (an address or a path) with verb ("Open") and the show command; true
    // when the desktop accepted it.
    virtual bool Execute(const CString& verb, const CString& file, int showCommand) = 0;
};

IShellExecuteService& ShellExecuteService();
void SetShellExecuteService(IShellExecuteService* service);

// The classic call over the service: owner, parameters and directory are not used. Returns
// a value above 32 on success, as the classic call does, and 0 on failure.
LPARAM ShellExecute(HWND owner, const char* verb, const char* file, const char* parameters,
                    const char* directory, int showCommand);

// ---- Folder chooser ----

// Events the chooser reports to its callback, and the requests the callback may send back.
inline constexpr UINT BFFM_INITIALIZED = 1;         // the chooser is shown; lParam 0
inline constexpr UINT BFFM_SELCHANGED = 2;          // lParam: the selected folder (const char*)
inline constexpr UINT BFFM_SETSTATUSTEXTA = 0x0464; // lParam: text (const char*)
inline constexpr UINT BFFM_SETSELECTIONA = 0x0466;  // wParam TRUE, lParam: path (const char*)
inline constexpr UINT BIF_RETURNONLYFSDIRS = 0x0001;
inline constexpr UINT BIF_VALIDATE = 0x0020;

using BFFCALLBACK = int(RZ_CALLBACK*)(HWND chooser, UINT message, LPARAM lParam, LPARAM data);

struct BROWSEINFO {
    HWND hwndOwner = nullptr;
    CString lpszTitle;
    UINT ulFlags = 0;
    BFFCALLBACK lpfn = nullptr;
    LPARAM lParam = 0;
};

class IFolderChooserService {
public:
    virtual ~IFolderChooserService() = default;
    // Runs a chooser for folders and returns when it closes: true with path set (whole,
    // however long) on a choice; false on Cancel or when CloseAll closed it. The callback
    // gets BFFM_INITIALIZED once shown and BFFM_SELCHANGED on every change of selection;
    // the chooser handle it receives accepts SendChooserMessage.
    virtual bool Browse(const BROWSEINFO& info, CString& path) = 0;
    // True while a chooser is open.
    virtual bool IsOpen() const = 0;
    // Brings the open chooser to the front.
    virtual void Raise() = 0;
    // Closes any open chooser as if cancelled.
    virtual void CloseAll() = 0;
    // A request from the callback (BFFM_SETSELECTIONA, BFFM_SETSTATUSTEXTA) to chooser.
    virtual LRESULT SendChooserMessage(HWND chooser, UINT message, WPARAM wParam,
                                       LPARAM lParam) = 0;
};

IFolderChooserService& FolderChooserService();
void SetFolderChooserService(IFolderChooserService* service);
