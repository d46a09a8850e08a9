// The windows of a delete (CTrashWindows: CTrashProgressWnd, CTrashReportWnd) as a user
// meets them, on the offscreen platform. Cases that trash files or show a window run in a
// child process (see InChild.h). Set RZ_SCREENSHOT_DIR to a folder to get PNGs of them.
#include "ui/trash/TrashWindows.h"
#include "deletion/FileOperation.h"
#include "platform/qt/Handles.h"
#include "platform/window/Styles.h"
#include "res/resource.h"
#include "res/version.h"
#include "tests/support/TrashSandbox.h"
#include "tests/ui/UiTestSupport.h"
#include "tests/ui/trash/InChild.h"
#include "ui/trash/TrashReportWnd.h"
#include "ui/trash/TrashTexts.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QToolTip>
#include <QTreeView>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>

namespace {

using namespace std::chrono_literals;

void Screenshot(QWidget* window, const char* name) {
    if (const char* dir = std::getenv("RZ_SCREENSHOT_DIR"))
        window->grab().save(QString::fromLocal8Bit(dir) + "/" + name + ".png");
}

QString Q(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

// What control id of dialog shows on screen.
QString Shown(const CDialog& dialog, int id) {
    auto* label = qobject_cast<QLabel*>(Widget(dialog.GetDlgItem(id)));
    return label ? label->text() : QString("(no label %1)").arg(id);
}

QPushButton* Button(const CDialog& dialog, int id) {
    return qobject_cast<QPushButton*>(Widget(dialog.GetDlgItem(id)));
}

QTreeView* List(const CTrashReportWnd& window) {
    return qobject_cast<QTreeView*>(Widget(window.m_listFiles.GetSafeHwnd()));
}

// A window for the trash windows to belong to, as the main window would be.
struct Owner {
    CDialog dialog{IDD_ABOUTBOX};
    Owner() {
        dialog.Create(IDD_ABOUTBOX);
        dialog.ShowWindow(SW_SHOWNORMAL);
    }
    ~Owner() { dialog.DestroyWindow(); }
};

// The rows of a report window: the text each cell shows, and the bytes behind the path.
struct Row {
    QString file;
    QString reason;
    std::string bytes;
};
std::vector<Row> Rows(const CTrashReportWnd& window) {
    std::vector<Row> rows;
    const QAbstractItemModel* model = List(window) ? List(window)->model() : nullptr;
    for (int r = 0; model && r < model->rowCount(); ++r)
        rows.push_back({model->index(r, CTrashReportWnd::FileColumn).data().toString(),
                        model->index(r, CTrashReportWnd::ReasonColumn).data().toString(),
                        window.RowResult(r)->path});
    return rows;
}

// The tooltip the list of window shows over row, as the mouse resting there asks for it.
QString Tooltip(const CTrashReportWnd& window, int row) {
    QTreeView* list = List(window);
    const QPoint at = list->visualRect(list->model()->index(row, 1)).center();
    QHelpEvent ask(QEvent::ToolTip, at, list->viewport()->mapToGlobal(at));
    QCoreApplication::sendEvent(list->viewport(), &ask);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
}

// Runs the report of report modally over owner, calls look with it once it is up, then
// closes it with its Close button.
void WhileShown(const TrashReport& report, CDialog& owner,
                const std::function<void(CTrashReportWnd&)>& look) {
    CTrashReportWnd window(report, &owner);
    WhenModalWindowAppears([&](QWidget*) {
        look(window);
        Button(window, IDOK)->click();
    });
    EXPECT_EQ(window.DoModal(), IDOK);
}

// A file name's bytes as the progress window and the report show them: valid names as they
// are, bytes that are not UTF-8 and control characters (a newline in a name) as U+FFFD.
TEST(TrashWindows, ShowValidNamesAsTheyAreAndEverythingElseAsReplacementCharacters) {
    struct Case {
        std::string bytes;
        QString shown;
    } cases[] = {
        {"plain name.txt", "plain name.txt"},
        {"caf\xc3\xa9 \xe2\x82\xac.txt", QString::fromUtf8("café €.txt")},
        {"caf\xe9.txt", QString("caf") + QChar(0xfffd) + ".txt"},
        {"new\nline\t.txt", QString("new") + QChar(0xfffd) + "line" + QChar(0xfffd) + ".txt"},
        {std::string("nul\0byte", 8), QString("nul") + QChar(0xfffd) + "byte"},
    };
    InChild([&] {
        Owner owner;
        CTrashProgressWnd progress(&owner.dialog, TrashWork::Delete);
        ASSERT_TRUE(progress.Show());
        TrashReport report;
        for (const Case& c : cases) {
            progress.SetProgress(0, 1, c.bytes);
            EXPECT_EQ(Shown(progress, IDC_TRASH_FILE), c.shown) << c.bytes;
            report.results.push_back({"/data/" + c.bytes, false, "no longer exists", {}});
        }
        progress.DestroyWindow();
        WhileShown(report, owner.dialog, [&](CTrashReportWnd& window) {
            const std::vector<Row> rows = Rows(window);
            ASSERT_EQ(rows.size(), std::size(cases));
            for (std::size_t i = 0; i < rows.size(); ++i) {
                EXPECT_EQ(rows[i].file, "/data/" + cases[i].shown) << cases[i].bytes;
                EXPECT_EQ(rows[i].bytes, "/data/" + cases[i].bytes);
            }
        });
    });
}

// The whole path a delete takes through the windows: the progress window is up from the
// first file (delay forced to 0), takes the program's input, shows the count, the name and
// the folder, and its Stop button, clicked while files are being trashed, stops before the
// next file.
TEST(TrashWindows, ProgressAppearsOverTheOwnerAndItsStopButtonStopsBetweenFiles) {
    TrashSandbox box;
    const std::string folder = box.tree() + "/Pictures/2023 Summer holiday";
    const std::vector<std::string> paths = {folder + "/caf\xe9 by the harbour.jpg",
                                            folder + "/IMG_2041.jpg", folder + "/IMG_2042.jpg"};
    for (const std::string& p : paths)
        WriteFile(p, "jpeg");

    // Delegates to the real windows; at the second file it clicks Stop the way a user
    // would: an event waiting in the queue when the window next handles its events.
    class Spy : public ITrashDisplays {
    public:
        CTrashWindows real;
        std::vector<std::string> seen;
        explicit Spy(CDialog* owner) : real(owner) {}
        void Put(const std::string& what) { seen.push_back(what); }

        void BeginProgress(TrashWork work, std::size_t total) override {
            real.BeginProgress(work, total);
            const CTrashProgressWnd* w = real.ProgressWindow();
            QWidget* window = w ? Window(*w) : nullptr;
            Put(window && window->isVisible() ? "visible" : "not visible");
            Put(window && window->windowModality() == Qt::ApplicationModal ? "app modal"
                                                                           : "modeless");
            Put(w ? std::string(w->GetWindowText().view()) : "");
        }
        bool UpdateProgress(std::size_t done, std::size_t total, std::string_view path) override {
            CTrashProgressWnd* w = real.ProgressWindow();
            if (done == 1)
                QMetaObject::invokeMethod(Button(*w, IDCANCEL), &QPushButton::click,
                                          Qt::QueuedConnection);
            const bool keepGoing = real.UpdateProgress(done, total, path);
            if (done == 0) {
                Put(Shown(*w, IDC_TRASH_COUNT).toStdString());
                Put(Shown(*w, IDC_TRASH_FILE).toStdString());
                Put(Shown(*w, IDC_TRASH_FOLDER).toStdString());
                Screenshot(Window(*w), "trash-progress");
            }
            Put(keepGoing ? "go on" : "stop");
            return keepGoing;
        }
        void EndProgress() override {
            real.EndProgress();
            bool anyLeft = false;
            for (QWidget* w : QApplication::topLevelWidgets())
                anyLeft |=
                    dynamic_cast<CTrashProgressWnd*>(CDialog::FromHandle(HandleOf(w))) != nullptr;
            Put(anyLeft || real.ProgressWindow() ? "progress left" : "progress gone");
        }
        void ShowReport(const TrashReport& report) override {
            WhenModalWindowAppears([this](QWidget* found) {
                auto* window = dynamic_cast<CTrashReportWnd*>(CDialog::FromHandle(HandleOf(found)));
                Put(window ? std::string(window->GetDlgItemText(IDC_TRASH_SUMMARY).view())
                           : "no report window");
                if (window) {
                    for (const Row& row : Rows(*window))
                        Put(row.bytes + " | " + row.reason.toStdString());
                    window->EndDialog(IDOK);
                }
            });
            real.ShowReport(report);
        }
    };

    InChild([&] {
        box.Enter();
        Owner owner;
        Spy displays(&owner.dialog);
        CFileOperation op;
        for (const std::string& p : paths)
            op.m_arrSource.Add(CString(p));
        CDeleteRequest request(op);
        RunTrashJob(DeleteJob(request.Request(), nullptr, nullptr), displays, {0ms, 0ms, {}});
        EXPECT_EQ(displays.seen,
                  (std::vector<std::string>{
                      "visible", "app modal", RZ_APP_TITLE, "0 of 3 files done",
                      "caf\xef\xbf\xbd by the harbour.jpg", "in " + folder, "go on", "stop",
                      "progress gone",
                      "1 of 3 files was moved to the trash; 2 were not moved because the "
                      "delete was stopped."}));
    });
    // The first file went to the trash under its own bytes; the rest did not move.
    EXPECT_EQ(ReadFile(box.trash() + "/files/caf\xe9 by the harbour.jpg"), "jpeg");
    EXPECT_EQ(ReadFile(paths[1]), "jpeg");
    EXPECT_EQ(ReadFile(paths[2]), "jpeg");
}

TEST(TrashProgressWnd, StopEscAndTheCloseBoxAllAskToStopAndKeepTheWindowUp) {
    const std::vector<std::pair<const char*, std::function<void(CTrashProgressWnd&)>>> actions = {
        {"Stop button", [](CTrashProgressWnd& w) { Button(w, IDCANCEL)->click(); }},
        {"Esc",
         [](CTrashProgressWnd& w) {
             QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
             QCoreApplication::sendEvent(Window(w), &esc);
         }},
        {"close box", [](CTrashProgressWnd& w) { EXPECT_FALSE(Window(w)->close()); }},
    };
    InChild([&] {
        for (const auto& [name, act] : actions) {
            SCOPED_TRACE(name);
            CTrashProgressWnd window(nullptr, TrashWork::Delete);
            ASSERT_TRUE(window.Show());
            window.SetProgress(2, 10, "/home/user/b.txt");
            QCoreApplication::processEvents();
            EXPECT_EQ(window.SendDlgItemMessage(IDC_TRASH_BAR, PBM_GETPOS), 200) << "per mille";
            EXPECT_FALSE(window.StopRequested());
            act(window);
            QCoreApplication::processEvents();
            EXPECT_TRUE(window.StopRequested());
            EXPECT_TRUE(window.IsWindowVisible());
            EXPECT_FALSE(Button(window, IDCANCEL)->isEnabled());
            EXPECT_EQ(Shown(window, IDC_TRASH_COUNT), "Stopping after the current file...");
            window.DestroyWindow();
        }
    });
}

TEST(TrashReportWnd, ListsEachFileNotTrashedWithItsReasonAndNothingElse) {
    TrashReport report;
    report.results = {
        {"/home/user/Documents/notes.txt", true, {}, {}, 1536},
        {"/home/user/Documents/shared/minutes of the meeting.txt", false, "permission denied",
         "Error trashing file: Permission denied"},
        {"/home/user/Documents/archive.txt", false, "is now a folder", {}},
        {"/home/user/Documents/caf\xe9.txt", false, "no longer exists", {}},
        {"/home/user/Documents/readme.txt", true, {}, {}, 512},
        {"/media/usb/old report.txt", false, "no trash on that drive", {}},
    };
    InChild([&] {
        Owner owner;
        WhileShown(report, owner.dialog, [&](CTrashReportWnd& window) {
            EXPECT_EQ(Window(window)->parentWidget(), Window(owner.dialog));
            EXPECT_EQ(Window(window)->windowTitle(), RZ_APP_TITLE);
            EXPECT_EQ(Shown(window, IDC_TRASH_HEADING), "Some files were not moved to the trash");
            EXPECT_EQ(Shown(window, IDC_TRASH_SUMMARY),
                      "2 of 6 files were moved to the trash (2.0 KB); 4 were not.");

            const std::vector<Row> rows = Rows(window);
            ASSERT_EQ(rows.size(), 4u);
            const std::size_t failed[] = {1, 2, 3, 5};
            for (std::size_t i = 0; i < rows.size(); ++i) {
                const TrashResult& r = report.results[failed[i]];
                SCOPED_TRACE(r.path);
                EXPECT_EQ(rows[i].file, QString::fromUtf8(TrashDisplayBytes(r.path)));
                EXPECT_EQ(rows[i].reason, Q(r.reason));
                EXPECT_EQ(rows[i].bytes, r.path);
            }
            EXPECT_EQ(rows[2].file, QString("/home/user/Documents/caf") + QChar(0xfffd) + ".txt");
            // The system's own words are there for who wants them, in the row's tooltip
            // with its whole path.
            EXPECT_EQ(Tooltip(window, 0), rows[0].file + "\npermission denied\n" +
                                              "Error trashing file: Permission denied");
            EXPECT_EQ(Tooltip(window, 1), rows[1].file + "\nis now a folder");

            // Shown, the reasons fit their column and the paths are not cut.
            const QFontMetrics metrics = List(window)->fontMetrics();
            const QHeaderView* header = List(window)->header();
            EXPECT_GE(header->sectionSize(CTrashReportWnd::ReasonColumn),
                      metrics.horizontalAdvance(rows[0].reason));
            EXPECT_GE(header->sectionSize(CTrashReportWnd::FileColumn),
                      metrics.horizontalAdvance(rows[0].file));
            EXPECT_EQ(window.GetFocusId(), IDOK) << "Enter dismisses it";
            Screenshot(Window(window), "trash-report");
        });
    });
}

// The window opens wide enough for a long path, within four fifths of the screen, and can
// be made larger, never smaller than its template: the list takes what it grows by and its
// file column the width the reasons leave; Close keeps to the corner.
TEST(TrashReportWnd, OpensWideEnoughForItsPathsAndTheListTakesWhatTheWindowGrowsBy) {
    TrashReport report;
    report.results = {{"/home/user/Pictures/2023 Summer holiday/a rather long name of a file "
                       "that someone kept for years.jpg",
                       false,
                       "no longer exists",
                       {}}};
    InChild([&] {
        Owner owner;
        WhileShown(report, owner.dialog, [&](CTrashReportWnd& window) {
            QWidget* frame = Window(window);
            QTreeView* list = List(window);
            QPushButton* close = Button(window, IDOK);
            const QSize size = frame->size();
            const int screen = QGuiApplication::primaryScreen()->geometry().width();
            EXPECT_GT(size.width(), frame->minimumSize().width());
            EXPECT_LE(size.width(), screen * 4 / 5);
            const int pathWidth = list->fontMetrics().horizontalAdvance(Rows(window)[0].file);
            const int fileBefore = list->header()->sectionSize(CTrashReportWnd::FileColumn);
            EXPECT_TRUE(fileBefore >= pathWidth || size.width() == screen * 4 / 5)
                << fileBefore << " for a path of " << pathWidth;

            const QRect listBefore = list->geometry();
            const QPoint closeBefore = close->pos();
            const int reason = list->header()->sectionSize(CTrashReportWnd::ReasonColumn);
            frame->resize(size + QSize(200, 120));
            QCoreApplication::processEvents();
            EXPECT_EQ(list->geometry(), listBefore.adjusted(0, 0, 200, 120));
            EXPECT_EQ(close->pos(), closeBefore + QPoint(200, 120));
            EXPECT_EQ(list->header()->sectionSize(CTrashReportWnd::FileColumn), fileBefore + 200);
            EXPECT_EQ(list->header()->sectionSize(CTrashReportWnd::ReasonColumn), reason);
            EXPECT_EQ(fileBefore + 200 + reason, list->viewport()->width());

            frame->resize(frame->minimumSize() - QSize(50, 50));
            EXPECT_EQ(frame->size(), frame->minimumSize()) << "never smaller than its template";
        });
    });
}

TEST(TrashReportWnd, ThousandsOfFailuresScrollInAWindowThatFitsTheScreen) {
    TrashReport report;
    for (int i = 0; i < 5000; ++i)
        report.results.push_back({"/mnt/data/photos/IMG_" + std::to_string(i) + ".jpg",
                                  i % 2 == 0,
                                  i % 2 == 0 ? "" : "permission denied",
                                  {},
                                  1024});
    InChild([&] {
        Owner owner;
        WhileShown(report, owner.dialog, [&](CTrashReportWnd& window) {
            EXPECT_EQ(List(window)->model()->rowCount(), 2500);
            EXPECT_EQ(Shown(window, IDC_TRASH_SUMMARY),
                      "2,500 of 5,000 files were moved to the trash (2.4 MB); 2,500 were not.");
            EXPECT_TRUE(List(window)->verticalScrollBar()->isVisible());
            EXPECT_LE(Window(window)->frameGeometry().height(),
                      QGuiApplication::primaryScreen()->availableGeometry().height());
            Screenshot(Window(window), "trash-report-long");
        });
    });
}

TEST(TrashWindows, OnlyFailuresOrARefusalGetAWindow) {
    TrashReport allTrashed;
    allTrashed.results = {{"/a.txt", true, {}, {}}, {"/b.txt", true, {}, {}}};
    TrashReport refused;
    refused.refused = true;
    refused.error = "only a delete to the trash can be carried out";
    InChild([&] {
        Owner owner;
        CScriptedMessageBox box;
        CTrashWindows windows(&owner.dialog);
        // Any window that comes up is noted and closed.
        int windowsShown = 0;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (QWidget* up = QApplication::activeModalWidget()) {
                ++windowsShown;
                CDialog::FromHandle(HandleOf(up))->EndDialog(IDOK);
            }
        });
        poll.start(5);
        windows.ShowReport(allTrashed);
        windows.ShowReport(TrashReport{});
        EXPECT_EQ(windowsShown, 0);
        EXPECT_TRUE(box.asked.empty());

        windows.ShowReport(refused);
        EXPECT_EQ(windowsShown, 0);
        ASSERT_EQ(box.asked.size(), 1u);
        EXPECT_EQ(box.asked[0].owner, &owner.dialog);
        EXPECT_EQ(box.asked[0].caption.view(), RZ_APP_TITLE);
        EXPECT_EQ(box.asked[0].type & MB_ICONMASK, MB_ICONEXCLAMATION);
        EXPECT_EQ(box.asked[0].text.view(), "No file was moved to the trash.\n\n" + refused.error);
    });
}

