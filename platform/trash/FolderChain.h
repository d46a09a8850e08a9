#pragma once
// Reaching the folders a collection recorded, from the chosen folder down, without ever
// following a link: each folder is opened relative to its parent's open descriptor and
// must be the very folder (device and inode) the collection saw.
#include "platform/core/FileBatch.h"
#include "platform/trash/Descriptors.h"

#include <cstdint>
#include <string>
#include <vector>

// Why a folder could not be reached.
struct FolderFailure {
    enum Kind {
        None,
        Gone,    // it, or a folder above it, is not there any more
        Changed, // it, or a folder above it, is another folder now, or a link, or a file
        Error,   // the system refused (error says why: permission, too many open files...)
    };
    Kind kind = None;
    int error = 0; // errno of Gone and Error
};

// The words for failure: gone or changed for those kinds, else the words of its error (or
// otherwise when it has none).
const char* ReasonForFolder(const FolderFailure& failure, const char* gone, const char* changed,
                            const char* otherwise);

// Opens the folders of one batch. The chosen folder (root, the one path looked up by
// name) is opened once; every other folder is reached from an open ancestor one name at a
// time with O_NOFOLLOW | O_DIRECTORY, and each step is checked against the device and
// inode in folders. Of the way to the folder opened last, the chosen folder and the last
// kOpenLevels folders are kept open (one more for a moment while stepping), however deep
// the tree, so that the files of one folder, and of folders next to each other, are
// reached without opening the chain again; a folder further up is reached again through
// ".." from below, or by name from above, one level at a time and checked the same way.
class CFolderChain {
public:
    static constexpr std::size_t kOpenLevels = 8;

    // folders as in CFileBatch: folders[0] is the chosen folder, every folder comes after
    // its parent. Both must outlive the chain.
    CFolderChain(const std::string& root, const std::vector<BatchFolder>& folders);

    // The open descriptor of folders[folder], valid until the next Open or the end of the
    // chain; -1 with failure set when it cannot be reached. A folder that failed once
    // fails again the same way, and so does every folder below it, without another try:
    // a folder swapped for a link stays refused even if it is swapped back.
    int Open(std::uint32_t folder, FolderFailure& failure);

    // The path of folders[folder] where the system has the chosen folder (links in the
    // chosen folder's own path resolved), followed by the recorded names. Meaningful once
    // the chosen folder has been opened.
    const std::string& PathOf(std::uint32_t folder);

private:
    struct Level {
        std::uint32_t folder;
        CUniqueFd fd; // closed for levels between the chosen folder and the last few
    };

    const std::string& m_root;
    const std::vector<BatchFolder>& m_folders;
    std::vector<Level> m_levels;         // the chosen folder .. the folder opened last
    std::vector<FolderFailure> m_failed; // per folder
    std::vector<std::uint32_t> m_target; // scratch: the way to the folder asked for
    std::string m_rootPath;              // the chosen folder as the system names it
    std::uint32_t m_pathFolder = UINT32_MAX;
    std::string m_path; // PathOf's last answer

    bool OpenRoot(FolderFailure& failure);
    bool BuildTarget(std::uint32_t folder, FolderFailure& failure);
    bool Descend(std::size_t from, FolderFailure& failure);
    bool Reach(std::size_t level, FolderFailure& failure);
    void CloseMiddle();
    bool Check(int fd, std::uint32_t folder, FolderFailure& failure) const;
};
