#pragma once
// Which folders of a batch are, or lie inside, a trash folder (TrashFolders.h). Nothing is
// moved out of one, whatever the request says: a trash's files are tied to their records by
// name, and a file moved away from its record has lost its name for good. The collection
// already leaves the trash out; this holds for every batch, one made from paths too.
#include "platform/core/FileBatch.h"
#include "platform/core/TrashFolders.h"
#include "platform/trash/FolderChain.h"

#include <cstdint>
#include <vector>

class CTrashGuard {
public:
    // folders as in CFileBatch; they must outlive the guard.
    explicit CTrashGuard(const std::vector<BatchFolder>& folders);

    // True when folders[folder] is a trash folder or lies inside one. The chosen folder is
    // looked at where the system has it (chain.PathOf), with every folder above it; every
    // other folder by its recorded name and ids in its parent, which is reached through
    // chain when its name is a drive trash's (the chain's last Open is no longer valid
    // then). A folder that cannot be reached counts as outside: no file is moved from it
    // anyway. Each folder is looked at once.
    bool Inside(std::uint32_t folder, CFolderChain& chain);

private:
    enum class State : std::uint8_t { Unknown, Outside, Inside };

    const std::vector<BatchFolder>& m_folders;
    std::vector<State> m_state;
    std::vector<std::uint32_t> m_way; // scratch: the folders not looked at yet
    TrashFolderId m_home;

    State Look(std::uint32_t folder, CFolderChain& chain) const;
};