// After a stop the list holds the real failures only; with none, there is no list.
TEST(TrashReportWnd, FilesNotReachedBecauseOfAStopAreCountedNotListed) {
    TrashReport onlyStopped;
    TrashReport alsoFailed;
    for (int i = 0; i < 1000; ++i) {
        const std::string path = "/data/f" + std::to_string(i) + ".txt";
        onlyStopped.results.push_back({path, i < 10, i < 10 ? "" : "stopped", {}});
        alsoFailed.results.push_back({path,
                                      i < 10,
                                      i < 10    ? ""
                                      : i == 10 ? "permission denied"
                                                : "stopped",
                                      {}});
    }
    InChild([&] {
        Owner owner;
        WhileShown(onlyStopped, owner.dialog, [&](CTrashReportWnd& window) {
            EXPECT_EQ(Shown(window, IDC_TRASH_HEADING), "The delete was stopped");
            EXPECT_EQ(window.m_listFiles.GetItemCount(), 0);
            EXPECT_EQ(window.GetDlgItem(IDC_TRASH_LIST), nullptr) << "no list";
            EXPECT_EQ(Window(window)->minimumSize(), Window(window)->maximumSize());
            Screenshot(Window(window), "trash-report-stopped");
        });
        WhileShown(alsoFailed, owner.dialog, [&](CTrashReportWnd& window) {
            EXPECT_EQ(Shown(window, IDC_TRASH_HEADING), "Some files were not moved to the trash");
            ASSERT_EQ(Rows(window).size(), 1u);
            EXPECT_EQ(Rows(window)[0].reason, "permission denied");
        });
    });
}

