#pragma once
// The application-wide busy cursor, shown and restored in nested pairs.
//
// The core code asks for it through this interface so it stays free of any window
// toolkit. Until the window layer installs its own, a counting stand-in is in place; it
// shows nothing and only tracks how deeply the pairs are nested.

class IWaitCursorService {
public:
    virtual ~IWaitCursorService() = default;
    virtual void BeginWaitCursor() = 0;
    virtual void EndWaitCursor() = 0;
};

// The counting stand-in: Depth() is the number of begins not yet ended, MaxDepth() the
// deepest nesting seen since the last ResetCounts().
class CCountingWaitCursor : public IWaitCursorService {
public:
    void BeginWaitCursor() override;
    void EndWaitCursor() override;
    int Depth() const { return m_depth; }
    int MaxDepth() const { return m_maxDepth; }
    int Begins() const { return m_begins; }
    void ResetCounts() { m_depth = m_maxDepth = m_begins = 0; }

private:
    int m_depth = 0;
    int m_maxDepth = 0;
    int m_begins = 0;
};

// The service in use. Never null: with no service installed it is a process-wide
// counting stand-in. Installing null puts that stand-in back.
IWaitCursorService& WaitCursorService();
void SetWaitCursorService(IWaitCursorService* service);

// Shows the busy cursor for the lifetime of the object.
class CWaitCursor {
public:
    CWaitCursor() { WaitCursorService().BeginWaitCursor(); }
    ~CWaitCursor() { WaitCursorService().EndWaitCursor(); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
};
