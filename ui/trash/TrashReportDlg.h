#pragma once
// The report after a delete request: every file that was not moved to the trash, with why.
#include "platform/core/ShellRequest.h"

#include <QDialog>

class QLabel;
class QTreeView;

// Lists each file of report that was not trashed, in request order, with its reason in
// plain words; trashed files are not listed. The path is shown with TrashDisplayText
// (its exact bytes are in the rows' Qt::UserRole as a QByteArray), the system's own
// message, if any, in the row's tooltip. Sized for a handful of rows, scrolling for
// thousands. Closed with its Close button, Esc or the close box.
class CTrashReportDlg : public QDialog {
    Q_OBJECT

public:
    enum Column { FileColumn, ReasonColumn };

    CTrashReportDlg(const TrashReport& report, QWidget* parent, const QString& caption);

    QString HeadingText() const;
    QString SummaryText() const;
    QTreeView* List() const { return m_list; }

private:
    QLabel* m_heading;
    QLabel* m_summary;
    QTreeView* m_list;
};

// "N of M files were moved to the trash; K were not." with singulars where they apply.
QString TrashSummaryText(std::size_t trashed, std::size_t requested);
