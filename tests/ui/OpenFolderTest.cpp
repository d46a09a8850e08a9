// Opening the window on a folder: the one the program is started with (its arguments, as
// the desktop's "Open With" hands it over), and one dropped on the window.
#include "tests/support/PermissionBits.h"
#include "tests/support/TempTree.h"
#include "tests/support/Trees.h"
#include "tests/ui/UiTestSupport.h"

#include "platform/window/WinApp.h"
#include "res/resource.h"
#include "ui/RaveZivuredDlg.h"

#include <QApplication>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QTimer>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kPictures = 8; // files of kPicturesTree

std::string HomeTrash() {
    return std::string(std::getenv("XDG_DATA_HOME")) + "/Trash";
}

// Runs the program's start-up as its entry does, with args as its arguments, and script in
// the main window's loop once the window is up; the window is closed afterwards.
void RunProgram(const std::vector<std::string>& args,
                const std::function<void(CRaveZivuredDlg&)>& script) {
    std::vector<const char*> argv{"ravezivured"};
    for (const std::string& arg : args)
        argv.push_back(arg.c_str());
    CWinApp* app = AfxGetApp();
    app->SetArguments(static_cast<int>(argv.size()), argv.data());
    bool ran = false;
    QTimer::singleShot(0, [&] {
        auto* dlg = dynamic_cast<CRaveZivuredDlg*>(AfxGetMainWnd());
        ASSERT_NE(dlg, nullptr);
        script(*dlg);
        ran = true;
        Window(*dlg)->close();
    });
    app->InitInstance();
    app->SetArguments(0, nullptr);
    EXPECT_TRUE(ran);
}

// Drags uriList (a text/uri-list) over the window and drops it there, as a file manager
// does. False when the window refused the drag, or would take the items away (a move).
bool Drop(CRaveZivuredDlg& dlg, const QByteArray& uriList) {
    QMimeData data;
    data.setData(QStringLiteral("text/uri-list"), uriList);
    QWidget* window = Window(dlg);
    const QPoint at = window->rect().center();
    const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
    QDragEnterEvent enter(at, offered, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(at, offered, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window, &drop);
    return drop.isAccepted() && drop.dropAction() != Qt::MoveAction;
}

// Every byte of the name as it is, as file managers write it: QUrl would take the name as
// UTF-8 and turn what is not into replacement characters.
QByteArray UriOf(const std::string& path) {
    return "file://" + QByteArray::fromStdString(path).toPercentEncoding("/") + "\r\n";
}

// ---- Started on a folder ----

struct StartCase {
    const char* name;
    std::vector<std::string> args; // an "@" stands for the prepared folder
    const char* refusal;           // a part of the message before the chooser; null: shown
    bool permissionBits = false;   // the folder's permission bits hold, even for root
};

void PrintTo(const StartCase& c, std::ostream* os) {
    *os << c.name;
}

class StartedOnAFolder : public testing::TestWithParam<StartCase> {
protected:
    void SetUp() override {
        ClearSettings();
        g_strLastFolder = "";
        MakeTree(dir.path(), kPicturesTree);
        MakeTree(HomeTrash(), {{TreeEntry::File, "files/old/x.jpg"}});
        ::mkdir((dir / "locked").c_str(), 0);
    }
    TempDir dir;
    CScriptedChooser chooser;
    CScriptedMessageBox boxes;
};

TEST_P(StartedOnAFolder, ScansItWithoutTheChooserOrSaysWhyAndOpensTheChooser) {
    const StartCase& c = GetParam();
    std::vector<std::string> args;
    for (std::string arg : c.args) {
        if (const std::size_t at = arg.find('@'); at != std::string::npos)
            arg.replace(at, 1, dir.path());
        args.push_back(arg == "TRASH" ? HomeTrash() + "/files" : arg);
    }
    std::optional<CPermissionBitsApply> bits;
    if (c.permissionBits)
        bits.emplace();
    RunProgram(args, [&](CRaveZivuredDlg& dlg) {
        ASSERT_TRUE(ProcessEventsUntil([&] {
            return !dlg.IsRefreshing() && (dlg.m_nTotalFiles > 0 || !chooser.opened.empty());
        }));
        if (!c.refusal) {
            EXPECT_TRUE(chooser.opened.empty()) << "no chooser";
            EXPECT_TRUE(boxes.asked.empty());
            EXPECT_EQ(dlg.m_strFolder, CString(dir.path()));
            EXPECT_EQ(dlg.m_nTotalFiles, kPictures);
            // "..." opens the chooser on that folder.
            dlg.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_BROWSE, BN_CLICKED));
            ASSERT_EQ(chooser.opened.size(), 1u);
            ASSERT_FALSE(chooser.sent.empty());
            EXPECT_EQ(chooser.sent[0].message, BFFM_SETSELECTIONA);
            EXPECT_EQ(chooser.sent[0].text, CString(dir.path()));
            return;
        }
        EXPECT_EQ(chooser.opened.size(), 1u) << "the chooser opens after the message";
        EXPECT_EQ(dlg.m_strFolder, "");
        if (*c.refusal == '\0') {
            EXPECT_TRUE(boxes.asked.empty());
            return;
        }
        ASSERT_EQ(boxes.asked.size(), 1u);
        EXPECT_NE(boxes.asked[0].text.str().find(c.refusal), std::string::npos)
            << boxes.asked[0].text.str();
        EXPECT_EQ(boxes.asked[0].type, MB_ICONEXCLAMATION);
    });
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, StartedOnAFolder,
    testing::Values(
        StartCase{"Folder", {"@"}, nullptr}, StartCase{"FileUri", {"file://@"}, nullptr},
        StartCase{"None", {}, ""},
        StartCase{"Missing", {"@/gone"}, "cannot be opened (No such file or directory)"},
        StartCase{"File", {"@/a.jpg"}, "cannot be opened (Not a directory)"},
        StartCase{"Unreadable", {"@/locked"}, "cannot be opened (Permission denied)", true},
        StartCase{"InsideTheTrash", {"TRASH"}, "is inside the trash"},
        StartCase{"TwoFolders", {"@", "@/trip"}, "one folder at a time"}),
    [](const testing::TestParamInfo<StartCase>& info) { return info.param.name; });

