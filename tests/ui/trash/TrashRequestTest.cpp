// RunTrashRequest with a recorder in place of the windows: when progress appears, how often
// it is updated, that a stop leaves the rest in place, and when a report is shown. Every
// case trashes real files in a child process with its own home and trash (see
// TrashSandbox.h).
#include "ui/TrashRequest.h"
#include "deletion/FileOperation.h"
#include "tests/support/TrashSandbox.h"
#include "tests/ui/trash/ChildOutput.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>

namespace {

using namespace std::chrono_literals;

// Writes down every call, as text, and answers "stop" at one chosen file.
class RecordingDisplays : public ITrashDisplays {
public:
    std::vector<std::string> calls;
    std::optional<TrashReport> shown;
    std::size_t stopAt = SIZE_MAX;

    void BeginProgress(std::size_t total) override {
        calls.push_back("begin " + std::to_string(total));
    }
    bool UpdateProgress(std::size_t done, std::size_t total, std::string_view path) override {
        calls.push_back("update " + std::to_string(done) + "/" + std::to_string(total) + " " +
                        std::string(path));
        return done != stopAt;
    }
    void EndProgress() override { calls.push_back("end"); }
    void ShowReport(const TrashReport& report) override {
        calls.push_back("report");
        shown = report;
    }
};

struct TrashRun {
    explicit TrashRun(std::vector<std::string> p) : paths(std::move(p)) {}
    std::vector<std::string> paths;
    TrashRunOptions options;
    std::chrono::milliseconds clockStep = 0ms; // each reading of the clock advances by this
    std::size_t stopAt = SIZE_MAX;
    UINT func = FO_DELETE;
};

struct Outcome {
    int exitStatus = -1;
    std::vector<std::string> calls;
    bool reportShown = false;
    TrashReport report; // as returned
    bool aborted = false;
};

Outcome Execute(const TrashSandbox& box, TrashRun run) {
    const ChildResult child = RunInChild([&](std::string& out) {
        box.Enter();
        auto t = TrashRunOptions::Clock::time_point{};
        run.options.now = [&] {
            const auto reading = t;
            t += run.clockStep;
            return reading;
        };
        RecordingDisplays displays;
        displays.stopAt = run.stopAt;
        CFileOperation op;
        for (const std::string& p : run.paths)
            op.m_arrSource.Add(CString(p));
        CDeleteRequest request(op);
        request.Request().wFunc = run.func;
        const TrashReport report = RunTrashRequest(request.Request(), displays, run.options);

        Put(out, std::to_string(displays.calls.size()));
        for (const std::string& c : displays.calls)
            Put(out, c);
        // The report shown must be the one returned.
        const bool same = displays.shown && displays.shown->refused == report.refused &&
                          displays.shown->results.size() == report.results.size();
        Put(out, displays.shown ? (same ? "same" : "different") : "none");
        Put(out, report.refused ? "1" : "0");
        Put(out, report.error);
        Put(out, request.Request().fAnyOperationsAborted ? "1" : "0");
        for (const TrashResult& r : report.results) {
            Put(out, r.trashed ? "1" : "0");
            Put(out, r.reason);
            Put(out, r.path);
        }
    });
    Outcome o;
    o.exitStatus = child.exitStatus;
    const std::vector<std::string> f = Fields(child.out);
    if (f.empty())
        return o;
    std::size_t i = 0;
    const std::size_t calls = std::stoul(f[i++]);
    for (std::size_t k = 0; k < calls; ++k)
        o.calls.push_back(f[i++]);
    EXPECT_NE(f[i], "different");
    o.reportShown = f[i++] != "none";
    o.report.refused = f[i++] == "1";
    o.report.error = f[i++];
    o.aborted = f[i++] == "1";
    for (; i + 2 < f.size(); i += 3)
        o.report.results.push_back({f[i + 2], f[i] == "1", f[i + 1], {}});
    return o;
}

std::vector<std::string> MakeFiles(const TrashSandbox& box, std::size_t count) {
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < count; ++i) {
        paths.push_back(box.tree() + "/f" + std::to_string(i) + ".txt");
        WriteFile(paths.back(), "x");
    }
    return paths;
}

