// The main window's counting hook: every file the walk reports is counted under its
// extension key and ticks the scan's progress (a countdown: the clock is read only once
// every thousand or so entries, so counting stays as fast as in the scan command).
#include "ui/RaveZivuredDlg.h"
#include "analysis/ExtensionStats.h"

void CRaveZivuredDlg::OnFileFound(const CString& path) {
    CountFile(m_mapExtCount, m_nTotalFiles, path.view());
    TickWalkProgress();
}
