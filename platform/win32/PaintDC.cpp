#include "platform/window/PaintDC.h"

#include "platform/window/Dialog.h"

struct CPaintDC::Impl {
    HWND window = nullptr;
    PAINTSTRUCT paint{};
};

CPaintDC::CPaintDC(CDialog* window) : d(std::make_unique<Impl>()) {
    d->window = window ? window->GetSafeHwnd() : nullptr;
    if (d->window)
        m_hDC = BeginPaint(d->window, &d->paint);
}

CPaintDC::~CPaintDC() {
    if (m_hDC)
        EndPaint(d->window, &d->paint);
}

BOOL CPaintDC::DrawIcon(int x, int y, HICON icon) {
    return m_hDC && icon && ::DrawIcon(m_hDC, x, y, icon) ? TRUE : FALSE;
}
