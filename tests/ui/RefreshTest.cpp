// Choosing a folder and scanning it from the window: the chooser opening by itself, the
// table and total it leads to, pre-selection and Cancel, long paths, stopping a scan,
// the window during a scan, and the chooser while the main window is used or closed.
#include "tests/support/TempTree.h"
#include "tests/support/Trees.h"
#include "tests/ui/UiTestSupport.h"
#include "tests/walk/WalkerTestPosix.h"

#include "platform/core/WaitCursor.h"
#include "platform/window/Styles.h"
#include "platform/window/WinApp.h"
#include "res/resource.h"
#include "res/version.h"
#include "ui/RaveZivuredDlg.h"

#include <QApplication>
#include <QFileDialog>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <QTreeView>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace {

using Row = std::tuple<std::string, std::string, std::string>;

std::vector<Row> Rows(CRaveZivuredDlg& dlg) {
    std::vector<Row> rows;
    for (int i = 0; i < dlg.m_listExt.GetItemCount(); ++i)
        rows.emplace_back(dlg.m_listExt.GetItemText(i, 0).GetString(),
                          dlg.m_listExt.GetItemText(i, 1).GetString(),
                          dlg.m_listExt.GetItemText(i, 2).GetString());
    return rows;
}

int SumOfCounts(CRaveZivuredDlg& dlg) {
    int sum = 0;
    for (int i = 0; i < dlg.m_listExt.GetItemCount(); ++i)
        sum += std::stoi(dlg.m_listExt.GetItemText(i, 2).GetString());
    return sum;
}

std::string Field(CRaveZivuredDlg& dlg, int id) {
    return dlg.GetDlgItemText(id).GetString();
}

void ClickBrowse(CRaveZivuredDlg& dlg) {
    QTest::mouseClick(Widget(dlg.GetDlgItem(IDC_BROWSE)), Qt::LeftButton);
}

std::string AppTitle() {
    return AfxGetApp()->m_pszAppName;
}

// The "Working..." window while it is on screen, or null.
QWidget* WorkingWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->windowTitle() == QStringLiteral("Ostrel File Manager Working..."))
            return w;
    return nullptr;
}

// Waits until the chooser has been opened `times` times and no scan is running.
void WaitForChoice(CScriptedChooser& chooser, CRaveZivuredDlg& dlg, std::size_t times) {
    ASSERT_TRUE(ProcessEventsUntil([&] {
        return chooser.opened.size() >= times && !chooser.IsOpen() && !dlg.IsRefreshing();
    })) << "the chooser was opened "
        << chooser.opened.size() << " times";
}

void MakePictures(const std::string& root) {
    MakeTree(root, kPicturesTree);
}

class Refresh : public testing::Test {
protected:
    void SetUp() override {
        ClearSettings();
        g_strLastFolder = "";
    }
    void TearDown() override {
        CRaveZivuredDlg::s_progressInterval = kDefaultInterval;
        EXPECT_EQ(WorkingWindow(), nullptr) << "the \"Working...\" window outlived its scan";
    }

    static inline const std::chrono::milliseconds kDefaultInterval =
        CRaveZivuredDlg::s_progressInterval;
    CScriptedChooser chooser;
    CScriptedMessageBox boxes;
    CRecordingShell shell;
    TempDir dir;
};

// ---- Choosing ----

