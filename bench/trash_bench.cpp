// Trashes the files named in a NUL-separated list file (absolute paths) through the delete
// executor, the way the delete command does: one batch, one request, with the record a
// collection keeps of what it saw (made here from the paths, as they are now). Prints how
// many went and how many did not, and the seconds the executor itself took; exits
// non-zero if any did not go.
//   trash_bench LIST_FILE
#include "deletion/FileOperation.h"
#include "platform/trash/BatchPaths.h"
#include "platform/trash/TrashExecutorPosix.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s LIST_FILE (absolute paths separated by NUL)\n", argv[0]);
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    const std::string list((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    CFileOperation op;
    for (std::size_t start = 0, end; start < list.size(); start = end + 1) {
        end = list.find('\0', start);
        if (end == std::string::npos)
            end = list.size();
        if (end > start)
            op.m_arrSource.Add(CString(list.substr(start, end - start)));
    }
    // What a collection records: the folders (BatchFromPaths) and each file as it is.
    std::vector<std::string> paths;
    for (const CString& path : op.m_arrSource)
        paths.push_back(path.str());
    CFileBatch batch = BatchFromPaths(paths);
    for (std::size_t i = 0; i < paths.size(); ++i) {
        struct stat st;
        if (::lstat(paths[i].c_str(), &st) == 0)
            batch.files[i] = {batch.files[i].folder, batch.files[i].name, st.st_dev, st.st_ino,
                              st.st_mode & S_IFMT};
    }
    CDeleteRequest request(op);
    const auto start = std::chrono::steady_clock::now();
    const TrashReport report = ExecuteShellFileOperation(request.Request(), &batch);
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    std::printf("trashed %zu, not trashed %zu\nseconds %.6f\n", report.TrashedCount(),
                report.NotTrashedCount(), seconds.count());
    return report.refused || report.NotTrashedCount() != 0 ? 1 : 0;
}
