#pragma once
// What a CDialog keeps of its window on Win32, and the dialog procedure that routes the
// system's messages to it (window layer internals, shared by the files that create, run
// and serve dialogs).
#include "platform/window/Dialog.h"
#include "platform/window/Menu.h"

#include <memory>

struct CDialog::Impl {
    bool modal = false;
    bool ended = false; // EndDialog ran: the modal loop returns
    // The items the program added to the window menu (GetSystemMenu), copied into the
    // system's menu of the window whenever that opens; the system's own items (and those
    // Wine adds) come first, systemMenuBase of them.
    std::unique_ptr<CMenu> systemMenu;
    int systemMenuBase = 0;
    HACCEL accelerators = nullptr; // LoadAccelTable; shared, never destroyed
};

class CDialogWindow {
public:
    // The dialog procedure of every CDialog window: WM_INITDIALOG attaches the window to the
    // CDialog given as the creation parameter and runs OnInitDialog; every later message
    // goes through the dialog's message map, and what no entry handles is left to the
    // system's dialog manager (Enter, Esc, the close box, keyboard navigation, painting).
    static INT_PTR CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    // The CDialog a window belongs to (its own window, not a control's), or null.
    static CDialog* DialogOf(HWND hwnd);

    // For every message loop of the layer: hands msg to the CDialog window it is meant for
    // (the dialog manager's keyboard handling: Tab, Enter, Esc, mnemonics) and returns true
    // when that dispatched it; false when the caller translates and dispatches it.
    static bool RouteDialogMessage(MSG& msg);

    // Copies the program's items of the window menu into the system's menu of the window.
    static void MirrorSystemMenu(CDialog& dialog);

    // The system's WM_DROPFILES: the paths of the drop handle, which is then released, go
    // to the dialog's WM_DROPFILES entry (Dialog.h), if it has one.
    static void DeliverDroppedFiles(CDialog& dialog, WPARAM drop);
};

// The wait cursor is on (between the outermost begin and end): windows show it instead
// of their own.
bool WaitCursorShown();
