// The progress window and the report as a user meets them, on the offscreen platform.
// Cases that trash files or show a window run in a child process (see InChild.h). Set
// RZ_SCREENSHOT_DIR to a folder to get PNGs of both windows.
#include "deletion/FileOperation.h"
#include "platform/qt/Handles.h"
#include "res/version.h"
#include "tests/support/TrashSandbox.h"
#include "tests/ui/trash/InChild.h"
#include "ui/trash/TrashDisplays.h"
#include "ui/trash/TrashReportDlg.h"
#include "ui/trash/TrashTexts.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QTreeView>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>

namespace {

using namespace std::chrono_literals;

void Screenshot(QWidget& window, const char* name) {
    if (const char* dir = std::getenv("RZ_SCREENSHOT_DIR"))
        window.grab().save(QString::fromLocal8Bit(dir) + "/" + name + ".png");
}

QString Q(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

// The rows of a report window: display text of each cell, and the bytes behind the path.
struct Row {
    QString file;
    QString reason;
    QByteArray bytes;
};
std::vector<Row> Rows(const CTrashReportDlg& window) {
    std::vector<Row> rows;
    const QAbstractItemModel* model = window.List()->model();
    for (int r = 0; r < model->rowCount(); ++r)
        rows.push_back(
            {model->index(r, CTrashReportDlg::FileColumn).data().toString(),
             model->index(r, CTrashReportDlg::ReasonColumn).data().toString(),
             model->index(r, CTrashReportDlg::FileColumn).data(Qt::UserRole).toByteArray()});
    return rows;
}

TEST(TrashDisplayText, ShowsValidNamesAsTheyAreAndEverythingElseAsReplacementCharacters) {
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
    for (const Case& c : cases)
        EXPECT_EQ(TrashDisplayText(c.bytes), c.shown) << c.bytes;
}

// The whole path a delete takes through the windows: the progress window is up from the
// first file (delay forced to 0), shows the count and the name, and its Stop button, clicked
// while files are being trashed, stops before the next file.
TEST(TrashProgressWindow, AppearsOverTheOwnerAndItsStopButtonStopsBetweenFiles) {
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
        CTrashDisplays real;
        std::vector<std::string> seen;
        explicit Spy(QWidget* owner) : real(owner) {}
        void Put(const std::string& what) { seen.push_back(what); }

        void BeginProgress(TrashWork work, std::size_t total) override {
            real.BeginProgress(work, total);
            CTrashProgressDlg* w = real.ProgressWindow();
            Put(w && w->isVisible() ? "visible" : "not visible");
            Put(w && w->windowModality() == Qt::ApplicationModal ? "app modal" : "modeless");
            Put(w ? w->windowTitle().toStdString() : "");
        }
        bool UpdateProgress(std::size_t done, std::size_t total, std::string_view path) override {
            CTrashProgressDlg* w = real.ProgressWindow();
            if (done == 1)
                QMetaObject::invokeMethod(w->StopButton(), &QPushButton::click,
                                          Qt::QueuedConnection);
            const bool keepGoing = real.UpdateProgress(done, total, path);
            if (done == 0) {
                Put(w->CountText().toStdString());
                Put(w->NameText().toStdString());
                Put(w->FolderText().toStdString());
                Screenshot(*w, "trash-progress");
            }
            Put(keepGoing ? "go on" : "stop");
            return keepGoing;
        }
        void EndProgress() override {
            real.EndProgress();
            bool anyLeft = false;
            for (QWidget* w : QApplication::topLevelWidgets())
                anyLeft |= qobject_cast<CTrashProgressDlg*>(w) != nullptr;
            Put(anyLeft || real.ProgressWindow() ? "progress left" : "progress gone");
        }
        void ShowReport(const TrashReport& report) override {
            auto window = MakeTrashReportWindow(report, nullptr, "caption");
            auto* list = dynamic_cast<CTrashReportDlg*>(window.get());
            Put(list ? list->SummaryText().toStdString() : "no report window");
            if (list)
                for (const Row& row : Rows(*list))
                    Put(row.bytes.toStdString() + " | " + row.reason.toStdString());
        }
    };

    InChild([&] {
        box.Enter();
        QWidget owner;
        owner.resize(300, 200);
        owner.show();
        Spy displays(&owner);
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

TEST(TrashProgressWindow, StopEscAndTheCloseBoxAllAskToStopAndKeepTheWindowUp) {
    const std::vector<std::pair<const char*, std::function<void(CTrashProgressDlg&)>>> actions = {
        {"Stop button", [](CTrashProgressDlg& w) { w.StopButton()->click(); }},
        {"Esc",
         [](CTrashProgressDlg& w) {
             QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
             QCoreApplication::sendEvent(&w, &esc);
         }},
        {"close box", [](CTrashProgressDlg& w) { EXPECT_FALSE(w.close()); }},
    };
    InChild([&] {
        for (const auto& [name, act] : actions) {
            SCOPED_TRACE(name);
            CTrashProgressDlg window(nullptr, "caption");
            window.SetProgress(2, 10, "/home/user/b.txt");
            window.show();
            QCoreApplication::processEvents();
            EXPECT_FALSE(window.StopRequested());
            act(window);
            QCoreApplication::processEvents();
            EXPECT_TRUE(window.StopRequested());
            EXPECT_TRUE(window.isVisible());
            EXPECT_FALSE(window.StopButton()->isEnabled());
        }
    });
}

TEST(TrashReportWindow, ListsEachFileNotTrashedWithItsReasonAndNothingElse) {
    TrashReport report;
    report.results = {
        {"/home/user/Documents/notes.txt", true, {}, {}},
        {"/home/user/Documents/shared/minutes of the meeting.txt", false, "permission denied",
         "Error trashing file: Permission denied"},
        {"/home/user/Documents/archive.txt", false, "is now a folder", {}},
        {"/home/user/Documents/caf\xe9.txt", false, "no longer exists", {}},
        {"/home/user/Documents/readme.txt", true, {}, {}},
        {"/media/usb/old report.txt", false, "no trash on that drive", {}},
    };
    InChild([&] {
        QWidget owner;
        const std::unique_ptr<QDialog> window =
            MakeTrashReportWindow(report, &owner, "File Manager");
        auto* list = dynamic_cast<CTrashReportDlg*>(window.get());
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(list->parentWidget(), &owner);
        EXPECT_EQ(list->windowTitle(), "File Manager");
        EXPECT_EQ(list->HeadingText(), "Some files were not moved to the trash");
        EXPECT_EQ(list->SummaryText(), "2 of 6 files were moved to the trash; 4 were not.");

        const std::vector<Row> rows = Rows(*list);
        ASSERT_EQ(rows.size(), 4u);
        const std::size_t failed[] = {1, 2, 3, 5};
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const TrashResult& r = report.results[failed[i]];
            SCOPED_TRACE(r.path);
            EXPECT_EQ(rows[i].file, TrashDisplayText(r.path));
            EXPECT_EQ(rows[i].reason, Q(r.reason));
            EXPECT_EQ(rows[i].bytes.toStdString(), r.path);
        }
        EXPECT_EQ(rows[2].file, QString("/home/user/Documents/caf") + QChar(0xfffd) + ".txt");
        // The system's own words are there for who wants them.
        EXPECT_TRUE(list->List()
                        ->model()
                        ->index(0, CTrashReportDlg::ReasonColumn)
                        .data(Qt::ToolTipRole)
                        .toString()
                        .contains("Error trashing file: Permission denied"));

        // Shown, the reasons fit their column and the paths are not cut.
        list->show();
        QCoreApplication::processEvents();
        const QFontMetrics metrics = list->List()->fontMetrics();
        const QHeaderView* header = list->List()->header();
        EXPECT_GE(header->sectionSize(CTrashReportDlg::ReasonColumn),
                  metrics.horizontalAdvance("no trash on that drive"));
        EXPECT_GE(header->sectionSize(CTrashReportDlg::FileColumn),
                  metrics.horizontalAdvance(rows[0].file));
        Screenshot(*list, "trash-report");
    });
}

TEST(TrashReportWindow, ThousandsOfFailuresScrollInAWindowThatFitsTheScreen) {
    TrashReport report;
    for (int i = 0; i < 5000; ++i)
        report.results.push_back({"/mnt/data/photos/IMG_" + std::to_string(i) + ".jpg",
                                  i % 2 == 0,
                                  i % 2 == 0 ? "" : "permission denied",
                                  {}});
    InChild([&] {
        const std::unique_ptr<QDialog> window = MakeTrashReportWindow(report, nullptr, "c");
        auto* list = dynamic_cast<CTrashReportDlg*>(window.get());
        ASSERT_NE(list, nullptr);
        list->show();
        QCoreApplication::processEvents();
        EXPECT_EQ(list->List()->model()->rowCount(), 2500);
        EXPECT_EQ(list->SummaryText(),
                  "2,500 of 5,000 files were moved to the trash; 2,500 were not.");
        EXPECT_TRUE(list->List()->verticalScrollBar()->isVisible());
        EXPECT_LE(list->frameGeometry().height(),
                  QGuiApplication::primaryScreen()->availableGeometry().height());
        Screenshot(*list, "trash-report-long");
    });
}

TEST(TrashReportWindow, OnlyFailuresOrARefusalGetAWindow) {
    TrashReport allTrashed;
    allTrashed.results = {{"/a.txt", true, {}, {}}, {"/b.txt", true, {}, {}}};
    EXPECT_EQ(MakeTrashReportWindow(allTrashed, nullptr, "c"), nullptr);
    EXPECT_EQ(MakeTrashReportWindow(TrashReport{}, nullptr, "c"), nullptr);

    TrashReport refused;
    refused.refused = true;
    refused.error = "only a delete to the trash can be carried out";
    const std::unique_ptr<QDialog> box = MakeTrashReportWindow(refused, nullptr, "c");
    auto* message = dynamic_cast<QMessageBox*>(box.get());
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(message->windowTitle(), "c");
    EXPECT_EQ(message->icon(), QMessageBox::Warning);
    EXPECT_EQ(message->informativeText(), Q(refused.error));
}

TEST(TrashReportWindow, SummaryReadsRightForOneAndForManyAndCountsStoppedFilesApart) {
    struct Case {
        TrashWork work;
        std::size_t moved, failed, stopped;
        const char* text;
    } cases[] = {
        {TrashWork::Delete, 0, 1, 0, "0 of 1 file were moved to the trash; 1 was not."},
        {TrashWork::Delete, 1, 2, 0, "1 of 3 files was moved to the trash; 2 were not."},
        {TrashWork::Delete, 2, 1, 0, "2 of 3 files were moved to the trash; 1 was not."},
        {TrashWork::Delete, 995, 2005, 0,
         "995 of 3,000 files were moved to the trash; 2,005 were not."},
        {TrashWork::Delete, 7568, 0, 92432,
         "7,568 of 100,000 files were moved to the trash; 92,432 were not moved because the "
         "delete was stopped."},
        {TrashWork::Delete, 7500, 68, 92432,
         "7,500 of 100,000 files were moved to the trash; 68 could not be moved and 92,432 "
         "were not moved because the delete was stopped."},
        {TrashWork::Undo, 3, 1, 0, "3 of 4 files were put back; 1 was not."},
        {TrashWork::Undo, 1, 0, 1,
         "1 of 2 files was put back; 1 was not put back because the undo was stopped."},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TrashSummaryText(c.work, c.moved, c.failed, c.stopped), c.text);
}

// Where no undo is kept (Windows), a report of a delete that moved files says where they are.
TEST(TrashReportWindow, SummaryWithoutUndoSaysWhereTheFilesAre) {
    TrashReport report;
    report.results = {{"a", true, "", ""}, {"b", false, kReasonInUse, ""}};
    EXPECT_EQ(TrashSummary(report, false), "1 of 2 files was moved to the trash; 1 was not. You "
                                           "can restore them from the Recycle Bin.");
    EXPECT_EQ(TrashSummary(report, true), "1 of 2 files was moved to the trash; 1 was not.");
    report.results[0].trashed = false;
    EXPECT_EQ(TrashSummary(report, false), "0 of 2 files were moved to the trash; 2 were not.");
}

// After a stop the list holds the real failures only; with none, there is no list.
TEST(TrashReportWindow, FilesNotReachedBecauseOfAStopAreCountedNotListed) {
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
        const std::unique_ptr<QDialog> first = MakeTrashReportWindow(onlyStopped, nullptr, "c");
        auto* stopped = dynamic_cast<CTrashReportDlg*>(first.get());
        ASSERT_NE(stopped, nullptr);
        EXPECT_EQ(stopped->HeadingText(), "The delete was stopped");
        EXPECT_EQ(stopped->List()->model()->rowCount(), 0);
        stopped->show();
        QCoreApplication::processEvents();
        EXPECT_FALSE(stopped->List()->isVisible());

        const std::unique_ptr<QDialog> second = MakeTrashReportWindow(alsoFailed, nullptr, "c");
        auto* failed = dynamic_cast<CTrashReportDlg*>(second.get());
        ASSERT_NE(failed, nullptr);
        EXPECT_EQ(failed->HeadingText(), "Some files were not moved to the trash");
        ASSERT_EQ(Rows(*failed).size(), 1u);
        EXPECT_EQ(Rows(*failed)[0].reason, "permission denied");
    });
}

// Folders the delete could not read get a window even when every file found was moved
// or only a stop kept files: listed after the files, counted in the summary.
TEST(TrashReportWindow, FoldersNotReadAreListedAndCounted) {
    TrashReport allMoved;
    allMoved.results = {{"/data/a.txt", true, {}, {}}, {"/data/b.txt", true, {}, {}}};
    allMoved.foldersNotRead = {
        {"/data/private", false, "folder could not be read: permission denied", {}}};
    TrashReport alsoStopped = allMoved;
    alsoStopped.results[1] = {"/data/b.txt", false, "stopped", {}};
    alsoStopped.foldersNotRead.push_back(
        {"/data/loop", false, "folder could not be read: folder loop", {}});
    InChild([&] {
        const std::unique_ptr<QDialog> first = MakeTrashReportWindow(allMoved, nullptr, "c");
        auto* moved = dynamic_cast<CTrashReportDlg*>(first.get());
        ASSERT_NE(moved, nullptr);
        EXPECT_EQ(moved->HeadingText(), "Some files were not moved to the trash");
        EXPECT_EQ(moved->SummaryText(), "2 of 2 files were moved to the trash; 0 were not. 1 "
                                        "folder could not be read, so its files were not moved.");
        ASSERT_EQ(Rows(*moved).size(), 1u);
        EXPECT_EQ(Rows(*moved)[0].file, "/data/private");
        EXPECT_EQ(Rows(*moved)[0].reason, "folder could not be read: permission denied");

        const std::unique_ptr<QDialog> second = MakeTrashReportWindow(alsoStopped, nullptr, "c");
        auto* stopped = dynamic_cast<CTrashReportDlg*>(second.get());
        ASSERT_NE(stopped, nullptr);
        EXPECT_EQ(stopped->HeadingText(), "Some files were not moved to the trash");
        EXPECT_EQ(stopped->SummaryText(),
                  "1 of 2 files was moved to the trash; 1 was not moved because the delete was "
                  "stopped. 2 folders could not be read, so their files were not moved.");
        ASSERT_EQ(Rows(*stopped).size(), 2u);
        EXPECT_EQ(Rows(*stopped)[1].file, "/data/loop");
    });
}

// The overload the window calls: default delay, the report run modally over the owner.
TEST(RunTrashJobWithOwner, ShowsTheReportModallyOverTheOwnerUntilDismissed) {
    TrashSandbox box;
    MakeTree(box.tree(), {{TreeEntry::File, "a.txt", "a"},
                          {TreeEntry::File, "became.txt/inside.jpg", "kept"},
                          {TreeEntry::File, "z.txt", "z"}});
    const std::vector<std::string> paths = {box.tree() + "/a.txt", box.tree() + "/became.txt",
                                            box.tree() + "/gone.txt", box.tree() + "/z.txt"};
    InChild([&] {
        box.Enter();
        QWidget owner;
        owner.show();
        // Checks for the report now and then; dismisses it like a user pressing Close.
        std::vector<std::string> seen;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* report = qobject_cast<CTrashReportDlg*>(QApplication::activeModalWidget());
            if (!report)
                return;
            poll.stop();
            EXPECT_EQ(report->parentWidget(), &owner);
            for (const Row& row : Rows(*report))
                seen.push_back(row.bytes.toStdString() + " | " + row.reason.toStdString());
            report->reject();
        });
        poll.start(5);
        CFileOperation op;
        for (const std::string& p : paths)
            op.m_arrSource.Add(CString(p));
        CDeleteRequest request(op);
        const TrashReport result =
            RunTrashJob(DeleteJob(request.Request(), nullptr, nullptr), HandleOf(&owner));
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
