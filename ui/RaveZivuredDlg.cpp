#include "ui/RaveZivuredDlg.h"

#include "platform/window/DataExchange.h"
#include "platform/window/Menu.h"
#include "platform/window/PaintDC.h"
#include "platform/window/Resources.h"
#include "platform/window/Services.h"
#include "platform/window/Styles.h"
#include "platform/window/WinApp.h"
#include "res/version.h"
#include "ui/AboutDlg.h"

namespace {
const char* const kSettingsSection = "Settings";
const int kDefaultColumnWidths[] = {30, 125, 125};

// The stored width of list column index, read when the column is about to be inserted.
int ReadColumnWidth(int index) {
    const int fallback = kDefaultColumnWidths[index];
    CWinApp* app = AfxGetApp();
    if (!app)
        return fallback;
    CString name;
    name.Format("Column%d", index);
    return app->GetProfileInt(kSettingsSection, name.GetString(), fallback);
}

void OpenHomePage() {
    // The desktop's answer is of no interest: there is nothing to do if no browser opens.
    ShellExecute(nullptr, "Open", RZ_HOME_PAGE, nullptr, nullptr, SW_SHOWMAXIMIZED);
}
} // namespace

CRaveZivuredDlg::CRaveZivuredDlg(CWnd* pParent)
    : CDialog(IDD, pParent), CEnumerateFiles(), m_strSerial(), m_mapExtCount(10), m_listExt(),
      m_strFolder(""), m_nTotalFiles(0),
      m_hIcon(AfxGetApp() ? AfxGetApp()->LoadIcon(IDR_MAINFRAME) : nullptr) {}

void CRaveZivuredDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_EXT_LIST, m_listExt);
    DDX_Text(pDX, IDC_FOLDER, m_strFolder);
    DDX_Text(pDX, IDC_TOTAL_FILES, m_nTotalFiles);
}

BOOL CRaveZivuredDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    if (CWinApp* app = AfxGetApp())
        SetWindowText(app->m_pszAppName);

    // The About and Undo items are system commands: their ids keep the low four bits
    // clear and stay below the system's own commands.
    static_assert((IDM_ABOUTBOX & 0xFFF0) == IDM_ABOUTBOX && IDM_ABOUTBOX < 0xF000);
    static_assert((IDM_UNDO_LAST_DELETE & 0xFFF0) == IDM_UNDO_LAST_DELETE &&
                  IDM_UNDO_LAST_DELETE < 0xF000);
    if (CMenu* pSysMenu = GetSystemMenu(FALSE)) {
        CString strUndoMenu;
        AfxLoadString(IDS_UNDO_LAST_DELETE, strUndoMenu);
        if (!strUndoMenu.IsEmpty()) {
            pSysMenu->AppendMenu(MF_SEPARATOR);
            // Greyed until a delete has moved something.
            pSysMenu->AppendMenu(MF_STRING | MF_GRAYED, IDM_UNDO_LAST_DELETE,
                                 strUndoMenu.GetString());
        }
        CString strAboutMenu;
        AfxLoadString(IDS_ABOUTBOX, strAboutMenu);
        if (!strAboutMenu.IsEmpty()) {
            pSysMenu->AppendMenu(MF_SEPARATOR);
            pSysMenu->AppendMenu(MF_STRING, IDM_ABOUTBOX, strAboutMenu.GetString());
        }
    }
    LoadAccelTable(IDR_MAINFRAME);

    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    m_listExt.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    // Each width is read just before its column goes in.
    m_listExt.InsertColumn(0, "Sr", LVCFMT_LEFT, ReadColumnWidth(0));
    m_listExt.InsertColumn(1, "Extension", LVCFMT_LEFT, ReadColumnWidth(1));
    m_listExt.InsertColumn(2, "Files Count", LVCFMT_CENTER, ReadColumnWidth(2));

    // A folder dropped on the window is scanned (OnDropFiles).
    DragAcceptFiles();

    // Queued, not sent: the folder chooser opens once the window is up and its loop runs,
    // or then the folder the program was given is scanned.
    const bool startFolder = !m_strStartFolder.IsEmpty() || !m_strStartProblem.IsEmpty();
    PostMessage(WM_COMMAND, startFolder ? ID_OPEN_START_FOLDER : IDC_BROWSE, 0);
    return TRUE;
}