TEST_F(Refresh, TheChooserOpensByItselfAndAChoiceShowsTheFolderAndItsTable) {
    MakePictures(dir.path());
    const CString folder(dir.path());
    chooser.answers = {folder, std::nullopt, folder};
    const std::vector<Row> expected = {{"1", ".jpg", "5"}, {"2", ".txt", "2"}, {"3", ".ini", "1"}};

    RunMainWindow([&](CRaveZivuredDlg& dlg) {
        WaitForChoice(chooser, dlg, 1);
        ASSERT_EQ(chooser.opened.size(), 1u) << "opened once, with no click";
        const BROWSEINFO& info = chooser.opened[0];
        EXPECT_EQ(info.lpszTitle, "Please Select the Desired Folder.");
        EXPECT_EQ(info.ulFlags, BIF_RETURNONLYFSDIRS | BIF_VALIDATE);
        EXPECT_EQ(info.hwndOwner, nullptr);
        EXPECT_EQ(info.lpfn, &BrowseCallbackProc);
        EXPECT_EQ(info.lParam, 0);
        // Nothing scanned yet: nothing to pre-select. The choice shows in the status text.
        ASSERT_EQ(chooser.sent.size(), 2u);
        EXPECT_EQ(chooser.sent[0].message, BFFM_SETSELECTIONA);
        EXPECT_EQ(chooser.sent[0].wParam, static_cast<WPARAM>(TRUE));
        EXPECT_EQ(chooser.sent[0].text, "");
        EXPECT_EQ(chooser.sent[1].message, BFFM_SETSTATUSTEXTA);
        EXPECT_EQ(chooser.sent[1].wParam, 0u);
        EXPECT_EQ(chooser.sent[1].text, folder);

        EXPECT_EQ(Rows(dlg), expected);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(dlg.m_listExt.GetItemData(i), std::stoi(std::get<2>(expected[i])));
        EXPECT_EQ(Field(dlg, IDC_TOTAL_FILES), "8");
        EXPECT_EQ(Field(dlg, IDC_FOLDER), dir.path());
        EXPECT_EQ(dlg.m_strFolder, folder);
        EXPECT_EQ(g_strLastFolder, folder);
        EXPECT_FALSE(dlg.IsResultIncomplete());
        EXPECT_EQ(Window(dlg)->windowTitle().toStdString(), AppTitle());
        EXPECT_TRUE(dlg.IsWindowEnabled());

        // Again: it opens on the folder of the table; Cancel changes nothing.
        ClickBrowse(dlg);
        WaitForChoice(chooser, dlg, 2);
        ASSERT_EQ(chooser.sent.size(), 3u) << "a cancelled chooser reports no selection";
        EXPECT_EQ(chooser.sent[2].message, BFFM_SETSELECTIONA);
        EXPECT_EQ(chooser.sent[2].wParam, static_cast<WPARAM>(TRUE));
        EXPECT_EQ(chooser.sent[2].text, folder);
        EXPECT_EQ(Rows(dlg), expected);
        EXPECT_EQ(Field(dlg, IDC_TOTAL_FILES), "8");
        EXPECT_EQ(Field(dlg, IDC_FOLDER), dir.path());

        // The same folder once more: the same table, nothing added up across scans.
        ClickBrowse(dlg);
        WaitForChoice(chooser, dlg, 3);
        EXPECT_EQ(Rows(dlg), expected);
        EXPECT_EQ(Field(dlg, IDC_TOTAL_FILES), "8");
        EXPECT_EQ(dlg.m_nTotalFiles, 8);
        EXPECT_EQ(dynamic_cast<CCountingWaitCursor&>(WaitCursorService()).Depth(), 0)
            << "the busy cursor is restored";
    });
    EXPECT_TRUE(boxes.asked.empty());
}

TEST_F(Refresh, AnotherFolderReplacesTheTableAndAnEmptyOneClearsIt) {
    MakePictures(dir.path());
    MakeTree(dir.path(), {{TreeEntry::File, "other/x.tmp"}, {TreeEntry::File, "other/y.tmp"}});
    chooser.answers = {CString(dir / "other"), CString(dir / "empty"),
                       CString(dir / "no such folder")};
    RunMainWindow([&](CRaveZivuredDlg& dlg) {
        WaitForChoice(chooser, dlg, 1);
        EXPECT_EQ(Rows(dlg), (std::vector<Row>{{"1", ".tmp", "2"}}));
        EXPECT_EQ(Field(dlg, IDC_TOTAL_FILES), "2");
        for (const char* name : {"empty", "no such folder"}) {
            const std::size_t times = chooser.opened.size() + 1;
            ClickBrowse(dlg);
            WaitForChoice(chooser, dlg, times);
            EXPECT_TRUE(Rows(dlg).empty()) << name;
            EXPECT_EQ(Field(dlg, IDC_TOTAL_FILES), "0") << name;
            EXPECT_EQ(Field(dlg, IDC_FOLDER), dir / name);
            EXPECT_EQ(g_strLastFolder, CString(dir / name));
        }
    });
    EXPECT_TRUE(boxes.asked.empty()) << "an unreadable folder is not reported";
}

