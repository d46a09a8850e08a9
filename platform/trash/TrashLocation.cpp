#include "platform/trash/TrashLocation.h"

#include "platform/core/HomeTrash.h"

#include "platform/core/TrashReport.h"
#include "platform/trash/BatchPaths.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using DriveKey = std::pair<std::uint64_t, std::uint64_t>;

// The drive an entry is on: its mount (0 when the system does not give mount ids) and its
// device. Both, since a rename works only within one mount and one device: a btrfs
// subvolume has a device of its own but its mount's mount id.
DriveKey KeyOf(const EntryStat& st) {
    return {st.mountId, st.id.dev};
}

// The drive of path, or, while it cannot be looked at (missing, or below a file), of the
// nearest folder above it: the home trash belongs to that drive even when it cannot be
// made there, so files on it get the home trash's reason rather than another trash.
// Links are followed: a home trash that is a link lives where the link points.
DriveKey DriveOfPath(std::string path) {
    EntryStat st;
    while (!StatAt(AT_FDCWD, path.c_str(), st, true) && path != "/")
        path.erase(std::max<std::size_t>(path.find_last_of('/'), 1));
    return KeyOf(st);
}

// Creates every missing folder of path (absolute), 0700. Returns 0 or the errno.
int MakeFolders(const std::string& path) {
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string prefix = path.substr(0, slash);
        if (!prefix.empty() && ::mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST)
            return errno;
        if (slash == std::string::npos)
            return 0;
    }
}

// Opens files/ and info/ in the trash folder dir, creating them 0700 when missing, and
// records where the trash is. Returns 0 or the errno of what failed.
int OpenInside(int dir, CTrashFolder& trash) {
    const std::pair<const char*, std::pair<CUniqueFd*, FileId*>> parts[] = {
        {"files", {&trash.files, &trash.filesId}},
        {"info", {&trash.info, &trash.infoId}},
    };
    EntryStat st;
    for (const auto& [name, where] : parts) {
        if (::mkdirat(dir, name, 0700) != 0 && errno != EEXIST)
            return errno;
        where.first->Reset(OpenFolderAt(dir, name));
        if (!where.first->IsOpen() || !StatAt(where.first->Get(), "", st))
            return errno;
        *where.second = st.id;
    }
    if (!StatAt(dir, "", st))
        return errno;
    trash.dirId = st.id;
    trash.path = PathOfOpenFolder(dir);
    return trash.path.empty() ? ENOENT : 0;
}

// The highest folder above (or at) folderFd on the same drive: the same mount and the
// same device (the top of a btrfs subvolume, not of its mount).
CUniqueFd TopOfDrive(int folderFd) {
    CUniqueFd here(::openat(folderFd, ".", O_PATH | O_DIRECTORY | O_CLOEXEC));
    EntryStat hereSt;
    if (!here.IsOpen() || !StatAt(here.Get(), "", hereSt))
        return {};
    for (;;) {
        CUniqueFd up(OpenFolderAt(here.Get(), ".."));
        EntryStat upSt;
        if (!up.IsOpen() || !StatAt(up.Get(), "", upSt))
            return {};
        if (KeyOf(upSt) != KeyOf(hereSt) || upSt.id == hereSt.id)
            return here;
        here = std::move(up);
        hereSt = upSt;
    }
}

// Opens name in dir as a trash folder of the user's, creating it 0700 when missing.
int OpenOwnFolder(int dir, const char* name, unsigned uid, CUniqueFd& fd) {
    if (::mkdirat(dir, name, 0700) != 0 && errno != EEXIST)
        return errno;
    fd.Reset(OpenFolderAt(dir, name));
    EntryStat st;
    if (!fd.IsOpen() || !StatAt(fd.Get(), "", st))
        return errno;
    // Another user's folder of that name is never used: it could read what we put there.
    return st.uid == uid ? 0 : EPERM;
}

