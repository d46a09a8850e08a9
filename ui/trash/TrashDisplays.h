#pragma once
// The windows a delete or an undo shows: progress while it runs, a report when something
// was not moved.
#include "ui/trash/TrashProgressDlg.h"
#include "ui/trash/TrashRequest.h"

#include <QPointer>
#include <QString>

#include <memory>
#include <string_view>

class QDialog;
class QWidget;

// A file name's bytes as text for the screen: bytes that are not valid UTF-8 and control
// characters (a newline in a name) become U+FFFD. For display only; never turn the result
// back into a path.
QString TrashDisplayText(std::string_view bytes);

// The window that reports report to the user, owned by owner and captioned caption, not
// yet shown: for a refused request a warning with the executor's error; when some file was
// not moved (stopped included) a CTrashReportDlg; otherwise (everything moved, or nothing
// requested) null.
std::unique_ptr<QDialog> MakeTrashReportWindow(const TrashReport& report, QWidget* owner,
                                               const QString& caption);

// ITrashDisplays with windows: a CTrashProgressDlg between BeginProgress and EndProgress,
// and the window of MakeTrashReportWindow, run modally, for ShowReport. Both are owned by
// owner (may be null) and application-modal.
class CTrashDisplays : public ITrashDisplays {
public:
    // An empty caption stands for the application title (CWinApp), as on every window of
    // the program.
    explicit CTrashDisplays(QWidget* owner, QString caption = {});
    ~CTrashDisplays() override;
    CTrashDisplays(const CTrashDisplays&) = delete;
    CTrashDisplays& operator=(const CTrashDisplays&) = delete;

    void BeginProgress(TrashWork work, std::size_t total) override;
    // Shows the numbers and the name, then handles pending events (paints, the Stop
    // button, Esc, the close box). False once the user asked to stop, or when the window
    // is gone.
    bool UpdateProgress(std::size_t done, std::size_t total, std::string_view path) override;
    void EndProgress() override;
    void ShowReport(const TrashReport& report) override;

    // The progress window while it is up, else null.
    CTrashProgressDlg* ProgressWindow() const { return m_progress.data(); }

private:
    QPointer<QWidget> m_owner;
    bool m_hadOwner;
    QString m_caption;
    QPointer<CTrashProgressDlg> m_progress;
};