// A folder inside the trash is refused with a message, and the table shown stays: a delete
// there would part trashed files from their records.
TEST_F(Refresh, AFolderInsideTheTrashIsRefusedAndTheTableStays) {
    MakePictures(dir.path());
    const std::string trash = std::string(std::getenv("XDG_DATA_HOME")) + "/Trash";
    MakeTree(trash, {{TreeEntry::File, "files/old/x.jpg"}, {TreeEntry::File, "info/x.trashinfo"}});
    const std::string link = trash + " link";
    ::symlink(trash.c_str(), link.c_str());
    const std::vector<std::string> refused = {trash, trash + "/info", trash + "/files/old",
                                              link + "/files"};
    chooser.answers = {CString(dir.path())};
    for (const std::string& folder : refused)
        chooser.answers.push_back(CString(folder));
    RunMainWindow([&](CRaveZivuredDlg& dlg) {
        WaitForChoice(chooser, dlg, 1);
        for (std::size_t i = 0; i < refused.size(); ++i) {
            ClickBrowse(dlg);
            WaitForChoice(chooser, dlg, i + 2);
            ASSERT_EQ(boxes.asked.size(), i + 1) << refused[i];
            EXPECT_NE(boxes.asked[i].text.str().find("is inside the trash"), std::string::npos);
            EXPECT_EQ(boxes.asked[i].type, MB_ICONEXCLAMATION);
            EXPECT_EQ(Field(dlg, IDC_FOLDER), dir.path()) << refused[i];
            EXPECT_EQ(Field(dlg, IDC_TOTAL_FILES), "8") << refused[i];
        }
    });
}

// A folder the scan could not read completely (here one holding an entry past the path
// limit) is said in the title, until a scan reads everything again.
// The Size column and the total size, a Size cell's tool tip, and a header click sorting
// by its column (again: the reverse), the selection following its rows; a fresh scan is
// in the default order again, and without sizes the walk reads none.
TEST_F(Refresh, SizesShowAndEveryHeaderSortsTheTable) {
    MakeTree(dir.path(), {{TreeEntry::File, "a.jpg", std::string(3000, 'a')},
                          {TreeEntry::File, "sub/b.jpg", std::string(2000, 'b')},
                          {TreeEntry::File, "c.txt", "0123456789"},
                          {TreeEntry::Link, "l.txt", "a.jpg"},
                          {TreeEntry::File, "e.ini"}});
    const CString folder(dir.path());
    chooser.answers = {folder, folder, folder};
    RunMainWindow([&](CRaveZivuredDlg& dlg) {
        WaitForChoice(chooser, dlg, 1);
        const auto column = [&](int c) {
            std::string texts;
            for (int i = 0; i < dlg.m_listExt.GetItemCount(); ++i) {
                if (i > 0)
                    texts += '|';
                texts += dlg.m_listExt.GetItemText(i, c).view();
            }
            return texts;
        };
        // The link counts its own 5 bytes, not the 3,000 it points at.
        EXPECT_EQ(column(1), ".jpg|.txt|.ini");
        EXPECT_EQ(column(3), "4.9 KB|15 bytes|0 bytes");
        EXPECT_EQ(Field(dlg, IDC_TOTAL_SIZE), "4.9 KB (5,015 bytes)");

        auto* view = qobject_cast<QTreeView*>(Widget(dlg.GetDlgItem(IDC_EXT_LIST)));
        const QRect cell = view->visualRect(view->model()->index(0, 3));
        QHelpEvent help(QEvent::ToolTip, cell.center(),
                        view->viewport()->mapToGlobal(cell.center()));
        QApplication::sendEvent(view->viewport(), &help);
        EXPECT_EQ(QToolTip::text(), QStringLiteral("5,000 bytes"));

        dlg.m_listExt.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED); // .txt
        const std::pair<int, const char*> clicks[] = {
            {3, ".jpg|.txt|.ini"}, {3, ".ini|.txt|.jpg"}, {1, ".ini|.jpg|.txt"},
            {1, ".txt|.jpg|.ini"}, {2, ".jpg|.txt|.ini"}, {0, ".ini|.txt|.jpg"},
        };
        for (const auto& [section, order] : clicks) {
            QHeaderView* header = view->header();
            QTest::mouseClick(
                header->viewport(), Qt::LeftButton, {},
                QPoint(header->sectionViewportPosition(section) + 5, header->height() / 2));
            EXPECT_EQ(column(1), order) << "column " << section;
            EXPECT_EQ(dlg.m_listExt.GetItemText(dlg.m_listExt.GetNextItem(-1, LVNI_SELECTED), 1),
                      ".txt");
        }
        EXPECT_EQ(column(3), "0 bytes|15 bytes|4.9 KB") << "cells travel with their rows";
        EXPECT_EQ(column(2), "1|2|2");

        ClickBrowse(dlg);
        WaitForChoice(chooser, dlg, 2);
        EXPECT_EQ(column(1), ".jpg|.txt|.ini");

        dlg.ShowSizes(false);
        ClickBrowse(dlg);
        WaitForChoice(chooser, dlg, 3);
        EXPECT_EQ(view->header()->count(), 3);
        EXPECT_FALSE(dlg.ReadsSizes());
        EXPECT_EQ(dlg.m_sizes.Total().bytes, 0u);
        EXPECT_EQ(Field(dlg, IDC_TOTAL_SIZE), "not read (Show Sizes is off)");
        EXPECT_EQ(column(1), ".jpg|.txt|.ini");
    });
}

