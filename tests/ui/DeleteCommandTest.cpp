// The "Delete Files" command: one question per selected row in list order, only an
// explicit Yes moves files to the trash, a report for what could not be trashed, and a
// fresh scan afterwards whatever the answers.
#include "tests/ui/UiTestSupport.h"

#include "platform/core/NumberText.h"
#include "platform/window/Menu.h"
#include "platform/window/Styles.h"
#include "platform/window/WinDefs.h"
#include "res/resource.h"
#include "res/version.h"
#include "tests/support/PermissionBits.h"
#include "tests/support/PrivateMount.h"
#include "tests/support/TempTree.h"
#include "tests/support/TrashInfo.h"
#include "tests/support/Trees.h"
#include "ui/RaveZivuredDlg.h"
#include "ui/trash/TrashRequest.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

using Rows = std::vector<std::vector<std::string>>;

// Stands in for the progress and report windows: records what would have been shown.
class CRecordingDisplays : public ITrashDisplays {
public:
    CRecordingDisplays() { SetTrashDisplays(this); }
    ~CRecordingDisplays() override { SetTrashDisplays(nullptr); }
    void BeginProgress(TrashWork, std::size_t) override {}
    bool UpdateProgress(std::size_t, std::size_t, std::string_view) override { return true; }
    void EndProgress() override {}
    void ShowReport(const TrashReport& report) override { reports.push_back(report); }

    std::vector<TrashReport> reports;
};

Rows TableOf(CRaveZivuredDlg& dlg) {
    Rows rows;
    for (int i = 0; i < dlg.m_listExt.GetItemCount(); ++i)
        rows.push_back({dlg.m_listExt.GetItemText(i, 0).str(),
                        dlg.m_listExt.GetItemText(i, 1).str(),
                        dlg.m_listExt.GetItemText(i, 2).str()});
    return rows;
}

void SelectExtensions(CRaveZivuredDlg& dlg, const std::vector<std::string>& extensions) {
    for (int i = 0; i < dlg.m_listExt.GetItemCount(); ++i) {
        for (const std::string& ext : extensions) {
            if (dlg.m_listExt.GetItemText(i, 1).str() == ext)
                dlg.m_listExt.SetItemState(i, LVIS_SELECTED, LVIS_SELECTED);
        }
    }
}

// The original paths of everything in the process's trash, from the info files.
std::vector<std::string> TrashedPaths() {
    std::vector<std::string> paths;
    for (const auto& [name, record] :
         ReadTrashInfo(std::string(std::getenv("XDG_DATA_HOME")) + "/Trash"))
        paths.push_back(record.path);
    return paths;
}

bool InTrash(const std::string& path) {
    const std::vector<std::string> trashed = TrashedPaths();
    return std::find(trashed.begin(), trashed.end(), path) != trashed.end();
}

class DeleteCommand : public testing::Test {
protected:
    DeleteCommand() {
        ClearSettings();
        MakeTree(dir.path(), kPicturesTree);
    }

    // Scans the folder, then runs script with the filled table.
    void WithScannedWindow(const std::function<void(CRaveZivuredDlg&)>& script) {
        RunMainWindow([&](CRaveZivuredDlg& dlg) {
            dlg.m_strFolder = CString(dir.path());
            dlg.RefreshList();
            script(dlg);
        });
    }

    TempDir dir;
    CCancellingChooser chooser;
    CScriptedMessageBox boxes;
    CRecordingDisplays displays;
};

const Rows kScanned = {{"1", ".jpg", "5"}, {"2", ".txt", "2"}, {"3", ".ini", "1"}};

TEST_F(DeleteCommand, WithoutASelectionItOnlySaysSo) {
    WithScannedWindow([&](CRaveZivuredDlg& dlg) {
        // A file that appears now would show up if the table were scanned again.
        WriteFile(dir / "late.log");
        dlg.SendMessage(WM_COMMAND, IDC_DELETE_FILES, 0);
        EXPECT_EQ(TableOf(dlg), kScanned) << "no new scan";
    });
    ASSERT_EQ(boxes.asked.size(), 1u);
    EXPECT_EQ(boxes.asked[0].text, "Please Select Files to delete from the list to continue.");
    EXPECT_EQ(boxes.asked[0].type, MB_ICONINFORMATION);
    EXPECT_TRUE(Exists(dir / "notes.txt"));
}

