// The scan command: prints the table the main window shows for one folder, tab separated
// (Sr, Extension, Files Count, with --sizes Size; largest count first), then the total.
#include "app/scan/ScanCommand.h"

#include "analysis/ExtensionSizes.h"
#include "analysis/ExtensionStats.h"
#include "analysis/ResultRows.h"
#include "app/scan/ScanOutput.h"
#include "platform/core/TrashFolders.h"
#include "walk/EnumerateFiles.h"

#include <cerrno>
#include <cstdio>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr const char* kUsage = "usage: ravezivured-scan [--json] [--sizes] FOLDER\n"
                               "       ravezivured-scan --help | --version\n";

constexpr const char* kHelp =
    "\n"
    "Counts the files below FOLDER by file-name extension and prints the table File\n"
    "Manager shows: one row per extension, largest count first, then the total. Every\n"
    "entry that is not a folder counts, links and special files by their own name; links\n"
    "are never followed, and the trash folders are not part of the tree.\n"
    "\n"
    "Output, tab separated:\n"
    "  Sr<TAB>Extension<TAB>Files Count\n"
    "  1<TAB>.jpg<TAB>5\n"
    "  ...\n"
    "  Total Files Found<TAB>8\n"
    "Inside an extension a backslash is written as \\\\, a tab as \\t, a newline as \\n, a\n"
    "carriage return as \\r and any other control byte as \\xHH; all other bytes are\n"
    "written as they are (names are bytes, not necessarily UTF-8).\n"
    "\n"
    "  --json     one JSON object instead: folder, rows (sr, extension, count), total,\n"
    "             complete, not_read; a text that is not valid UTF-8 gets a sibling\n"
    "             field ending in _hex with its exact bytes\n"
    "  --sizes    also the bytes of each extension's files (a link counts its own size,\n"
    "             not its target's): a fourth column Size, and the total bytes after the\n"
    "             total; in JSON the fields bytes and size_unknown (files that could not\n"
    "             be examined; their bytes then read \"at least N\" in the table)\n"
    "  --help     this text\n"
    "  --version  the version\n"
    "\n"
    "Exit status: 0 the table is complete; 1 the table was printed but some folders could\n"
    "not be read (a summary on standard error); 2 bad folder (one that cannot be read, or\n"
    "one inside the trash) or usage.\n";

struct ScanArguments {
    bool help = false;
    bool version = false;
    bool json = false;
    bool sizes = false;
    std::vector<std::string> folders;
    std::string error; // set when the arguments are not usable
};

ScanArguments ParseArguments(int argc, char** argv) {
    ScanArguments args;
    bool optionsEnd = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (!optionsEnd && arg == "--")
            optionsEnd = true;
        else if (!optionsEnd && arg == "--help")
            args.help = true;
        else if (!optionsEnd && arg == "--version")
            args.version = true;
        else if (!optionsEnd && arg == "--json")
            args.json = true;
        else if (!optionsEnd && arg == "--sizes")
            args.sizes = true;
        else if (!optionsEnd && arg.size() > 1 && arg[0] == '-')
            args.error = "unknown option '" + std::string(arg) + "'";
        else
            args.folders.emplace_back(arg);
    }
    if (!args.error.empty() || args.help || args.version)
        return args;
    if (args.folders.empty())
        args.error = "no FOLDER given";
    else if (args.folders.size() > 1)
        args.error = "one FOLDER expected, got " + std::to_string(args.folders.size());
    else if (args.folders[0].empty())
        args.error = "the FOLDER is an empty text";
    return args;
}

class CScanWalker : public CEnumerateFiles {
public:
    void OnFileFound(const CString& path) override {
        if (!ReadsSizes()) {
            CountFile(m_mapExtCount, m_nTotalFiles, path.view());
            return;
        }
        const std::uint64_t size = CurrentEntry().size;
        CountFileAndSize(m_mapExtCount, m_nTotalFiles, m_sizes, path.view(),
                         size == kSizeUnknown ? std::nullopt : std::optional(size));
    }

    CMapStringToString m_mapExtCount{10};
    int m_nTotalFiles = 0;
    CExtensionSizes m_sizes;
};

int Refuse(const std::string& message, bool withUsage = false) {
    std::fprintf(stderr, "ravezivured-scan: %s\n%s", message.c_str(), withUsage ? kUsage : "");
    return 2;
}

bool Write(const std::string& text) {
    return std::fwrite(text.data(), 1, text.size(), stdout) == text.size() &&
           std::fflush(stdout) == 0;
}

} // namespace

int RunScanCommand(int argc, char** argv) {
#ifdef __GLIBC__
    // The C library gives every reader thread an arena of its own, and every arena keeps
    // 128 kB beyond what it holds, while it grows and after the walk: with eight readers
    // (a cold cache, a busy machine) about 4 MB of the scan's peak. 16 kB is enough not to
    // ask the system for memory at every step.
    ::mallopt(M_TOP_PAD, 16 * 1024);
#endif
    const ScanArguments args = ParseArguments(argc, argv);
    if (!args.error.empty())
        return Refuse(args.error, true);
    if (args.help)
        return Write(std::string(kUsage) + kHelp) ? 0 : 1;
    if (args.version)
        return Write("ravezivured-scan " RZ_SCAN_VERSION "\n") ? 0 : 1;
    const std::string& folder = args.folders[0];

    // A chosen folder the walk can read nothing of is a bad folder, not an empty table with
    // one folder not read: check first that this one can be walked, and say why not.
    if (const std::string why = WhyFolderCannotBeRead(folder); !why.empty())
        return Refuse("cannot read folder '" + folder + "': " + why);
    // The trash is not part of any folder; inside it, the table would list its records.
    if (IsInsideTrash(folder))
        return Refuse("folder '" + folder + "' is inside the trash, which is never scanned");

    CScanWalker walker;
    walker.ReadSizes(args.sizes);
    walker.Enumerate(CString(folder), CString("*.*"), true);

    CResultRows rows;
    CString serial;
    BuildResultTable(walker.m_mapExtCount, rows, serial);
    if (args.sizes)
        FillSizeColumn(walker.m_sizes, rows, SizeWriting::Bytes);

    const ScanReport report{folder, &rows, walker.m_nTotalFiles, walker.FoldersNotRead().ByReason(),
                            args.sizes ? &walker.m_sizes : nullptr};
    if (!(args.json ? WriteJson(report, stdout) : WriteTable(report, stdout))) {
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
