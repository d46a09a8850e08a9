#include "platform/WaitCursor.h"

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
CCountingWaitCursor g_standIn;
IWaitCursorService* g_service = &g_standIn;
} // namespace

IWaitCursorService& WaitCursorService() {
    return *g_service;
}

void SetWaitCursorService(IWaitCursorService* service) {
    g_service = service ? service : &g_standIn;
}
