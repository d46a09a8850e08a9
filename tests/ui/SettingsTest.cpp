// The column widths and the folder kept between runs in the settings store.
#include "tests/ui/UiTestSupport.h"

#include "platform/window/Menu.h"
#include "platform/window/WinApp.h"
#include "res/resource.h"
#include "ui/RaveZivuredDlg.h"

#include <QFile>
#include <QHeaderView>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

#include <array>

namespace {

class Settings : public testing::Test {
protected:
    void SetUp() override { ClearSettings(); }
    CCancellingChooser chooser;
};

std::array<int, 3> ColumnWidths(CRaveZivuredDlg& dlg) {
    return {dlg.m_listExt.GetColumnWidth(0), dlg.m_listExt.GetColumnWidth(1),
            dlg.m_listExt.GetColumnWidth(2)};
}

QHeaderView* Header(CRaveZivuredDlg& dlg) {
    return qobject_cast<QTreeView*>(Widget(dlg.GetDlgItem(IDC_EXT_LIST)))->header();
}

TEST_F(Settings, FirstRunUsesDefaultsAndAWidenedColumnComesBackNextRun) {
    RunMainWindow([](CRaveZivuredDlg& dlg) {
        EXPECT_EQ(ColumnWidths(dlg), (std::array<int, 3>{30, 125, 125}));
        // The user drags "Extension" wider.
        Header(dlg)->resizeSection(1, 200);
    });
    EXPECT_EQ(StoredSetting("Column1").toInt(), 200);

    RunMainWindow([](CRaveZivuredDlg& dlg) {
        EXPECT_EQ(ColumnWidths(dlg), (std::array<int, 3>{30, 200, 125}));
    });
}

// "Show Sizes" (on at first) and the Size column's width, Column3, come back next run, the
// width also when the column was hidden; the window menu's item shows the state.
TEST_F(Settings, ShowSizesAndTheSizeColumnsWidthComeBackNextRun) {
    const auto sizesItem = [](CRaveZivuredDlg& dlg) {
        for (const CMenu::Item& item : dlg.GetSystemMenu(FALSE)->Items())
            if (item.id == IDM_SHOW_SIZES)
                return item;
        ADD_FAILURE() << "no Show Sizes item";
        return CMenu::Item{};
    };
    RunMainWindow([&](CRaveZivuredDlg& dlg) {
        EXPECT_TRUE(dlg.SizesShown());
        EXPECT_TRUE(sizesItem(dlg).checked);
        EXPECT_EQ(Header(dlg)->count(), 4);
        EXPECT_EQ(dlg.m_listExt.GetColumnWidth(3), 90);
        Header(dlg)->resizeSection(3, 150);
        dlg.SendMessage(WM_SYSCOMMAND, IDM_SHOW_SIZES);
        EXPECT_FALSE(dlg.SizesShown());
        EXPECT_FALSE(sizesItem(dlg).checked);
        EXPECT_EQ(Header(dlg)->count(), 3);
    });
    EXPECT_EQ(StoredSetting("ShowSizes").toInt(), 0);
    EXPECT_EQ(StoredSetting("Column3").toInt(), 150);
    EXPECT_EQ(StoredSetting("Column2").toInt(), 125);

    RunMainWindow([&](CRaveZivuredDlg& dlg) {
        EXPECT_FALSE(dlg.SizesShown());
        EXPECT_FALSE(sizesItem(dlg).checked);
        EXPECT_EQ(Header(dlg)->count(), 3);
        dlg.SendMessage(WM_SYSCOMMAND, IDM_SHOW_SIZES);
        EXPECT_TRUE(sizesItem(dlg).checked);
        EXPECT_EQ(Header(dlg)->count(), 4);
        EXPECT_EQ(dlg.m_listExt.GetColumnWidth(3), 150);
    });
    EXPECT_EQ(StoredSetting("ShowSizes").toInt(), 1);
    EXPECT_EQ(StoredSetting("Column3").toInt(), 150);
}

struct StoredWidth {
    const char* name;
    QVariant stored;
    int expected;
};

void PrintTo(const StoredWidth& c, std::ostream* os) {
    *os << c.name;
}

class StoredWidths : public Settings, public testing::WithParamInterface<StoredWidth> {};

TEST_P(StoredWidths, OnlyWholeNonNegativeNumbersAreUsed) {
    const StoredWidth& c = GetParam();
    StoreSetting("Column2", c.stored);
    RunMainWindow([&](CRaveZivuredDlg& dlg) {
        EXPECT_EQ(dlg.m_listExt.GetColumnWidth(2), c.expected);
        EXPECT_EQ(dlg.m_listExt.GetColumnWidth(0), 30);
    });
}

INSTANTIATE_TEST_SUITE_P(
    Values, StoredWidths,
    testing::Values(StoredWidth{"number", QVariant(77), 77}, StoredWidth{"zero", QVariant(0), 0},
                    StoredWidth{"negative", QVariant(-5), 125},
                    StoredWidth{"negativeText", QVariant(QStringLiteral("-40")), 125},
                    StoredWidth{"word", QVariant(QStringLiteral("wide")), 125},
                    StoredWidth{"unit", QVariant(QStringLiteral("90px")), 125},
                    StoredWidth{"fraction", QVariant(QStringLiteral("90.5")), 125},
                    StoredWidth{"empty", QVariant(QString()), 125},
                    StoredWidth{"tooBig", QVariant(QStringLiteral("2147483648")), 125},
                    StoredWidth{"wide", QVariant(QStringLiteral("4000")), 4000}),
    [](const testing::TestParamInfo<StoredWidth>& info) { return info.param.name; });

TEST_F(Settings, ClosingWritesEveryColumnAndTheFolderEvenWhenEmpty) {
    RunMainWindow([](CRaveZivuredDlg& dlg) { QTest::keyClick(Window(dlg), Qt::Key_Escape); });
    EXPECT_EQ(StoredSetting("Column0").toInt(), 30);
    EXPECT_EQ(StoredSetting("Column1").toInt(), 125);
    EXPECT_EQ(StoredSetting("Column2").toInt(), 125);
    ASSERT_TRUE(HasSetting("FolderPath"));
    EXPECT_EQ(StoredSetting("FolderPath").toString(), QString());

    // Where the store lives: under the company key, then the application title.
    QFile file(SettingsFilePath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << SettingsFilePath().toStdString();
    const QByteArray text = file.readAll();
    EXPECT_TRUE(text.contains("[Settings]"));
    EXPECT_TRUE(text.contains("Column0=30"));
    EXPECT_TRUE(text.contains("FolderPath="));
}

TEST_F(Settings, AFolderNameThatIsNotUtf8IsStoredByteForByte) {
    // Enter ends the dialog through OK, which reads the folder field back first: the
    // bytes must survive both the field and the store.
    const CString folder("/tmp/caf\xe9-\xff\xfe");
    RunMainWindow([&](CRaveZivuredDlg& dlg) {
        dlg.m_strFolder = folder;
        dlg.UpdateData(FALSE);
        QTest::keyClick(Widget(dlg.GetDlgItem(IDC_EXT_LIST)), Qt::Key_Return);
        EXPECT_EQ(dlg.m_strFolder, folder);
    });
    const QByteArray stored = StoredSetting("FolderPath").toByteArray();
    EXPECT_EQ(std::string(stored.constData(), static_cast<std::size_t>(stored.size())),
              folder.str());

    // A valid name is stored as plain text.
    RunMainWindow([](CRaveZivuredDlg& dlg) { dlg.m_strFolder = "/home/ana/Fotos – 2024"; });
    EXPECT_EQ(StoredSetting("FolderPath").toString(), QStringLiteral("/home/ana/Fotos – 2024"));
}

} // namespace
