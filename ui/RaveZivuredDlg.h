#pragma once
// CRaveZivuredDlg: the main window. It is at once the dialog (template 102) and the folder
// walker whose per-file hook counts extensions, so a walk lands directly in its counting.
//
// Its members are defined next to the subsystem they belong to:
//   ui/RaveZivuredDlg.cpp                    the window: layout, initialisation, message
//                                            map, painting, About box, website, settings
//   analysis/RaveZivuredDlg.Counting.cpp     OnFileFound
//   deletion/RaveZivuredDlg.Collect.cpp      CollectMatchingFiles
#include "analysis/EnumerateFiles.h"
#include "platform/Collections.h"
#include "platform/Dialog.h"
#include "platform/ListCtrl.h"
#include "platform/String.h"
#include "res/resource.h"

class CFileOperation;

class CRaveZivuredDlg : public CDialog, public CEnumerateFiles {
public:
    explicit CRaveZivuredDlg(CWnd* pParent = nullptr);

    enum { IDD = IDD_RAVEZIVURED_DIALOG };

    // Counts one file under its extension key (the walker's hook).
    void OnFileFound(const CString& path) override;

    // Appends to op every file below folder whose extension key is ext.
    void CollectMatchingFiles(CFileOperation& op, CString ext, CString folder);

    CString m_strSerial;              // scratch for provisional serials while rows go in
    CMapStringToString m_mapExtCount; // extension key -> count as decimal text
    CListCtrl m_listExt;              // control 1005
    CString m_strFolder;              // the folder the table shows; empty until one is chosen
    int m_nTotalFiles;                // files found by the last scan
    HICON m_hIcon;                    // icon 128

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    static const AFX_MSGMAP* GetThisMessageMap();
    const AFX_MSGMAP* GetMessageMap() const override;

    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnDestroy();
    void OnWebsite();
    BOOL OnHelpInfo(HELPINFO* pHelpInfo);
};
