// RunTrashJob with a recorder in place of the windows: when progress appears, how often
// it is updated, that a stop leaves the rest in place, and when a report is shown (the
// report of files not trashed is followed through the real windows in TrashWindowsTest). Every
// case trashes real files in a child process with its own home and trash.
#include "ui/trash/TrashRequest.h"
#include "deletion/FileOperation.h"
#include "tests/support/TrashSandbox.h"
#include "tests/ui/trash/InChild.h"

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

    void BeginProgress(TrashWork work, std::size_t total) override {
        calls.push_back(std::string(work == TrashWork::Undo ? "begin undo " : "begin ") +
                        std::to_string(total));
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
    RecordingDisplays displays;
    TrashReport report; // as returned
    bool aborted = false;
};

// Builds the request as the delete command does and runs it; call inside the child.
Outcome Execute(TrashRun run) {
    auto t = TrashRunOptions::Clock::time_point{};
    run.options.now = [&] {
        const auto reading = t;
        t += run.clockStep;
        return reading;
    };
    Outcome o;
    o.displays.stopAt = run.stopAt;
    CFileOperation op;
    for (const std::string& p : run.paths)
        op.m_arrSource.Add(CString(p));
    CDeleteRequest request(op);
    request.Request().wFunc = run.func;
    o.report = RunTrashJob(DeleteJob(request.Request(), nullptr, nullptr), o.displays, run.options);
    o.aborted = request.Request().fAnyOperationsAborted != 0;
    if (o.displays.shown) {
        // The report shown is the one returned.
        EXPECT_EQ(o.displays.shown->refused, o.report.refused);
        EXPECT_EQ(o.displays.shown->results.size(), o.report.results.size());
    }
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

TEST(RunTrashJob, ProgressAppearsAfterTheDelayAndUpdatesAtABoundedRate) {
    struct Case {
        const char* name;
        std::chrono::milliseconds clockStep;
        TrashRunOptions::Clock::duration showAfter;
        TrashRunOptions::Clock::duration updateEvery;
        std::size_t files;
        std::vector<std::string> calls; // "update done/total" without the path
    } cases[] = {
        {"quick: nothing shown", 0ms, 500ms, 50ms, 5, {}},
        // The clock is read once at the start and once per file: file i sees (i+1)*100ms.
        {"slow: shown from the file at 500ms, then every 250ms",
         100ms,
         500ms,
         250ms,
         12,
         {"begin 12", "update 4/12", "update 7/12", "update 10/12", "end"}},
        {"no delay: shown at once, every file",
         0ms,
         0ms,
         0ms,
         3,
         {"begin 3", "update 0/3", "update 1/3", "update 2/3", "end"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TrashSandbox box;
        const std::vector<std::string> paths = MakeFiles(box, c.files);
        InChild([&] {
            box.Enter();
            TrashRun run(paths);
            run.clockStep = c.clockStep;
            run.options.showProgressAfter = c.showAfter;
            run.options.updateEvery = c.updateEvery;
            const Outcome o = Execute(run);

            std::vector<std::string> calls;
            for (const std::string& call : o.displays.calls) {
                const std::size_t space = call.find(' ', 7);
                if (call.rfind("update ", 0) == 0) {
                    // The path shown is the request's next one, bytes unchanged.
                    EXPECT_EQ(call.substr(space + 1), paths[std::stoul(call.substr(7))]);
                    calls.push_back(call.substr(0, space));
                } else {
                    calls.push_back(call);
                }
            }
            EXPECT_EQ(calls, c.calls);
            EXPECT_FALSE(o.displays.shown) << "every file went to the trash";
            EXPECT_EQ(o.report.TrashedCount(), c.files);
        });
        for (const std::string& p : paths)
            EXPECT_FALSE(Exists(p)) << p;
    }
}

TEST(RunTrashJob, StopFromTheDisplayLeavesTheRestInPlaceAndReportsThem) {
    TrashSandbox box;
    const std::vector<std::string> paths = MakeFiles(box, 4);
    InChild([&] {
        box.Enter();
        TrashRun run(paths);
        run.options.showProgressAfter = 0ms;
        run.options.updateEvery = 0ms;
        run.stopAt = 1;
        const Outcome o = Execute(run);
        EXPECT_EQ(o.displays.calls,
                  (std::vector<std::string>{"begin 4", "update 0/4 " + paths[0],
                                            "update 1/4 " + paths[1], "end", "report"}));
        EXPECT_TRUE(o.aborted);
        ASSERT_EQ(o.report.results.size(), 4u);
        EXPECT_TRUE(o.report.results[0].trashed);
        for (std::size_t i = 1; i < 4; ++i) {
            EXPECT_FALSE(o.report.results[i].trashed);
            EXPECT_EQ(o.report.results[i].reason, "stopped");
        }
    });
    EXPECT_FALSE(Exists(paths[0]));
    for (std::size_t i = 1; i < 4; ++i)
        EXPECT_TRUE(Exists(paths[i])) << paths[i];
}

TEST(RunTrashJob, RefusedRequestIsReportedAndAnEmptyOneShowsNothing) {
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
        InChild([&] {
            box.Enter();
            TrashRun run(paths);
            run.func = c.func;
            run.options.showProgressAfter = 0ms;
            const Outcome o = Execute(run);
            EXPECT_EQ(o.displays.calls, c.calls);
            EXPECT_EQ(o.report.refused, c.func != FO_DELETE);
        });
        for (const std::string& p : paths)
            EXPECT_TRUE(Exists(p)) << p;
        EXPECT_FALSE(Exists(box.data()));
    }
}

} // namespace
