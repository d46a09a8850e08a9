#pragma once
// The window handle seen by code that must not depend on the window toolkit: the delete
// request carries its owner's handle, the list rows are built through an interface. The
// window layer derives its windows from CWnd and sets m_hWnd while the window exists.

struct HWND__;
using HWND = HWND__*;

class CWnd {
public:
    virtual ~CWnd() = default;

    // The handle of the window, or null while it has none.
    HWND GetSafeHwnd() const { return m_hWnd; }

protected:
    HWND m_hWnd = nullptr;
};
