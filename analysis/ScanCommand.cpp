// The scan command: prints the table the main window shows for one folder, tab separated
// (Sr, Extension, Files Count, largest count first), then the total.
#include "analysis/ScanCommand.h"

#include "analysis/EnumerateFiles.h"
#include "analysis/ExtensionStats.h"
#include "analysis/ResultRows.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

constexpr const char* kUsage = "usage: ravezivured-scan FOLDER";

class CScanWalker : public CEnumerateFiles {
public:
    void OnFileFound(const CString& path) override {
        CountFile(m_mapExtCount, m_nTotalFiles, path.view());
    }

    CMapStringToString m_mapExtCount{10};
    int m_nTotalFiles = 0;
};

int Refuse(const std::string& message) {
    std::fprintf(stderr, "ravezivured-scan: %s\n", message.c_str());
    return 2;
}

void AppendLine(std::string& out, const CString& a, const CString& b, const CString& c) {
    out.append(a.view()).append(1, '\t').append(b.view()).append(1, '\t').append(c.view());
    out.append(1, '\n');
}

} // namespace

int RunScanCommand(int argc, char** argv) {
    if (argc < 2)
        return Refuse(std::string("no FOLDER given (") + kUsage + ")");
    if (argc > 2)
        return Refuse(std::string("one FOLDER expected, got ") + std::to_string(argc - 1) +
                      " arguments (" + kUsage + ")");
    const char* folder = argv[1];

    // The walk itself reports nothing for a folder it cannot list, so check first that
    // this one can be listed, and say why not.
    const int fd = ::open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return Refuse(std::string("cannot read folder '") + folder + "': " + std::strerror(errno));
    ::close(fd);

    CScanWalker walker;
    walker.Enumerate(CString(folder), CString("*.*"), true);

    CResultRows rows;
    CString serial;
    BuildResultTable(walker.m_mapExtCount, rows, serial);

    std::string out;
    out.reserve(64 + static_cast<std::size_t>(rows.GetItemCount()) * 32);
    AppendLine(out, "Sr", "Extension", "Files Count");
    for (const CResultRows::Row& row : rows.Rows())
        AppendLine(out, row.cells[kColumnSerial], row.cells[kColumnExtension],
                   row.cells[kColumnCount]);
    out.append("Total Files Found\t").append(std::to_string(walker.m_nTotalFiles)).append("\n");

    if (std::fwrite(out.data(), 1, out.size(), stdout) != out.size() || std::fflush(stdout) != 0) {
        std::fprintf(stderr, "ravezivured-scan: cannot write the table: %s\n",
                     std::strerror(errno));
        return 1;
    }
    // The table is complete for what was read; whatever was not is said once, by reason.
    if (walker.FoldersNotRead().Total() > 0) {
        std::fprintf(stderr, "ravezivured-scan: %s\n", walker.FoldersNotRead().Summary().c_str());
        return 1;
    }
    return 0;
}