TEST(RunTrashRequest, ProgressAppearsAfterTheDelayAndUpdatesAtABoundedRate) {
    struct Case {
        const char* name;
        std::chrono::milliseconds clockStep;
        TrashRunOptions::Clock::duration showAfter;
        TrashRunOptions::Clock::duration updateEvery;
        std::vector<std::string> calls; // "update i/n" without the path
    } cases[] = {
        {"quick: nothing shown", 0ms, 500ms, 50ms, {}},
        // The clock is read once at the start and once per file: file i sees (i+1)*100ms.
        {"slow: shown from the file at 500ms, then every 250ms",
         100ms,
         500ms,
         250ms,
         {"begin 12", "update 4/12", "update 7/12", "update 10/12", "end"}},
        {"no delay: shown at once, every file",
         0ms,
         0ms,
         0ms,
         {"begin 3", "update 0/3", "update 1/3", "update 2/3", "end"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TrashSandbox box;
        const std::size_t count = c.calls.empty() ? 5 : std::stoul(c.calls[0].substr(6));
        const std::vector<std::string> paths = MakeFiles(box, count);
        TrashRun run(paths);
        run.clockStep = c.clockStep;
        run.options.showProgressAfter = c.showAfter;
        run.options.updateEvery = c.updateEvery;
        const Outcome o = Execute(box, run);
        ASSERT_EQ(o.exitStatus, 0);

        std::vector<std::string> calls;
        for (const std::string& call : o.calls) {
            if (call.rfind("update ", 0) == 0) {
                // The path shown is the request's next one, bytes unchanged.
                const std::size_t space = call.find(' ', 7);
                const std::size_t done = std::stoul(call.substr(7));
                EXPECT_EQ(call.substr(space + 1), paths[done]);
                calls.push_back(call.substr(0, space));
            } else {
                calls.push_back(call);
            }
        }
        EXPECT_EQ(calls, c.calls);
        EXPECT_FALSE(o.reportShown) << "every file went to the trash";
        EXPECT_EQ(o.report.TrashedCount(), count);
        for (const std::string& p : paths)
            EXPECT_FALSE(Exists(p)) << p;
    }
}

TEST(RunTrashRequest, FilesNotTrashedAreReportedOnceAndStayOnDisk) {
    TrashSandbox box;
    MakeTree(box.tree(), {{TreeEntry::File, "a.txt", "a"},
                          {TreeEntry::File, "became.txt/inside.jpg", "kept"},
                          {TreeEntry::File, "z.txt", "z"}});
    const std::vector<std::string> paths = {box.tree() + "/a.txt", box.tree() + "/became.txt",
                                            box.tree() + "/gone.txt", box.tree() + "/z.txt"};
    const Outcome o = Execute(box, TrashRun(paths));
    ASSERT_EQ(o.exitStatus, 0);
    EXPECT_EQ(o.calls, std::vector<std::string>{"report"});
    ASSERT_EQ(o.report.results.size(), 4u);
    EXPECT_TRUE(o.report.results[0].trashed);
    EXPECT_FALSE(o.report.results[1].trashed);
    EXPECT_EQ(o.report.results[1].reason, "is now a folder");
    EXPECT_FALSE(o.report.results[2].trashed);
    EXPECT_EQ(o.report.results[2].reason, "no longer exists");
    EXPECT_TRUE(o.report.results[3].trashed);

    EXPECT_EQ(ReadFile(box.tree() + "/became.txt/inside.jpg"), "kept");
    EXPECT_EQ(ReadFile(box.trash() + "/files/a.txt"), "a");
    EXPECT_EQ(ReadFile(box.trash() + "/files/z.txt"), "z");
    EXPECT_FALSE(Exists(box.trash() + "/files/became.txt"));
}

TEST(RunTrashRequest, StopFromTheDisplayLeavesTheRestInPlaceAndReportsThem) {
    TrashSandbox box;
    const std::vector<std::string> paths = MakeFiles(box, 4);
    TrashRun run(paths);
    run.options.showProgressAfter = 0ms;
    run.options.updateEvery = 0ms;
    run.stopAt = 1;
    const Outcome o = Execute(box, run);
    ASSERT_EQ(o.exitStatus, 0);
    EXPECT_EQ(o.calls, (std::vector<std::string>{"begin 4", "update 0/4 " + paths[0],
                                                 "update 1/4 " + paths[1], "end", "report"}));
    EXPECT_TRUE(o.aborted);
    ASSERT_EQ(o.report.results.size(), 4u);
    EXPECT_TRUE(o.report.results[0].trashed);
    EXPECT_FALSE(Exists(paths[0]));
    for (std::size_t i = 1; i < 4; ++i) {
        EXPECT_FALSE(o.report.results[i].trashed);
        EXPECT_EQ(o.report.results[i].reason, "stopped");
        EXPECT_TRUE(Exists(paths[i])) << paths[i];
    }
}

TEST(RunTrashRequest, RefusedRequestIsReportedAndAnEmptyOneShowsNothing) {
    struct Case {
        const char* name;
        UINT func;
        std::size_t files;
        std::vector<std::string> calls;
    } cases[] = {
        {"copy is refused", FO_COPY, 2, {"report"}},
        {"nothing to trash", FO_DELETE, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TrashSandbox box;
        const std::vector<std::string> paths = MakeFiles(box, c.files);
        TrashRun run(paths);
        run.func = c.func;
        run.options.showProgressAfter = 0ms;
        const Outcome o = Execute(box, run);
        ASSERT_EQ(o.exitStatus, 0);
        EXPECT_EQ(o.calls, c.calls);
        EXPECT_EQ(o.report.refused, c.func != FO_DELETE);
        for (const std::string& p : paths)
            EXPECT_TRUE(Exists(p)) << p;
        EXPECT_FALSE(Exists(box.data()));
    }
}

} // namespace
