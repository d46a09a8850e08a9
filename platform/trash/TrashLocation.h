#pragma once
// Which trash a file goes to, as the freedesktop.org Trash rules place trashes: the home
// trash for files on its drive, else a trash at the top of the file's own drive. Files
// are moved, never copied, so a file only ever goes to a trash it can be renamed into: on
// its own mount and its own device (a btrfs subvolume has a device of its own on its
// mount's).
#include "platform/trash/Descriptors.h"
#include "platform/trash/MoveWays.h"
#include "platform/trash/TrashInfoFile.h"
#include "platform/trash/TrashNames.h"

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// One trash folder, open for a batch.
struct CTrashFolder {
    CUniqueFd files; // <trash>/files: the trashed files
    CUniqueFd info;  // <trash>/info: a record per file
    FileId dirId, filesId, infoId;
    std::string path; // the trash folder itself, where the system has it
    // Empty for the home trash, whose records hold absolute paths; for a drive's trash the
    // drive's top folder, which the records' paths are relative to.
    std::string top;
    CTrashNames names;
    std::uint32_t order = 0; // its place in CTrashLocator::Opened()
    // How its drive moves files and names records, learned from the first that do.
    MoveWay move = MoveWay::NoReplace;
    RecordWay record = RecordWay::Unnamed;
};

// The path a record of trash gives the file at path (absolute).
std::string RecordPath(const CTrashFolder& trash, const std::string& path);

// Finds and opens the trashes of one batch, each once, and keeps them open until it ends.
class CTrashLocator {
public:
    // Reads the home trash's place and the effective user now.
    CTrashLocator();

    // The trash for a file in the folder open as folderFd, which is on the mount mountId
    // (0 when the system does not say) and the device dev. A drive is a mount and a device:
    // a btrfs subvolume is a drive of its own within its mount.
    // - on the drive the home trash is (or would be created) on: the home trash, created
    //   (0700, with its files and info) when missing;
    // - on any other drive, its top folder $top (found by going up from folderFd while the
    //   mount and the device stay the same): $top/.Trash/$uid when $top/.Trash is a real
    //   folder (not a link) with the sticky bit and $uid in it is (or can be created as) a
    //   folder of the user's; else $top/.Trash-$uid, created 0700 when missing and used
    //   only when it is a real folder owned by the user.
    // Null when there is none, with reason (kReasonNoHomeTrash, kReasonNoDriveTrash,
    // kReasonTrashPermission, ...) and the system's error. Found once per drive and batch.
    CTrashFolder* For(std::uint64_t mountId, std::uint64_t dev, int folderFd, const char*& reason,
                      int& error);

    // Every trash opened so far, in the order opened.
    const std::vector<std::unique_ptr<CTrashFolder>>& Opened() const { return m_opened; }

private:
    struct Answer {
        CTrashFolder* trash = nullptr;
        const char* reason = nullptr;
        int error = 0;
    };
    using DriveKey = std::pair<std::uint64_t, std::uint64_t>; // mount id (or 0), device

    std::string m_homePath;
    unsigned m_uid;
    bool m_homeLooked = false;
    DriveKey m_homeDrive{};
    std::map<DriveKey, Answer> m_byDrive;
    std::vector<std::unique_ptr<CTrashFolder>> m_opened;

    Answer OpenHome();
    Answer OpenOnDrive(int folderFd);
    Answer Keep(std::unique_ptr<CTrashFolder> trash);
};