TEST_F(DeleteCommand, YesToEachSelectedRowTrashesItsFilesAndScansAgain) {
    boxes.answers = {IDYES, IDYES};
    Rows after;
    CString total;
    const CRaveZivuredDlg* dlg0 = nullptr;
    WithScannedWindow([&](CRaveZivuredDlg& dlg) {
        dlg0 = &dlg;
        ASSERT_EQ(TableOf(dlg), kScanned);
        SelectExtensions(dlg, {".ini", ".txt"});
        dlg.SendMessage(WM_COMMAND, IDC_DELETE_FILES, 0);
        after = TableOf(dlg);
        total.Format("%d", dlg.m_nTotalFiles);
    });

    // One question per row, in list order (.txt stands above .ini), with the exact text.
    ASSERT_EQ(boxes.asked.size(), 2u);
    const std::string folder = dir.path();
    EXPECT_EQ(boxes.asked[0].text.str(), "Are you sure you wish to delete .txt files in folder "
                                         "(including sub folders) " +
                                             folder +
                                             " ?\n\n2 files, 0 bytes will be moved to the trash.");
    EXPECT_EQ(boxes.asked[1].text.str(), "Are you sure you wish to delete .ini files in folder "
                                         "(including sub folders) " +
                                             folder +
                                             " ?\n\n1 file, 0 bytes will be moved to the trash.");
    EXPECT_EQ(boxes.asked[0].type, MB_YESNO | MB_ICONQUESTION);
    EXPECT_EQ(boxes.asked[0].caption, "File Manager by ostrel.example");
    EXPECT_EQ(boxes.asked[0].owner, dlg0);

    for (const char* gone : {"notes.txt", "trip/list.txt", "trip/desktop.ini"}) {
        EXPECT_FALSE(Exists(dir / gone)) << gone;
        EXPECT_TRUE(InTrash(dir / gone)) << gone;
    }
    EXPECT_TRUE(Exists(dir / "trip/day 2/e.jpg"));
    EXPECT_EQ(after, (Rows{{"1", ".jpg", "5"}}));
    EXPECT_EQ(total, "5");
    EXPECT_TRUE(displays.reports.empty()) << "nothing to report when everything was trashed";
}

// ---- What the question says, and what Yes moves ----

// What changes while the question is open, and which files then stay where they are, with
// why (relative path | reason).
struct ChangeCase {
    const char* name;
    void (*change)(const std::string& dir);
    std::vector<std::string> kept;
};

void PrintTo(const ChangeCase& c, std::ostream* os) {
    *os << c.name;
}

class QuestionAndYes : public DeleteCommand, public testing::WithParamInterface<ChangeCase> {};

