#include "platform/qt/DialogControls.h"

#include "platform/qt/Handles.h"
#include "platform/qt/ListView.h"
#include "platform/qt/QtText.h"
#include "platform/window/Styles.h"
#include "platform/window/WinApp.h"

#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpressionValidator>

#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

QString TextOf(const DialogItemTemplate& item) {
    return ToQString(item.text ? item.text : "");
}

QWidget* MakeListView(const DialogItemTemplate& item, const ControlBuildContext& context) {
    return new CListViewWidget(context.window, item.style);
}

// A label of SS_PATHELLIPSIS: one line that shortens its text in the middle to its width
// rather than wrapping it; text() and the tooltip hold the whole text.
class CEllipsisLabel final : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QRect area = contentsRect();
        const QString shown = fontMetrics().elidedText(text(), Qt::ElideMiddle, area.width());
        painter.drawText(area, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, shown);
        const QString tip = shown == text() ? QString() : text();
        if (toolTip() != tip)
            setToolTip(tip);
    }
};

QWidget* MakeLabel(const DialogItemTemplate& item, const ControlBuildContext& context) {
    const bool ellipsis = item.style & SS_PATHELLIPSIS;
    QLabel* label = ellipsis ? new CEllipsisLabel(TextOf(item), context.window)
                             : new QLabel(TextOf(item), context.window);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(!ellipsis);
    return label;
}

QWidget* MakeProgress(const DialogItemTemplate&, const ControlBuildContext& context) {
    auto* bar = new QProgressBar(context.window);
    bar->setTextVisible(false);
    // The classic control starts at 0 of 0..100.
    bar->setRange(0, 100);
    bar->setValue(0);
    return bar;
}

QWidget* MakeIcon(const DialogItemTemplate& item, const ControlBuildContext& context) {
    auto* label = new QLabel(context.window);
    // The item's text is the icon's resource id in decimal.
    if (CWinApp* app = AfxGetApp())
        if (HICON icon = app->LoadIcon(static_cast<UINT>(std::atoi(item.text ? item.text : ""))))
            label->setPixmap(IconOf(icon)->pixmap(QSize(kIconControlSize, kIconControlSize)));
    return label;
}

QWidget* MakeEdit(const DialogItemTemplate& item, const ControlBuildContext& context) {
    auto* edit = new QLineEdit(TextOf(item), context.window);
    edit->setReadOnly(item.style & ES_READONLY);
    edit->setFrame(item.style & WS_BORDER);
    if (item.style & ES_NUMBER)
        edit->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
    return edit;
}

QWidget* MakePushButton(const DialogItemTemplate& item, const ControlBuildContext& context) {
    auto* button = new QPushButton(TextOf(item), context.window);
    // Enter is the dialog's business (CDialogWindow), not the button's.
    button->setAutoDefault(false);
    button->setDefault(item.style & BS_DEFPUSHBUTTON);
    QObject::connect(button, &QPushButton::clicked, context.window,
                     [clicked = context.clicked, id = item.id, button] { clicked(id, button); });
    return button;
}

bool TakesFocus(const DialogItemTemplate& item) {
    return item.kind != ControlKind::Static && item.kind != ControlKind::Icon &&
           item.kind != ControlKind::Progress;
}

// A label's "&x" marks x; "&&" is a literal ampersand.
bool HasMnemonic(const DialogItemTemplate& item) {
    return item.kind == ControlKind::Static && !(item.style & SS_NOPREFIX) && item.text &&
           std::strchr(item.text, '&');
}

QString WithoutMnemonic(const QString& text) {
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&' && i + 1 < text.size())
            ++i;
        out += text[i];
    }
    return out;
}

} // namespace

QWidget* MakeControl(const DialogItemTemplate& item, const ControlBuildContext& context) {
    using Factory = QWidget* (*)(const DialogItemTemplate&, const ControlBuildContext&);
    static constexpr std::pair<ControlKind, Factory> kFactories[] = {
        {ControlKind::ListView, MakeListView},
        {ControlKind::Static, MakeLabel},
        {ControlKind::Icon, MakeIcon},
        {ControlKind::Edit, MakeEdit},
        {ControlKind::PushButton, MakePushButton},
        {ControlKind::Progress, MakeProgress},
    };
    Factory factory = MakeLabel;
    for (const auto& [kind, make] : kFactories)
        if (kind == item.kind)
            factory = make;
    QWidget* control = factory(item, context);
    QRect geometry = context.toPixels(item);
    // An icon control takes the icon's own size, whatever the template says.
    if (item.kind == ControlKind::Icon)
        geometry.setSize(QSize(kIconControlSize, kIconControlSize));
    control->setGeometry(geometry);
    control->setProperty(kControlIdProperty, item.id);
    control->setProperty(kControlBytesProperty, QByteArray(item.text ? item.text : ""));
    return control;
}

QWidget* ApplyTabOrderAndMnemonics(const DialogTemplate& tmpl,
                                   const std::vector<QWidget*>& widgets) {
    QWidget* first = nullptr;
    QWidget* previous = nullptr;
    for (std::size_t i = 0; i < tmpl.items.size(); ++i) {
        const DialogItemTemplate& item = tmpl.items[i];
        QWidget* control = widgets[i];
        if (!TakesFocus(item)) {
            control->setFocusPolicy(Qt::NoFocus);
            continue;
        }
        if (!(item.style & WS_TABSTOP)) {
            control->setFocusPolicy(Qt::ClickFocus);
            continue;
        }
        control->setFocusPolicy(Qt::StrongFocus);
        if (previous)
            QWidget::setTabOrder(previous, control);
        previous = control;
        if (!first)
            first = control;
    }

    for (std::size_t i = 0; i < tmpl.items.size(); ++i) {
        if (!HasMnemonic(tmpl.items[i]))
            continue;
        auto* label = static_cast<QLabel*>(widgets[i]);
        QWidget* buddy = nullptr;
        for (std::size_t j = i + 1; j < tmpl.items.size() && !buddy; ++j)
            if (TakesFocus(tmpl.items[j]) && (tmpl.items[j].style & WS_TABSTOP))
                buddy = widgets[j];
        if (buddy) {
            label->setTextFormat(Qt::AutoText);
            label->setBuddy(buddy);
        } else {
            label->setText(WithoutMnemonic(label->text()));
        }
    }
    return first;
}
