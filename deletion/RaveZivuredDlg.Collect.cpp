// The main window's collection of the files of one extension, for a delete request.
// Compiled into the window library; the deletion library stays Qt-free.
#include "ui/RaveZivuredDlg.h"
#include "deletion/CollectFiles.h"

#include <utility>

void CRaveZivuredDlg::CollectMatchingFiles(CFileOperation& op, CString ext, CString folder) {
    CollectFilesWithExtension(op, std::move(ext), std::move(folder));
}
