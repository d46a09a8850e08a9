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

namespace {
CServiceSlot<IWaitCursorService>& Slot() {
    static CCountingWaitCursor standIn;
    static CServiceSlot<IWaitCursorService> slot(standIn);
    return slot;
}
} // namespace

IWaitCursorService& WaitCursorService() {
    return Slot().Get();
}

void SetWaitCursorService(IWaitCursorService* service) {
    Slot().Install(service);
}
