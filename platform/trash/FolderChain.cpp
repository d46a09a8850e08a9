#include "platform/trash/FolderChain.h"

#include "platform/trash/BatchPaths.h"
#include "platform/trash/TrashReasons.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>

namespace {

FolderFailure FailureOfOpen(int error) {
    if (error == ENOENT)
        return {FolderFailure::Gone, error};
    if (error == ENOTDIR || error == ELOOP)
        return {FolderFailure::Changed, 0};
    return {FolderFailure::Error, error};
}

} // namespace

const char* ReasonForFolder(const FolderFailure& failure, const char* gone, const char* changed,
                            const char* otherwise) {
    switch (failure.kind) {
    case FolderFailure::Gone:
        return gone;
    case FolderFailure::Changed:
        return changed;
    default:
        return ReasonForError(failure.error, otherwise);
    }
}

CFolderChain::CFolderChain(const std::string& root, const std::vector<BatchFolder>& folders)
    : m_root(root), m_folders(folders), m_failed(folders.size()) {}

int CFolderChain::Open(std::uint32_t folder, FolderFailure& failure) {
    failure = {};
    if (folder >= m_folders.size()) {
        failure.kind = FolderFailure::Changed;
        return -1;
    }
    if (!m_levels.empty() && m_levels.back().folder == folder)
        return m_levels.back().fd.Get();
    if (m_levels.empty() && !OpenRoot(failure))
        return -1;
    if (!BuildTarget(folder, failure))
        return -1;

    // The way down is shared with the folder opened last up to level common - 1.
    std::size_t common = 1;
    while (common < m_levels.size() && common < m_target.size() &&
           m_levels[common].folder == m_target[common])
        ++common;
    if (!m_levels[common - 1].fd.IsOpen() && !Reach(common - 1, failure)) {
        m_failed[folder] = failure;
        return -1;
    }
    m_levels.erase(m_levels.begin() + static_cast<std::ptrdiff_t>(common), m_levels.end());
    if (!Descend(common, failure)) {
        m_failed[folder] = failure;
        return -1;
    }
    return m_levels.back().fd.Get();
}

const std::string& CFolderChain::PathOf(std::uint32_t folder) {
    if (folder == m_pathFolder || folder >= m_folders.size())
        return m_path;
    std::vector<std::uint32_t> way;
    for (std::uint32_t f = folder; f != 0; f = m_folders[f].parent)
        way.push_back(f);
    m_path = m_rootPath;
    for (auto it = way.rbegin(); it != way.rend(); ++it)
        m_path = JoinPath(m_path, m_folders[*it].name);
    m_pathFolder = folder;
    return m_path;
}

bool CFolderChain::OpenRoot(FolderFailure& failure) {
    if (m_failed[0].kind != FolderFailure::None) {
        failure = m_failed[0];
        return false;
    }
    // The one lookup by name: the chosen folder may itself be, or lie below, a link.
    CUniqueFd fd(::open(m_root.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!fd.IsOpen())
        failure = FailureOfOpen(errno);
    else
        Check(fd.Get(), 0, failure);
    if (failure.kind != FolderFailure::None) {
        m_failed[0] = failure;
        return false;
    }
    m_rootPath = PathOfOpenFolder(fd.Get());
    if (m_rootPath.empty())
        m_rootPath = m_root;
    m_levels.push_back({0, std::move(fd)});
    return true;
}

// m_target = the folders from the chosen one down to folder. False, with the failure of
// the folder above that failed, when one did.
bool CFolderChain::BuildTarget(std::uint32_t folder, FolderFailure& failure) {
    m_target.clear();
    for (std::uint32_t f = folder;; f = m_folders[f].parent) {
        if (m_failed[f].kind != FolderFailure::None) {
            failure = m_failed[folder] = m_failed[f];
            return false;
        }
        m_target.push_back(f);
        if (f == 0)
            break;
    }
    std::reverse(m_target.begin(), m_target.end());
    return true;
}

// Opens m_target[from..] one below the other, from the last open level, closing the level
// that leaves the window at each step.
bool CFolderChain::Descend(std::size_t from, FolderFailure& failure) {
    for (std::size_t i = from; i < m_target.size(); ++i) {
        const std::uint32_t folder = m_target[i];
        CUniqueFd fd(OpenFolderAt(m_levels.back().fd.Get(), m_folders[folder].name.c_str()));
        if (!fd.IsOpen())
            failure = FailureOfOpen(errno);
        else
            Check(fd.Get(), folder, failure);
        if (failure.kind != FolderFailure::None) {
            m_failed[folder] = failure;
            return false;
        }
        m_levels.push_back({folder, std::move(fd)});
        CloseMiddle();
    }
    return true;
}

// Opens m_levels[level] again after CloseMiddle closed it: up through ".." from the
// nearest open level below it, or, when that meets another folder than recorded (one
// below was moved), down by name from the nearest open level above it. Either way each
// step opens one level from the one before and closes that one again unless it stays in
// the window, so a deep tree holds no more descriptors than a shallow one.
bool CFolderChain::Reach(std::size_t level, FolderFailure& failure) {
    std::size_t below = level + 1;
    while (below < m_levels.size() && !m_levels[below].fd.IsOpen())
        ++below;
    for (std::size_t l = below; l < m_levels.size() && l > level; --l) {
        CUniqueFd up(OpenFolderAt(m_levels[l].fd.Get(), ".."));
        FolderFailure ignored;
        if (!up.IsOpen() || !Check(up.Get(), m_levels[l - 1].folder, ignored))
            break;
        m_levels[l - 1].fd = std::move(up);
        if (l != below)
            m_levels[l].fd.Reset();
    }
    if (m_levels[level].fd.IsOpen())
        return true;
    std::size_t above = level;
    while (!m_levels[above].fd.IsOpen())
        --above; // the chosen folder is always open
    for (std::size_t l = above + 1; l <= level; ++l) {
        const std::uint32_t folder = m_levels[l].folder;
        CUniqueFd fd(OpenFolderAt(m_levels[l - 1].fd.Get(), m_folders[folder].name.c_str()));
        failure = fd.IsOpen() ? FolderFailure{} : FailureOfOpen(errno);
        if (fd.IsOpen())
            Check(fd.Get(), folder, failure);
        if (failure.kind != FolderFailure::None) {
            m_failed[folder] = failure;
            return false;
        }
        m_levels[l].fd = std::move(fd);
        // level is the last one now: its window stays open, and the chosen folder.
        if (l - 1 != 0 && l - 1 + kOpenLevels <= level)
            m_levels[l - 1].fd.Reset();
    }
    return true;
}

// Keeps the chosen folder and the last kOpenLevels levels open: called for each level
// added, it closes the one that has just left that window.
void CFolderChain::CloseMiddle() {
    if (m_levels.size() > kOpenLevels + 1)
        m_levels[m_levels.size() - 1 - kOpenLevels].fd.Reset();
}

bool CFolderChain::Check(int fd, std::uint32_t folder, FolderFailure& failure) const {
    EntryStat st;
    if (!StatAt(fd, "", st)) {
        failure = {FolderFailure::Error, errno};
        return false;
    }
    const BatchFolder& seen = m_folders[folder];
    if (!st.IsFolder() || st.id != FileId{seen.dev, seen.ino}) {
        failure = {FolderFailure::Changed, 0};
        return false;
    }
    return true;
}
