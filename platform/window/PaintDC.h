#pragma once
// Painting inside a WM_PAINT handler, and the system metrics painting asks for.
#include "platform/window/WinDefs.h"

#include <memory>

class CDialog;

// Paints on the window for the duration of the object. Outside the dispatch of WM_PAINT
// there is nothing to paint, and the drawing calls do nothing.
class CPaintDC {
public:
    explicit CPaintDC(CDialog* window);
    ~CPaintDC();
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;

    HDC GetSafeHdc() const { return m_hDC; }
    // Draws icon at its standard size (SM_CXICON by SM_CYICON) with its top left at x, y.
    BOOL DrawIcon(int x, int y, HICON icon);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
    HDC m_hDC = nullptr;
};

#ifndef _WIN32
// The sizes painting and placing windows ask for (SM_CXICON, ..., SM_CXSCREEN: the width of
// the main screen); on Windows the system's own call.
int GetSystemMetrics(int index);
#endif
