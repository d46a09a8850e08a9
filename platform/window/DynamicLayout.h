#pragma once
// The dynamic layout of a dialog with a sizing border: its controls follow the window's
// size as their templates say (DialogItemLayout). The window layer keeps one per dialog,
// made when the window is, and applies it whenever the client area changes size; the
// window is never made smaller than its template.
#include "platform/core/Wnd.h"
#include "platform/window/Resources.h"
#include "platform/window/WinDefs.h"

#include <functional>
#include <vector>

class CDynamicLayout {
public:
    // Starts over for a client area of cx by cy pixels: the size the controls are placed at.
    void Reset(int cx, int cy);
    // control, placed at rect (client pixels), follows layout; a layout of all zeros is
    // left out.
    void Add(HWND control, const RECT& rect, const DialogItemLayout& layout);
    // True when no control follows the size.
    bool IsEmpty() const { return m_items.empty(); }

    // For a client area of cx by cy pixels: calls move with each control and its place.
    void Apply(int cx, int cy, const std::function<void(HWND, const RECT&)>& move) const;

private:
    struct Item {
        HWND control;
        RECT rect;
        DialogItemLayout layout;
    };
    int m_cx = 0;
    int m_cy = 0;
    std::vector<Item> m_items;
};
