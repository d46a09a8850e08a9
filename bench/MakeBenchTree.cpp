// rz-bench-tree N DIR [SEED]: creates DIR holding exactly N files in a folder tree about
// ten levels deep, the same tree for the same N and SEED on every machine. The names mix
// what real folders hold: many extensions with common ones far more frequent, names
// without an extension, dot-files, .tar.gz archives, upper- and lower-case twins (.JPG
// and .jpg), spaces, a space after the last dot, and a few files with content among the
// empty ones.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// splitmix64: tiny, and the same sequence everywhere (unlike the standard distributions).
class Random {
public:
    explicit Random(std::uint64_t seed) : m_state(seed) {}
    std::uint64_t Next() {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    std::size_t Below(std::size_t n) { return static_cast<std::size_t>(Next() % n); }
    bool Percent(unsigned p) { return Below(100) < p; }

private:
    std::uint64_t m_state;
};

// Common extensions, the first ones most often (picked with a skewed index).
const char* const kCommon[] = {
    ".c",    ".h",   ".txt", ".jpg",  ".png", ".js",   ".json",  ".md",  ".cpp", ".py",
    ".html", ".css", ".xml", ".o",    ".so",  ".log",  ".JPG",   ".TXT", ".pdf", ".svg",
    ".mp3",  ".wav", ".ts",  ".go",   ".rs",  ".java", ".class", ".jar", ".zip", ".gz",
    ".ini",  ".cfg", ".yml", ".yaml", ".sh",  ".pl",   ".rb",    ".php", ".sql", ".db",
    ".csv",  ".tsv", ".doc", ".docx", ".xls", ".ppt",  ".gif",   ".bmp", ".ico", ".ttf",
    ".woff", ".mo",  ".po",  ".a",    ".la",  ".pc",   ".cmake", ".in",  ".am",  ".mk",
    ".PNG",  ".Md",  ".bak", ".tmp",  ".old", ".swp",  ".lock",  ".pem", ".crt", ".key"};
constexpr std::size_t kCommonCount = sizeof kCommon / sizeof kCommon[0];

const char* const kWords[] = {"report",  "IMG",    "notes",   "data",  "main",   "test",
                              "index",   "photo",  "my file", "draft", "backup", "util",
                              "Read Me", "config", "lib",     "module"};
const char* const kNoExtension[] = {"README",    "Makefile", "LICENSE", "CHANGES",
                                    "configure", "AUTHORS",  "run"};
const char* const kDotFiles[] = {".profile", ".gitignore", ".bashrc", ".env", ".clang-format"};
const char* const kFolderWords[] = {"src",   "lib", "docs",   "Photos 2019", "build", "assets",
                                    "tests", "tmp", "vendor", "include",     "share", "Music"};

// usedDotFiles: which of kDotFiles the current folder already holds (one bit each).
std::string FileName(Random& rng, std::size_t serial, unsigned& usedDotFiles) {
    const std::string unique = std::to_string(serial);
    const unsigned kind = static_cast<unsigned>(rng.Below(100));
    if (kind < 8) // no extension
        return std::string(kNoExtension[rng.Below(7)]) + "_" + unique;
    if (kind < 11) { // dot-file: a well-known one once per folder, else an editor swap file
        const std::size_t which = rng.Below(5);
        if (!(usedDotFiles & (1u << which))) {
            usedDotFiles |= 1u << which;
            return kDotFiles[which];
        }
        return ".notes " + unique + ".txt.swp";
    }
    if (kind < 13) // archive
        return "archive " + unique + ".tar.gz";
    if (kind < 14) // space after the last dot: no extension
        return "report." + unique + " final draft";
    if (kind < 16) // rare extension, from a pool of a few hundred
        return "file" + unique + ".x" + std::to_string(rng.Below(400));
    // Skewed towards the front of the common list.
    const std::size_t a = rng.Below(kCommonCount), b = rng.Below(kCommonCount);
    const std::size_t ext = a < b ? a : b;
    return std::string(kWords[rng.Below(sizeof kWords / sizeof kWords[0])]) + " " + unique +
           kCommon[ext];
}

[[noreturn]] void Die(const char* what, const std::string& path) {
    std::fprintf(stderr, "rz-bench-tree: %s %s: %s\n", what, path.c_str(), std::strerror(errno));
    std::exit(1);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: rz-bench-tree N DIR [SEED]\n");
        return 2;
    }
    const std::size_t files = std::strtoull(argv[1], nullptr, 10);
    const std::string root = argv[2];
    Random rng(argc == 4 ? std::strtoull(argv[3], nullptr, 10) : 20240601);

    if (::mkdir(root.c_str(), 0755) != 0 && errno != EEXIST)
        Die("mkdir", root);

    // Folders: about one per 30 files, each hung under a random earlier folder less than
    // ten levels deep, deeper parents preferred, so the tree is deep and bushy at once.
    struct Folder {
        std::string path;
        int depth;
    };
    std::vector<Folder> folders{{root, 0}};
    const std::size_t folderCount = files / 30 + 1;
    for (std::size_t i = 1; i < folderCount; ++i) {
        std::size_t parent = rng.Below(folders.size());
        const std::size_t other = rng.Below(folders.size());
        if (folders[other].depth > folders[parent].depth)
            parent = other;
        while (folders[parent].depth >= 10)
            parent = rng.Below(folders.size());
        const std::string name =
            std::string(kFolderWords[rng.Below(sizeof kFolderWords / sizeof kFolderWords[0])]) +
            "." + std::to_string(i);
        Folder child{folders[parent].path + "/" + name, folders[parent].depth + 1};
        if (::mkdir(child.path.c_str(), 0755) != 0)
            Die("mkdir", child.path);
        folders.push_back(std::move(child));
    }

    std::vector<std::size_t> perFolder(folders.size(), 0);
    for (std::size_t i = 0; i < files; ++i)
        ++perFolder[rng.Below(folders.size())];

    std::size_t serial = 0;
    std::string content;
    for (std::size_t f = 0; f < folders.size(); ++f) {
        const int dir = ::open(folders[f].path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir < 0)
            Die("open", folders[f].path);
        unsigned usedDotFiles = 0;
        for (std::size_t n = 0; n < perFolder[f]; ++n) {
            const std::string name = FileName(rng, serial++, usedDotFiles);
            const int fd =
                ::openat(dir, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
            if (fd < 0)
                Die("create", folders[f].path + "/" + name);
            if (rng.Percent(10)) {
                content.assign(16 + rng.Below(200), 'x');
                if (::write(fd, content.data(), content.size()) < 0)
                    Die("write", name);
            }
            ::close(fd);
        }
        ::close(dir);
    }
    std::printf("%zu files in %zu folders under %s\n", files, folders.size(), root.c_str());
    return 0;
}