// $top/.Trash/$uid: only below a real folder with the sticky bit, which the system's
// administrator made for every user's trash.
int OpenSharedTrash(int top, unsigned uid, CTrashFolder& trash) {
    EntryStat st;
    if (!StatAt(top, ".Trash", st))
        return errno;
    if (!st.IsFolder() || !(st.mode & S_ISVTX))
        return ENOTDIR;
    CUniqueFd shared(OpenFolderAt(top, ".Trash"));
    EntryStat opened;
    if (!shared.IsOpen() || !StatAt(shared.Get(), "", opened))
        return errno;
    if (opened.id != st.id)
        return ENOTDIR;
    CUniqueFd own;
    const int error = OpenOwnFolder(shared.Get(), std::to_string(uid).c_str(), uid, own);
    return error ? error : OpenInside(own.Get(), trash);
}

int OpenUserTrash(int top, unsigned uid, CTrashFolder& trash) {
    CUniqueFd own;
    const int error = OpenOwnFolder(top, (".Trash-" + std::to_string(uid)).c_str(), uid, own);
    return error ? error : OpenInside(own.Get(), trash);
}

const char* ReasonForTrashError(int error, const char* otherwise) {
    switch (error) {
    case EACCES:
        return kReasonTrashPermission;
    case EROFS:
        return kReasonReadOnly;
    case ENOSPC:
    case EDQUOT:
        return kReasonDiskFull;
    default:
        return otherwise;
    }
}

} // namespace

std::string RecordPath(const CTrashFolder& trash, const std::string& path) {
    if (trash.top.empty())
        return path;
    const std::string top = JoinPath(trash.top, "");
    if (path.size() > top.size() && path.compare(0, top.size(), top) == 0)
        return path.substr(top.size());
    return path;
}

CTrashLocator::CTrashLocator() : m_homePath(HomeTrashPath()), m_uid(::geteuid()) {}

CTrashFolder* CTrashLocator::For(std::uint64_t mountId, std::uint64_t dev, int folderFd,
                                 const char*& reason, int& error) {
    if (!m_homeLooked) {
        m_homeLooked = true;
        m_homeDrive = m_homePath.empty() ? DriveKey{} : DriveOfPath(m_homePath);
    }
    const DriveKey key{mountId, dev};
    auto found = m_byDrive.find(key);
    if (found == m_byDrive.end())
        found =
            m_byDrive.emplace(key, key == m_homeDrive ? OpenHome() : OpenOnDrive(folderFd)).first;
    reason = found->second.reason;
    error = found->second.error;
    return found->second.trash;
}

CTrashLocator::Answer CTrashLocator::OpenHome() {
    if (m_homePath.empty())
        return {nullptr, kReasonNoHomeTrash, 0};
    int error = MakeFolders(m_homePath);
    auto trash = std::make_unique<CTrashFolder>();
    if (error == 0) {
        CUniqueFd dir(::open(m_homePath.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
        error = dir.IsOpen() ? OpenInside(dir.Get(), *trash) : errno;
    }
    if (error != 0)
        return {nullptr, ReasonForTrashError(error, kReasonNoHomeTrash), error};
    return Keep(std::move(trash));
}

CTrashLocator::Answer CTrashLocator::OpenOnDrive(int folderFd) {
    const CUniqueFd top = TopOfDrive(folderFd);
    if (!top.IsOpen())
        return {nullptr, kReasonNoDriveTrash, errno};
    auto trash = std::make_unique<CTrashFolder>();
    trash->top = PathOfOpenFolder(top.Get());
    if (OpenSharedTrash(top.Get(), m_uid, *trash) == 0)
        return Keep(std::move(trash));
    auto own = std::make_unique<CTrashFolder>();
    own->top = trash->top;
    const int error = OpenUserTrash(top.Get(), m_uid, *own);
    if (error == 0)
        return Keep(std::move(own));
    // A top the user may not write, or a trash of someone else's there, means the drive
    // has no trash for this user.
    if (error == EACCES || error == EPERM)
        return {nullptr, kReasonNoDriveTrash, error};
    return {nullptr, ReasonForTrashError(error, kReasonNoDriveTrash), error};
}

CTrashLocator::Answer CTrashLocator::Keep(std::unique_ptr<CTrashFolder> trash) {
    trash->order = static_cast<std::uint32_t>(m_opened.size());
    m_opened.push_back(std::move(trash));
    return {m_opened.back().get(), nullptr, 0};
}
