#include "deletion/CollectFiles.h"

#include "platform/core/ExtensionKey.h"
#include "platform/core/WaitCursor.h"
#include "walk/EnumerateFiles.h"

#include <cstdint>
#include <string>
#include <vector>

namespace {

class CCollectWalk : public CEnumerateFiles {
public:
    CCollectWalk(CFileOperation& op, CString ext, const CollectProgress& progress)
        : m_op(op), m_ext(std::move(ext)), m_progress(progress) {}
    ~CCollectWalk() override { CloseFolder(m_folderFd); }

    void Enumerate(const CString& folder, const CString& filter, bool recurse) override {
        CWaitCursor wait;
        CEnumerateFiles::Enumerate(folder, filter, recurse);
    }

    void OnFileFound(const CString& path) override {
        Tick();
        if (WalkStopped() || ExtensionKey(path.view()) != m_ext.view())
            return;
        const WalkEntry& entry = CurrentEntry();
        BatchFile file;
        file.folder = FolderIndex(*entry.folder);
        file.name = entry.name;
        if (EntryState now; Examine(entry, now)) {
            file.dev = now.dev;
            file.ino = now.ino;
            file.type = now.type;
            file.size = now.size;
        }
        m_op.m_arrSource.Add(path);
        m_op.m_batch.files.push_back(std::move(file));
        ++m_collected;
    }

    void OnFolderDone(const CString&) override { Tick(); }

    void OnFolderNotRead(const CString& folder, NotRead why) override {
        TrashResult folderResult;
        folderResult.path = AbsoluteFolder(folder);
        folderResult.reason = std::string("folder could not be read: ") + NotReadWords(why);
        m_op.m_foldersNotRead.push_back(std::move(folderResult));
    }

    bool Stopped() const { return WalkStopped(); }

private:
    void Tick() {
        if (!m_progress || --m_untilProgress > 0)
            return;
        m_untilProgress = kCollectProgressEvery;
        if (!WalkStopped() && !m_progress(m_collected))
            StopWalk();
    }

    // The entry as it is now, through a handle of its folder (one per folder, reached
    // through the walk's checked components); false when it is gone or a folder now.
    bool Examine(const WalkEntry& entry, EntryState& now) {
        if (entry.folder->id != m_fdFolderId) {
            CloseFolder(m_folderFd);
            m_folderFd = OpenWalkFolder(*entry.folder);
            m_fdFolderId = entry.folder->id;
        }
        return ExamineEntry(m_folderFd, entry.name, now);
    }

    // The batch's index of folder, recording it and the folders above it first when they
    // are not recorded yet. m_path holds the recorded folders of the current branch by
    // depth: the walk is depth-first, so a folder's ancestors are the entries before it.
    std::uint32_t FolderIndex(const WalkFolder& folder) {
        std::vector<const WalkFolder*> missing;
        for (const WalkFolder* f = &folder; f && !Recorded(*f); f = f->parent)
            missing.push_back(f);
        CFileBatch& batch = m_op.m_batch;
        for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
            const WalkFolder& f = **it;
            auto index = static_cast<std::uint32_t>(batch.folders.size());
            if (!f.parent && index > 0)
                index = 0; // the root of an earlier collection of the same folder
            else
                batch.folders.push_back(
                    {f.parent ? m_path[static_cast<std::size_t>(f.parent->depth)].index : index,
                     std::string(f.name), f.dev, f.ino});
            m_path.resize(static_cast<std::size_t>(f.depth) + 1);
            m_path.back() = {f.id, index};
        }
        return m_path[static_cast<std::size_t>(folder.depth)].index;
    }
    bool Recorded(const WalkFolder& f) const {
        const auto depth = static_cast<std::size_t>(f.depth);
        return depth < m_path.size() && m_path[depth].id == f.id;
    }

    struct RecordedFolder {
        std::uint64_t id;
        std::uint32_t index;
    };
    CFileOperation& m_op;
    const CString m_ext;
    const CollectProgress& m_progress;
    int m_untilProgress = kCollectProgressEvery;
    std::size_t m_collected = 0;
    std::vector<RecordedFolder> m_path;
    int m_folderFd = -1;
    std::uint64_t m_fdFolderId = 0;
};

} // namespace

bool CollectFilesWithExtension(CFileOperation& op, CString ext, CString folder,
                               const CollectProgress& progress) {
    const std::string root = AbsoluteFolder(folder);
    if (op.m_batch.root.empty())
        op.m_batch.root = root;
    else if (op.m_batch.root != root)
        return true;
    CCollectWalk walk(op, std::move(ext), progress);
    walk.Enumerate(folder, "*.*", true);
    return !walk.Stopped();
}