// Folders the delete could not read get a window even when every file found was moved
// or only a stop kept files: listed after the files, counted in the summary.
TEST(TrashReportWnd, FoldersNotReadAreListedAndCounted) {
    TrashReport allMoved;
    allMoved.results = {{"/data/a.txt", true, {}, {}, 100}, {"/data/b.txt", true, {}, {}, 200}};
    allMoved.foldersNotRead = {
        {"/data/private", false, "folder could not be read: permission denied", {}}};
    TrashReport alsoStopped = allMoved;
    alsoStopped.results[1] = {"/data/b.txt", false, "stopped", {}};
    alsoStopped.foldersNotRead.push_back(
        {"/data/loop", false, "folder could not be read: folder loop", {}});
    InChild([&] {
        Owner owner;
        WhileShown(allMoved, owner.dialog, [&](CTrashReportWnd& window) {
            EXPECT_EQ(Shown(window, IDC_TRASH_HEADING), "Some files were not moved to the trash");
            EXPECT_EQ(Shown(window, IDC_TRASH_SUMMARY),
                      "2 of 2 files were moved to the trash (300 bytes); 0 were not. 1 folder "
                      "could not be read, so its files were not moved.");
            ASSERT_EQ(Rows(window).size(), 1u);
            EXPECT_EQ(Rows(window)[0].file, "/data/private");
            EXPECT_EQ(Rows(window)[0].reason, "folder could not be read: permission denied");
        });
        WhileShown(alsoStopped, owner.dialog, [&](CTrashReportWnd& window) {
            EXPECT_EQ(Shown(window, IDC_TRASH_HEADING), "Some files were not moved to the trash");
            EXPECT_EQ(Shown(window, IDC_TRASH_SUMMARY),
                      "1 of 2 files was moved to the trash (100 bytes); 1 was not moved because "
                      "the delete was stopped. 2 folders could not be read, so their files were "
                      "not moved.");
            ASSERT_EQ(Rows(window).size(), 2u);
            EXPECT_EQ(Rows(window)[1].file, "/data/loop");
        });
    });
}

