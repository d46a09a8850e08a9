#include "ui/trash/TrashProgressDlg.h"

#include "ui/trash/TrashDisplays.h"
#include "ui/trash/TrashTexts.h"

#include <QDialogButtonBox>
#include <QFont>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// A one-line label that shortens its text in the middle to its width instead of growing
// the window; the whole text is in the tooltip.
class ElidingLabel : public QLabel {
public:
    using QLabel::QLabel;

    void SetFullText(const QString& text) {
        if (text == m_full)
            return;
        m_full = text;
        setToolTip(text);
        update();
    }
    const QString& FullText() const { return m_full; }

    QSize minimumSizeHint() const override { return {0, fontMetrics().height()}; }
    QSize sizeHint() const override { return {0, fontMetrics().height()}; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QRect area = contentsRect();
        painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter,
                         fontMetrics().elidedText(m_full, Qt::ElideMiddle, area.width()));
    }

private:
    QString m_full;
};

ElidingLabel* Eliding(QLabel* label) {
    return static_cast<ElidingLabel*>(label);
}

} // namespace

CTrashProgressDlg::CTrashProgressDlg(QWidget* parent, const QString& caption, TrashWork work)
    : QDialog(parent) {
    setWindowTitle(caption);
    setWindowModality(Qt::ApplicationModal);
    // Only a close box: no help button, and nothing that would resize it to a full screen.
    setWindowFlags((windowFlags() | Qt::CustomizeWindowHint | Qt::WindowCloseButtonHint |
                    Qt::WindowTitleHint) &
                   ~(Qt::WindowContextHelpButtonHint | Qt::WindowMaximizeButtonHint));

    auto* heading = new QLabel(QString::fromStdString(TrashProgressHeading(work)), this);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);

    m_bar = new QProgressBar(this);
    m_bar->setTextVisible(false);
    m_count = new QLabel(this);
    m_name = new ElidingLabel(this);
    m_folder = new ElidingLabel(this);
    QPalette quiet = m_folder->palette();
    quiet.setColor(QPalette::WindowText, quiet.color(QPalette::PlaceholderText));
    m_folder->setPalette(quiet);

    m_stop = new QPushButton(tr("Stop"), this);
    m_stop->setAutoDefault(false);
    connect(m_stop, &QPushButton::clicked, this, [this] { RequestStop(); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_stop);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addSpacing(4);
    layout->addWidget(m_bar);
    layout->addWidget(m_count);
    layout->addSpacing(4);
    layout->addWidget(m_name);
    layout->addWidget(m_folder);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // Wide enough for a typical name, fixed so the window does not jump as names change.
    const int width = std::max(420, fontMetrics().averageCharWidth() * 64);
    m_bar->setFixedWidth(width);
}

void CTrashProgressDlg::SetProgress(std::size_t done, std::size_t total, std::string_view path) {
    // The bar counts in per mille so that totals beyond int still fit.
    m_bar->setRange(0, 1000);
    m_bar->setValue(total == 0 ? 0 : static_cast<int>(done * 1000 / total));
    m_count->setText(tr("%1 of %2 files done").arg(done).arg(total));

    const std::size_t slash = path.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const std::string_view folder = slash == std::string_view::npos
                                        ? std::string_view{}
                                        : path.substr(0, std::max<std::size_t>(slash, 1));
    Eliding(m_name)->SetFullText(TrashDisplayText(name));
    Eliding(m_folder)->SetFullText(folder.empty() ? QString()
                                                  : tr("in %1").arg(TrashDisplayText(folder)));
}

QString CTrashProgressDlg::CountText() const {
    return m_count->text();
}
QString CTrashProgressDlg::NameText() const {
    return Eliding(m_name)->FullText();
}
QString CTrashProgressDlg::FolderText() const {
    return Eliding(m_folder)->FullText();
}

void CTrashProgressDlg::reject() {
    RequestStop();
}

void CTrashProgressDlg::RequestStop() {
    if (m_stopRequested)
        return;
    m_stopRequested = true;
    m_stop->setEnabled(false);
    m_count->setText(tr("Stopping after the current file..."));
}
