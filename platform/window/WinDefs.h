#pragma once
// Integer types, handles, geometry and message constants of the window layer.
//
// On Windows they are the system's own: <windows.h> and <commctrl.h> (list views) are
// included, and only CRect, which they lack, is added. The build defines UNICODE,
// WIN32_LEAN_AND_MEAN and NOMINMAX for every file (cmake/Windows.cmake), so the system's
// name macros (MessageBox for MessageBoxW, SendMessage, LoadIcon, ...) rename the window
// layer's members of the same names alike in every file, and <shellapi.h> stays out.
// Elsewhere they are stand-ins with the classic names and values: plain declarations, so
// headers of the dialogs can use them without pulling in Qt. The core's handle and integer
// types (Types.h, Wnd.h) are declared to be the very types <windows.h> declares.
#include "platform/core/Types.h"
#include "platform/core/Wnd.h"

#ifdef _WIN32
#include <windows.h>

#include <commctrl.h>
#else
#include <cstdint>

using BOOL = int;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
inline constexpr BOOL TRUE = 1;
inline constexpr BOOL FALSE = 0;

// Opaque handles (HWND comes with CWnd). An icon handle stands for an icon loaded from the
// program's resources and stays valid until the application object ends.
struct HICON__;
using HICON = HICON__*;
using HCURSOR = HICON;
struct HDC__;
using HDC = HDC__*;

struct POINT {
    int x = 0;
    int y = 0;
};

struct RECT {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

constexpr WORD LOWORD(std::uintptr_t value) {
    return static_cast<WORD>(value & 0xFFFF);
}
constexpr WORD HIWORD(std::uintptr_t value) {
    return static_cast<WORD>((value >> 16) & 0xFFFF);
}
constexpr WPARAM MAKEWPARAM(WORD low, WORD high) {
    return static_cast<WPARAM>(low) | (static_cast<WPARAM>(high) << 16);
}

// Window messages the program and its window layer use.
inline constexpr UINT WM_DESTROY = 0x0002;
inline constexpr UINT WM_PAINT = 0x000F;
inline constexpr UINT WM_CLOSE = 0x0010;
inline constexpr UINT WM_ICONERASEBKGND = 0x0027;
inline constexpr UINT WM_QUERYDRAGICON = 0x0037;
inline constexpr UINT WM_HELP = 0x0053;
inline constexpr UINT WM_INITDIALOG = 0x0110;
inline constexpr UINT WM_COMMAND = 0x0111;
inline constexpr UINT WM_SYSCOMMAND = 0x0112;
inline constexpr UINT WM_DROPFILES = 0x0233;

// System commands (WM_SYSCOMMAND); the low four bits are reserved.
inline constexpr UINT SC_MOVE = 0xF010;
inline constexpr UINT SC_MINIMIZE = 0xF020;
inline constexpr UINT SC_CLOSE = 0xF060;
inline constexpr UINT SC_RESTORE = 0xF120;

// Button notification carried in the high word of a WM_COMMAND's WPARAM. A command from an
// accelerator carries 1 there, and no control (lParam 0).
inline constexpr WORD BN_CLICKED = 0;

// One entry of an accelerator table: key with the modifiers in fVirt sends WM_COMMAND with
// cmd. With FVIRTKEY, key is a virtual-key code: 'A'..'Z' and '0'..'9' are the letter and
// digit keys, VK_F1 + n the function key F(n+1).
struct ACCEL {
    BYTE fVirt;
    WORD key;
    WORD cmd;
};
inline constexpr BYTE FVIRTKEY = 0x01;
inline constexpr BYTE FSHIFT = 0x04;
inline constexpr BYTE FCONTROL = 0x08;
inline constexpr BYTE FALT = 0x10;
inline constexpr WORD VK_F1 = 0x70;

// Dialog command ids and message box results.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

// Message box types: buttons in the low four bits, icon in the next four.
inline constexpr UINT MB_OK = 0x00;
inline constexpr UINT MB_OKCANCEL = 0x01;
inline constexpr UINT MB_YESNOCANCEL = 0x03;
inline constexpr UINT MB_YESNO = 0x04;
inline constexpr UINT MB_ICONERROR = 0x10;
inline constexpr UINT MB_ICONQUESTION = 0x20;
inline constexpr UINT MB_ICONEXCLAMATION = 0x30;
inline constexpr UINT MB_ICONINFORMATION = 0x40;
inline constexpr UINT MB_TYPEMASK = 0x0F;
inline constexpr UINT MB_ICONMASK = 0xF0;

// System metrics.
inline constexpr int SM_CXICON = 11;
inline constexpr int SM_CYICON = 12;
inline constexpr int SM_CXSMICON = 49;
inline constexpr int SM_CYSMICON = 50;

// Show commands.
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_SHOWMAXIMIZED = 3;

// Icon sizes for SetIcon.
inline constexpr BOOL ICON_SMALL = FALSE;
inline constexpr BOOL ICON_BIG = TRUE;

// What WM_HELP carries.
struct HELPINFO {
    UINT cbSize = sizeof(HELPINFO);
    int iContextType = 1;
    int iCtrlId = 0;
    HWND__* hItemHandle = nullptr;
    POINT MousePos;
};
#endif

// A rectangle with its size.
class CRect : public RECT {
public:
    CRect() : RECT{0, 0, 0, 0} {}
    CRect(int l, int t, int r, int b) : RECT{l, t, r, b} {}
    int Width() const { return static_cast<int>(right - left); }
    int Height() const { return static_cast<int>(bottom - top); }
};