// The question counts the files and bytes of the collection and lists its paths; Yes moves
// exactly those files: one removed meanwhile is reported, one replaced is left where it is
// and reported, one added meanwhile stays (it was never asked about).
TEST_P(QuestionAndYes, MovesExactlyWhatTheQuestionCountedAndListed) {
    const std::vector<std::string> logs = {"a.log", "trip/b.log", "trip/day 2/empty.log",
                                           "link.log"};
    MakeTree(dir.path(), {{TreeEntry::File, "a.log", std::string(1500, 'a')},
                          {TreeEntry::File, "trip/b.log", std::string(2'000'000, 'b')},
                          {TreeEntry::File, "trip/day 2/empty.log"},
                          {TreeEntry::Link, "link.log", "trip/b.log"}});
    std::uint64_t bytes = 0;
    std::map<std::string, std::uint64_t> sizes;
    std::vector<std::string> expected;
    for (const std::string& log : logs) {
        struct stat st;
        ASSERT_EQ(::lstat((dir / log).c_str(), &st), 0);
        sizes[log] = static_cast<std::uint64_t>(st.st_size);
        bytes += sizes[log];
        expected.push_back(dir / log);
    }
    std::sort(expected.begin(), expected.end());
    std::vector<std::string> listed;
    boxes.answers = {IDYES};
    boxes.whileShown = [&] {
        // Built now: the list is the collection's, which lives only as long as the question.
        const MessageBoxRequest& request = boxes.asked.back();
        ASSERT_TRUE(request.details.text);
        const std::string list = request.details.text();
        for (std::size_t at = 0; at <= list.size();) {
            const std::size_t end = std::min(list.find('\n', at), list.size());
            listed.push_back(list.substr(at, end - at));
            at = end + 1;
        }
        GetParam().change(dir.path());
    };
    WithScannedWindow([&](CRaveZivuredDlg& dlg) {
        SelectExtensions(dlg, {".log"});
        dlg.SendMessage(WM_COMMAND, IDC_DELETE_FILES, 0);
    });

    ASSERT_EQ(boxes.asked.size(), 1u);
    EXPECT_EQ(boxes.asked[0].text.str(),
              "Are you sure you wish to delete .log files in folder (including sub folders) " +
                  dir.path() + " ?\n\n4 files, " + ReadableSize(bytes) +
                  " will be moved to the trash.");
    EXPECT_EQ(ReadableSize(bytes), "1.9 MB");
    EXPECT_EQ(boxes.asked[0].details.showCaption, "Show Files");
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, expected);

    std::vector<std::string> kept;
    for (const TrashReport& report : displays.reports) {
        EXPECT_EQ(report.results.size(), logs.size()) << "what was listed, and only that";
        for (const TrashResult& r : report.results)
            if (!r.trashed)
                kept.push_back(r.path.substr(dir.path().size() + 1) + " | " + r.reason);
    }
    EXPECT_EQ(kept, GetParam().kept);
    std::uint64_t movedBytes = 0;
    for (const std::string& log : logs) {
        const bool reported = std::any_of(kept.begin(), kept.end(), [&](const std::string& k) {
            return k.starts_with(log + " |");
        });
        EXPECT_EQ(InTrash(dir / log), !reported) << log;
        movedBytes += reported ? 0 : sizes[log];
    }
    for (const TrashReport& report : displays.reports)
        EXPECT_EQ(report.TrashedBytes(), movedBytes) << "the bytes the question counted, moved";
    EXPECT_TRUE(Exists(dir / "trip/late.log") == (GetParam().name == std::string("FileAdded")));
}

