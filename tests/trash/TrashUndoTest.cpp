// Undoing a delete: every file the delete moved goes back to its place, unless its place
// is taken or its folder is gone, in which case it stays in the trash with its record.
#include "platform/trash/TrashUndo.h"
#include "deletion/FileOperation.h"
#include "platform/trash/TrashExecutorPosix.h"
#include "tests/support/Batches.h"
#include "tests/support/TrashInfo.h"
#include "tests/trash/TrashTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

// Two requests, as one click on two extensions makes: the .txt files, then the .ini file.
const std::vector<std::string> kTexts = {"a.txt", "sub/b.txt", "sub/c.txt", "other/d.txt"};
const std::vector<std::string> kInis = {"sub/e.ini"};

struct Case {
    const char* name;
    int stopDeleteAt;                             // -1: the delete runs to its end
    std::function<void(const std::string&)> then; // changes to the tree before the undo
    std::map<std::string, std::string> notBack;   // file -> reason it stays in the trash
    std::vector<std::string> neverMoved;          // files the delete did not reach
};

// Deletes the files of batch, adding what moved to undo; returns the delete's report.
TrashReport Delete(const CFileBatch& batch, CTrashUndo& undo, const TrashProgress& progress = {}) {
    CFileOperation op;
    for (const std::string& p : PathsOf(batch))
        op.m_arrSource.Add(CString(p));
    CDeleteRequest request(op);
    return ExecuteShellFileOperation(request.Request(), &batch, progress, &undo);
}

// Runs the delete and the undo in one child; returns the undo's report.
TrashReport DeleteThenUndo(const TrashSandbox& box, const Case& c, std::size_t& undoLeft) {
    const ChildResult child = RunInChild([&](std::string& out) {
        box.Enter();
        CTrashUndo undo;
        for (const auto* files : {&kTexts, &kInis})
            Delete(BatchOfTree(box.tree(), *files), undo,
                   [&](std::size_t index, std::size_t, std::string_view) {
                       return files != &kTexts || static_cast<int>(index) != c.stopDeleteAt;
                   });
        if (c.then)
            c.then(box.tree());
        out = Serialize(undo.PutBack());
        out += std::to_string(undo.Count());
    });
    EXPECT_EQ(child.exitStatus, 0);
    const std::size_t end = child.out.rfind('\0');
    undoLeft = std::stoul(child.out.substr(end + 1));
    return ParseReport(child.out.substr(0, end + 1));
}

