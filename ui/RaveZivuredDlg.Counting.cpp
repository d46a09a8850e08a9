// The main window's counting hook: every file the walk reports is counted under its
// extension key (with its bytes, when the walk reads sizes) and ticks the scan's progress
// (a countdown: the clock is read only once every thousand or so entries, so counting
// stays as fast as in the scan command).
#include "ui/RaveZivuredDlg.h"

#include "analysis/ExtensionSizes.h"
#include "analysis/ExtensionStats.h"

#include <optional>

void CRaveZivuredDlg::OnFileFound(const CString& path) {
    if (ReadsSizes()) {
        const std::uint64_t size = CurrentEntry().size;
        CountFileAndSize(m_mapExtCount, m_nTotalFiles, m_sizes, path.view(),
                         size == kSizeUnknown ? std::nullopt : std::optional(size));
    } else {
        CountFile(m_mapExtCount, m_nTotalFiles, path.view());
    }
    TickWalkProgress();
}
