#pragma once
// The report after a delete or an undo: every file that could not be moved, with why.
#include "platform/core/TrashReport.h"

#include <QDialog>

class QLabel;
class QTreeView;

// Lists each file of report that could not be moved, in request order, with its reason
// in plain words, then each folder that was not read (TrashReportRows); files moved, and
// files not reached because the user stopped, are not listed (the summary counts them),
// and without a failure there is no list. The path is shown with
// TrashDisplayText (its exact bytes are in the rows' Qt::UserRole as a QByteArray), the system's
// own message, if any, in the row's tooltip. Sized for a handful of rows, scrolling for thousands.
// Closed with its Close button, Esc or the close box.
class CTrashReportDlg : public QDialog {
    Q_OBJECT

public:
    enum Column { FileColumn, ReasonColumn };

    CTrashReportDlg(const TrashReport& report, QWidget* parent, const QString& caption);

    QString HeadingText() const;
    QString SummaryText() const;
    QTreeView* List() const { return m_list; }

private:
    void SizeForRows(QWidget* parent);

    QLabel* m_heading;
    QLabel* m_summary;
    QTreeView* m_list;
};

// The heading: "Some files were not moved to the trash" ("... put back" for an undo), or
// "The delete was stopped" ("The undo was stopped") when nothing but the stop kept files.
QString TrashHeadingText(const TrashReport& report);

// "M of N files were moved to the trash; F were not." ("put back" for an undo), with the
// files not reached because of a stop counted apart ("...; S were not moved because the
// delete was stopped."), numbers with thousands separators, singulars where they apply.
QString TrashSummaryText(TrashWork work, std::size_t moved, std::size_t failed,
                         std::size_t stopped);
