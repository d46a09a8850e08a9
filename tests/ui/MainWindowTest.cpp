// The main window's behaviour: how it ends, the home page, the system menu and About box,
// its message map, painting when minimised, and the program's start and end.
#include "tests/ui/UiTestSupport.h"

#include "platform/qt/Handles.h"

#include "app/RaveZivuredApp.h"
#include "platform/window/Menu.h"
#include "platform/window/Styles.h"
#include "platform/window/WinApp.h"
#include "res/resource.h"
#include "res/version.h"
#include "ui/RaveZivuredDlg.h"

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QMenu>
#include <QPixmap>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

class MainWindow : public testing::Test {
protected:
    void SetUp() override { ClearSettings(); }
    CCancellingChooser chooser;
    CRecordingShell shell;
    CScriptedMessageBox boxes;
};

// ---- Ending the run ----

struct KeyCase {
    const char* name;
    int focus; // control that has the focus
    Qt::Key key;
    int result;       // DoModal's result, or kLeftRunning
    int homePageOpen; // times the home page was opened
};

void PrintTo(const KeyCase& c, std::ostream* os) {
    *os << c.name;
}

class EndingKeys : public MainWindow, public testing::WithParamInterface<KeyCase> {};

TEST_P(EndingKeys, EndTheDialogOrPressTheFocusedButton) {
    const KeyCase& c = GetParam();
    const int result = RunMainWindow([&](CRaveZivuredDlg& dlg) {
        QWidget* target = Widget(dlg.GetDlgItem(c.focus));
        target->setFocus();
        QTest::keyClick(target, c.key);
    });
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(static_cast<int>(shell.calls.size()), c.homePageOpen);
    EXPECT_TRUE(boxes.asked.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Keys, EndingKeys,
    testing::Values(KeyCase{"EscOnList", IDC_EXT_LIST, Qt::Key_Escape, IDCANCEL, 0},
                    KeyCase{"EscOnButton", IDC_WEBSITE, Qt::Key_Escape, IDCANCEL, 0},
                    KeyCase{"EnterOnList", IDC_EXT_LIST, Qt::Key_Return, IDOK, 0},
                    KeyCase{"KeypadEnterOnList", IDC_EXT_LIST, Qt::Key_Enter, IDOK, 0},
                    KeyCase{"EnterOnFolderField", IDC_FOLDER, Qt::Key_Return, IDOK, 0},
                    KeyCase{"EnterOnWebsiteButton", IDC_WEBSITE, Qt::Key_Return, kLeftRunning, 1},
                    KeyCase{"EnterOnBrowseButton", IDC_BROWSE, Qt::Key_Return, kLeftRunning, 0}),
    [](const testing::TestParamInfo<KeyCase>& info) { return info.param.name; });

TEST_F(MainWindow, TheCloseBoxEndsTheRunAsCancel) {
    const int result = RunMainWindow([](CRaveZivuredDlg& dlg) { Window(dlg)->close(); });
    EXPECT_EQ(result, IDCANCEL);
}

// ---- The home page ----

TEST_F(MainWindow, F1AndTheWebsiteButtonOpenTheHomePageAndNothingElse) {
    bool open = false;
    int choosersOpened = -1;
    RunMainWindow([&](CRaveZivuredDlg& dlg) {
        const int before = chooser.opened;
        QTest::keyClick(Widget(dlg.GetDlgItem(IDC_EXT_LIST)), Qt::Key_F1);
        QTest::keyClick(Widget(dlg.GetDlgItem(IDC_TOTAL_FILES)), Qt::Key_F1);
        QTest::mouseClick(Widget(dlg.GetDlgItem(IDC_WEBSITE)), Qt::LeftButton);
        open = dlg.IsWindowVisible();
        choosersOpened = chooser.opened - before;
    });
    EXPECT_TRUE(open);
    ASSERT_EQ(shell.calls.size(), 3u);
    for (const auto& call : shell.calls) {
        EXPECT_EQ(call.verb, "Open");
        EXPECT_EQ(call.file, RZ_HOME_PAGE);
        EXPECT_EQ(call.show, SW_SHOWMAXIMIZED);
    }
    EXPECT_TRUE(boxes.asked.empty());
    EXPECT_EQ(choosersOpened, 0);
}

TEST_F(MainWindow, HelpIsReportedAsHandled) {
    RunMainWindow([](CRaveZivuredDlg& dlg) {
        HELPINFO info;
        EXPECT_EQ(dlg.SendMessage(WM_HELP, 0, reinterpret_cast<LPARAM>(&info)), TRUE);
    });
    EXPECT_EQ(shell.calls.size(), 1u);
}

// ---- System menu and About box ----

TEST_F(MainWindow, SystemMenuEndsWithTheAboutItem) {
    RunMainWindow([](CRaveZivuredDlg& dlg) {
        CMenu* menu = dlg.GetSystemMenu(FALSE);
        ASSERT_NE(menu, nullptr);
        const int n = menu->GetMenuItemCount();
        ASSERT_GE(n, 2);
        EXPECT_EQ(menu->Items()[static_cast<std::size_t>(n - 2)].flags, MF_SEPARATOR);
        EXPECT_EQ(menu->GetMenuItemID(n - 1), static_cast<UINT>(IDM_ABOUTBOX));
        EXPECT_EQ(menu->GetMenuString(n - 1), "&About File Manager...");
        // The usual commands come first.
        std::vector<UINT> ids;
        for (int i = 0; i < n; ++i)
            ids.push_back(menu->GetMenuItemID(i));
        for (UINT id : {SC_RESTORE, SC_MOVE, SC_MINIMIZE, SC_CLOSE})
            EXPECT_NE(std::find(ids.begin(), ids.end(), id), ids.end()) << id;
    });
}

TEST_F(MainWindow, ChoosingAboutFromTheMenuRunsTheAboutBoxModally) {
    QString aboutTitle;
    bool mainBlocked = false;
    bool aboutEnded = false;
    RunMainWindow([&](CRaveZivuredDlg& dlg) {
        // Alt+Space opens the menu; A chooses its About item; the About box then runs its
        // own loop, where it is looked at and closed with Esc.
        WhenPopupAppears([&](QWidget* menu) {
            auto* popup = qobject_cast<QMenu*>(menu);
            ASSERT_NE(popup, nullptr);
            EXPECT_EQ(popup->actions().constLast()->text(),
                      QStringLiteral("&About File Manager..."));
            WhenModalWindowAppears([&](QWidget* box) {
                aboutTitle = box->windowTitle();
                mainBlocked =
                    box->parentWidget() == Window(dlg) && box->windowModality() != Qt::NonModal;
                QTest::keyClick(box, Qt::Key_Escape);
            });
            QTest::keyClick(popup, Qt::Key_A);
        });
        QTest::keyClick(Widget(dlg.GetDlgItem(IDC_EXT_LIST)), Qt::Key_Space, Qt::AltModifier);
        aboutEnded = QApplication::activeModalWidget() == nullptr;
        EXPECT_TRUE(dlg.IsWindowVisible()) << "the main window stays";
    });
    EXPECT_EQ(aboutTitle, QStringLiteral("About Ostrel File Manager"));
    EXPECT_TRUE(mainBlocked);
    EXPECT_TRUE(aboutEnded);
}

TEST_F(MainWindow, TheUsualSystemCommandsKeepWorking) {
    const int result = RunMainWindow([](CRaveZivuredDlg& dlg) {
        dlg.SendMessage(WM_SYSCOMMAND, SC_MINIMIZE);
        EXPECT_TRUE(dlg.IsIconic());
        dlg.SendMessage(WM_SYSCOMMAND, SC_RESTORE);
        EXPECT_FALSE(dlg.IsIconic());

        // Move with the keyboard: three steps right, one down, Enter drops it there.
        QWidget* window = Window(dlg);
        const QPoint before = window->pos();
        dlg.SendMessage(WM_SYSCOMMAND, SC_MOVE);
        for (Qt::Key key : {Qt::Key_Right, Qt::Key_Right, Qt::Key_Right, Qt::Key_Down})
            QTest::keyClick(window, key);
        QTest::keyClick(window, Qt::Key_Return);
        EXPECT_EQ(window->pos(), before + QPoint(24, 8));
        EXPECT_TRUE(dlg.IsWindowVisible()) << "Enter ended the move, not the dialog";

        dlg.SendMessage(WM_SYSCOMMAND, SC_CLOSE);
    });
    EXPECT_EQ(result, IDCANCEL);
}

// ---- Message map ----

TEST_F(MainWindow, MessageMapEntriesReachTheirHandlersAndTheRestGetsDefaults) {
    RunMainWindow([&](CRaveZivuredDlg& dlg) {
        EXPECT_EQ(dlg.SendMessage(WM_QUERYDRAGICON), reinterpret_cast<LRESULT>(dlg.m_hIcon));
        EXPECT_NE(dlg.m_hIcon, nullptr);

        dlg.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_WEBSITE, BN_CLICKED));
        EXPECT_EQ(shell.calls.size(), 1u);
        // Only the click notification of the website button is routed. (Code 1 with no
        // control would be an accelerator's command, routed like a click.)
        dlg.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_WEBSITE, 1),
                        reinterpret_cast<LPARAM>(dlg.GetDlgItem(IDC_WEBSITE)));
        EXPECT_EQ(shell.calls.size(), 1u);

        // "Delete Files" with nothing selected only says so.
        dlg.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_DELETE_FILES, BN_CLICKED));
        ASSERT_EQ(boxes.asked.size(), 1u);
        EXPECT_EQ(boxes.asked[0].text, "Please Select Files to delete from the list to continue.");

        // A command without an entry of its own: nothing happens, the window stays.
        dlg.SendMessage(WM_COMMAND, MAKEWPARAM(4711, BN_CLICKED));
        EXPECT_TRUE(dlg.IsWindowVisible());
        EXPECT_EQ(boxes.asked.size(), 1u);
    });
}

