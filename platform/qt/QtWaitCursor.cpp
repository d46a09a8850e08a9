#include "platform/qt/QtWaitCursor.h"

#include <QCursor>
#include <QGuiApplication>

void CQtWaitCursor::BeginWaitCursor() {
    if (m_depth++ == 0 && qGuiApp)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

void CQtWaitCursor::EndWaitCursor() {
    if (m_depth == 0)
        return;
    if (--m_depth == 0 && qGuiApp)
        QGuiApplication::restoreOverrideCursor();
}