TEST_F(Refresh, FoldersThatCouldNotBeReadAreSaidInTheTitle) {
    const std::string name(200, 'n');
    ChainCleanup cleanup(dir / "deep", name, "f.txt");
    MakeTree(dir.path(), {{TreeEntry::Dir, "deep"}});
    BuildChain(dir / "deep", name, "f.txt", 25);
    MakePictures(dir / "pictures");
    chooser.answers = {CString(dir / "deep"), CString(dir / "pictures")};
    RunMainWindow([&](CRaveZivuredDlg& dlg) {
        WaitForChoice(chooser, dlg, 1);
        EXPECT_FALSE(dlg.IsResultIncomplete());
        EXPECT_EQ(Window(dlg)->windowTitle().toStdString(),
                  AppTitle() + " - 1 folder could not be read");
        ClickBrowse(dlg);
        WaitForChoice(chooser, dlg, 2);
        EXPECT_EQ(Window(dlg)->windowTitle().toStdString(), AppTitle());
    });
}

TEST_F(Refresh, ALongChosenPathArrivesWhole) {
    // Nested folders up to about 4000 bytes, well past the classic 260, with one file at
    // the bottom: the path with the file's name still fits the system's 4096.
    std::string deep = dir.path();
    const std::string level(200, 'd');
    while (deep.size() + level.size() + 1 < 4000) {
        deep += "/" + level;
        ASSERT_EQ(mkdir(deep.c_str(), 0700), 0) << deep.size();
    }
    deep += "/" + std::string(4000 - deep.size() - 1, 'e');
    ASSERT_EQ(mkdir(deep.c_str(), 0700), 0);
    ASSERT_EQ(deep.size(), 4000u);
    WriteFile(deep + "/photo.dat");
    chooser.answers = {CString(deep), std::nullopt};

    RunMainWindow([&](CRaveZivuredDlg& dlg) {
        WaitForChoice(chooser, dlg, 1);
        EXPECT_EQ(dlg.m_strFolder.GetLength(), 4000);
        EXPECT_EQ(dlg.m_strFolder, CString(deep));
        EXPECT_EQ(Field(dlg, IDC_FOLDER), deep);
        EXPECT_EQ(Rows(dlg), (std::vector<Row>{{"1", ".dat", "1"}}));
        EXPECT_EQ(Field(dlg, IDC_TOTAL_FILES), "1");

        ClickBrowse(dlg);
        WaitForChoice(chooser, dlg, 2);
        ASSERT_FALSE(chooser.sent.empty());
        EXPECT_EQ(chooser.sent.back().message, BFFM_SETSELECTIONA);
        EXPECT_EQ(chooser.sent.back().text, CString(deep)) << "pre-selected whole";
    });
}