TEST_F(MainWindow, MinimisedItPaintsItsIconInTheMiddle) {
    RunMainWindow([](CRaveZivuredDlg& dlg) {
        QWidget* window = Window(dlg);
        dlg.SendMessage(WM_SYSCOMMAND, SC_MINIMIZE);
        ASSERT_TRUE(dlg.IsIconic());
        // Rendering the window itself (its controls left out) runs its WM_PAINT handler on
        // the picture.
        QPixmap picture(window->size());
        window->render(&picture, QPoint(), QRegion(), QWidget::DrawWindowBackground);
        const QImage shot = picture.toImage().convertToFormat(QImage::Format_ARGB32);
        const QImage icon = IconOf(dlg.m_hIcon)
                                ->pixmap(QSize(32, 32))
                                .toImage()
                                .convertToFormat(QImage::Format_ARGB32);
        const int x = (window->width() - 32 + 1) / 2;
        const int y = (window->height() - 32 + 1) / 2;
        int opaque = 0;
        for (int j = 0; j < 32; ++j)
            for (int i = 0; i < 32; ++i)
                if (qAlpha(icon.pixel(i, j)) == 255) {
                    ++opaque;
                    ASSERT_EQ(shot.pixel(x + i, y + j), icon.pixel(i, j)) << i << "," << j;
                }
        EXPECT_GT(opaque, 500);
    });
}

