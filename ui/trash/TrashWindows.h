#pragma once
// The windows a delete or an undo shows, on the window layer's dialogs: a
// CTrashProgressWnd between BeginProgress and EndProgress, which takes the program's input
// while it stands, and for ShowReport a CTrashReportWnd (or, for a refused request, a
// message box with the executor's error) run modally over the owner. Each is owned by
// owner (null: the application's main window) and captioned with the application title.
#include "ui/trash/TrashProgressWnd.h"
#include "ui/trash/TrashRequest.h"

#include <memory>

class CTrashWindows : public ITrashDisplays {
public:
    explicit CTrashWindows(CDialog* owner) : m_pOwner(owner) {}
    ~CTrashWindows() override;
    CTrashWindows(const CTrashWindows&) = delete;
    CTrashWindows& operator=(const CTrashWindows&) = delete;

    // With an owner whose window has gone meanwhile, nothing is shown.
    void BeginProgress(TrashWork work, std::size_t total) override;
    // Shows the numbers and the name, then lets waiting messages through (paints, Stop,
    // Esc, the close box). False once the user asked to stop, or when the window is gone.
    bool UpdateProgress(std::size_t done, std::size_t total, std::string_view path) override;
    void EndProgress() override;
    // Returns once the user has closed the report. Nothing when every file was moved and
    // every folder read, or when the owner's window has gone.
    void ShowReport(const TrashReport& report) override;

    // The progress window while it is up, else null.
    CTrashProgressWnd* ProgressWindow() const { return m_progress.get(); }

private:
    CDialog* m_pOwner;
    std::unique_ptr<CTrashProgressWnd> m_progress;

    bool OwnerGone() const;
};
