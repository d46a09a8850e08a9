// Trashes the files named in a NUL-separated list file through the delete executor, the
// way the delete command does: one batch, one request. Prints how many went and how many
// did not; exits non-zero if any did not.
//   trash_bench LIST_FILE
#include "deletion/FileOperation.h"
#include "platform/trash/ShellFileOperation.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s LIST_FILE (paths separated by NUL)\n", argv[0]);
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
    CDeleteRequest request(op);
    const TrashReport report = ExecuteShellFileOperation(request.Request(), nullptr);
    std::printf("trashed %zu, not trashed %zu\n", report.TrashedCount(), report.NotTrashedCount());
    return report.refused || report.NotTrashedCount() != 0 ? 1 : 0;
}