// ---- The program ----

TEST_F(MainWindow, StartUpRunsTheWindowAndClosingItEndsTheRunWithSettingsSaved) {
    QString title;
    bool registered = false;
    QTimer::singleShot(0, [&] {
        CWnd* main = AfxGetMainWnd();
        registered = main != nullptr;
        auto* dlg = dynamic_cast<CRaveZivuredDlg*>(main);
        ASSERT_NE(dlg, nullptr);
        title = Window(*dlg)->windowTitle();
        Window(*dlg)->close();
    });
    CWinApp* app = AfxGetApp();
    EXPECT_FALSE(app->InitInstance()) << "no message loop after the main window";
    EXPECT_TRUE(registered);
    EXPECT_EQ(AfxGetMainWnd(), nullptr);
    EXPECT_EQ(title, QStringLiteral("File Manager by ostrel.example"));
    EXPECT_STREQ(app->m_pszRegistryKey, RZ_MAKER_DOMAIN);
    EXPECT_STREQ(app->m_pszProfileName, "File Manager by ostrel.example");
    for (const char* name : {"Column0", "Column1", "Column2", "FolderPath"})
        EXPECT_TRUE(HasSetting(name)) << name;
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty() ||
                std::none_of(QApplication::topLevelWidgets().begin(),
                             QApplication::topLevelWidgets().end(),
                             [](QWidget* w) { return w->isVisible(); }))
        << "no window is left behind";
}

} // namespace
