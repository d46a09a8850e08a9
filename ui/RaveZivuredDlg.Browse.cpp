// The main window's folder chooser: the "..." button, also pressed once by itself at
// start-up (a queued click from OnInitDialog) unless the program was given a folder; and
// the other ways to a folder, the one given at start and one dropped on the window.
#include "ui/RaveZivuredDlg.h"

#include "platform/core/TrashFolders.h"
#include "platform/window/Services.h"
#include "walk/TreeWalk.h"

#include <string>

int BrowseCallbackProc(HWND hwnd, UINT uMsg, LPARAM lParam, LPARAM) {
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
    // A folder the chooser offers but the scan cannot read shows as an empty table, with
    // the folder not read said in the title.
    if (!CanShowFolder(path, false))
        return;
    m_strFolder = path;
    RefreshList();
}

bool CRaveZivuredDlg::CanShowFolder(const CString& path, bool checkReadable) {
    CString message;
    if (const std::string why = checkReadable ? WhyFolderCannotBeRead(path.str()) : "";
        !why.empty()) {
        message.Format("The folder %s cannot be opened (%s). Please select another folder.",
                       path.GetString(), why.c_str());
    } else if (IsInsideTrash(path.str())) {
        // A delete there would move the trash's own files and records, and a trashed file
        // without its record has lost its name for good.
        message.Format("The folder %s is inside the trash. Files in the trash can only be put "
                       "back from the trash itself; please select another folder.",
                       path.GetString());
    } else {
        return true;
    }
    MessageBox(message.GetString(), nullptr, MB_ICONEXCLAMATION);
    return false;
}

void CRaveZivuredDlg::OnOpenStartFolder() {
    if (IsRefreshing() || m_bDeleteRunning)
        return;
    if (!m_strStartProblem.IsEmpty()) {
        MessageBox(m_strStartProblem.GetString(), nullptr, MB_ICONEXCLAMATION);
    } else if (CanShowFolder(m_strStartFolder, true)) {
        m_strFolder = m_strStartFolder;
        RefreshList();
        return;
    }
    // Nothing to show yet: on to the chooser, as at any other start.
    OnBrowse();
}

void CRaveZivuredDlg::OnDropFiles(const std::vector<CString>& paths) {
    // The window takes no input during a scan, nor during a delete, whose questions name
    // the folder shown: a drop that slips in is dropped.
    if (IsRefreshing() || m_bDeleteRunning || paths.empty())
        return;
    if (paths.size() > 1) {
        CString message;
        message.Format("Please drop one folder at a time; %d items were dropped.",
                       static_cast<int>(paths.size()));
        MessageBox(message.GetString(), nullptr, MB_ICONEXCLAMATION);
        return;
    }
    if (!CanShowFolder(paths[0], true))
        return;
    // The chooser may be open (at start it opens by itself): the drop has answered it.
    FolderChooserService().CloseAll();
    m_strFolder = paths[0];
    RefreshList();
}
