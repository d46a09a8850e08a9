// Deletes files to the recycle bin through the Windows executor, the way the delete does
// (collected by the walk, one request), once a folder's files a call (the delete's way)
// and once one file a call, on identical trees made here, ROUNDS times, alternating which
// goes first. Prints each run's calls per file and files per second, and the medians.
//   rz-bench-recycle DIR [FOLDERS [FILES_PER_FOLDER [ROUNDS]]]
// DIR (made when missing) gets a tree per run, emptied of its files by the run; its
// folders stay. Exits non-zero when a file was not moved.
#include "deletion/CollectFiles.h"
#include "deletion/FileOperation.h"
#include "platform/core/WideText.h"
#include "platform/recycle/TrashExecutorWindows.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Run {
    std::size_t files = 0;
    std::size_t moved = 0;
    std::size_t calls = 0;
    double seconds = 0;
    double FilesPerSecond() const { return seconds > 0 ? static_cast<double>(moved) / seconds : 0; }
};

// FOLDERS folders of FILES files each below root, names unique to the run (the recycle
// bin's own name search stays the same for every run).
bool MakeTree(const std::string& root, const std::string& tag, int folders, int files) {
    if (!CreateDirectoryW(LongPath(root).c_str(), nullptr))
        return false;
    for (int f = 0; f < folders; ++f) {
        const std::string folder = root + "\\f" + std::to_string(f);
        if (!CreateDirectoryW(LongPath(folder).c_str(), nullptr))
            return false;
        for (int i = 0; i < files; ++i) {
            const std::string path = folder + "\\" + tag + "-" + std::to_string(i) + ".tmp";
            const HANDLE file = CreateFileW(LongPath(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                            CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (file == INVALID_HANDLE_VALUE)
                return false;
            DWORD written = 0;
            WriteFile(file, "bench", 5, &written, nullptr);
            CloseHandle(file);
        }
    }
    return true;
}

Run Delete(const std::string& root, std::size_t batchLimit) {
    CFileOperation op;
    CollectFilesWithExtension(op, ".tmp", CString(root));
    CDeleteRequest request(op);
    RecycleOptions options;
    options.batchLimit = batchLimit;
    Run run;
    options.shellCalls = &run.calls;
    const auto start = std::chrono::steady_clock::now();
    const TrashReport report = RecycleFiles(request.Request(), &op.m_batch, {}, options);
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.files = report.results.size();
    run.moved = report.TrashedCount();
    for (const TrashResult& result : report.results)
        if (!result.trashed) {
            std::fprintf(stderr, "not moved: %s: %s\n", result.path.c_str(), result.reason.c_str());
            break;
        }
    return run;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct Way {
    const char* name;
    std::size_t batchLimit;
    std::vector<Run> runs;
};

void Print(int round, const Way& way, const Run& run) {
    std::printf("round %-2d %-24s %6zu files %6zu calls  %.3f calls/file  %8.3f s  %8.0f files/s\n",
                round, way.name, run.files, run.calls,
                run.files ? static_cast<double>(run.calls) / static_cast<double>(run.files) : 0.0,
                run.seconds, run.FilesPerSecond());
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 5) {
        std::fprintf(stderr, "usage: %s DIR [FOLDERS [FILES_PER_FOLDER [ROUNDS]]]\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    const int folders = argc > 2 ? std::atoi(argv[2]) : 10;
    const int files = argc > 3 ? std::atoi(argv[3]) : 200;
    const int rounds = argc > 4 ? std::atoi(argv[4]) : 3;
    if (folders < 1 || files < 1 || rounds < 1) {
        std::fprintf(stderr, "FOLDERS, FILES_PER_FOLDER and ROUNDS must be at least 1\n");
        return 2;
    }
    CreateDirectoryW(LongPath(dir).c_str(), nullptr);
    Way ways[] = {{"batched (delete's way)", kRecycleBatchFiles, {}}, {"one file a call", 1, {}}};
    bool allMoved = true;
    for (int round = 0; round < rounds; ++round) {
        for (int k = 0; k < 2; ++k) {
            Way& way = ways[(round + k) % 2];
            char tag[32];
            std::snprintf(tag, sizeof tag, "r%dw%zu", round, way.batchLimit);
            const std::string root = dir + "\\" + std::string(tag);
            if (!MakeTree(root, tag, folders, files)) {
                std::fprintf(stderr, "cannot make %s (system error %lu)\n", root.c_str(),
                             GetLastError());
                return 1;
            }
            way.runs.push_back(Delete(root, way.batchLimit));
            allMoved = allMoved && way.runs.back().moved == way.runs.back().files;
            Print(round + 1, way, way.runs.back());
        }
    }
    double medians[2] = {};
    for (int k = 0; k < 2; ++k) {
        std::vector<double> rates, callsPerFile;
        for (const Run& run : ways[k].runs) {
            rates.push_back(run.FilesPerSecond());
            callsPerFile.push_back(static_cast<double>(run.calls) / static_cast<double>(run.files));
        }
        medians[k] = Median(rates);
        std::printf("median   %-24s %.3f calls/file  %8.0f files/s\n", ways[k].name,
                    Median(callsPerFile), medians[k]);
    }
    std::printf("ratio of medians (batched / one file a call): %.2f\n",
                medians[1] > 0 ? medians[0] / medians[1] : 0.0);
    return allMoved ? 0 : 1;
}
