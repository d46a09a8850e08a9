// Services of the window layer outside the dialogs: the busy cursor, bytes as text, the
// profile store's text values, data exchange of the integer field.
#include "tests/ui/UiTestSupport.h"

#include "platform/qt/QtText.h"
#include "platform/qt/QtWaitCursor.h"
#include "platform/window/DataExchange.h"
#include "platform/window/Dialog.h"
#include "platform/window/WinApp.h"
#include "res/resource.h"

#include <QCursor>
#include <QGuiApplication>
#include <QLineEdit>

#include <gtest/gtest.h>

namespace {

TEST(WaitCursor, NestedPairsShowTheBusyCursorOnceFromFirstBeginToLastEnd) {
    CQtWaitCursor cursor;
    SetWaitCursorService(&cursor);
    ASSERT_EQ(QGuiApplication::overrideCursor(), nullptr);
    {
        CWaitCursor outer;
        ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        {
            CWaitCursor inner;
            CWaitCursor innermost;
            EXPECT_EQ(cursor.Depth(), 3);
        }
        EXPECT_NE(QGuiApplication::overrideCursor(), nullptr) << "still busy after inner ends";
    }
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "set once, restored once";
    cursor.EndWaitCursor(); // an unmatched end changes nothing
    EXPECT_EQ(cursor.Depth(), 0);
    SetWaitCursorService(nullptr);
}

// The one conversion from the program's bytes to Qt text: all of them, NULs included,
// with U+FFFD for what is not UTF-8.
TEST(QtText, BytesBecomeTextWholeWithReplacementsForWhatIsNotUtf8) {
    const struct {
        std::string_view bytes;
        QString text;
    } cases[] = {
        {"caf\xc3\xa9", QStringLiteral("caf\u00e9")},
        {"bad\xff", QStringLiteral("bad\uFFFD")},
        {std::string_view("nul\0in", 6), QString::fromUtf16(u"nul\0in", 6)},
        {"", QString()},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ToQString(c.bytes), c.text) << c.bytes;
        EXPECT_EQ(ToQString(c.bytes).size(), c.text.size()) << c.bytes;
    }
}

TEST(ProfileStore, TextsAndIntegersRoundTrip) {
    ClearSettings();
    CWinApp* app = AfxGetApp();
    EXPECT_EQ(app->GetProfileInt("Settings", "Missing", 42), 42);
    EXPECT_TRUE(app->WriteProfileInt("Settings", "Column0", 64));
    EXPECT_EQ(app->GetProfileInt("Settings", "Column0", 30), 64);
    EXPECT_TRUE(app->WriteProfileString("Settings", "FolderPath", ""));
    EXPECT_TRUE(HasSetting("FolderPath"));
    EXPECT_TRUE(app->WriteProfileString("Settings", "FolderPath", "/srv/data"));
    EXPECT_EQ(StoredSetting("FolderPath").toString(), QStringLiteral("/srv/data"));
}

// A dialog binding an integer field, as the main window binds its total.
class CCountDlg : public CDialog {
public:
    CCountDlg() : CDialog(IDD_RAVEZIVURED_DIALOG) {}
    int m_nCount = 0;

protected:
    void DoDataExchange(CDataExchange* pDX) override { DDX_Text(pDX, IDC_TOTAL_FILES, m_nCount); }
};

TEST(DataExchange, IntegersArePushedInDecimalAndReadBackStrictly) {
    CCancellingChooser chooser;
    CScriptedMessageBox boxes;
    CCountDlg dlg;
    RunModal(dlg, [&] {
        auto* field = qobject_cast<QLineEdit*>(Widget(dlg.GetDlgItem(IDC_TOTAL_FILES)));
        dlg.m_nCount = -1234567;
        dlg.UpdateData(FALSE);
        EXPECT_EQ(field->text(), QStringLiteral("-1234567"));
        field->setText(QStringLiteral(" 815 "));
        EXPECT_TRUE(dlg.UpdateData(TRUE));
        EXPECT_EQ(dlg.m_nCount, 815);

        // Not a number: the member keeps its value and the user is told.
        for (const char* junk : {"12a", "", "99999999999"}) {
            field->setText(QString::fromLatin1(junk));
            EXPECT_FALSE(dlg.UpdateData(TRUE)) << junk;
            EXPECT_EQ(dlg.m_nCount, 815);
        }
        ASSERT_EQ(boxes.asked.size(), 3u);
        EXPECT_EQ(boxes.asked[0].text, "Please enter an integer.");
        EXPECT_EQ(boxes.asked[0].caption, "File Manager by ostrel.example");
        EXPECT_EQ(boxes.asked[0].owner, &dlg);
    });
}

} // namespace
