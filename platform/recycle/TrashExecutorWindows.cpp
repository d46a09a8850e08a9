#include "platform/recycle/TrashExecutorWindows.h"

#include "platform/core/PathSeparator.h"
#include "platform/core/TrashFolders.h"
#include "platform/core/WideText.h"
#include "platform/recycle/HeldFolders.h"
#include "platform/recycle/Reasons.h"
#include "platform/recycle/RecycleBins.h"
#include "platform/recycle/ShellNames.h"

#include <optional>
#include <string>
#include <vector>

namespace {

// The paths a batch records, in its order: its folders' paths joined with the names.
bool BatchMatches(const CFileBatch& batch, const std::vector<std::string>& paths) {
    if (batch.folders.empty() || batch.files.size() != paths.size())
        return false;
    std::vector<std::string> folderPaths{batch.root};
    for (std::size_t i = 1; i < batch.folders.size(); ++i) {
        const BatchFolder& folder = batch.folders[i];
        if (folder.parent >= i)
            return false;
        folderPaths.push_back(JoinPath(folderPaths[folder.parent], folder.name));
    }
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const BatchFile& file = batch.files[i];
        if (file.folder >= folderPaths.size() ||
            JoinPath(folderPaths[file.folder], file.name) != paths[i])
            return false;
    }
    return true;
}

// The folder part of an ordinary path, its separator kept ("C:\a\" of "C:\a\b.txt").
std::wstring FolderOf(const std::wstring& plain) {
    return plain.substr(0, plain.find_last_of(L'\\') + 1);
}

// Gathers a folder's files for the shell, each checked, and hands them over.
class CRecycler {
public:
    CRecycler(HWND owner, const CFileBatch* batch, const RecycleOptions& options,
              std::vector<TrashResult>& results)
        : m_owner(owner), m_batch(batch), m_options(options), m_results(results) {
        if (batch)
            m_held.emplace(*batch);
    }

    // Sets the result of file i (at path) now when it stays, or keeps it for its folder's
    // call of the shell.
    void Prepare(std::size_t i, const std::string& path) {
        const BatchFile* record = m_batch ? &m_batch->files[i] : nullptr;
        ShellFile file;
        file.path = path;
        const std::string folder = record ? std::to_string(record->folder) : FolderKey(path);
        if (!m_pending.empty() && (folder != m_pendingFolder || m_pending.size() >= Limit()))
            Flush();
        if (const char* reason = CheckWay(record, file)) {
            m_results[i] = NotMoved(path, reason, std::move(m_detail));
            return;
        }
        m_pending.push_back(std::move(file));
        m_pendingIndex.push_back(i);
        m_pendingRecord.push_back(record);
        m_pendingFolder = folder;
    }

    // Checks each file kept so far once more, right before the call (its folders are still
    // held), hands those that pass to the shell and sets every result.
    void Flush() {
        std::vector<ShellFile> ready;
        std::vector<std::size_t> readyIndex;
        for (std::size_t k = 0; k < m_pending.size(); ++k) {
            ShellFile& file = m_pending[k];
            if (const char* reason = CheckFile(m_pendingRecord[k], file)) {
                m_results[m_pendingIndex[k]] = NotMoved(file.path, reason, std::move(m_detail));
                continue;
            }
            ready.push_back(std::move(file));
            readyIndex.push_back(m_pendingIndex[k]);
        }
        m_pending.clear();
        m_pendingIndex.clear();
        m_pendingRecord.clear();
        if (ready.empty())
            return;
        if (!m_shell)
            m_shell =
                m_options.makeShell ? m_options.makeShell(m_owner) : MakeRecycleShell(m_owner);
        m_shell->Recycle(ready);
        for (std::size_t k = 0; k < ready.size(); ++k)
            m_results[readyIndex[k]] = std::move(ready[k].result);
    }

    std::size_t Calls() const { return m_shell ? m_shell->Calls() : 0; }

private:
    std::size_t Limit() const { return m_options.batchLimit ? m_options.batchLimit : 1; }

    static std::string FolderKey(const std::string& path) {
        return path.substr(0, path.find_last_of("\\/") + 1);
    }

