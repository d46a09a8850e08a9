#include "walk/EnumerateFiles.h"

#include "platform/core/PathSeparator.h"

#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <utility>

namespace {

// The prefix every entry path of folder starts with: folder made absolute, plus one
// separator.
void StartEntryPath(CString& path, const CString& folder) {
    const std::string absolute = AbsoluteFolder(folder);
    path.SetString(absolute.data(), absolute.size());
    if (path.IsEmpty() || path[path.GetLength() - 1] != kPathSeparator)
        path += kPathSeparator;
}

// Calls restore when it goes, however its scope is left (a hook may throw).
template <class Restore> class CScopeExit {
public:
    explicit CScopeExit(Restore restore) : m_restore(std::move(restore)) {}
    ~CScopeExit() { m_restore(); }
    CScopeExit(const CScopeExit&) = delete;
    CScopeExit& operator=(const CScopeExit&) = delete;

private:
    Restore m_restore;
};

} // namespace

CEnumerateFiles::CEnumerateFiles() = default;

CEnumerateFiles::~CEnumerateFiles() = default;

void CEnumerateFiles::OnFolderDone(const CString&) {}

void CEnumerateFiles::OnFolderNotRead(const CString&, NotRead) {}

void CEnumerateFiles::Enumerate(const CString& folder, const CString& filter, bool recurse) {
    if (m_depth == 0) {
        m_stopRequested.store(false, std::memory_order_relaxed);
        m_problems.Clear();
    }
    WalkNode* node = m_depth > 0 && m_childPath == &folder ? m_childNode : nullptr;
    m_childNode = nullptr;
    m_childPath = nullptr;

    // One path buffer per level, reused for every entry: the folder part stays, only the
    // name after it changes, so reporting an entry allocates nothing. The buffers are kept
    // from folder to folder until the walk ends. A subfolder's text is its parent's
    // buffer, absolute already.
    if (m_paths.size() <= static_cast<std::size_t>(m_depth))
        m_paths.resize(static_cast<std::size_t>(m_depth) + 1);
    CString& path = m_paths[static_cast<std::size_t>(m_depth)];
    if (node) {
        path.SetString(folder.GetString(), folder.size());
        if (path.IsEmpty() || path[path.GetLength() - 1] != kPathSeparator)
            path += kPathSeparator;
    } else {
        StartEntryPath(path, folder);
    }
    std::unique_ptr<CTreeWalk> own;
    CTreeWalk* walk = m_walk;
    if (!node) {
        own = std::make_unique<CTreeWalk>(folder.str(), path.size(), recurse, m_readSizes,
                                          m_stopRequested);
        walk = own.get();
        node = walk->Root();
    }

    std::optional<NotRead> notRead;
    {
        // This level's walk and depth, put back as they were when it ends.
        CScopeExit restore([this, outer = m_walk] {
            --m_depth;
            m_walk = outer;
        });
        m_walk = walk;
        ++m_depth;
        notRead = walk->Finish(node, WalkListing(*walk, node, path, filter, recurse));
    }
    own.reset(); // a walk of its own ends here: readers stopped, listings closed
    if (m_depth == 0)
        m_paths.clear();
    if (notRead) {
        m_problems.Add(*notRead);
        OnFolderNotRead(folder, *notRead);
    }
    OnFolderDone(folder);
}

bool CEnumerateFiles::WalkListing(CTreeWalk& walk, WalkNode* node, CString& path,
                                  const CString& filter, bool recurse) {
    const std::size_t base = path.size();
    const WalkFolder& folder = CTreeWalk::Folder(node);
    while (!WalkStopped()) {
        const WalkChunk* chunk = walk.NextChunk(node);
        if (!chunk)
            return true;
        for (const WalkRecord* record = CTreeWalk::First(chunk); record && !WalkStopped();
             record = CTreeWalk::Next(chunk, record)) {
            // The name in place of the last one: in the path's own room, nothing allocated.
            char* bytes = path.GetBuffer(base + record->length);
            std::memcpy(bytes + base, record->Name(), record->length);
            path.ReleaseBuffer(base + record->length);
            if (!record->child) {
                m_entry = {&folder,
                           {record->Name(), record->length},
                           record->type,
                           record->ino,
                           record->size};
                OnFileFound(path);
                continue;
            }
            if (!walk.Prepare(record->child)) {
                (void)walk.Finish(record->child, true); // not part of the tree: nothing to say
                continue;
            }
            m_childNode = record->child;
            m_childPath = &path;
            Enumerate(path, filter, recurse);
            m_childNode = nullptr;
            m_childPath = nullptr;
        }
    }
    return false;
}
