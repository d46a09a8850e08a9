#pragma once
// The busy cursor of the window layer: the toolkit's application-wide override cursor,
// set once at the outermost begin and restored at the matching end.
#include "platform/core/WaitCursor.h"

class CQtWaitCursor : public IWaitCursorService {
public:
    void BeginWaitCursor() override;
    void EndWaitCursor() override;
    int Depth() const { return m_depth; }

private:
    int m_depth = 0;
};
