#include "platform/window/DynamicLayout.h"

void CDynamicLayout::Reset(int cx, int cy) {
    m_cx = cx;
    m_cy = cy;
    m_items.clear();
}

void CDynamicLayout::Add(HWND control, const RECT& rect, const DialogItemLayout& layout) {
    if (layout.moveX || layout.moveY || layout.sizeX || layout.sizeY)
        m_items.push_back({control, rect, layout});
}

void CDynamicLayout::Apply(int cx, int cy,
                           const std::function<void(HWND, const RECT&)>& move) const {
    const int dx = cx - m_cx;
    const int dy = cy - m_cy;
    for (const Item& item : m_items) {
        const int left = item.rect.left + dx * item.layout.moveX / 100;
        const int top = item.rect.top + dy * item.layout.moveY / 100;
        const int width = item.rect.right - item.rect.left + dx * item.layout.sizeX / 100;
        const int height = item.rect.bottom - item.rect.top + dy * item.layout.sizeY / 100;
        move(item.control, RECT{left, top, left + width, top + height});
    }
}