// The overload the window calls: default delay, the report run modally over the owner.
TEST(TrashWindows, RunTrashJobShowsTheReportModallyOverTheOwnerUntilDismissed) {
    TrashSandbox box;
    MakeTree(box.tree(), {{TreeEntry::File, "a.txt", "a"},
                          {TreeEntry::File, "became.txt/inside.jpg", "kept"},
                          {TreeEntry::File, "z.txt", "z"}});
    const std::vector<std::string> paths = {box.tree() + "/a.txt", box.tree() + "/became.txt",
                                            box.tree() + "/gone.txt", box.tree() + "/z.txt"};
    InChild([&] {
        box.Enter();
        Owner owner;
        // Waits for the report; dismisses it like a user pressing Esc.
        std::vector<std::string> seen;
        WhenModalWindowAppears([&](QWidget* found) {
            auto* report = dynamic_cast<CTrashReportWnd*>(CDialog::FromHandle(HandleOf(found)));
            ASSERT_NE(report, nullptr);
            EXPECT_EQ(found->parentWidget(), Window(owner.dialog));
            for (const Row& row : Rows(*report))
                seen.push_back(row.bytes + " | " + row.reason.toStdString());
            QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QCoreApplication::sendEvent(found, &esc);
        });
        CFileOperation op;
        for (const std::string& p : paths)
            op.m_arrSource.Add(CString(p));
        CDeleteRequest request(op);
        const TrashReport result =
            RunTrashJob(DeleteJob(request.Request(), nullptr, nullptr), owner.dialog.GetSafeHwnd());
        EXPECT_EQ(result.TrashedCount(), 2u);
        EXPECT_EQ(seen, (std::vector<std::string>{paths[1] + " | is now a folder",
                                                  paths[2] + " | no longer exists"}));
    });
    // The trashed files are in the trash, the folder and its contents untouched.
    EXPECT_EQ(ReadFile(box.trash() + "/files/a.txt"), "a");
    EXPECT_EQ(ReadFile(box.trash() + "/files/z.txt"), "z");
    EXPECT_EQ(ReadFile(box.tree() + "/became.txt/inside.jpg"), "kept");
}

} // namespace
