#include "platform/trash/TrashExecutorPosix.h"

#include "platform/trash/BatchPaths.h"
#include "platform/trash/FolderChain.h"
#include "platform/trash/TrashGuard.h"
#include "platform/trash/TrashInfoFile.h"
#include "platform/trash/TrashMove.h"
#include "platform/trash/TrashReasons.h"
#include "platform/trash/TrashUndo.h"

#include <ctime>

namespace {

// Why request is not carried out at all, or null.
const char* Refusal(const SHFILEOPSTRUCTA& request) {
    if (request.wFunc != FO_DELETE)
        return "only deleting to the trash is supported";
    // Without undo the request would ask for a permanent delete, which is never done; any
    // other flag changes behaviour this executor does not have.
    if (request.fFlags != FOF_ALLOWUNDO)
        return "a delete is carried out only as a move to the trash (undo allowed, no other "
               "options)";
    if (!request.pFrom)
        return "the request has no source list";
    return nullptr;
}

// One request's files moved one after the other, with what they share: the folder chain,
// the trashes, the date of the current second, and what an undo needs.
class CTrashRun {
public:
    // checkIds: the batch holds what the collection saw of each file (not one made from
    // paths).
    CTrashRun(const CFileBatch& batch, const std::vector<std::string>& paths, bool checkIds)
        : m_batch(batch), m_paths(paths), m_checkIds(checkIds), m_chain(batch.root, batch.folders),
          m_guard(batch.folders) {}

    TrashResult TrashOne(std::size_t i) {
        const BatchFile& file = m_batch.files[i];
        if (m_guard.Inside(file.folder, m_chain))
            return NotMoved(m_paths[i], kReasonInTrash);
        FolderFailure failure;
        const int folderFd = m_chain.Open(file.folder, failure);
        if (folderFd < 0)
            return NotMoved(m_paths[i],
                            ReasonForFolder(failure, kReasonGone, kReasonChanged, kReasonNotMoved),
                            failure.error);
        TrashedEntry entry;
        const SourceFolder folder{folderFd, m_chain.PathOf(file.folder),
                                  m_batch.folders[file.folder].dev};
        TrashResult result =
            TrashFile(folder, file, m_checkIds, m_paths[i], m_trashes, Now(), entry);
        if (entry.trash)
            m_moved.push_back({file.folder, file.name, m_paths[i], entry.id, entry.trash->order,
                               std::move(entry.name), file.size});
        return result;
    }

    // What an undo needs of this run.
    UndoBatch TakeUndo() {
        UndoBatch undo;
        if (m_moved.empty())
            return undo;
        undo.root = m_batch.root;
        undo.folders = m_batch.folders;
        for (const auto& trash : m_trashes.Opened())
            undo.trashes.push_back(
                {trash->path, trash->dirId, trash->filesId, trash->infoId, trash->move});
        undo.files = std::move(m_moved);
        return undo;
    }

private:
    const CFileBatch& m_batch;
    const std::vector<std::string>& m_paths;
    bool m_checkIds;
    CFolderChain m_chain;
    CTrashGuard m_guard;
    CTrashLocator m_trashes;
    std::vector<UndoBatch::File> m_moved;
    std::time_t m_second = -1;
    std::string m_date;

    const std::string& Now() {
        const std::time_t now = std::time(nullptr);
        if (now != m_second) {
            m_second = now;
            m_date = DeletionDate(now);
        }
        return m_date;
    }
};

} // namespace

TrashReport ExecuteShellFileOperation(SHFILEOPSTRUCTA& request, const CFileBatch* batch,
                                      const TrashProgress& progress, CTrashUndo* undo) {
    TrashReport report;
    if (const char* refusal = Refusal(request)) {
        report.refused = true;
        report.error = refusal;
        return report;
    }
    const std::vector<std::string> paths = SplitPathList(request.pFrom);
    CFileBatch fromPaths;
    const bool recorded = batch != nullptr;
    if (!batch) {
        fromPaths = BatchFromPaths(paths);
        batch = &fromPaths;
    } else if (!BatchMatchesPaths(*batch, paths)) {
        report.refused = true;
        report.error = "the files to delete are not the ones the scan recorded";
        return report;
    }

    report.bytesKnown = recorded;
    CTrashRun run(*batch, paths, recorded);
    report.results.reserve(paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (progress && !progress(i, paths.size(), paths[i])) {
            request.fAnyOperationsAborted = 1;
            for (std::size_t j = i; j < paths.size(); ++j)
                report.results.push_back(NotMoved(paths[j], kReasonStopped));
            break;
        }
        report.results.push_back(run.TrashOne(i));
        report.results.back().bytes = batch->files[i].size;
    }
    if (undo)
        undo->Recorded().Add(run.TakeUndo());
    return report;
}
