#include "platform/window/PaintDC.h"

#include "platform/qt/DialogWindow.h"
#include "platform/qt/Handles.h"
#include "platform/window/Dialog.h"

#include <QGuiApplication>
#include <QIcon>
#include <QPainter>
#include <QScreen>

struct CPaintDC::Impl {
    QPainter* painter = nullptr;
};

CPaintDC::CPaintDC(CDialog* window) : d(std::make_unique<Impl>()) {
    // Painting happens only inside the window's paint event, whose painter is borrowed.
    auto* widget = dynamic_cast<CDialogWindow*>(WidgetOf(window ? window->GetSafeHwnd() : nullptr));
    if (widget)
        d->painter = widget->CurrentPainter();
    m_hDC = HandleOf(d->painter);
}

CPaintDC::~CPaintDC() = default;

BOOL CPaintDC::DrawIcon(int x, int y, HICON icon) {
    if (!d->painter || !icon)
        return FALSE;
    const QSize size(GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
    d->painter->drawPixmap(x, y, IconOf(icon)->pixmap(size));
    return TRUE;
}

int GetSystemMetrics(int index) {
    switch (index) {
    case SM_CXICON:
    case SM_CYICON:
        return 32;
    case SM_CXSMICON:
    case SM_CYSMICON:
        return 16;
    case SM_CXSCREEN: {
        const QScreen* screen = QGuiApplication::primaryScreen();
        return screen ? screen->geometry().width() : 0;
    }
    default:
        return 0;
    }
}
