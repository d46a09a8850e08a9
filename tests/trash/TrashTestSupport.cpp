#include "tests/trash/TrashTestSupport.h"

#include "deletion/FileOperation.h"
#include "platform/trash/TrashExecutorPosix.h"
#include "platform/trash/TrashUndo.h"
#include "tests/support/Batches.h"
#include "tests/support/TrashInfo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <stdexcept>

namespace {

std::vector<std::string> Fields(const std::string& text) {
    std::vector<std::string> fields;
    for (std::size_t start = 0, end; (end = text.find('\0', start)) != std::string::npos;
         start = end + 1)
        fields.push_back(text.substr(start, end - start));
    return fields;
}

void Put(std::string& out, const std::string& field) {
    out += field;
    out += '\0';
}

} // namespace

std::string Serialize(const TrashReport& report) {
    std::string out;
    Put(out, report.work == TrashWork::Undo ? "undo" : "delete");
    Put(out, report.refused ? "1" : "0");
    Put(out, report.error);
    Put(out, std::to_string(report.results.size()));
    for (const TrashResult& r : report.results) {
        Put(out, r.trashed ? "1" : "0");
        Put(out, r.reason);
        Put(out, r.path);
    }
    return out;
}

namespace {

// The report whose fields start at f[first]; first moves past it.
TrashReport ReportFrom(const std::vector<std::string>& f, std::size_t& first) {
    TrashReport report;
    if (f.size() < first + 4)
        return report;
    report.work = f[first] == "undo" ? TrashWork::Undo : TrashWork::Delete;
    report.refused = f[first + 1] == "1";
    report.error = f[first + 2];
    const std::size_t count = std::stoul(f[first + 3]);
    first += 4;
    for (; report.results.size() < count && first + 2 < f.size(); first += 3)
        report.results.push_back({f[first + 2], f[first] == "1", f[first + 1], {}});
    return report;
}

} // namespace

TrashReport ParseReport(const std::string& text) {
    std::size_t first = 0;
    return ReportFrom(Fields(text), first);
}

CFileBatch BatchOfPaths(const std::vector<std::string>& paths) {
    std::string root = paths.empty() ? "/" : paths[0].substr(0, paths[0].rfind('/'));
    const auto holds = [&](const std::string& path) {
        return path.size() > root.size() + 1 && path.compare(0, root.size(), root) == 0 &&
               path[root.size()] == '/';
    };
    while (!root.empty() && !std::all_of(paths.begin(), paths.end(), holds))
        root.erase(root.rfind('/'));
    std::vector<std::string> relative;
    for (const std::string& path : paths)
        relative.push_back(path.substr(root.size() + 1));
    return BatchOfTree(root.empty() ? "/" : root, relative);
}

Outcome Execute(const TrashSandbox& box, const TrashRun& run) {
    std::optional<CFileBatch> batch = run.batch;
    if (!batch && run.recorded && !run.paths.empty())
        batch = BatchOfPaths(run.paths);
    auto body = [&](std::string& out) {
        box.Enter();
        if (!RefuseMoves(run.missing))
            throw std::runtime_error("the system refuses a seccomp filter");
        if (run.inChild)
            run.inChild();
        CFileOperation op;
        for (const std::string& p : run.paths)
            op.m_arrSource.Add(CString(p));
        CDeleteRequest request(op);
        request.Request().wFunc = run.func;
        request.Request().fFlags = run.flags;
        std::vector<std::string> seen;
        CTrashUndo undo;
        const TrashReport report = ExecuteShellFileOperation(
            request.Request(), batch ? &*batch : nullptr,
            [&](std::size_t index, std::size_t total, std::string_view path) {
                seen.push_back(std::to_string(index) + "/" + std::to_string(total) + " " +
                               std::string(path));
                if (run.beforeFile)
                    run.beforeFile(index);
                return static_cast<int>(index) != run.stopBeforeIndex;
            },
            &undo);
        Put(out, request.Request().fAnyOperationsAborted ? "1" : "0");
        Put(out, std::to_string(seen.size()));
        for (const std::string& s : seen)
            Put(out, s);
        out += Serialize(report);
        if (!run.undo)
            return;
        if (run.beforeUndo)
            run.beforeUndo();
        out += Serialize(undo.PutBack());
    };
    const ChildResult child = run.unprivileged ? RunUnprivileged(body) : RunInChild(body);
    Outcome o;
    o.exitStatus = child.exitStatus;
    const std::vector<std::string> f = Fields(child.out);
    if (f.size() < 2)
        return o;
    o.aborted = f[0] == "1";
    const std::size_t seen = std::min<std::size_t>(std::stoul(f[1]), f.size() - 2);
    o.progress.assign(f.begin() + 2, f.begin() + 2 + static_cast<std::ptrdiff_t>(seen));
    std::size_t first = 2 + seen;
    o.report = ReportFrom(f, first);
    o.undone = ReportFrom(f, first);
    return o;
}

Outcome ExecuteBatch(const TrashSandbox& box, const std::string& root,
                     const std::vector<std::string>& relative) {
    TrashRun run;
    run.batch = BatchOfTree(root, relative);
    run.paths = PathsOf(*run.batch);
    return Execute(box, run);
}

std::map<std::string, std::string> TrashContents(const std::string& trash) {
    std::map<std::string, std::string> contents;
    for (const auto& [name, record] : ReadTrashInfo(trash)) {
        EXPECT_TRUE(record.wellFormed) << name;
        contents[name] = record.path;
    }
    return contents;
}

std::string RunTrashCli(const TrashSandbox& box, const std::string& command,
                        const std::string& folder, const std::string& input) {
    const std::string inputFile = box.dir / "cli-input";
    std::ofstream(inputFile) << input;
    return CommandOutput("cd '" + folder + "' && HOME='" + box.home() + "' XDG_DATA_HOME='" +
                         box.data() + "' " + command + " <'" + inputFile + "'");
}