// ---- The main window while the chooser is open ----

struct EndCase {
    const char* name;
    std::function<void(CRaveZivuredDlg&)> end;
    int result;
};

void PrintTo(const EndCase& c, std::ostream* os) {
    *os << c.name;
}

class EndingWithTheChooserOpen : public Refresh, public testing::WithParamInterface<EndCase> {};

TEST_P(EndingWithTheChooserOpen, ClosesTheChooserAndEndsTheRun) {
    MakePictures(dir.path());
    chooser.answers = {CString(dir.path())};
    bool enabled = false;
    int raisedBySecondClick = -1;
    const int result = RunMainWindow([&](CRaveZivuredDlg& dlg) {
        chooser.whileOpen = [&] {
            // The main window stays usable; "..." brings the open chooser forward.
            enabled = dlg.IsWindowEnabled();
            ClickBrowse(dlg);
            raisedBySecondClick = chooser.raised;
            GetParam().end(dlg);
        };
        ASSERT_TRUE(
            ProcessEventsUntil([&] { return !chooser.opened.empty() && !chooser.IsOpen(); }));
        EXPECT_EQ(dlg.m_strFolder, "") << "a chooser closed with the window chooses nothing";
        EXPECT_TRUE(Rows(dlg).empty());
    });
    EXPECT_EQ(result, GetParam().result);
    EXPECT_TRUE(enabled);
    EXPECT_EQ(raisedBySecondClick, 1);
    EXPECT_EQ(chooser.opened.size(), 1u) << "never a second chooser";
    EXPECT_EQ(chooser.closedWhileOpen, 1);
    EXPECT_EQ(StoredSetting("FolderPath").toString(), QString()) << "the settings were saved";
}

INSTANTIATE_TEST_SUITE_P(
    Ways, EndingWithTheChooserOpen,
    testing::Values(
        EndCase{"CloseBox", [](CRaveZivuredDlg& dlg) { Window(dlg)->close(); }, IDCANCEL},
        EndCase{"Esc",
                [](CRaveZivuredDlg& dlg) {
                    QTest::keyClick(Widget(dlg.GetDlgItem(IDC_EXT_LIST)), Qt::Key_Escape);
                },
                IDCANCEL},
        EndCase{"Enter",
                [](CRaveZivuredDlg& dlg) {
                    QTest::keyClick(Widget(dlg.GetDlgItem(IDC_EXT_LIST)), Qt::Key_Return);
                },
                IDOK}),
    [](const testing::TestParamInfo<EndCase>& info) { return info.param.name; });

// ---- Stopping a scan ----

// A tree big enough for a few looks at the "Working..." window during its scan (one
// every kProgressCheckEvery entries): three folders of 1000 files, one in four a .bak,
// the rest .log. Made once for the tests that share it (creating files is slow).
constexpr int kManyFiles = 3000;
static_assert(kManyFiles > 2 * CRaveZivuredDlg::kProgressCheckEvery);
const std::string& ManyFiles() {
    static TempDir dir;
    static const bool made = [] {
        for (int folder = 0; folder < 3; ++folder)
            for (int i = 0; i < kManyFiles / 3; ++i)
                WriteFile(dir / ("f" + std::to_string(folder) + "/" + std::to_string(i) +
                                 (i % 4 ? ".log" : ".bak")));
        return true;
    }();
    (void)made;
    return dir.path();
}

// Watches the scan from inside its event pumping: what the windows look like, and, once
// the count shows files, runs `act` once.
struct ScanWatch {
    bool sawWorking = false;
    bool mainEnabled = true;
    bool workingEnabled = false;
    int workingPaints = 0;
    int waitCursorDepth = 0;
    QString countText;
    bool acted = false;
    QTimer timer;

