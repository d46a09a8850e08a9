#pragma once
// Message maps: one constant table per window class from a message (or a command from a
// control) to a member handler, chained to the table of the base class.
//
// A class with a map declares
//     static const AFX_MSGMAP* GetThisMessageMap();
//     const AFX_MSGMAP* GetMessageMap() const override;
// and defines GetThisMessageMap in its .cpp with a static constexpr array of entries built
// by the msgmap:: functions below, just before the handlers it routes:
//
//     const AFX_MSGMAP* CMyDlg::GetThisMessageMap() {
//         static constexpr AFX_MSGMAP_ENTRY entries[] = {
//             msgmap::Paint<&CMyDlg::OnPaint>(),
//             msgmap::Command<&CMyDlg::OnGo>(IDC_GO),
//         };
//         static_assert(msgmap::HasNoDuplicates(entries));
//         static constexpr AFX_MSGMAP map{&CDialog::GetThisMessageMap, entries};
//         return &map;
//     }
//
// Dispatch looks through the class's own table first, then its base's and so on; the
// first matching entry wins. A message no table matches gets the window's default
// processing. Handlers are ordinary (non-virtual) members. A Command entry takes a
// button's click and, as with menus, a command from an accelerator (code 1, no control).
#include "platform/window/WinDefs.h"

#include "platform/core/String.h"
#include "platform/core/Wnd.h"

#include <span>
#include <vector>

enum class AfxSig : unsigned char {
    Void,          // void OnX()
    SysCommand,    // void OnSysCommand(UINT id, LPARAM param)
    QueryDragIcon, // HCURSOR OnQueryDragIcon()
    HelpInfo,      // BOOL OnHelpInfo(HELPINFO* info)
    DropFiles,     // void OnDropFiles(const std::vector<CString>& paths)
};

// The handler, stored with the signature the entry's AfxSig names.
union AfxHandler {
    void (CWnd::*pfnVoid)();
    void (CWnd::*pfnSysCommand)(UINT, LPARAM);
    HCURSOR (CWnd::*pfnQueryDragIcon)();
    BOOL (CWnd::*pfnHelpInfo)(HELPINFO*);
    void (CWnd::*pfnDropFiles)(const std::vector<CString>&);
};

struct AFX_MSGMAP_ENTRY {
    UINT message;
    UINT code; // WM_COMMAND: notification code (0 = button click); else 0
    UINT id;   // WM_COMMAND: control id; else 0
    AfxSig sig;
    AfxHandler pfn;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)(); // null at the root
    std::span<const AFX_MSGMAP_ENTRY> entries;
};

namespace msgmap {

// Handlers are members of a class derived from CWnd; the conversions to CWnd member
// pointers below are the ordinary derived-to-base ones, and a handler of the wrong
// signature does not compile. The handler is a template argument so that the conversion
// stays a constant expression.
template <auto Pfn> constexpr AFX_MSGMAP_ENTRY Command(UINT id) {
    return {
        WM_COMMAND, BN_CLICKED, id, AfxSig::Void, {.pfnVoid = static_cast<void (CWnd::*)()>(Pfn)}};
}
template <auto Pfn> constexpr AFX_MSGMAP_ENTRY SysCommand() {
    return {WM_SYSCOMMAND,
            0,
            0,
            AfxSig::SysCommand,
            {.pfnSysCommand = static_cast<void (CWnd::*)(UINT, LPARAM)>(Pfn)}};
}
template <auto Pfn> constexpr AFX_MSGMAP_ENTRY Paint() {
    return {WM_PAINT, 0, 0, AfxSig::Void, {.pfnVoid = static_cast<void (CWnd::*)()>(Pfn)}};
}
template <auto Pfn> constexpr AFX_MSGMAP_ENTRY QueryDragIcon() {
    return {WM_QUERYDRAGICON,
            0,
            0,
            AfxSig::QueryDragIcon,
            {.pfnQueryDragIcon = static_cast<HCURSOR (CWnd::*)()>(Pfn)}};
}
template <auto Pfn> constexpr AFX_MSGMAP_ENTRY Destroy() {
    return {WM_DESTROY, 0, 0, AfxSig::Void, {.pfnVoid = static_cast<void (CWnd::*)()>(Pfn)}};
}
template <auto Pfn> constexpr AFX_MSGMAP_ENTRY HelpInfo() {
    return {WM_HELP,
            0,
            0,
            AfxSig::HelpInfo,
            {.pfnHelpInfo = static_cast<BOOL (CWnd::*)(HELPINFO*)>(Pfn)}};
}

// WM_DROPFILES, as the window layer delivers it (Dialog.h): lParam points to the paths.
template <auto Pfn> constexpr AFX_MSGMAP_ENTRY DropFiles() {
    return {WM_DROPFILES,
            0,
            0,
            AfxSig::DropFiles,
            {.pfnDropFiles = static_cast<void (CWnd::*)(const std::vector<CString>&)>(Pfn)}};
}

// True when no (message, code, id) triple appears twice in one table.
constexpr bool HasNoDuplicates(std::span<const AFX_MSGMAP_ENTRY> entries) {
    for (std::size_t i = 0; i < entries.size(); ++i)
        for (std::size_t j = i + 1; j < entries.size(); ++j)
            if (entries[i].message == entries[j].message && entries[i].code == entries[j].code &&
                entries[i].id == entries[j].id)
                return false;
    return true;
}

// The entry of map's chain that handles message, or null. lParam is the message's: for
// WM_COMMAND, the control that sent it, 0 for a menu or an accelerator.
const AFX_MSGMAP_ENTRY* Find(const AFX_MSGMAP* map, UINT message, WPARAM wParam, LPARAM lParam = 0);

// Calls entry's handler on target; result is what the handler returned (0 for void).
LRESULT Invoke(CWnd& target, const AFX_MSGMAP_ENTRY& entry, WPARAM wParam, LPARAM lParam);

} // namespace msgmap