INSTANTIATE_TEST_SUITE_P(
    Changes, QuestionAndYes,
    testing::Values(
        ChangeCase{"Nothing", [](const std::string&) {}, {}},
        ChangeCase{"FileRemoved",
                   [](const std::string& d) { ASSERT_EQ(::unlink((d + "/a.log").c_str()), 0); },
                   {"a.log | no longer exists"}},
        ChangeCase{"FileReplaced",
                   [](const std::string& d) {
                       ASSERT_EQ(::rename((d + "/a.log").c_str(), (d + "/old").c_str()), 0);
                       WriteFile(d + "/a.log", "new");
                   },
                   {"a.log | changed since the scan"}},
        ChangeCase{"FileAdded",
                   [](const std::string& d) { WriteFile(d + "/trip/late.log", "late"); },
                   {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DeleteCommand, WithNoMatchingFileLeftItSaysSoInsteadOfAsking) {
    WithScannedWindow([&](CRaveZivuredDlg& dlg) {
        SelectExtensions(dlg, {".txt", ".ini"});
        ASSERT_EQ(::unlink((dir / "notes.txt").c_str()), 0);
        ASSERT_EQ(::unlink((dir / "trip/list.txt").c_str()), 0);
        boxes.answers = {IDOK, IDNO};
        dlg.SendMessage(WM_COMMAND, IDC_DELETE_FILES, 0);
        EXPECT_EQ(TableOf(dlg), (Rows{{"1", ".jpg", "5"}, {"2", ".ini", "1"}}));
    });
    ASSERT_EQ(boxes.asked.size(), 2u);
    EXPECT_EQ(boxes.asked[0].text.str(),
              "There are no .txt files left in folder (including sub folders) " + dir.path() + ".");
    EXPECT_EQ(boxes.asked[0].type, MB_ICONINFORMATION);
    EXPECT_FALSE(boxes.asked[0].details.text);
    EXPECT_EQ(boxes.asked[1].type, MB_YESNO | MB_ICONQUESTION) << ".ini is still asked about";
    EXPECT_TRUE(displays.reports.empty());
}

// The "Working..." window stands while the files are collected; its Stop ends the command
// there: nothing is asked, nothing moved, and the folder is scanned again.
TEST_F(DeleteCommand, StoppingTheCollectionAsksNothingAndMovesNothing) {
    std::vector<TreeEntry> many;
    for (int i = 0; i < 3 * CRaveZivuredDlg::kProgressCheckEvery; ++i)
        many.push_back({TreeEntry::File, "many/" + std::to_string(i) + ".log"});
    MakeTree(dir.path(), many);
    const auto interval = std::exchange(CRaveZivuredDlg::s_progressInterval, {});
    bool stopped = false;
    Rows after;
    WithScannedWindow([&](CRaveZivuredDlg& dlg) {
        SelectExtensions(dlg, {".log", ".txt"});
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            for (QWidget* w : QApplication::topLevelWidgets())
                for (QPushButton* b : w->findChildren<QPushButton*>())
                    if (!stopped && w->isVisible() && b->text() == QStringLiteral("Stop")) {
                        stopped = true;
                        b->click();
                    }
        });
        watch.start(0);
        dlg.SendMessage(WM_COMMAND, IDC_DELETE_FILES, 0);
        watch.stop();
        after = TableOf(dlg);
    });
    CRaveZivuredDlg::s_progressInterval = interval;
    EXPECT_TRUE(stopped);
    EXPECT_TRUE(boxes.asked.empty());
    EXPECT_TRUE(TrashedPaths().empty());
    ASSERT_FALSE(after.empty());
    EXPECT_EQ(after[0], (std::vector<std::string>{"1", ".log", std::to_string(many.size())}));
}

// The rows of the list in the box, and whether it is on screen.
QStringList ListedIn(const QMessageBox* box, bool& shown) {
    QStringList rows;
    const auto* list = box->findChild<QListView*>();
    shown = list && list->isVisible();
    for (int i = 0; list && i < list->model()->rowCount(); ++i)
        rows << list->model()->index(i, 0).data().toString();
    return rows;
}

// Qt's box: "Show Files" opens the list of every collected path, which is built only then.
TEST_F(DeleteCommand, ShowFilesOpensTheListOfPathsBuiltOnlyWhenAsked) {
    SetMessageBoxService(nullptr); // the real box
    QStringList before, paths;
    QString caption, copied;
    bool shownBefore = true, shownAfter = false;
    WithScannedWindow([&](CRaveZivuredDlg& dlg) {
        SelectExtensions(dlg, {".txt"});
        WhenModalWindowAppears([&](QWidget* window) {
            auto* box = static_cast<QMessageBox*>(window);
            before = ListedIn(box, shownBefore);
            for (QAbstractButton* b : box->buttons())
                if (b->text() == QStringLiteral("Show Files"))
                    b->click();
            QApplication::processEvents();
            paths = ListedIn(box, shownAfter);
            if (auto* list = box->findChild<QListView*>()) {
                QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
                QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
                copied = QGuiApplication::clipboard()->text();
            }
            for (QAbstractButton* b : box->buttons())
                if (box->buttonRole(b) == QMessageBox::ActionRole)
                    caption = b->text();
            box->button(QMessageBox::No)->click();
        });
        dlg.SendMessage(WM_COMMAND, IDC_DELETE_FILES, 0);
    });
    EXPECT_TRUE(before.isEmpty()) << "built before it was asked for";
    EXPECT_FALSE(shownBefore);
    EXPECT_TRUE(shownAfter);
    EXPECT_EQ(copied, paths.join(QLatin1Char('\n'))) << "Ctrl+A, Ctrl+C: every path, in order";
    paths.sort();
    EXPECT_EQ(paths, (QStringList{QString::fromStdString(dir / "notes.txt"),
                                  QString::fromStdString(dir / "trip/list.txt")}));
    EXPECT_EQ(caption, QStringLiteral("Hide Files"));
    EXPECT_TRUE(Exists(dir / "notes.txt"));
}

struct AnswerCase {
    const char* name;
    int answer;
};

void PrintTo(const AnswerCase& c, std::ostream* os) {
    *os << c.name;
}

class AnswersThatAreNotYes : public DeleteCommand,
                             public testing::WithParamInterface<AnswerCase> {};

TEST_P(AnswersThatAreNotYes, DeleteNothingButStillScanAgain) {
    boxes.answers = {GetParam().answer, GetParam().answer};
    Rows after;
    WithScannedWindow([&](CRaveZivuredDlg& dlg) {
        SelectExtensions(dlg, {".txt", ".jpg"});
        WriteFile(dir / "late.log");
        dlg.SendMessage(WM_COMMAND, IDC_DELETE_FILES, 0);
        after = TableOf(dlg);
    });
    EXPECT_EQ(boxes.asked.size(), 2u);
    for (const char* kept : {"notes.txt", "trip/list.txt", "a.jpg", "trip/day 2/e.jpg"})
        EXPECT_TRUE(Exists(dir / kept)) << kept;
    EXPECT_EQ(
        after,
        (Rows{{"1", ".jpg", "5"}, {"2", ".txt", "2"}, {"3", ".ini", "1"}, {"4", ".log", "1"}}))
        << "scanned again";
}

// A box that could not be shown answers 0: that is no consent to delete anything.
INSTANTIATE_TEST_SUITE_P(Answers, AnswersThatAreNotYes,
                         testing::Values(AnswerCase{"No", IDNO}, AnswerCase{"FailedBox", 0},
                                         AnswerCase{"Cancel", IDCANCEL}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DeleteCommand, AFileThatCannotBeTrashedIsReportedAndStays) {
    // A folder that may not be changed: its file cannot be moved out of it.
    const std::string locked = dir / "locked/kept.ini";
    WriteFile(locked);
    ASSERT_EQ(::chmod((dir / "locked").c_str(), 0555), 0);
    boxes.answers = {IDYES};
    Rows after;
    WithScannedWindow([&](CRaveZivuredDlg& dlg) {
        SelectExtensions(dlg, {".ini"});
        const CPermissionBitsApply evenForRoot;
        dlg.SendMessage(WM_COMMAND, IDC_DELETE_FILES, 0);
        after = TableOf(dlg);
    });
    EXPECT_FALSE(Exists(dir / "trip/desktop.ini"));
    EXPECT_TRUE(Exists(locked));
    ASSERT_EQ(displays.reports.size(), 1u);
    const TrashReport& report = displays.reports[0];
    ASSERT_EQ(report.NotTrashedCount(), 1u);
    EXPECT_EQ(report.TrashedCount(), 1u);
    for (const TrashResult& result : report.results) {
        if (!result.trashed) {
            EXPECT_EQ(result.path, locked);
            EXPECT_EQ(result.reason, "permission denied");
        }
    }
    EXPECT_EQ(after, (Rows{{"1", ".jpg", "5"}, {"2", ".txt", "2"}, {"3", ".ini", "1"}}));
}

// A folder the delete cannot read (here one only root's privileges let the scan read) is
// named in the report with its reason, even when every file it did find was moved.
TEST_F(DeleteCommand, AFolderTheDeleteCouldNotReadIsReportedWithItsReason) {
    const std::string locked = dir / "locked";
    WriteFile(locked + "/kept.ini");
    ASSERT_EQ(::chmod(locked.c_str(), 0), 0);
    boxes.answers = {IDYES};
    WithScannedWindow([&](CRaveZivuredDlg& dlg) {
        SelectExtensions(dlg, {".ini"});
        const CPermissionBitsApply evenForRoot;
        dlg.SendMessage(WM_COMMAND, IDC_DELETE_FILES, 0);
    });
    EXPECT_FALSE(Exists(dir / "trip/desktop.ini"));
    EXPECT_TRUE(Exists(locked + "/kept.ini"));
    ASSERT_EQ(displays.reports.size(), 1u);
    const TrashReport& report = displays.reports[0];
    EXPECT_EQ(report.TrashedCount(), 1u);
    EXPECT_EQ(report.NotTrashedCount(), 0u);
    ASSERT_EQ(report.foldersNotRead.size(), 1u);
    EXPECT_EQ(report.foldersNotRead[0].path, locked);
    EXPECT_EQ(report.foldersNotRead[0].reason, "folder could not be read: permission denied");
}

TEST_F(DeleteCommand, TheEmptyExtensionAsksWithTwoSpacesAndTakesOnlyFilesWithoutOne) {
    MakeTree(dir.path(), {{TreeEntry::File, "README"}, {TreeEntry::File, "sub/Makefile"}});
    boxes.answers = {IDYES};
    WithScannedWindow([&](CRaveZivuredDlg& dlg) {
        SelectExtensions(dlg, {""});
        dlg.SendMessage(WM_COMMAND, IDC_DELETE_FILES, 0);
    });
    ASSERT_EQ(boxes.asked.size(), 1u);
    EXPECT_EQ(boxes.asked[0].text.str().rfind("Are you sure you wish to delete  files in", 0), 0u);
    EXPECT_FALSE(Exists(dir / "README"));
    EXPECT_FALSE(Exists(dir / "sub/Makefile"));
    EXPECT_TRUE(Exists(dir / "notes.txt"));
}

// Every window a scan and a delete open carries the program's caption (the "Working..."
// window its own), never the executable's name.
TEST(Captions, EveryWindowOfAScanAndADeleteCarriesTheProgramsCaption) {
    ClearSettings();
    TempDir dir;
    MakeTree(dir.path(), kPicturesTree);
    // A file in a folder that may not be changed: the delete ends with a report.
    WriteFile(dir / "locked/kept.ini");
    ASSERT_EQ(::chmod((dir / "locked").c_str(), 0555), 0);
    CCancellingChooser chooser;
    std::set<std::string> titles;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible())
                titles.insert(w->windowTitle().toStdString());
    });
    watch.start(0);
    RunMainWindow([&](CRaveZivuredDlg& dlg) {
        dlg.m_strFolder = CString(dir.path());
        dlg.RefreshList();
        SelectExtensions(dlg, {".ini"});
        // The question (Yes), then the report (closed), as a person would.
        WhenModalWindowAppears([](QWidget* box) {
            WhenModalWindowAppears([](QWidget* report) { report->close(); });
            static_cast<QMessageBox*>(box)->button(QMessageBox::Yes)->click();
        });
        const CPermissionBitsApply evenForRoot;
        dlg.SendMessage(WM_COMMAND, IDC_DELETE_FILES, 0);
    });
    // The scan after the delete may be seen saying what it moved.
    titles.erase(std::string(RZ_APP_TITLE) + " - moved 1 file, 0 bytes to the trash");
    EXPECT_EQ(titles, (std::set<std::string>{RZ_APP_TITLE, "Ostrel File Manager Working..."}));
}

} // namespace

