#include "platform/window/MessagePump.h"

#include <QCoreApplication>
#include <QEventLoop>

void AfxPumpWaitingMessages() {
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}
