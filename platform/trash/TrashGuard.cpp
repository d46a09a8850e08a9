#include "platform/trash/TrashGuard.h"

CTrashGuard::CTrashGuard(const std::vector<BatchFolder>& folders)
    : m_folders(folders), m_state(folders.size(), State::Unknown), m_home(FindHomeTrash()) {}

bool CTrashGuard::Inside(std::uint32_t folder, CFolderChain& chain) {
    if (folder >= m_folders.size())
        return false;
    m_way.clear();
    for (std::uint32_t f = folder; m_state[f] == State::Unknown; f = m_folders[f].parent) {
        m_way.push_back(f);
        if (f == 0)
            break;
    }
    // From the top down: a folder inside a trash makes every folder below it inside.
    for (auto it = m_way.rbegin(); it != m_way.rend(); ++it)
        m_state[*it] = Look(*it, chain);
    return m_state[folder] == State::Inside;
}

CTrashGuard::State CTrashGuard::Look(std::uint32_t folder, CFolderChain& chain) const {
    FolderFailure failure;
    if (folder == 0)
        return chain.Open(0, failure) >= 0 && IsInsideTrash(chain.PathOf(0)) ? State::Inside
                                                                             : State::Outside;
    const BatchFolder& seen = m_folders[folder];
    if (m_state[seen.parent] == State::Inside)
        return State::Inside;
    const int parentFd = IsDriveTrashName(seen.name) ? chain.Open(seen.parent, failure) : -1;
    return IsTrashFolder(parentFd, seen.name, seen.dev, seen.ino, m_home) ? State::Inside
                                                                          : State::Outside;
}
