#include "platform/trash/TrashUndo.h"

#include "platform/trash/FolderChain.h"
#include "platform/trash/TrashInfoFile.h"
#include "platform/trash/TrashReasons.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

// A trash of an undo batch, opened again by its path for one PutBack.
struct ReopenedTrash {
    bool tried = false;
    bool usable = false; // the very trash, files/ and info/ the delete used
    CUniqueFd files, info;
    MoveWay move = MoveWay::NoReplace;
};

bool OpenChecked(int dirfd, const char* name, const FileId& recorded, CUniqueFd& fd) {
    fd.Reset(*name == '/' ? ::open(name, O_PATH | O_DIRECTORY | O_CLOEXEC)
                          : OpenFolderAt(dirfd, name));
    EntryStat st;
    return fd.IsOpen() && StatAt(fd.Get(), "", st) && st.id == recorded;
}

void Reopen(const UndoBatch::Trash& recorded, ReopenedTrash& trash) {
    trash.tried = true;
    trash.move = recorded.move;
    CUniqueFd dir;
    trash.usable = OpenChecked(AT_FDCWD, recorded.path.c_str(), recorded.dir, dir) &&
                   OpenChecked(dir.Get(), "files", recorded.files, trash.files) &&
                   OpenChecked(dir.Get(), "info", recorded.info, trash.info);
}

TrashResult PutBackOne(CFolderChain& chain, ReopenedTrash& trash, const UndoBatch::File& file) {
    const std::string& path = file.requestPath;
    // The folder is reached as the delete reached it, and never created.
    FolderFailure failure;
    const int folderFd = chain.Open(file.folder, failure);
    if (folderFd < 0)
        return NotMoved(
            path,
            ReasonForFolder(failure, kReasonFolderGone, kReasonFolderReplaced, kReasonNotPutBack),
            failure.error);
    if (!trash.usable)
        return NotMoved(path, kReasonNotInTrash);
    EntryStat st;
    if (!StatAt(trash.files.Get(), file.trashName.c_str(), st)) {
        const int error = errno;
        return NotMoved(
            path, error == ENOENT ? kReasonNotInTrash : ReasonForError(error, kReasonNotPutBack),
            error);
    }
    if (st.IsFolder() || st.id != file.id)
        return NotMoved(path, kReasonChangedInTrash);
    // The trash folder is the user's own (0700), so nobody else can swap the entry between
    // the look and the move, as someone could in the folder a delete takes files from.
    const int error = MoveOutOfTrash(trash.move, trash.files.Get(), file.trashName.c_str(),
                                     folderFd, file.name.c_str(), st.id);
    if (error == ESTALE)
        return NotMoved(path, kReasonChangedInTrash);
    if (error != 0)
        return NotMoved(
            path, error == EEXIST ? kReasonPlaceTaken : ReasonForError(error, kReasonNotPutBack),
            error);
    ::unlinkat(trash.info.Get(), (file.trashName + std::string(kTrashInfoSuffix)).c_str(), 0);
    return {path, true, {}, {}};
}

} // namespace

CTrashUndo::CTrashUndo() : m_record(std::make_unique<Record>()) {}

CTrashUndo::~CTrashUndo() = default;

bool CTrashUndo::IsKept() {
    return true;
}

bool CTrashUndo::IsEmpty() const {
    return m_record->batches.empty();
}

void CTrashUndo::Clear() {
    m_record->batches.clear();
}

std::size_t CTrashUndo::Count() const {
    std::size_t n = 0;
    for (const UndoBatch& batch : m_record->batches)
        n += batch.files.size();
    return n;
}

void CTrashUndo::Record::Add(UndoBatch batch) {
    if (!batch.files.empty())
        batches.push_back(std::move(batch));
}

TrashReport CTrashUndo::PutBack(const TrashProgress& progress) {
    TrashReport report;
    report.work = TrashWork::Undo;
    const std::size_t total = Count();
    std::vector<UndoBatch> notReached;
    bool stopped = false;
    for (UndoBatch& batch : m_record->batches) {
        std::vector<UndoBatch::File> stay;
        {
            CFolderChain chain(batch.root, batch.folders);
            std::vector<ReopenedTrash> trashes(batch.trashes.size());
            for (UndoBatch::File& file : batch.files) {
                stopped = stopped ||
                          (progress && !progress(report.results.size(), total, file.requestPath));
                if (stopped) {
                    report.results.push_back(NotMoved(file.requestPath, kReasonStopped));
                    stay.push_back(std::move(file));
                    continue;
                }
                ReopenedTrash& trash = trashes[file.trash];
                if (!trash.tried)
                    Reopen(batch.trashes[file.trash], trash);
                report.results.push_back(PutBackOne(chain, trash, file));
                report.results.back().bytes = file.size;
            }
        }
        if (!stay.empty()) {
            batch.files = std::move(stay);
            notReached.push_back(std::move(batch));
        }
    }
    m_record->batches = std::move(notReached);
    return report;
}
