#include "platform/core/WaitCursor.h"

#include "platform/core/ServiceSlot.h"

#include <algorithm>

void CCountingWaitCursor::BeginWaitCursor() {
    ++m_begins;
    m_maxDepth = std::max(m_maxDepth, ++m_depth);
}

void CCountingWaitCursor::EndWaitCursor() {
    if (m_depth > 0)
        --m_depth;
}

IWaitCursorService& WaitCursorService() {
    return StaticServiceSlot<IWaitCursorService, CCountingWaitCursor>().Get();
}

void SetWaitCursorService(IWaitCursorService* service) {
    StaticServiceSlot<IWaitCursorService, CCountingWaitCursor>().Install(service);
}