    ScanWatch(CRaveZivuredDlg& dlg, std::function<void(QWidget* working)> act) {
        timer.setInterval(0);
        QObject::connect(&timer, &QTimer::timeout, [this, &dlg, act] {
            QWidget* working = WorkingWindow();
            if (!working || acted)
                return;
            if (!sawWorking) {
                sawWorking = true;
                // Goes with the window, which goes before the watch.
                struct PaintCounter : QObject {
                    int* paints;
                    PaintCounter(int* p, QObject* parent) : QObject(parent), paints(p) {}
                    bool eventFilter(QObject*, QEvent* e) override {
                        if (e->type() == QEvent::Paint)
                            ++*paints;
                        return false;
                    }
                };
                working->installEventFilter(new PaintCounter(&workingPaints, working));
            }
            mainEnabled = dlg.IsWindowEnabled();
            workingEnabled = working->isEnabled();
            waitCursorDepth = dynamic_cast<CCountingWaitCursor&>(WaitCursorService()).Depth();
            for (QLabel* label : working->findChildren<QLabel*>())
                if (label->text().startsWith(QStringLiteral("Files found: ")))
                    countText = label->text();
            if (countText.isEmpty() || countText == QStringLiteral("Files found: 0"))
                return;
            acted = true;
            act(working);
        });
        timer.start();
    }
};

QPushButton* StopButton(QWidget* working) {
    for (QPushButton* button : working->findChildren<QPushButton*>())
        if (button->text() == QStringLiteral("Stop"))
            return button;
    return nullptr;
}

struct StopCase {
    const char* name;
    void (*stop)(QWidget* working);
};

void PrintTo(const StopCase& c, std::ostream* os) {
    *os << c.name;
}

class StoppingAScan : public Refresh, public testing::WithParamInterface<StopCase> {};

TEST_P(StoppingAScan, ShowsWhatWasCountedAsIncompleteUntilTheNextFullScan) {
    CRaveZivuredDlg::s_progressInterval = std::chrono::milliseconds(0);
    chooser.answers = {CString(ManyFiles()), CString(ManyFiles())};

    RunMainWindow([&](CRaveZivuredDlg& dlg) {
        ScanWatch watch(dlg, GetParam().stop);
        WaitForChoice(chooser, dlg, 1);
        watch.timer.stop();
        ASSERT_TRUE(watch.acted) << "the scan never showed a count";
        EXPECT_FALSE(watch.mainEnabled) << "the main window takes no input during a scan";
        EXPECT_TRUE(watch.workingEnabled);
        EXPECT_GT(watch.workingPaints, 0) << "the \"Working...\" window is painted";
        EXPECT_EQ(watch.waitCursorDepth, 1);

        // What was counted until the stop, said to be incomplete.
        EXPECT_TRUE(dlg.IsResultIncomplete());
        EXPECT_GT(dlg.m_nTotalFiles, 0);
        EXPECT_LT(dlg.m_nTotalFiles, kManyFiles);
        EXPECT_EQ(SumOfCounts(dlg), dlg.m_nTotalFiles);
        EXPECT_EQ(Field(dlg, IDC_TOTAL_FILES), std::to_string(dlg.m_nTotalFiles));
        EXPECT_EQ(Window(dlg)->windowTitle().toStdString(),
                  AppTitle() + " - scan stopped, table incomplete");
        EXPECT_TRUE(dlg.IsWindowEnabled());
        EXPECT_TRUE(dlg.IsWindowVisible()) << "stopping the scan leaves the window open";

        // The next scan that runs to its end is complete again.
        ClickBrowse(dlg);
        WaitForChoice(chooser, dlg, 2);
        EXPECT_FALSE(dlg.IsResultIncomplete());
        EXPECT_EQ(dlg.m_nTotalFiles, kManyFiles);
        EXPECT_EQ(Rows(dlg), (std::vector<Row>{{"1", ".log", "2250"}, {"2", ".bak", "750"}}));
        EXPECT_EQ(Window(dlg)->windowTitle().toStdString(), AppTitle());
    });
}

INSTANTIATE_TEST_SUITE_P(
    Ways, StoppingAScan,
    testing::Values(
        StopCase{"StopButton",
                 [](QWidget* working) {
                     QPushButton* stop = StopButton(working);
                     ASSERT_NE(stop, nullptr);
                     QTest::mouseClick(stop, Qt::LeftButton);
                 }},
        StopCase{"Esc", [](QWidget* working) { QTest::keyClick(working, Qt::Key_Escape); }},
        StopCase{"Enter", [](QWidget* working) { QTest::keyClick(working, Qt::Key_Return); }},
        StopCase{"CloseBox", [](QWidget* working) { working->close(); }}),
    [](const testing::TestParamInfo<StopCase>& info) { return info.param.name; });