// ---- Undo Last Delete ----

namespace {

// The window menu's Undo item is enabled.
bool UndoEnabled(CRaveZivuredDlg& dlg) {
    for (const CMenu::Item& item : dlg.GetSystemMenu(FALSE)->Items())
        if (item.id == IDM_UNDO_LAST_DELETE)
            return item.enabled;
    ADD_FAILURE() << "no Undo item in the window menu";
    return false;
}

void PressCtrlZ(CRaveZivuredDlg& dlg) {
    QTest::keyClick(Widget(dlg.GetDlgItem(IDC_EXT_LIST)), Qt::Key_Z, Qt::ControlModifier);
}

void DeleteSelected(CRaveZivuredDlg& dlg, const std::vector<std::string>& extensions) {
    for (int i = 0; i < dlg.m_listExt.GetItemCount(); ++i)
        dlg.m_listExt.SetItemState(i, 0, LVIS_SELECTED);
    SelectExtensions(dlg, extensions);
    dlg.SendMessage(WM_COMMAND, IDC_DELETE_FILES, 0);
}

} // namespace

TEST_F(DeleteCommand, CtrlZPutsBackEveryExtensionOfTheLastClickAndScansAgain) {
    boxes.answers = {IDYES, IDYES, IDYES};
    WriteFile(dir / "notes.txt", std::string(512, 'n'));
    WriteFile(dir / "a.jpg", std::string(1536, 'j'));
    Rows afterDeletes;
    Rows afterUndo;
    // The title of the scan after each delete and the undo says what moved, once.
    std::vector<std::string> titles;
    const auto title = [&](CRaveZivuredDlg& dlg) { titles.push_back(dlg.GetWindowText().str()); };
    WithScannedWindow([&](CRaveZivuredDlg& dlg) {
        EXPECT_FALSE(UndoEnabled(dlg)) << "nothing to undo yet";
        PressCtrlZ(dlg);
        EXPECT_EQ(TableOf(dlg), kScanned);

        DeleteSelected(dlg, {".ini"});
        title(dlg);
        DeleteSelected(dlg, {".txt", ".jpg"});
        title(dlg);
        afterDeletes = TableOf(dlg);
        EXPECT_TRUE(UndoEnabled(dlg));
        PressCtrlZ(dlg);
        title(dlg);
        afterUndo = TableOf(dlg);
        EXPECT_FALSE(UndoEnabled(dlg)) << "the undo is used up";
        dlg.RefreshList();
        title(dlg);
    });
    const std::string app = RZ_APP_TITLE;
    EXPECT_EQ(titles, (std::vector<std::string>{app + " - moved 1 file, 0 bytes to the trash",
                                                app + " - moved 7 files, 2.0 KB to the trash",
                                                app + " - put back 7 files, 2.0 KB", app}));
    EXPECT_TRUE(afterDeletes.empty());
    EXPECT_EQ(boxes.asked.size(), 3u) << "no question for the undo";
    // The last click took .txt and .jpg: both come back; the .ini of the click before stays.
    EXPECT_EQ(afterUndo, (Rows{{"1", ".jpg", "5"}, {"2", ".txt", "2"}}));
    for (const char* back : {"notes.txt", "trip/list.txt", "a.jpg", "trip/day 2/e.jpg"}) {
        EXPECT_TRUE(Exists(dir / back)) << back;
        EXPECT_FALSE(InTrash(dir / back)) << back << " keeps no record";
    }
    EXPECT_TRUE(InTrash(dir / "trip/desktop.ini"));
    EXPECT_TRUE(displays.reports.empty());
}

