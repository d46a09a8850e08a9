#include "platform/recycle/HeldFolders.h"

#include "platform/core/PathSeparator.h"
#include "platform/core/TrashReport.h"
#include "platform/core/WideText.h"
#include "platform/recycle/Reasons.h"

#include <algorithm>

bool CHeldFolders::Hold(std::uint32_t folder, std::string& path, const char*& reason,
                        DWORD& error) {
    // The way from the chosen folder (index 0, its own parent) down to folder.
    std::vector<std::uint32_t> way{folder};
    while (way.back() != 0 && way.size() <= m_batch.folders.size())
        way.push_back(m_batch.folders[way.back()].parent);
    if (way.back() != 0) {
        reason = kReasonChanged; // a record that leads nowhere: touch nothing
        return false;
    }
    std::reverse(way.begin(), way.end());
    // Keep what is held for the previous file as far as it is the same way.
    std::size_t keep = 0;
    while (keep < m_held.size() && keep < way.size() && m_held[keep].folder == way[keep])
        ++keep;
    m_held.erase(m_held.begin() + static_cast<std::ptrdiff_t>(keep), m_held.end());
    for (std::size_t i = keep; i < way.size(); ++i)
        if (!HoldOne(way[i], reason, error))
            return false;
    path = m_held.back().path;
    return true;
}

bool CHeldFolders::HoldOne(std::uint32_t folder, const char*& reason, DWORD& error) {
    const BatchFolder& record = m_batch.folders[folder];
    const bool root = m_held.empty();
    std::string path = root ? m_batch.root : JoinPath(m_held.back().path, record.name);
    // The chosen folder is the one path looked up by name, and may itself be a link.
    CWinHandle handle = OpenHeld(LongPath(path), root);
    WinFileInfo info;
    if (!handle || !QueryInfo(handle.Get(), info)) {
        error = GetLastError();
        reason = ReasonForError(error);
        return false;
    }
    if (!info.IsFolder() || (!root && info.IsLink()) || info.volume != record.dev ||
        info.index != record.ino) {
        error = 0;
        reason = kReasonChanged;
        return false;
    }
    m_held.push_back({folder, std::move(path), std::move(handle)});
    return true;
}
