// The dialogs as the templates lay them out: every control where its dialog units put it,
// with its text, and the window sized and framed as its styles say.
#include "tests/ui/UiTestSupport.h"

#include "platform/window/Dialog.h"
#include "platform/window/Resources.h"
#include "platform/window/Styles.h"
#include "res/resource.h"
#include "res/version.h"
#include "ui/RaveZivuredDlg.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTreeView>

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct Units {
    double x; // pixels per horizontal dialog unit
    double y; // pixels per vertical dialog unit
};

// 1/4 of the font's average width of A-Z a-z across, 1/8 of its height down.
Units UnitsOf(const QFont& font) {
    const QFontMetrics metrics(font);
    const double average = metrics.horizontalAdvance(QStringLiteral(
                               "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) /
                           52.0;
    return {std::round(average) / 4.0, metrics.height() / 8.0};
}

int Px(int dlu, double unit) {
    return static_cast<int>(std::lround(dlu * unit));
}

QString TextOf(QWidget* control) {
    if (auto* label = qobject_cast<QLabel*>(control))
        return label->text();
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        return edit->text();
    if (auto* button = qobject_cast<QAbstractButton*>(control))
        return button->text();
    return {};
}

class TemplateLayout : public testing::TestWithParam<UINT> {};

TEST_P(TemplateLayout, ControlsSitWhereTheirDialogUnitsSay) {
    CCancellingChooser chooser;
    const DialogTemplate* tmpl = AfxFindDialogTemplate(GetParam());
    ASSERT_NE(tmpl, nullptr);
    CDialog dialog(GetParam());
    ASSERT_TRUE(dialog.Create(GetParam()));
    QWidget* window = Window(dialog);
    ASSERT_NE(window, nullptr);

    // The classic dialog font is the system's sans-serif at the template's point size.
    EXPECT_EQ(window->font().pointSize(), tmpl->pointSize);
    const Units units = UnitsOf(window->font());
    EXPECT_EQ(window->width(), Px(tmpl->cx, units.x));
    EXPECT_EQ(window->height(), Px(tmpl->cy, units.y));
    // A sizing border lets the window grow from its template's size, never shrink below it.
    EXPECT_EQ(window->minimumSize(), window->size());
    EXPECT_EQ(window->maximumSize() == window->size(), !(tmpl->style & WS_THICKFRAME));
    EXPECT_EQ(window->windowTitle().toStdString(), tmpl->caption);
    EXPECT_EQ(bool(window->windowFlags() & Qt::WindowMinimizeButtonHint),
              bool(tmpl->style & WS_MINIMIZEBOX));
    EXPECT_FALSE(window->windowFlags() & Qt::WindowMaximizeButtonHint);

    const QList<QWidget*> controls = window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    ASSERT_EQ(controls.size(), static_cast<qsizetype>(tmpl->items.size()));
    for (std::size_t i = 0; i < tmpl->items.size(); ++i) {
        const DialogItemTemplate& item = tmpl->items[i];
        QWidget* control = controls[static_cast<qsizetype>(i)];
        SCOPED_TRACE(testing::Message() << "item " << i << " \"" << item.text << "\"");
        EXPECT_EQ(control->x(), Px(item.x, units.x));
        EXPECT_EQ(control->y(), Px(item.y, units.y));
        if (item.kind == ControlKind::Icon) {
            EXPECT_EQ(control->size(), QSize(32, 32)) << "an icon keeps its own size";
            EXPECT_FALSE(qobject_cast<QLabel*>(control)->pixmap().isNull());
            continue;
        }
        EXPECT_EQ(control->width(), Px(item.x + item.cx, units.x) - Px(item.x, units.x));
        EXPECT_EQ(control->height(), Px(item.y + item.cy, units.y) - Px(item.y, units.y));
        if (item.kind != ControlKind::ListView) {
            QString expected = QString::fromUtf8(item.text);
            EXPECT_EQ(TextOf(control), expected);
        }
        if (item.id > 0) {
            EXPECT_EQ(Widget(dialog.GetDlgItem(item.id)), control);
        }
        EXPECT_EQ(control->focusPolicy() == Qt::StrongFocus,
                  bool(item.style & WS_TABSTOP) && item.kind != ControlKind::Static);
    }
    dialog.DestroyWindow();
}

INSTANTIATE_TEST_SUITE_P(EveryDialog, TemplateLayout,
                         testing::Values(IDD_ABOUTBOX, IDD_RAVEZIVURED_DIALOG, IDD_WORKING,
                                         IDD_TRASH_PROGRESS, IDD_TRASH_REPORT, IDD_TRASH_STOPPED));

TEST(MainWindowLayout, ShowsItsTextsAndStartsEmptyWithTheListFocused) {
    CCancellingChooser chooser;
    RunMainWindow([](CRaveZivuredDlg& dlg) {
        QWidget* window = Window(dlg);
        EXPECT_EQ(window->windowTitle(), QStringLiteral("File Manager by ostrel.example"));
        EXPECT_EQ(TextOf(Widget(dlg.GetDlgItem(IDC_WEBSITE))), QStringLiteral(RZ_MAKER_DOMAIN));
        EXPECT_EQ(TextOf(Widget(dlg.GetDlgItem(IDC_BROWSE))), QStringLiteral("..."));
        EXPECT_EQ(TextOf(Widget(dlg.GetDlgItem(IDC_DELETE_FILES))), QStringLiteral("Delete Files"));
        EXPECT_EQ(TextOf(Widget(dlg.GetDlgItem(IDC_FOLDER))), QString());
        EXPECT_EQ(TextOf(Widget(dlg.GetDlgItem(IDC_TOTAL_FILES))), QStringLiteral("0"));
        EXPECT_TRUE(qobject_cast<QLineEdit*>(Widget(dlg.GetDlgItem(IDC_FOLDER)))->isReadOnly());
        EXPECT_TRUE(
            qobject_cast<QLineEdit*>(Widget(dlg.GetDlgItem(IDC_TOTAL_FILES)))->isReadOnly());
        EXPECT_EQ(dlg.GetFocusId(), IDC_EXT_LIST);

        // Tab order is template order.
        QWidget* list = Widget(dlg.GetDlgItem(IDC_EXT_LIST));
        const int order[] = {IDC_FOLDER,       IDC_BROWSE,  IDC_TOTAL_FILES, IDC_TOTAL_SIZE,
                             IDC_DELETE_FILES, IDC_WEBSITE, IDC_EXT_LIST};
        QWidget* at = list;
        for (int id : order) {
            at = at->nextInFocusChain();
            while (at->focusPolicy() != Qt::StrongFocus)
                at = at->nextInFocusChain();
            EXPECT_EQ(at, Widget(dlg.GetDlgItem(id)));
        }

        // The list: four columns (Size shown by default), report view, several rows
        // selectable, grid lines, tool tips.
        auto* view = qobject_cast<QTreeView*>(list);
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(view->header()->count(), 4);
        EXPECT_EQ(view->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Sr"));
        EXPECT_EQ(view->model()->headerData(1, Qt::Horizontal).toString(),
                  QStringLiteral("Extension"));
        EXPECT_EQ(view->model()->headerData(2, Qt::Horizontal).toString(),
                  QStringLiteral("Files Count"));
        EXPECT_EQ(view->model()
                          ->headerData(2, Qt::Horizontal, Qt::TextAlignmentRole)
                          .value<Qt::Alignment>() &
                      Qt::AlignHorizontal_Mask,
                  Qt::AlignHCenter);
        EXPECT_EQ(view->model()->headerData(3, Qt::Horizontal).toString(), QStringLiteral("Size"));
        EXPECT_EQ(view->model()
                          ->headerData(3, Qt::Horizontal, Qt::TextAlignmentRole)
                          .value<Qt::Alignment>() &
                      Qt::AlignHorizontal_Mask,
                  Qt::AlignRight);
        EXPECT_EQ(TextOf(Widget(dlg.GetDlgItem(IDC_TOTAL_SIZE))), QStringLiteral("0 bytes"));
        EXPECT_TRUE(qobject_cast<QLineEdit*>(Widget(dlg.GetDlgItem(IDC_TOTAL_SIZE)))->isReadOnly());
        EXPECT_EQ(view->selectionMode(), QAbstractItemView::ExtendedSelection);
        EXPECT_EQ(dlg.m_listExt.GetExtendedStyle(),
                  LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
        EXPECT_FALSE(view->isSortingEnabled());
    });
}

} // namespace
