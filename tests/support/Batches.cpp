#include "tests/support/Batches.h"

#include <cerrno>
#include <cstring>
#include <map>
#include <stdexcept>
#include <sys/stat.h>

namespace {

struct stat LookAt(const std::string& path) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0)
        throw std::runtime_error("lstat " + path + ": " + std::strerror(errno));
    return st;
}

} // namespace

CFileBatch BatchOfTree(const std::string& root, const std::vector<std::string>& relative) {
    CFileBatch batch;
    batch.root = root;
    const struct stat top = LookAt(root);
    batch.folders.push_back({0, {}, top.st_dev, top.st_ino});
    std::map<std::string, std::uint32_t> folderAt{{"", 0}};
    for (const std::string& rel : relative) {
        std::uint32_t folder = 0;
        std::size_t start = 0;
        for (std::size_t slash; (slash = rel.find('/', start)) != std::string::npos;
             start = slash + 1) {
            const std::string prefix = rel.substr(0, slash);
            auto found = folderAt.find(prefix);
            if (found == folderAt.end()) {
                const struct stat st = LookAt(root + "/" + prefix);
                batch.folders.push_back(
                    {folder, rel.substr(start, slash - start), st.st_dev, st.st_ino});
                found = folderAt.emplace(prefix, batch.folders.size() - 1).first;
            }
            folder = found->second;
        }
        const struct stat st = LookAt(root + "/" + rel);
        batch.files.push_back(
            {folder, rel.substr(start), st.st_dev, st.st_ino, st.st_mode & S_IFMT});
    }
    return batch;
}

std::vector<std::string> PathsOf(const CFileBatch& batch) {
    std::vector<std::string> folderPaths(batch.folders.size());
    folderPaths[0] = batch.root;
    for (std::size_t i = 1; i < batch.folders.size(); ++i)
        folderPaths[i] = folderPaths[batch.folders[i].parent] + "/" + batch.folders[i].name;
    std::vector<std::string> paths;
    for (const BatchFile& file : batch.files)
        paths.push_back(folderPaths[file.folder] + "/" + file.name);
    return paths;
}
