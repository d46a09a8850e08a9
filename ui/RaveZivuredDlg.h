#pragma once
// CRaveZivuredDlg: the main window. It is at once the dialog (template 102) and the folder
// walker whose per-file hook counts extensions, so a walk lands directly in its counting.
//
// Its members are defined next to the subsystem they belong to:
//   RaveZivuredDlg.cpp            the window: layout, initialisation, message map,
//                                 painting, About box, website, settings, how the run ends
//   RaveZivuredDlg.Counting.cpp   OnFileFound
//   RaveZivuredDlg.Refresh.cpp    RefreshList and the "Working..." window (also the
//                                 delete's collection's)
//   RaveZivuredDlg.Sizes.cpp      the Size column, the total size, sorting by a column,
//                                 and "Show Sizes"
//   RaveZivuredDlg.Browse.cpp     OnBrowse and the chooser's callback, the folder given at
//                                 start and the folder dropped on the window
//   RaveZivuredDlg.Delete.cpp     OnDeleteFiles and CollectMatchingFiles
//   RaveZivuredDlg.Undo.cpp       OnUndoLastDelete and the state of its menu item
#include "analysis/ExtensionSizes.h"
#include "platform/core/Collections.h"
#include "platform/core/String.h"
#include "platform/core/TrashExecutor.h"
#include "platform/window/Dialog.h"
#include "platform/window/ListCtrl.h"
#include "res/resource.h"
#include "walk/EnumerateFiles.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <vector>

class CDlgLoading;
class CFileOperation;

// The folder of the last scan (set by RefreshList, empty until then): the folder chooser
// opens on it.
extern CString g_strLastFolder;

// The folder chooser's callback: on BFFM_INITIALIZED it pre-selects g_strLastFolder, on
// BFFM_SELCHANGED it sets the chooser's status text to the selected folder. Returns 0.
int RZ_CALLBACK BrowseCallbackProc(HWND hwnd, UINT uMsg, LPARAM lParam, LPARAM lpData);

class CRaveZivuredDlg : public CDialog, public CEnumerateFiles {
public:
    explicit CRaveZivuredDlg(CWnd* pParent = nullptr);

    enum { IDD = IDD_RAVEZIVURED_DIALOG };

    // Counts one file under its extension key (the walker's hook), and its bytes when
    // sizes are shown.
    void OnFileFound(const CString& path) override;

    // Appends to op every file below folder whose extension key is ext.
    void CollectMatchingFiles(CFileOperation& op, CString ext, CString folder);

    // Scans m_strFolder and shows its table and total, with the "Working..." window on
    // screen meanwhile. Returns when the table is complete, or, when the user stopped the
    // scan, shows what was counted until then and marks the window's title as incomplete
    // (IsResultIncomplete) until the next scan that runs to its end. Folders that could
    // not be read are said in the title too (" - 3 folders could not be read"), until the
    // next scan; so is, first, what a delete or an undo that has just moved files moved
    // (" - moved 3 files, 1.2 MB to the trash"). The main window takes no input while it
    // runs; a close request meanwhile stops the scan and ends the run once the refresh has
    // returned. Called from inside a running refresh (only a queued message could do
    // that), it does nothing.
    void RefreshList();
    // True while the "Working..." window stands: RefreshList runs, or a delete collects.
    bool IsRefreshing() const { return m_walk.dlgLoading != nullptr; }
    // True when the table shows a scan that was stopped before its end.
    bool IsResultIncomplete() const { return m_bResultIncomplete; }

    // Whether the table has its Size column and scans read sizes ("Show Sizes" in the
    // window menu, kept in the settings; on by default). Turning it on scans the folder
    // shown again, so that its sizes are read; turning it off removes the column and
    // empties the total size (the next scans read no size: the fastest count).
    bool SizesShown() const { return m_bShowSizes; }
    void ShowSizes(bool show);
    // The order the table shows (a fresh scan: by count, largest first).
    TableOrder Order() const { return m_order; }

    // Counted by the walk as progress, like a file (see OnFileFound).
    void OnFolderDone(const CString& folder) override;

    // The least time between two updates of the "Working..." window while a scan runs
    // (events are let through at each). Tests set it to zero to have one at every check.
    static inline std::chrono::milliseconds s_progressInterval{125};
    // Entries (files and folders) the walk reports between two looks at the clock.
    static constexpr int kProgressCheckEvery = 1024;

    CString m_strSerial;              // scratch for provisional serials while rows go in
    CMapStringToString m_mapExtCount; // extension key -> count as decimal text
    CListCtrl m_listExt;              // control 1005
    CExtensionSizes m_sizes;          // extension key -> bytes, while sizes are shown
    CString m_strFolder;              // the folder the table shows; empty until one is chosen
    int m_nTotalFiles;                // files found by the last scan
    HICON m_hIcon;                    // icon 128
    // What the last Delete Files click that deleted moved to the trash, every extension of
    // it; empty until then, after an undo, and after the next click that deletes.
    CTrashUndo m_undo;
    // Set before DoModal, from the program's arguments: the folder to open on, scanned as
    // soon as the window is up instead of the chooser opening by itself; when it cannot be
    // scanned, a message says why (as for a dropped folder) and then the chooser opens.
    // With m_strStartProblem set instead, that text is shown and then the chooser opens.
    // Both empty: the chooser opens by itself.
    CString m_strStartFolder;
    CString m_strStartProblem;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    static const AFX_MSGMAP* GetThisMessageMap();
    const AFX_MSGMAP* GetMessageMap() const override;

