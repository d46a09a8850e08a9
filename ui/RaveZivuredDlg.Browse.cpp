// The main window's folder chooser: the "..." button, also pressed once by itself at
// start-up (a queued click from OnInitDialog).
#include "ui/RaveZivuredDlg.h"

#include "platform/core/TrashFolders.h"
#include "platform/window/Services.h"

int RZ_CALLBACK BrowseCallbackProc(HWND hwnd, UINT uMsg, LPARAM lParam, LPARAM) {
    IFolderChooserService& chooser = FolderChooserService();
    switch (uMsg) {
    case BFFM_INITIALIZED:
        // Opens on the folder scanned last; the first time in a run that is empty and the
        // chooser keeps its own default.
        chooser.SendChooserMessage(hwnd, BFFM_SETSELECTIONA, TRUE,
                                   reinterpret_cast<LPARAM>(g_strLastFolder.GetString()));
        break;
    case BFFM_SELCHANGED:
        // The selected folder's path, or null for an item that has none.
        if (const auto* path = reinterpret_cast<const char*>(lParam); path && *path)
            chooser.SendChooserMessage(hwnd, BFFM_SETSTATUSTEXTA, 0, lParam);
        break;
    default:
        break;
    }
    return 0;
}

void CRaveZivuredDlg::OnBrowse() {
    // A queued click can arrive while a scan lets events through: the scan owns the
    // window until it has returned.
    if (IsRefreshing())
        return;
    IFolderChooserService& chooser = FolderChooserService();
    // The chooser has no owner, so this window stays usable while it is open: "..." then
    // brings it back to the front instead of opening a second one.
    if (chooser.IsOpen()) {
        chooser.Raise();
        return;
    }

    BROWSEINFO bi;
    bi.hwndOwner = nullptr;
    bi.lpszTitle = "Please Select the Desired Folder.";
    bi.ulFlags = BIF_RETURNONLYFSDIRS | BIF_VALIDATE;
    bi.lpfn = BrowseCallbackProc;
    bi.lParam = 0;

    // The path comes back whole, however long (up to the system's limit of 4096 bytes):
    // a cut path would name another folder.
    CString path;
    if (!chooser.Browse(bi, path) || path.IsEmpty())
        return;
    // The run may have ended while the chooser was open (it is closed then, but a choice
    // made in the same moment still arrives): nothing is left to show it in.
    if (!IsWindowVisible())
        return;
    // A delete there would move the trash's own files and records, and a trashed file
    // without its record has lost its name for good. What is shown stays.
    if (IsInsideTrash(path.str())) {
        CString message;
        message.Format("The folder %s is inside the trash. Files in the trash can only be put "
                       "back from the trash itself; please select another folder.",
                       path.GetString());
        MessageBox(message.GetString(), nullptr, MB_ICONEXCLAMATION);
        return;
    }
    m_strFolder = path;
    RefreshList();
}
