#include "tests/trash/TrashTestSupport.h"

#include "deletion/FileOperation.h"
#include "platform/trash/TrashExecutorPosix.h"
#include "tests/support/Batches.h"
#include "tests/support/TrashInfo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>

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
    for (const TrashResult& r : report.results) {
        Put(out, r.trashed ? "1" : "0");
        Put(out, r.reason);
        Put(out, r.path);
    }
    return out;
}

namespace {

// The report whose fields start at f[first].
TrashReport ReportFrom(const std::vector<std::string>& f, std::size_t first) {
    TrashReport report;
    if (f.size() < first + 3)
        return report;
    report.work = f[first] == "undo" ? TrashWork::Undo : TrashWork::Delete;
    report.refused = f[first + 1] == "1";
    report.error = f[first + 2];
    for (std::size_t i = first + 3; i + 2 < f.size(); i += 3)
        report.results.push_back({f[i + 2], f[i] == "1", f[i + 1], {}});
    return report;
}

} // namespace

TrashReport ParseReport(const std::string& text) {
    return ReportFrom(Fields(text), 0);
}

Outcome Execute(const TrashSandbox& box, const TrashRun& run) {
    auto body = [&](std::string& out) {
        box.Enter();
        if (run.inChild)
            run.inChild();
        CFileOperation op;
        for (const std::string& p : run.paths)
            op.m_arrSource.Add(CString(p));
        CDeleteRequest request(op);
        request.Request().wFunc = run.func;
        request.Request().fFlags = run.flags;
        std::vector<std::string> seen;
        const TrashReport report = ExecuteShellFileOperation(
            request.Request(), run.batch ? &*run.batch : nullptr,
            [&](std::size_t index, std::size_t total, std::string_view path) {
                seen.push_back(std::to_string(index) + "/" + std::to_string(total) + " " +
                               std::string(path));
                if (run.beforeFile)
                    run.beforeFile(index);
                return static_cast<int>(index) != run.stopBeforeIndex;
            });
        Put(out, request.Request().fAnyOperationsAborted ? "1" : "0");
        Put(out, std::to_string(seen.size()));
        for (const std::string& s : seen)
            Put(out, s);
        out += Serialize(report);
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
    o.report = ReportFrom(f, 2 + seen);
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
    const std::string cmd = "cd '" + folder + "' && HOME='" + box.home() + "' XDG_DATA_HOME='" +
                            box.data() + "' " + command + " <'" + inputFile + "' 2>&1";
    std::string out;
    if (FILE* p = ::popen(cmd.c_str(), "r")) {
        char buf[4096];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
            out.append(buf, n);
        ::pclose(p);
    }
    return out;
}