    // The run ends (Enter, Esc, the close box): an open folder chooser is closed first, so
    // that its loop does not keep the run going; during a scan, the scan is stopped and
    // the run ends when it has returned.
    void OnOK() override;
    void OnCancel() override;

    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnBrowse();
    // The queued start when the program was given a folder (or a problem): see
    // m_strStartFolder.
    void OnOpenStartFolder();
    // Files dropped on the window: a single folder that can be scanned is scanned (an open
    // chooser is closed: the drop answered it); a folder that cannot is refused with a
    // message saying why, and several items with one asking for one folder; what is shown
    // then stays. Nothing at all during a scan or a delete.
    void OnDropFiles(const std::vector<CString>& paths);
    void OnDestroy();
    void OnDeleteFiles();
    // Ctrl+Z and the window menu's "Undo Last Delete": puts back every file m_undo holds,
    // without a question (nothing is lost by putting files back), shows a report of those
    // that could not go back, then scans the folder again. Nothing when there is nothing
    // to undo or a scan is running.
    void OnUndoLastDelete();
    void OnWebsite();
    BOOL OnHelpInfo(HELPINFO* pHelpInfo);
    // A click on a column's header: the table sorted by that column (NextOrder).
    void OnColumnClick(NMHDR* pNMHDR, LRESULT* pResult);
    // The tool tip of a Size cell: the exact bytes.
    void OnGetInfoTip(NMHDR* pNMHDR, LRESULT* pResult);

private:
    // A walk hook's share of progress: every kProgressCheckEvery entries, CheckWalkProgress.
    void TickWalkProgress() {
        if (--m_walk.untilCheck <= 0)
            CheckWalkProgress();
    }
    // During a scan, at most every s_progressInterval: shows the count, lets waiting
    // events run (the "Working..." window paints, its Stop is heard), and stops the walk
    // when asked to.
    void CheckWalkProgress();
    // During a scan: remembers that the run is to end once the scan has returned (the
    // scan stops at its next check) and returns true. Otherwise false.
    bool DeferEndDuringScan();
    // Runs work (a walk) with the "Working..." window on screen and this window taking no
    // input; a close request meanwhile sets m_walk.closeRequested, which the caller
    // handles once this has returned.
    void RunWithWorkingWindow(const std::function<void()>& work);
    // Inside such work, at most every s_progressInterval: shows found as the count, lets
    // waiting events run (the window paints, its Stop is heard). False once the user has
    // asked to stop (Stop, Esc, its close box, or closing this window).
    bool ContinueWork(std::size_t found);
    // Delete Files, for one selected extension: collects its files into op under the
    // "Working..." window; false when the user stopped it or closed this window.
    bool CollectWithProgress(CFileOperation& op, const CString& ext);
    // Asks whether op's files go to the trash: the question with how many files and bytes,
    // and a "Show Files" list of them. With no file collected, says so instead and
    // returns false. True only for an explicit Yes.
    bool AskToMove(const CFileOperation& op, const CString& ext);
    // After a Yes: moves op's files to the trash, recorded in m_undo, with the progress and
    // report windows; returns what became of each.
    TrashReport MoveCollected(CFileOperation& op);
    // Greys the window menu's "Undo Last Delete" when m_undo is empty, enables it otherwise.
    void UpdateUndoItem();
    // True when path may be shown: not inside the trash and, with checkReadable, a folder
    // the scan can read. Otherwise says why in a message box and returns false.
    bool CanShowFolder(const CString& path, bool checkReadable);
    // The columns at initialisation (widths from the settings), with the Size column when
    // sizes are shown.
    void InsertColumns();
    void InsertSizeColumn();
    // After a scan's table is built: the size cells and the total size, or the total's
    // word for sizes not shown.
    void ShowTableSizes();
    // Reads and writes "Show Sizes" and the Size column's width (Column3) in the settings;
    // the width is written even while the column is hidden.
    void LoadSizeSettings();
    void SaveSizeSettings();

    struct WalkProgress {
        CDlgLoading* dlgLoading = nullptr; // set while RefreshList runs
        int untilCheck = kProgressCheckEvery;
        std::chrono::steady_clock::time_point lastUpdate{};
        bool closeRequested = false;
    };
    WalkProgress m_walk;
    bool m_bResultIncomplete = false;
    // From a Delete Files click or an undo until it has scanned again: its questions name
    // the folder shown, so no other folder may be taken meanwhile.
    bool m_bDeleteRunning = false;
    // What the delete or undo that has just ended moved ("moved 3 files, 1.2 MB to the
    // trash"): the title of the scan that follows it says so; empty otherwise.
    CString m_strMovedNote;
    bool m_bShowSizes = true;
    int m_nSizeColumnWidth = -1; // the Size column's width while it is hidden
    TableOrder m_order;
};
