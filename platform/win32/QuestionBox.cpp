#include "platform/win32/QuestionBox.h"

#include "platform/core/WideText.h"
#include "platform/core/Wnd.h"

#include <commctrl.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

constexpr int kShowListButton = 100;
constexpr int kListEdit = 101;

struct Session {
    const MessageBoxRequest* request;
    std::wstring caption;
    std::wstring list; // built on the first press
    bool built = false;
};

// ---- The list window: a dialog made from a template built here ----

class CTemplate {
public:
    void Word(std::uint16_t w) { m_words.push_back(w); }
    void Dword(std::uint32_t d) {
        Word(static_cast<std::uint16_t>(d & 0xffff));
        Word(static_cast<std::uint16_t>(d >> 16));
    }
    void Text(const std::wstring& text) {
        for (const wchar_t c : text)
            Word(static_cast<std::uint16_t>(c));
        Word(0);
    }
    void AlignDword() {
        if (m_words.size() % 2)
            Word(0);
    }
    // A control of a system class (0x80 button, 0x81 edit).
    void Item(std::uint32_t style, short x, short y, short cx, short cy, std::uint16_t id,
              std::uint16_t systemClass, const std::wstring& text) {
        AlignDword();
        Dword(style | WS_CHILD | WS_VISIBLE);
        Dword(0);
        for (const short v : {x, y, cx, cy})
            Word(static_cast<std::uint16_t>(v));
        Word(id);
        Word(0xffff);
        Word(systemClass);
        Text(text);
        Word(0);
    }
    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(m_words.data()); }

private:
    std::vector<std::uint16_t> m_words;
};

// Keeps the list filling the window above its Close button, whatever its size.
void Arrange(HWND dialog) {
    RECT client;
    GetClientRect(dialog, &client);
    RECT unit{7, 7, 50, 14}; // margin, button width and height, in dialog units
    MapDialogRect(dialog, &unit);
    const int margin = unit.left;
    const int buttonTop = client.bottom - margin - unit.bottom;
    MoveWindow(GetDlgItem(dialog, kListEdit), margin, margin, client.right - 2 * margin,
               buttonTop - 2 * margin, TRUE);
    MoveWindow(GetDlgItem(dialog, IDCANCEL), client.right - margin - unit.right, buttonTop,
               unit.right, unit.bottom, TRUE);
}

INT_PTR CALLBACK ListProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        const auto* session = reinterpret_cast<const Session*>(lParam);
        SetWindowTextW(dialog, session->caption.c_str());
        SendDlgItemMessageW(dialog, kListEdit, EM_SETLIMITTEXT, 0, 0);
        SetDlgItemTextW(dialog, kListEdit, session->list.c_str());
        Arrange(dialog);
        SetFocus(GetDlgItem(dialog, kListEdit));
        return FALSE;
    }
    case WM_SIZE:
        Arrange(dialog);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK)
            EndDialog(dialog, IDCANCEL);
        return TRUE;
    default:
        return FALSE;
    }
}

void ShowList(HWND owner, Session& session) {
    if (!session.built) {
        session.built = true;
        // One path a line, as an edit control breaks lines.
        for (const wchar_t c : WideFromUtf8(session.request->details.text())) {
            if (c == L'\n')
                session.list += L'\r';
            session.list += c;
        }
    }
    CTemplate dialog;
    dialog.Dword(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | DS_MODALFRAME | DS_SETFONT |
                 DS_CENTER);
    dialog.Dword(0);
    dialog.Word(2); // controls
    for (const short v : {0, 0, 320, 200})
        dialog.Word(static_cast<std::uint16_t>(v));
    dialog.Word(0); // no menu
    dialog.Word(0); // the dialog class
    dialog.Text(L"");
    dialog.Word(8);
    dialog.Text(L"MS Shell Dlg");
    dialog.Item(WS_BORDER | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP | ES_MULTILINE | ES_READONLY |
                    ES_AUTOHSCROLL | ES_AUTOVSCROLL,
                7, 7, 306, 165, kListEdit, 0x81, L"");
    dialog.Item(WS_TABSTOP | BS_DEFPUSHBUTTON, 263, 179, 50, 14, IDCANCEL, 0x80, L"Close");
    DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dialog.Get(), owner, ListProc,
                            reinterpret_cast<LPARAM>(&session));
}

