// rz-bench-extensions N DIR: creates DIR holding N empty files, each with an extension of
// its own 253 bytes long (the longest a 255-byte name leaves room for after one letter),
// 1,000 files to a folder: the table of such a tree has N rows, and every key is long.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::size_t kExtensionBytes = 253; // the dot included
constexpr std::size_t kFilesPerFolder = 1000;

[[noreturn]] void Die(const char* what, const std::string& path) {
    std::fprintf(stderr, "rz-bench-extensions: %s %s: %s\n", what, path.c_str(),
                 std::strerror(errno));
    std::exit(1);
}

// "f." then the serial in decimal, padded with letters to kExtensionBytes after the "f".
std::string FileName(std::size_t serial) {
    std::string name = "f." + std::to_string(serial);
    name.resize(1 + kExtensionBytes, 'x');
    return name;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: rz-bench-extensions N DIR\n");
        return 2;
    }
    const std::size_t files = std::strtoull(argv[1], nullptr, 10);
    const std::string root = argv[2];
    if (::mkdir(root.c_str(), 0755) != 0 && errno != EEXIST)
        Die("mkdir", root);
    for (std::size_t serial = 0; serial < files; serial += kFilesPerFolder) {
        const std::string folder = root + "/d" + std::to_string(serial / kFilesPerFolder);
        if (::mkdir(folder.c_str(), 0755) != 0)
            Die("mkdir", folder);
        const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir < 0)
            Die("open", folder);
        for (std::size_t n = serial; n < files && n < serial + kFilesPerFolder; ++n) {
            const std::string name = FileName(n);
            const int fd =
                ::openat(dir, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
            if (fd < 0)
                Die("create", folder + "/" + name);
            ::close(fd);
        }
        ::close(dir);
    }
    std::printf("%zu files with %zu-byte extensions under %s\n", files, kExtensionBytes,
                root.c_str());
    return 0;
}