TEST_F(DeleteCommand, UndoFromTheWindowMenuReportsAFileWhosePlaceIsTaken) {
    boxes.answers = {IDYES};
    Rows afterUndo;
    WithScannedWindow([&](CRaveZivuredDlg& dlg) {
        DeleteSelected(dlg, {".txt"});
        WriteFile(dir / "notes.txt", "written since");
        dlg.SendMessage(WM_SYSCOMMAND, IDM_UNDO_LAST_DELETE);
        afterUndo = TableOf(dlg);
        EXPECT_FALSE(UndoEnabled(dlg));
    });
    EXPECT_EQ(ReadFile(dir / "notes.txt"), "written since");
    EXPECT_TRUE(Exists(dir / "trip/list.txt"));
    EXPECT_TRUE(InTrash(dir / "notes.txt"));
    ASSERT_EQ(displays.reports.size(), 1u);
    const TrashReport& report = displays.reports[0];
    EXPECT_EQ(report.work, TrashWork::Undo);
    ASSERT_EQ(report.NotTrashedCount(), 1u);
    for (const TrashResult& r : report.results) {
        if (!r.trashed) {
            EXPECT_EQ(r.path + " | " + r.reason, dir / "notes.txt | its place is taken");
        }
    }
    EXPECT_EQ(afterUndo, kScanned);
}

