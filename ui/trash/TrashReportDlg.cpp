#include "ui/trash/TrashReportDlg.h"

#include "ui/trash/TrashDisplays.h"
#include "ui/trash/TrashTexts.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

namespace {

// The files that could not be moved, as rows; a model rather than one item per row so that
// a report of many thousands opens at once.
class NotTrashedModel : public QAbstractTableModel {
public:
    NotTrashedModel(const TrashReport& report, QObject* parent) : QAbstractTableModel(parent) {
        for (const TrashResult* r : TrashReportRows(report))
            m_rows.push_back({TrashDisplayText(r->path),
                              QByteArray(r->path.data(), static_cast<qsizetype>(r->path.size())),
                              QString::fromStdString(r->reason),
                              QString::fromStdString(r->detail)});
    }

    int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
    }
    int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : 2; }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= static_cast<int>(m_rows.size()))
            return {};
        const Row& row = m_rows[static_cast<std::size_t>(index.row())];
        const bool file = index.column() == CTrashReportDlg::FileColumn;
        switch (role) {
        case Qt::DisplayRole:
            return file ? row.shown : row.reason;
        case Qt::ToolTipRole:
            if (file)
                return row.shown;
            return row.detail.isEmpty() ? row.reason : row.reason + "\n" + row.detail;
        case Qt::UserRole:
            return row.bytes;
        default:
            return {};
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return {};
        return section == CTrashReportDlg::FileColumn ? CTrashReportDlg::tr("File")
                                                      : CTrashReportDlg::tr("Reason");
    }

private:
    struct Row {
        QString shown;
        QByteArray bytes;
        QString reason;
        QString detail;
    };
    std::vector<Row> m_rows;
};

} // namespace

QString TrashHeadingText(const TrashReport& report) {
    return QString::fromStdString(TrashHeading(report));
}

QString TrashSummaryText(TrashWork work, std::size_t moved, std::size_t failed,
                         std::size_t stopped) {
    return QString::fromStdString(TrashSummary(work, moved, failed, stopped));
}

CTrashReportDlg::CTrashReportDlg(const TrashReport& report, QWidget* parent, const QString& caption)
    : QDialog(parent) {
    setWindowTitle(caption);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setSizeGripEnabled(true);

    auto* icon = new QLabel(this);
    const int iconSize = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    icon->setPixmap(style()
                        ->standardIcon(QStyle::SP_MessageBoxWarning, nullptr, this)
                        .pixmap(iconSize, iconSize));
    icon->setAlignment(Qt::AlignTop);

    m_heading = new QLabel(TrashHeadingText(report), this);
    QFont bold = m_heading->font();
    bold.setBold(true);
    m_heading->setFont(bold);
    m_summary = new QLabel(QString::fromStdString(TrashSummary(report)), this);
    m_summary->setWordWrap(true);
    auto* texts = new QVBoxLayout;
    texts->addWidget(m_heading);
    texts->addWidget(m_summary);
    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addSpacing(8);
    top->addLayout(texts, 1);

    auto* model = new NotTrashedModel(report, this);
    m_list = new QTreeView(this);
    m_list->setModel(model);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAlternatingRowColors(true);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setTextElideMode(Qt::ElideMiddle);
    m_list->header()->setStretchLastSection(false);
    m_list->header()->setSectionResizeMode(FileColumn, QHeaderView::Stretch);
    m_list->header()->setSectionResizeMode(ReasonColumn, QHeaderView::Interactive);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // Enter or Space dismisses the report at once, as in a message box.
    buttons->button(QDialogButtonBox::Close)->setDefault(true);
    buttons->button(QDialogButtonBox::Close)->setFocus();

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addSpacing(4);
    layout->addWidget(m_list, 1);
    layout->addWidget(buttons);

    if (model->rowCount({}) == 0) {
        // Only stopped: the summary says it all.
        m_list->hide();
        resize(std::max(560, sizeHint().width()), sizeHint().height());
        return;
    }
    SizeForRows(parent);
}

// Wide enough for the longest path shown (within most of the screen), tall enough for up
// to 14 rows; a longer list scrolls. Widths are measured on the first rows only, so a
// report of many thousands opens at once.
void CTrashReportDlg::SizeForRows(QWidget* parent) {
    const QAbstractItemModel* model = m_list->model();
    const QFontMetrics metrics = m_list->fontMetrics();
    const int rows = model->rowCount({});
    const int padding = 3 * metrics.averageCharWidth();
    int pathWidth = 0;
    int reasonWidth = m_list->header()->sectionSizeHint(ReasonColumn);
    for (int row = 0; row < std::min(rows, 500); ++row) {
        pathWidth = std::max(
            pathWidth, metrics.horizontalAdvance(model->index(row, FileColumn).data().toString()));
        reasonWidth =
            std::max(reasonWidth,
                     metrics.horizontalAdvance(model->index(row, ReasonColumn).data().toString()));
    }
    m_list->header()->resizeSection(ReasonColumn, reasonWidth + padding);

    const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    const int maxWidth = screen ? screen->availableGeometry().width() * 4 / 5 : 1000;
    const int chrome = sizeHint().width() - m_list->sizeHint().width() + 2 * m_list->frameWidth() +
                       m_list->verticalScrollBar()->sizeHint().width();
    const int width =
        std::clamp(pathWidth + reasonWidth + 2 * padding + chrome, 560, std::max(560, maxWidth));
    const int rowHeight =
        m_list->sizeHintForRow(0) > 0 ? m_list->sizeHintForRow(0) : metrics.height() + 4;
    const int listHeight = rowHeight * std::clamp(rows, 6, 14) +
                           m_list->header()->sizeHint().height() + 2 * m_list->frameWidth();
    resize(width, sizeHint().height() - m_list->sizeHint().height() + listHeight);
}

QString CTrashReportDlg::HeadingText() const {
    return m_heading->text();
}
QString CTrashReportDlg::SummaryText() const {
    return m_summary->text();
}