TEST(TrashUndo, PutsBackWhatCanGoBackAndLeavesTheRestInTheTrashWithItsReason) {
    const Case cases[] = {
        {"nothing changed", -1, {}, {}, {}},
        {"a place taken",
         -1,
         [](const std::string& t) { WriteFile(t + "/sub/b.txt", "newcomer"); },
         {{"sub/b.txt", "its place is taken"}},
         {}},
        {"a folder removed",
         -1,
         [](const std::string& t) { ::rmdir((t + "/other").c_str()); },
         {{"other/d.txt", "its folder no longer exists"}},
         {}},
        {"a folder swapped for a link",
         -1,
         [](const std::string& t) {
             ::rename((t + "/other").c_str(), (t + "/moved").c_str());
             ::symlink("moved", (t + "/other").c_str());
         },
         {{"other/d.txt", "its folder was replaced"}},
         {}},
        {"the delete stopped at the third file", 2, {}, {}, {"sub/c.txt", "other/d.txt"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TrashSandbox box;
        std::vector<std::string> all = kTexts;
        all.insert(all.end(), kInis.begin(), kInis.end());
        for (const std::string& f : all)
            WriteFile(box.tree() + "/" + f, "content of " + f);
        std::size_t undoLeft = 99;
        const TrashReport report = DeleteThenUndo(box, c, undoLeft);
        EXPECT_EQ(report.work, TrashWork::Undo);
        EXPECT_EQ(undoLeft, 0u) << "an undo that ran to its end is used up";
        // One result per file the delete moved, in the order moved.
        EXPECT_EQ(report.results.size(), all.size() - c.neverMoved.size());
        const std::map<std::string, TrashRecord> records = ReadTrashInfo(box.trash());
        EXPECT_EQ(records.size(), c.notBack.size()) << "a file put back keeps no record";
        for (const TrashResult& r : report.results) {
            const std::string file = r.path.substr(box.tree().size() + 1);
            const auto stays = c.notBack.find(file);
            EXPECT_EQ(r.trashed, stays == c.notBack.end()) << file;
            if (stays == c.notBack.end()) {
                EXPECT_EQ(ReadFile(r.path), "content of " + file);
                continue;
            }
            EXPECT_EQ(r.reason, stays->second);
            bool inTrash = false;
            for (const auto& [name, record] : records)
                inTrash |= record.path == r.path &&
                           ReadFile(box.trash() + "/files/" + name) == "content of " + file;
            EXPECT_TRUE(inTrash) << file << " stays in the trash with its record";
        }
        for (const std::string& file : c.neverMoved)
            EXPECT_EQ(ReadFile(box.tree() + "/" + file), "content of " + file);
    }
}

TEST(TrashUndo, AStoppedUndoKeepsTheFilesNotReachedForTheNextOne) {
    TrashSandbox box;
    for (const std::string& f : kTexts)
        WriteFile(box.tree() + "/" + f, "content of " + f);
    const ChildResult child = RunInChild([&](std::string& out) {
        box.Enter();
        CTrashUndo undo;
        Delete(BatchOfTree(box.tree(), kTexts), undo);
        const TrashReport first = undo.PutBack(
            [](std::size_t index, std::size_t, std::string_view) { return index < 1; });
        out = std::to_string(first.TrashedCount()) + " " + std::to_string(first.StoppedCount()) +
              " " + std::to_string(undo.Count());
        const TrashReport second = undo.PutBack();
        out += " " + std::to_string(second.TrashedCount()) + " " + std::to_string(undo.Count());
    });
    ASSERT_EQ(child.exitStatus, 0);
    EXPECT_EQ(child.out, "1 3 3 3 0");
    for (const std::string& f : kTexts)
        EXPECT_EQ(ReadFile(box.tree() + "/" + f), "content of " + f);
}

// A tree far deeper than the descriptors the process may hold: the delete and the undo
// keep a bounded number open, going down, back up and into a branch off the middle.
TEST(TrashUndo, ADeepTreeIsDeletedAndPutBackUnderALowOpenFileLimit) {
    TrashSandbox box;
    std::string deep;
    std::vector<std::string> files;
    for (int level = 1; level <= 200; ++level) {
        deep += "d/";
        if (level % 50 == 0)
            files.insert(files.begin(), deep + "f" + std::to_string(level) + ".txt");
    }
    files.push_back(deep.substr(0, 2 * 120) + "side/g.txt");
    files.push_back(deep + "h.txt");
    for (const std::string& f : files)
        WriteFile(box.tree() + "/" + f, f);
    const ChildResult child = RunInChild([&](std::string& out) {
        box.Enter();
        const rlimit low{64, 64};
        ::setrlimit(RLIMIT_NOFILE, &low);
        CTrashUndo undo;
        const TrashReport deleted = Delete(BatchOfTree(box.tree(), files), undo);
        const TrashReport putBack = undo.PutBack();
        for (const TrashReport* report : {&deleted, &putBack})
            for (const TrashResult& r : report->results)
                out += (r.trashed ? "moved " : r.reason + " ") + r.path.substr(box.tree().size()) +
                       "\n";
    });
    ASSERT_EQ(child.exitStatus, 0);
    std::string expected;
    for (int pass = 0; pass < 2; ++pass)
        for (const std::string& f : files)
            expected += "moved /" + f + "\n";
    EXPECT_EQ(child.out, expected);
    for (const std::string& f : files)
        EXPECT_EQ(ReadFile(box.tree() + "/" + f), f);
}

} // namespace