// ---- Other drives inside the folder ----

namespace {

// Set in the process that runs the window on the drives: the test's folder.
constexpr const char* kDrivesFolder = "RZ_TEST_DRIVES_FOLDER";

// folder/tree: notes.txt and a.jpg on the drive of the test's folder; bind, a FUSE drive
// (bindfs of folder/bindsrc) with sub/a.txt and c.jpg; btrfs, a btrfs drive with top.txt
// and the subvolume sv holding sub/b.txt.
const std::vector<std::string> kTextsOnDrives = {"notes.txt", "bind/sub/a.txt", "btrfs/top.txt",
                                                 "btrfs/sv/sub/b.txt"};

// In that process: the delete of .txt and its undo, as a user would run them.
void DeleteAndUndoOnDrives(const std::string& folder) {
    ASSERT_NE(::mkdir((folder + "-beside").c_str(), 0700), 0) << "writable outside its folder";
    EXPECT_EQ(errno, EROFS);
    ClearSettings();
    const std::string tree = folder + "/tree";
    CCancellingChooser chooser;
    CScriptedMessageBox boxes;
    CRecordingDisplays displays;
    boxes.answers = {IDYES};
    Rows scanned, afterDelete, afterUndo;
    std::string listed, listedWithSubvolume;
    RunMainWindow([&](CRaveZivuredDlg& dlg) {
        dlg.m_strFolder = CString(tree);
        dlg.RefreshList();
        scanned = TableOf(dlg);
        DeleteSelected(dlg, {".txt"});
        afterDelete = TableOf(dlg);
        // trash-list (0.17) looks for trashes at the top of mounts only: it is shown the
        // subvolume as a mount of its own for a second look.
        listed = CommandOutput("trash-list");
        const std::string sv = tree + "/btrfs/sv";
        listedWithSubvolume = CommandOutput("unshare -m sh -c \"mount --bind '" + sv + "' '" + sv +
                                            "' && trash-list\"");
        dlg.SendMessage(WM_SYSCOMMAND, IDM_UNDO_LAST_DELETE);
        afterUndo = TableOf(dlg);
    });
    EXPECT_EQ(scanned, (Rows{{"1", ".txt", "4"}, {"2", ".jpg", "2"}}));
    EXPECT_EQ(afterDelete, (Rows{{"1", ".jpg", "2"}}));
    for (const TrashReport& report : displays.reports)
        for (const TrashResult& r : report.results)
            EXPECT_TRUE(r.trashed) << r.path << ": " << r.reason;
    for (const std::string& file : kTextsOnDrives) {
        const std::string path = tree + "/" + file;
        const bool inSubvolume = file.starts_with("btrfs/sv/");
        EXPECT_NE((inSubvolume ? listedWithSubvolume : listed).find(" " + path + "\n"),
                  std::string::npos)
            << listed << listedWithSubvolume;
        EXPECT_EQ(ReadFile(path), file) << "put back";
    }
    EXPECT_EQ(afterUndo, scanned);
}

} // namespace

