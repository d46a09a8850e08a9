#pragma once
// ITrashDisplays on the window layer's dialogs (the Windows build): a CTrashProgressWnd
// between BeginProgress and EndProgress, a CTrashReportWnd (or, for a refused request, a
// message box with the executor's error) run modally for ShowReport. Both are owned by
// owner (may be null), which takes no input meanwhile.
#include "ui/trash/TrashProgressWnd.h"
#include "ui/trash/TrashRequest.h"

#include <memory>

class CTrashWindows : public ITrashDisplays {
public:
    explicit CTrashWindows(CDialog* owner) : m_pOwner(owner) {}
    ~CTrashWindows() override;
    CTrashWindows(const CTrashWindows&) = delete;
    CTrashWindows& operator=(const CTrashWindows&) = delete;

    void BeginProgress(TrashWork work, std::size_t total) override;
    // Shows the numbers and the name, then lets waiting messages through (paints, Stop,
    // Esc, the close box). False once the user asked to stop, or when the window is gone.
    bool UpdateProgress(std::size_t done, std::size_t total, std::string_view path) override;
    void EndProgress() override;
    void ShowReport(const TrashReport& report) override;

private:
    CDialog* m_pOwner;
    std::unique_ptr<CTrashProgressWnd> m_progress;
    BOOL m_ownerWasDisabled = FALSE;
};