// ---- Dropped on the window ----

class Dropped : public testing::Test {
protected:
    Dropped() {
        ClearSettings();
        MakeTree(dir / "shown", kPicturesTree);
        MakeTree(dir.path(), {{TreeEntry::File, "other/x.tmp"},
                              {TreeEntry::File, "other/y.tmp"},
                              {TreeEntry::File, "caf\xe9\xff/z.log"}});
        chooser.answers = {CString(dir / "shown")};
    }
    TempDir dir;
    CScriptedChooser chooser;
    CScriptedMessageBox boxes;
};

struct DropCase {
    const char* name;
    std::vector<std::string> items; // below the test's folder; with ':' a URI as it is
    const char* scanned;            // the folder then shown, below the test's folder
    int total;
    const char* refusal; // a part of the message; null for none
    bool taken = true;   // whether the window takes the drag at all
};

void PrintTo(const DropCase& c, std::ostream* os) {
    *os << c.name;
}

class DroppedItems : public Dropped, public testing::WithParamInterface<DropCase> {};

TEST_P(DroppedItems, ScanOneFolderAndLeaveTheTableOtherwise) {
    const DropCase& c = GetParam();
    QByteArray list = "# dragged\r\n";
    for (const std::string& item : c.items)
        list += item.find(':') != std::string::npos ? QByteArray::fromStdString(item + "\r\n")
                                                    : UriOf(dir / item);
    RunMainWindow([&](CRaveZivuredDlg& dlg) {
        ASSERT_TRUE(ProcessEventsUntil([&] { return dlg.m_nTotalFiles == kPictures; }));
        // The whole window takes the drop, its fields and list included.
        EXPECT_TRUE(Window(dlg)->acceptDrops());
        EXPECT_FALSE(Widget(dlg.GetDlgItem(IDC_FOLDER))->acceptDrops());
        EXPECT_FALSE(Widget(dlg.GetDlgItem(IDC_EXT_LIST))->acceptDrops());

        ASSERT_EQ(Drop(dlg, list), c.taken);
        const CString expected(dir / c.scanned);
        ProcessEventsUntil([&] {
            return !dlg.IsRefreshing() && (dlg.m_strFolder == expected || !boxes.asked.empty());
        });
        ProcessEventsUntil([] { return false; }, 50); // a late delivery would show now
        EXPECT_EQ(dlg.m_strFolder, expected);
        EXPECT_EQ(dlg.m_nTotalFiles, c.total);
        EXPECT_EQ(chooser.opened.size(), 1u);
        if (!c.refusal) {
            EXPECT_TRUE(boxes.asked.empty());
            return;
        }
        ASSERT_EQ(boxes.asked.size(), 1u);
        EXPECT_NE(boxes.asked[0].text.str().find(c.refusal), std::string::npos)
            << boxes.asked[0].text.str();
    });
}