// The window's delete and Undo on a FUSE drive and in a btrfs subvolume inside the chosen
// folder: every file goes to the trash of its drive, trash-list shows each at its path,
// and Undo puts them back. The drives are mounted in a mount namespace of the test's own,
// in which everything but the test's folder is read-only, and the window runs in a fresh
// process of this test program started there (a process that has painted cannot start a
// painting child by fork alone).
TEST(DeleteOnDrives, TrashesEveryFileOnAFuseDriveAndInABtrfsSubvolumeAndUndoPutsThemBack) {
    if (const char* folder = std::getenv(kDrivesFolder)) {
        DeleteAndUndoOnDrives(folder);
        return;
    }
    TempDir dir;
    const std::string tree = dir / "tree";
    MakeTree(dir.path(), {{TreeEntry::File, "tree/notes.txt", "notes.txt"},
                          {TreeEntry::File, "tree/a.jpg"},
                          {TreeEntry::Dir, "tree/bind"},
                          {TreeEntry::Dir, "tree/btrfs"},
                          {TreeEntry::File, "bindsrc/sub/a.txt", "bind/sub/a.txt"},
                          {TreeEntry::File, "bindsrc/c.jpg"},
                          {TreeEntry::Dir, "run"}});
    const ChildResult child = InPrivateMounts([&](std::string& out) {
        std::string why = MountBindfs(dir / "bindsrc", tree + "/bind");
        if (why.empty())
            why = MountBtrfs(dir / "btrfs.img", tree + "/btrfs");
        if (why.empty() &&
            std::system(("btrfs subvolume create '" + tree + "/btrfs/sv' >/dev/null").c_str()) != 0)
            why = "cannot create a btrfs subvolume";
        if (why.empty()) {
            MakeTree(tree + "/btrfs", {{TreeEntry::File, "top.txt", "btrfs/top.txt"},
                                       {TreeEntry::File, "sv/sub/b.txt", "btrfs/sv/sub/b.txt"}});
            why = OnlyWritable({dir.path()});
        }
        if (!why.empty()) {
            out = std::string(kCannotMount) + ": " + why;
            return;
        }
        ::setenv(kDrivesFolder, dir.path().c_str(), 1);
        ::setenv("TMPDIR", (dir / "run").c_str(), 1);
        const std::string filter =
            "--gtest_filter=" +
            std::string(testing::UnitTest::GetInstance()->current_test_info()->test_suite_name()) +
            "." + testing::UnitTest::GetInstance()->current_test_info()->name();
        std::fflush(nullptr);
        ::execl("/proc/self/exe", "ui_tests", filter.c_str(), static_cast<char*>(nullptr));
        out = "cannot start the test program again";
    });
    if (CannotMount(child.out))
        GTEST_SKIP() << child.out;
    EXPECT_EQ(child.exitStatus, 0) << child.out << " (the window's run is reported above)";
}
