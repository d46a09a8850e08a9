#include "analysis/EnumerateFiles.h"

#include "platform/core/PathSeparator.h"

#include <memory>
#include <string>

namespace {

// The prefix every entry path of folder starts with: folder made absolute, plus one
// separator.
void StartEntryPath(std::string& path, const CString& folder) {
    path = AbsoluteFolder(folder);
    if (path.empty() || path.back() != kPathSeparator)
        path += kPathSeparator;
}

} // namespace

CEnumerateFiles::CEnumerateFiles() = default;

CEnumerateFiles::~CEnumerateFiles() = default;

void CEnumerateFiles::OnFolderDone(const CString&) {}

void CEnumerateFiles::Enumerate(const CString& folder, const CString& filter, bool recurse) {
    if (m_depth == 0) {
        m_stopRequested.store(false, std::memory_order_relaxed);
        m_problems.Clear();
    }
    WalkNode* node = m_childPath == &folder ? m_childNode : nullptr;
    m_childNode = nullptr;
    m_childPath = nullptr;

    // One path buffer per level, reused for every entry: the folder part stays, only the
    // name after it changes, so reporting an entry allocates nothing.
    CString path;
    StartEntryPath(path.raw(), folder);
    std::unique_ptr<CTreeWalk> own;
    CTreeWalk* walk = m_walk;
    if (!node) {
        own = std::make_unique<CTreeWalk>(folder.str(), path.size(), recurse, m_stopRequested);
        walk = own.get();
        node = walk->Root();
    }

    CTreeWalk* const outer = m_walk;
    m_walk = walk;
    ++m_depth;
    const bool complete = WalkListing(*walk, node, path, filter, recurse);
    walk->Finish(node, complete, m_problems);
    --m_depth;
    m_walk = outer;
    own.reset(); // a walk of its own ends here: readers stopped, listings closed
    OnFolderDone(folder);
}

bool CEnumerateFiles::WalkListing(CTreeWalk& walk, WalkNode* node, CString& path,
                                  const CString& filter, bool recurse) {
    std::string& bytes = path.raw();
    const std::size_t base = bytes.size();
    const WalkFolder& folder = CTreeWalk::Folder(node);
    while (!WalkStopped()) {
        const WalkChunk* chunk = walk.NextChunk(node);
        if (!chunk)
            return true;
        for (const WalkRecord* record = CTreeWalk::First(chunk); record && !WalkStopped();
             record = CTreeWalk::Next(chunk, record)) {
            bytes.resize(base);
            bytes.append(record->Name(), record->length);
            if (!record->child) {
                m_entry = {&folder, {record->Name(), record->length}, record->type, record->ino};
                OnFileFound(path);
                continue;
            }
            if (!walk.Prepare(record->child)) {
                walk.Finish(record->child, true, m_problems); // not part of the tree
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
