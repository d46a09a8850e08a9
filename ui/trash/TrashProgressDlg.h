#pragma once
// The window shown while a long delete moves files to the trash, or an undo puts them back.
#include "platform/core/TrashReport.h"

#include <QDialog>

#include <cstddef>
#include <string_view>

class QLabel;
class QProgressBar;
class QPushButton;

// Shows what is being done ("Moving files to the trash..." or "Putting files back..."),
// "done of total", a bar, the name and folder of the file being moved, and a Stop
// button. Stop, Esc and the close box do not close the window: they set StopRequested()
// and the request ends at the next file boundary, after which the owner of the window
// deletes it. Application-modal while shown.
class CTrashProgressDlg : public QDialog {
    Q_OBJECT

public:
    CTrashProgressDlg(QWidget* parent, const QString& caption, TrashWork work = TrashWork::Delete);

    // done files handled of total; path = the next file's bytes (empty: none yet).
    void SetProgress(std::size_t done, std::size_t total, std::string_view path);
    bool StopRequested() const { return m_stopRequested; }

    QPushButton* StopButton() const { return m_stop; }
    QString CountText() const;
    QString NameText() const;
    QString FolderText() const;

    // Esc and the close box end up here (QDialog routes both through reject).
    void reject() override;

private:
    void RequestStop();

    QLabel* m_count;
    QProgressBar* m_bar;
    QLabel* m_name;
    QLabel* m_folder;
    QPushButton* m_stop;
    bool m_stopRequested = false;
};