const AFX_MSGMAP* CRaveZivuredDlg::GetThisMessageMap() {
    static constexpr AFX_MSGMAP_ENTRY entries[] = {
        msgmap::SysCommand<&CRaveZivuredDlg::OnSysCommand>(),
        msgmap::Paint<&CRaveZivuredDlg::OnPaint>(),
        msgmap::QueryDragIcon<&CRaveZivuredDlg::OnQueryDragIcon>(),
        msgmap::Command<&CRaveZivuredDlg::OnBrowse>(IDC_BROWSE),
        msgmap::Command<&CRaveZivuredDlg::OnOpenStartFolder>(ID_OPEN_START_FOLDER),
        msgmap::DropFiles<&CRaveZivuredDlg::OnDropFiles>(),
        msgmap::Destroy<&CRaveZivuredDlg::OnDestroy>(),
        msgmap::Command<&CRaveZivuredDlg::OnDeleteFiles>(IDC_DELETE_FILES),
        msgmap::Command<&CRaveZivuredDlg::OnUndoLastDelete>(ID_UNDO_LAST_DELETE),
        msgmap::Command<&CRaveZivuredDlg::OnWebsite>(IDC_WEBSITE),
        msgmap::HelpInfo<&CRaveZivuredDlg::OnHelpInfo>(),
    };
    static_assert(msgmap::HasNoDuplicates(entries));
    static constexpr AFX_MSGMAP map{&CDialog::GetThisMessageMap, entries};
    return &map;
}

const AFX_MSGMAP* CRaveZivuredDlg::GetMessageMap() const {
    return GetThisMessageMap();
}

void CRaveZivuredDlg::OnOK() {
    if (DeferEndDuringScan())
        return;
    // The chooser runs a loop of its own above this window's: while it is open the run
    // could not end, so it goes first.
    FolderChooserService().CloseAll();
    CDialog::OnOK();
}

void CRaveZivuredDlg::OnCancel() {
    if (DeferEndDuringScan())
        return;
    FolderChooserService().CloseAll();
    CDialog::OnCancel();
}

void CRaveZivuredDlg::OnSysCommand(UINT nID, LPARAM lParam) {
    if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg dlgAbout;
        dlgAbout.DoModal();
    } else if ((nID & 0xFFF0) == IDM_UNDO_LAST_DELETE) {
        OnUndoLastDelete();
    } else {
        CDialog::OnSysCommand(nID, lParam);
    }
}

void CRaveZivuredDlg::OnPaint() {
    if (IsIconic()) {
        CPaintDC dc(this);
        SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);

        // The icon in the middle of the client area.
        const int cxIcon = GetSystemMetrics(SM_CXICON);
        const int cyIcon = GetSystemMetrics(SM_CYICON);
        CRect rect;
        GetClientRect(&rect);
        const int x = (rect.Width() - cxIcon + 1) / 2;
        const int y = (rect.Height() - cyIcon + 1) / 2;
        dc.DrawIcon(x, y, m_hIcon);
    } else {
        CDialog::OnPaint();
    }
}

HCURSOR CRaveZivuredDlg::OnQueryDragIcon() {
    return m_hIcon;
}

void CRaveZivuredDlg::OnDestroy() {
    // The column widths and the folder are saved while the list still exists; a store
    // that cannot be written does not keep the window from closing.
    if (CWinApp* app = AfxGetApp()) {
        if (CHeaderCtrl* header = m_listExt.GetHeaderCtrl()) {
            for (int i = 0; i < header->GetItemCount(); ++i) {
                HDITEM item;
                item.mask = HDI_WIDTH;
                header->GetItem(i, &item);
                CString name;
                name.Format("Column%d", i);
                app->WriteProfileInt(kSettingsSection, name.GetString(), item.cxy);
            }
        }
        app->WriteProfileString(kSettingsSection, "FolderPath", m_strFolder.GetString());
    }
    CDialog::OnDestroy();
}

void CRaveZivuredDlg::OnWebsite() {
    OpenHomePage();
}

BOOL CRaveZivuredDlg::OnHelpInfo(HELPINFO*) {
    OpenHomePage();
    return TRUE;
}