TEST_F(Refresh, ClosingTheMainWindowDuringAScanStopsItAndEndsTheRun) {
    CRaveZivuredDlg::s_progressInterval = std::chrono::milliseconds(0);
    chooser.answers = {CString(ManyFiles())};
    int total = -1;
    bool visibleDuringScan = false;
    const int result = RunMainWindow([&](CRaveZivuredDlg& dlg) {
        ScanWatch watch(dlg, [&](QWidget*) {
            Window(dlg)->close();
            visibleDuringScan = dlg.IsWindowVisible();
        });
        WaitForChoice(chooser, dlg, 1);
        ASSERT_TRUE(watch.acted);
        total = dlg.m_nTotalFiles;
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(visibleDuringScan) << "the window ends once the scan has returned";
    EXPECT_GT(total, 0);
    EXPECT_LT(total, kManyFiles) << "the scan was stopped";
    EXPECT_EQ(StoredSetting("FolderPath").toString().toStdString(), ManyFiles());
}

TEST_F(Refresh, NothingStartsASecondScanFromInsideAScan) {
    CRaveZivuredDlg::s_progressInterval = std::chrono::milliseconds(0);
    chooser.answers = {CString(ManyFiles()), CString(dir.path())};
    std::size_t openedDuringScan = 0;
    RunMainWindow([&](CRaveZivuredDlg& dlg) {
        ScanWatch watch(dlg, [&](QWidget* working) {
            // What a queued message could do while the scan lets events through.
            dlg.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_BROWSE, BN_CLICKED));
            dlg.RefreshList();
            openedDuringScan = chooser.opened.size();
            QTest::mouseClick(StopButton(working), Qt::LeftButton);
        });
        WaitForChoice(chooser, dlg, 1);
        ASSERT_TRUE(watch.acted);
        EXPECT_EQ(openedDuringScan, 1u);
        EXPECT_EQ(chooser.opened.size(), 1u);
        EXPECT_EQ(dlg.m_strFolder, CString(ManyFiles()));
        EXPECT_EQ(SumOfCounts(dlg), dlg.m_nTotalFiles) << "the table matches its total";
        EXPECT_TRUE(dlg.IsResultIncomplete());
    });
}

// The "Working..." window asks for the middle of the screen, and gets it wherever the main
// window has been moved (other owned windows sit over their owner).
TEST_F(Refresh, TheWorkingWindowIsCentredOnTheScreenWhereverTheMainWindowIs) {
    MakePictures(dir.path());
    QRect working;
    QRect screen;
    RunMainWindow([&](CRaveZivuredDlg& dlg) {
        ASSERT_TRUE(ProcessEventsUntil([&] { return !chooser.opened.empty(); }));
        QWidget* main = Window(dlg);
        screen = main->screen()->availableGeometry();
        main->move(screen.topLeft() + QPoint(7, 11));
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (QWidget* w = WorkingWindow())
                working = w->frameGeometry();
        });
        watch.start(0);
        dlg.m_strFolder = CString(dir.path());
        dlg.RefreshList();
    });
    ASSERT_FALSE(working.isNull()) << "the \"Working...\" window was never seen";
    EXPECT_LE((working.center() - screen.center()).manhattanLength(), 2)
        << "at " << working.x() << "," << working.y();
}

// ---- The toolkit's own chooser ----

QFileDialog* OpenChooser() {
    QFileDialog* found = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<QFileDialog*>(w); d && d->isVisible()) {
            EXPECT_EQ(found, nullptr) << "two choosers open";
            found = d;
        }
    return found;
}

// Runs script with the open chooser once it is up (from a timer: the chooser runs its own
// loop, so the caller is not back until it has closed).
void WhenChooserOpens(const std::function<void(QFileDialog*)>& script) {
    WhenAppears([] { return static_cast<QWidget*>(OpenChooser()); },
                [script](QWidget* chooser) { script(static_cast<QFileDialog*>(chooser)); }, 1000);
}