    // Null when the way to file allows it to go to the shell: a name the shell reads as
    // that very file (file.plain set), a drive whose bin takes files, the folders on its way
    // held and still the ones the scan walked. Otherwise why not, with m_detail set when
    // there is more to say.
    const char* CheckWay(const BatchFile* record, ShellFile& file) {
        m_detail.clear();
        // A file of a recycle bin's own would leave it without its record there.
        if (IsInsideTrash(file.path))
            return kReasonInTrash;
        if (const char* reason = ShellPathFor(file.path, file.plain))
            return reason;
        const BinVerdict& bin = BinOf(file.plain);
        if (!bin.takes) {
            m_detail = bin.detail;
            return kReasonNoRecycleBin;
        }
        if (record) {
            std::string folder;
            const char* reason = nullptr;
            DWORD error = 0;
            if (!m_held->Hold(record->folder, folder, reason, error)) {
                m_detail = error ? CodeText("system error", error) : "";
                return reason;
            }
        }
        return nullptr;
    }

    // Null when file is still the one the scan saw (file.longPath and identity set), not a
    // folder, and not larger than its bin takes; otherwise why not, as CheckWay.
    const char* CheckFile(const BatchFile* record, ShellFile& file) {
        m_detail.clear();
        file.longPath = LongPath(file.path);
        WinFileInfo info;
        const FileIdentity recorded =
            record ? FileIdentity{record->dev, record->ino} : FileIdentity{};
        if (const char* reason = CheckEntry(file.longPath, record ? &recorded : nullptr, info))
            return reason;
        const BinVerdict& bin = BinOf(file.plain);
        if (bin.maxBytes && info.size > bin.maxBytes) {
            m_detail = "its recycle bin takes files of up to " +
                       std::to_string(bin.maxBytes >> 20) + " MB";
            return kReasonTooLargeForBin;
        }
        file.identity = {info.volume, info.index};
        return nullptr;
    }

    // The verdict for the drive of the file at plain, asked of m_bins once per folder.
    const BinVerdict& BinOf(const std::wstring& plain) {
        std::wstring folder = FolderOf(plain);
        if (!m_binOfFolder || folder != m_binFolder) {
            m_binOfFolder = &m_bins.Of(folder);
            m_binFolder = std::move(folder);
        }
        return *m_binOfFolder;
    }

    HWND m_owner;
    const CFileBatch* m_batch;
    const RecycleOptions& m_options;
    std::vector<TrashResult>& m_results;
    std::optional<CHeldFolders> m_held;
    CRecycleBins m_bins;
    std::wstring m_binFolder;                  // the folder BinOf was last asked about
    const BinVerdict* m_binOfFolder = nullptr; // its verdict (m_bins keeps it in place)
    std::unique_ptr<CRecycleShell> m_shell;    // made when the first files are handed over
    std::vector<ShellFile> m_pending;          // of one folder
    std::vector<std::size_t> m_pendingIndex;
    std::vector<const BatchFile*> m_pendingRecord;
    std::string m_pendingFolder;
    std::string m_detail;
};

TrashReport Refused(const char* why) {
    TrashReport report;
    report.refused = true;
    report.error = why;
    return report;
}

} // namespace

TrashReport RecycleFiles(SHFILEOPSTRUCTA& request, const CFileBatch* batch,
                         const TrashProgress& progress, const RecycleOptions& options) {
    if (request.wFunc != FO_DELETE)
        return Refused("only deleting is supported");
    if (request.fFlags != FOF_ALLOWUNDO)
        return Refused("a delete is carried out only with undo allowed (FOF_ALLOWUNDO alone)");
    if (!request.pFrom)
        return Refused("the request has no list of files");
    const std::vector<std::string> paths = SplitPathList(request.pFrom);
    if (batch && !paths.empty() && !BatchMatches(*batch, paths))
        return Refused("the record of the collection does not match the request");

    TrashReport report;
    report.bytesKnown = batch != nullptr;
    report.results.resize(paths.size());
    CRecycler recycler(request.hwnd, batch && !paths.empty() ? batch : nullptr, options,
                       report.results);
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (progress && !progress(i, paths.size(), paths[i])) {
            request.fAnyOperationsAborted = TRUE;
            for (std::size_t j = i; j < paths.size(); ++j)
                report.results[j] = NotMoved(paths[j], kReasonStopped);
            break;
        }
        recycler.Prepare(i, paths[i]);
    }
    recycler.Flush();
    if (batch && !paths.empty())
        for (std::size_t i = 0; i < paths.size(); ++i)
            report.results[i].bytes = batch->files[i].size;
    if (options.shellCalls)
        *options.shellCalls = recycler.Calls();
    return report;
}

TrashReport ExecuteShellFileOperation(SHFILEOPSTRUCTA& request, const CFileBatch* batch,
                                      const TrashProgress& progress, CTrashUndo*) {
    return RecycleFiles(request, batch, progress, RecycleOptions{});
}
