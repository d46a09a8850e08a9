// The main window's counting hook: every file the walk reports is counted under its
// extension key. Compiled into the window library; the analysis library stays Qt-free.
#include "ui/RaveZivuredDlg.h"
#include "analysis/ExtensionStats.h"

void CRaveZivuredDlg::OnFileFound(const CString& path) {
    CountFile(m_mapExtCount, m_nTotalFiles, path.view());
}