TEST(DefaultChooser, OpensOnItsOwnPreselectsRaisesAndClosesWithTheWindow) {
    ClearSettings();
    g_strLastFolder = "";
    TempDir dir;
    MakePictures(dir.path());
    const QString folder = QString::fromStdString(dir.path());
    bool firstSeen = false;
    bool secondSeen = false;
    const int result = RunMainWindow([&](CRaveZivuredDlg& dlg) {
        WhenChooserOpens([&](QFileDialog* chooser) {
            firstSeen = true;
            EXPECT_EQ(chooser->windowTitle(), QStringLiteral("Please Select the Desired Folder."));
            EXPECT_EQ(chooser->windowModality(), Qt::NonModal);
            EXPECT_EQ(chooser->parentWidget(), nullptr);
            EXPECT_EQ(chooser->fileMode(), QFileDialog::Directory);
            EXPECT_TRUE(dlg.IsWindowEnabled());

            // A second "..." brings the same chooser forward.
            Window(dlg)->activateWindow();
            ProcessEventsUntil([&] { return QApplication::activeWindow() == Window(dlg); }, 1000);
            ClickBrowse(dlg);
            EXPECT_EQ(OpenChooser(), chooser);
            EXPECT_TRUE(
                ProcessEventsUntil([&] { return QApplication::activeWindow() == chooser; }, 2000));

            chooser->setDirectory(folder);
            static_cast<QDialog*>(chooser)->accept(); // as the Choose button does
        });
        ASSERT_TRUE(
            ProcessEventsUntil([&] { return firstSeen && !OpenChooser() && !dlg.IsRefreshing(); }));
        EXPECT_EQ(dlg.m_nTotalFiles, 8);
        EXPECT_EQ(Field(dlg, IDC_FOLDER), dir.path());
        EXPECT_EQ(Rows(dlg).size(), 3u);

        // Opened again, it shows the folder of the table; closing the main window closes
        // it and ends the run.
        WhenChooserOpens([&](QFileDialog* chooser) {
            secondSeen = true;
            EXPECT_EQ(chooser->directory().absolutePath(), folder);
            Window(dlg)->close();
        });
        ClickBrowse(dlg);
    });
    EXPECT_TRUE(firstSeen);
    EXPECT_TRUE(secondSeen);
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(OpenChooser(), nullptr);
    // The chooser leaves no trace of the folders it visited: the configuration folder
    // holds the program's own settings and nothing else.
    const std::string config = std::getenv("XDG_CONFIG_HOME");
    EXPECT_EQ(Names(config), std::vector<std::string>{RZ_MAKER_DOMAIN});
    EXPECT_EQ(Names(config + "/" RZ_MAKER_DOMAIN), std::vector<std::string>{RZ_APP_TITLE ".conf"});
}

// The toolkit's settings file is shared by every Qt program of the user: what was there
// before the chooser opened is there, unchanged, after it closed.
TEST(DefaultChooser, LeavesTheToolkitsSharedSettingsAsItFoundThem) {
    const auto values = [] {
        QSettings qt(QSettings::UserScope, QStringLiteral("QtProject"));
        std::map<std::string, std::string> all;
        for (const QString& key : qt.allKeys())
            all[key.toStdString()] = qt.value(key).toString().toStdString();
        return all;
    };
    {
        QSettings qt(QSettings::UserScope, QStringLiteral("QtProject"));
        qt.setValue("FileDialog/lastVisited", "file:///somewhere/else");
        qt.setValue("FileDialog/history", "file:///a");
        qt.setValue("Other/kept", "1");
    }
    const auto before = values();
    TempDir dir;
    WhenChooserOpens([&](QFileDialog* chooser) {
        chooser->setDirectory(QString::fromStdString(dir.path()));
        chooser->reject();
    });
    BROWSEINFO info;
    CString path;
    EXPECT_FALSE(FolderChooserService().Browse(info, path));
    EXPECT_EQ(values(), before);
    QSettings(QSettings::UserScope, QStringLiteral("QtProject")).clear();
}

} // namespace