INSTANTIATE_TEST_SUITE_P(
    Drops, DroppedItems,
    testing::Values(
        DropCase{"Folder", {"other"}, "other", 2, nullptr},
        DropCase{"FolderNamedWithBytesThatAreNotUtf8", {"caf\xe9\xff"}, "caf\xe9\xff", 1, nullptr},
        DropCase{"File", {"shown/a.jpg"}, "shown", kPictures, "(Not a directory)"},
        DropCase{"TwoFolders",
                 {"other", "shown/trip"},
                 "shown",
                 kPictures,
                 "one folder at a time; 2 items"},
        DropCase{"WebAddress", {"https://example.org/x"}, "shown", kPictures, nullptr, false}),
    [](const testing::TestParamInfo<DropCase>& info) { return info.param.name; });

// At start the chooser opens by itself; a folder dropped on the window meanwhile answers it.
TEST_F(Dropped, AFolderDroppedWhileTheChooserIsOpenClosesItAndIsScanned) {
    chooser.answers.clear();
    RunMainWindow([&](CRaveZivuredDlg& dlg) {
        chooser.whileOpen = [&] {
            EXPECT_TRUE(Drop(dlg, UriOf(dir / "other")));
            EXPECT_TRUE(ProcessEventsUntil([&] { return chooser.closedWhileOpen == 1; }));
        };
        ASSERT_TRUE(ProcessEventsUntil([&] { return dlg.m_nTotalFiles == 2; }));
        EXPECT_EQ(chooser.closedWhileOpen, 1);
        EXPECT_EQ(dlg.m_strFolder, CString(dir / "other"));
    });
}

// A drop is not taken while a scan runs, nor while a delete asks about the folder shown.
TEST_F(Dropped, NothingIsTakenDuringAScanOrADelete) {
    const std::vector<CString> other = {CString(dir / "other")};
    for (int i = 0; i < 1500; ++i) // enough for the scan to let events through
        WriteFile(dir / ("shown/many/" + std::to_string(i) + ".log"));
    CRaveZivuredDlg::s_progressInterval = std::chrono::milliseconds(0);
    int droppedDuringScan = 0;
    RunMainWindow([&](CRaveZivuredDlg& dlg) {
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (!dlg.IsRefreshing() || droppedDuringScan > 0)
                return;
            ++droppedDuringScan;
            EXPECT_FALSE(Drop(dlg, UriOf(other[0].str()))) << "taken during a scan";
            dlg.SendMessage(WM_DROPFILES, 0, reinterpret_cast<LPARAM>(&other));
        });
        watch.start(0);
        ASSERT_TRUE(ProcessEventsUntil([&] { return dlg.m_nTotalFiles == kPictures + 1500; }));
        watch.stop();
        EXPECT_EQ(droppedDuringScan, 1);

        // Delete Files on .jpg; while its question is up, a drop; the answer is No.
        for (int i = 0; i < dlg.m_listExt.GetItemCount(); ++i)
            if (dlg.m_listExt.GetItemText(i, 1) == ".jpg")
                dlg.m_listExt.SetItemState(i, LVIS_SELECTED, LVIS_SELECTED);
        boxes.answers = {IDNO};
        boxes.whileShown = [&] {
            Drop(dlg, UriOf(other[0].str()));
            dlg.SendMessage(WM_DROPFILES, 0, reinterpret_cast<LPARAM>(&other));
            ProcessEventsUntil([] { return false; }, 50);
        };
        dlg.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_DELETE_FILES, BN_CLICKED));
        ASSERT_EQ(boxes.asked.size(), 1u) << "the question only";
        ProcessEventsUntil([&] { return !dlg.IsRefreshing(); });
        EXPECT_EQ(dlg.m_strFolder, CString(dir / "shown"));
        EXPECT_EQ(dlg.m_nTotalFiles, kPictures + 1500);
    });
    CRaveZivuredDlg::s_progressInterval = std::chrono::milliseconds(125);
}

} // namespace
