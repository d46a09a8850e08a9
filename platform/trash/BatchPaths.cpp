#include "platform/trash/BatchPaths.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>

std::string JoinPath(std::string_view folder, std::string_view name) {
    std::string path(folder);
    if (path.empty() || path.back() != '/')
        path += '/';
    path += name;
    return path;
}

namespace {

bool IsOneName(const std::string& name) {
    return !name.empty() && name.find('/') == std::string::npos;
}

bool IsWellFormed(const CFileBatch& batch) {
    if (batch.folders.empty() || batch.folders[0].parent != 0)
        return false;
    for (std::size_t i = 1; i < batch.folders.size(); ++i)
        if (batch.folders[i].parent >= i || !IsOneName(batch.folders[i].name))
            return false;
    for (const BatchFile& file : batch.files)
        if (file.folder >= batch.folders.size() || !IsOneName(file.name))
            return false;
    return true;
}

// The components of path after the current folder when it is relative, without the
// empty and "." ones, which change nothing.
std::vector<std::string> Components(const std::string& path, const std::string& cwd) {
    const std::string full = !path.empty() && path[0] == '/' ? path : cwd + "/" + path;
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= full.size()) {
        std::size_t end = full.find('/', start);
        if (end == std::string::npos)
            end = full.size();
        const std::string part = full.substr(start, end - start);
        if (!part.empty() && part != ".")
            parts.push_back(part);
        start = end + 1;
    }
    return parts;
}

// The ids of the folder at path now, not of what a link there points at; zero when it is
// not there, not a folder (a link), or named "..", which the system resolves past whatever
// comes before it: no folder matches zero ids.
void RecordFolder(const std::string& path, const std::string& name, BatchFolder& folder) {
    struct stat st;
    if (name == ".." || ::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return;
    folder.dev = st.st_dev;
    folder.ino = st.st_ino;
}

} // namespace

bool BatchMatchesPaths(const CFileBatch& batch, const std::vector<std::string>& paths) {
    if (batch.files.size() != paths.size() || !IsWellFormed(batch))
        return false;
    // Folder paths are built once each; every folder comes after its parent.
    std::vector<std::string> folderPaths(batch.folders.size());
    folderPaths[0] = batch.root;
    for (std::size_t i = 1; i < batch.folders.size(); ++i)
        folderPaths[i] = JoinPath(folderPaths[batch.folders[i].parent], batch.folders[i].name);
    for (std::size_t i = 0; i < paths.size(); ++i)
        if (JoinPath(folderPaths[batch.files[i].folder], batch.files[i].name) != paths[i])
            return false;
    return true;
}

CFileBatch BatchFromPaths(const std::vector<std::string>& paths) {
    CFileBatch batch;
    batch.root = "/";
    batch.folders.push_back({0, {}, 0, 0});
    RecordFolder("/", "/", batch.folders[0]);
    std::string cwd;
    if (char* here = ::getcwd(nullptr, 0)) {
        cwd = here;
        ::free(here);
    }
    std::unordered_map<std::string, std::uint32_t> folderAt{{"", 0}};
    for (const std::string& path : paths) {
        const std::vector<std::string> parts = Components(path, cwd);
        std::uint32_t folder = 0;
        std::string prefix;
        for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
            prefix += "/" + parts[i];
            const auto [at, added] =
                folderAt.try_emplace(prefix, static_cast<std::uint32_t>(batch.folders.size()));
            if (added) {
                batch.folders.push_back({folder, parts[i], 0, 0});
                RecordFolder(prefix, parts[i], batch.folders.back());
            }
            folder = at->second;
        }
        // Nothing is known of the file itself: its ids and kind stay zero, and the executor
        // takes it as it is when its turn comes.
        batch.files.push_back({folder, parts.empty() ? std::string(".") : parts.back(), 0, 0, 0});
    }
    return batch;
}
