#pragma once
// The folders on the way to the file being moved, held open and checked against what the
// collection recorded (CFileBatch): while they are held nobody can rename, move or remove
// them, so the file's path names the very folders the scan walked.
#include "platform/core/FileBatch.h"
#include "platform/core/WinFile.h"

#include <cstdint>
#include <string>
#include <vector>

class CHeldFolders {
public:
    explicit CHeldFolders(const CFileBatch& batch) : m_batch(batch) {}

    // Holds every folder from the chosen one down to folder (an index in the batch),
    // letting go of those held for the previous file that are not on this way, and
    // returns the folder's path. On failure returns false with reason set (kReasonGone,
    // kReasonChanged, kReasonPermission, ...): the first folder that is missing, that is
    // another folder or a link than the one recorded, or that cannot be opened.
    bool Hold(std::uint32_t folder, std::string& path, const char*& reason, DWORD& error);

private:
    struct Held {
        std::uint32_t folder;
        std::string path;
        CWinHandle handle;
    };
    bool HoldOne(std::uint32_t folder, const char*& reason, DWORD& error);

    const CFileBatch& m_batch;
    std::vector<Held> m_held; // the chosen folder first, each the parent of the next
};
