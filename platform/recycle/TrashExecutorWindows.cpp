#include "platform/recycle/TrashExecutorWindows.h"

#include "platform/core/PathSeparator.h"
#include "platform/core/TrashFolders.h"
#include "platform/core/WideText.h"
#include "platform/core/WinFile.h"
#include "platform/recycle/HeldFolders.h"
#include "platform/recycle/Reasons.h"
#include "platform/recycle/ShellCalls.h"

#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr const char* kDeclined =
    "it could not go to the recycle bin, and deleting it for good was declined";

std::string CodeText(const char* what, unsigned long code) {
    char text[64];
    std::snprintf(text, sizeof text, "%s 0x%lX", what, code);
    return text;
}

TrashResult NotMoved(const std::string& path, const char* reason, std::string detail = {}) {
    return {path, false, reason, std::move(detail)};
}

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

class CRecycler {
public:
    CRecycler(HWND owner, const CFileBatch* batch) : m_owner(owner) {
        if (batch)
            m_held.emplace(*batch);
    }

    TrashResult Recycle(const std::string& path, const BatchFile* record) {
        // A file of a recycle bin's own would leave it without its record there.
        if (IsInsideTrash(path))
            return NotMoved(path, kReasonInTrash);
        if (record) {
            std::string folder;
            const char* reason = nullptr;
            DWORD error = 0;
            if (!m_held->Hold(record->folder, folder, reason, error))
                return NotMoved(path, reason, error ? CodeText("system error", error) : "");
        }
        const std::wstring longPath = LongPath(path);
        WinFileInfo info;
        if (const char* reason = Check(longPath, record, info))
            return NotMoved(path, reason);
        if (const HRESULT bin = RecycleBinOf(path, info.volume); FAILED(bin))
            return NotMoved(path, kReasonNoDriveTrash,
                            CodeText("the recycle bin query gave", static_cast<unsigned long>(bin)));
        return HandToShell(path, longPath);
    }

private:
    // Null when the file is the one to move; otherwise why not.
    static const char* Check(const std::wstring& longPath, const BatchFile* record,
                             WinFileInfo& info) {
        DWORD listed = 0;
        if (!ListedAttributes(longPath, listed))
            return ReasonForError(GetLastError());
        // A link (to a folder too) is an entry like a file and goes as itself.
        if ((listed & FILE_ATTRIBUTE_DIRECTORY) && !(listed & FILE_ATTRIBUTE_REPARSE_POINT))
            return kReasonNowFolder;
        const CWinHandle file = OpenToLook(longPath);
        if (!file || !QueryInfo(file.Get(), info))
            return ReasonForError(GetLastError());
        if (record && (info.volume != record->dev || info.index != record->ino))
            return kReasonChanged;
        return nullptr;
    }

    // Whether the volume of path has a recycle bin, asked once per volume.
    HRESULT RecycleBinOf(const std::string& path, std::uint64_t volume) {
        if (const auto found = m_bins.find(volume); found != m_bins.end())
            return found->second;
        const std::wstring wide = WideFromUtf8(path);
        std::wstring root(wide.size() + 1, L'\0');
        if (GetVolumePathNameW(wide.c_str(), root.data(), static_cast<DWORD>(root.size())))
            root.resize(root.find(L'\0'));
        else
            root = wide.substr(0, 3);
        const HRESULT result = QueryRecycleBin(root);
        m_bins.emplace(volume, result);
        return result;
    }

    TrashResult HandToShell(const std::string& path, const std::wstring& longPath) {
        // The shell takes ordinary paths, not the \\?\ form.
        const ShellDelete shell = RecycleWithShell(m_owner, WideFromUtf8(path));
        if (GetFileAttributesW(longPath.c_str()) == INVALID_FILE_ATTRIBUTES &&
            IsGoneError(GetLastError()))
            return {path, true, {}, {}};
        if (shell.aborted)
            return NotMoved(path, kReasonNotMoved, kDeclined);
        if (shell.code != 0)
            return NotMoved(path, ReasonForError(static_cast<DWORD>(shell.code)),
                            CodeText("the shell's code", static_cast<unsigned long>(shell.code)));
        return NotMoved(path, kReasonNotMoved, "the shell reported no error, yet it is still there");
    }

    HWND m_owner;
    std::optional<CHeldFolders> m_held;
    std::map<std::uint64_t, HRESULT> m_bins;
};

TrashReport Refused(const char* why) {
    TrashReport report;
    report.refused = true;
    report.error = why;
    return report;
}

} // namespace

TrashReport ExecuteShellFileOperation(SHFILEOPSTRUCTA& request, const CFileBatch* batch,
                                      const TrashProgress& progress, CTrashUndo*) {
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
    CRecycler recycler(request.hwnd, batch && !paths.empty() ? batch : nullptr);
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (progress && !progress(i, paths.size(), paths[i])) {
            request.fAnyOperationsAborted = TRUE;
            for (; i < paths.size(); ++i)
                report.results.push_back(NotMoved(paths[i], kReasonStopped));
            break;
        }
        report.results.push_back(recycler.Recycle(paths[i], batch ? &batch->files[i] : nullptr));
        if (batch)
            report.results.back().bytes = batch->files[i].size;
    }
    return report;
}