// ---- The question ----

HRESULT CALLBACK QuestionProc(HWND box, UINT notification, WPARAM wParam, LPARAM, LONG_PTR data) {
    if (notification == TDN_BUTTON_CLICKED && static_cast<int>(wParam) == kShowListButton) {
        ShowList(box, *reinterpret_cast<Session*>(data));
        return S_FALSE; // the question stays open
    }
    return S_OK;
}

TASKDIALOG_COMMON_BUTTON_FLAGS CommonButtons(UINT type) {
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
        return TDCBF_OK_BUTTON | TDCBF_CANCEL_BUTTON;
    case MB_YESNOCANCEL:
        return TDCBF_YES_BUTTON | TDCBF_NO_BUTTON | TDCBF_CANCEL_BUTTON;
    case MB_YESNO:
        return TDCBF_YES_BUTTON | TDCBF_NO_BUTTON;
    default:
        return TDCBF_OK_BUTTON;
    }
}

LPCWSTR IconOf(UINT type) {
    switch (type & MB_ICONMASK) {
    case MB_ICONERROR:
        return IDI_ERROR;
    case MB_ICONQUESTION:
        return IDI_QUESTION;
    case MB_ICONEXCLAMATION:
        return IDI_WARNING;
    case MB_ICONINFORMATION:
        return IDI_INFORMATION;
    default:
        return nullptr;
    }
}

using TaskDialogIndirectFn = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);

// Looked up rather than linked: a program without common controls 6 has no task dialog.
TaskDialogIndirectFn TaskDialogOfTheSystem() {
    const HMODULE comctl = GetModuleHandleW(L"comctl32.dll");
    return comctl ? reinterpret_cast<TaskDialogIndirectFn>(
                        reinterpret_cast<void*>(GetProcAddress(comctl, "TaskDialogIndirect")))
                  : nullptr;
}

} // namespace

int ShowBoxWithDetails(const MessageBoxRequest& request) {
    HWND owner = request.owner ? request.owner->GetSafeHwnd() : nullptr;
    const std::wstring text = WideFromUtf8(request.text.view());
    Session session{&request, WideFromUtf8(request.caption.view()), {}, false};
    const TaskDialogIndirectFn taskDialog = TaskDialogOfTheSystem();
    if (!taskDialog)
        return MessageBoxW(owner, text.c_str(), session.caption.c_str(), request.type);

    const std::wstring show = WideFromUtf8(request.details.showCaption.view());
    const TASKDIALOG_BUTTON showList{kShowListButton, show.c_str()};
    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof config;
    config.hwndParent = owner;
    config.dwFlags = TDF_POSITION_RELATIVE_TO_WINDOW;
    config.dwCommonButtons = CommonButtons(request.type);
    config.pszWindowTitle = session.caption.c_str();
    if (const LPCWSTR icon = IconOf(request.type)) {
        config.dwFlags |= TDF_USE_HICON_MAIN;
        config.hMainIcon = LoadIconW(nullptr, icon);
    }
    config.pszContent = text.c_str();
    config.cButtons = 1;
    config.pButtons = &showList;
    const UINT buttons = request.type & MB_TYPEMASK;
    config.nDefaultButton = buttons == MB_OK || buttons == MB_OKCANCEL ? IDOK : IDYES;
    config.pfCallback = QuestionProc;
    config.lpCallbackData = reinterpret_cast<LONG_PTR>(&session);
    int pressed = 0;
    if (FAILED(taskDialog(&config, &pressed, nullptr, nullptr)))
        return MessageBoxW(owner, text.c_str(), session.caption.c_str(), request.type);
    return pressed;
}
