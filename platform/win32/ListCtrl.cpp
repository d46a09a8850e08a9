// CListCtrl on the system's list view (SysListView32) and its header.
#include "platform/window/ListCtrl.h"

#include "platform/core/WideText.h"

#include <algorithm>
#include <string>
#include <vector>

// The list window may go before this object (its dialog closes): a subclass of the
// window hears its last message and makes the object forget it.
struct CListCtrl::Link {
    static LRESULT CALLBACK Watch(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                  UINT_PTR id, DWORD_PTR data) {
        if (message == WM_NCDESTROY) {
            auto* list = reinterpret_cast<CListCtrl*>(data);
            list->m_hWnd = nullptr;
            list->m_header.Attach(nullptr);
            RemoveWindowSubclass(hwnd, &Watch, id);
        }
        return DefSubclassProc(hwnd, message, wParam, lParam);
    }
    bool owns = false; // made by Create without a parent: destroyed with the object
};

// ---- Header ----

int CHeaderCtrl::GetItemCount() const {
    return m_hWnd ? static_cast<int>(::SendMessageW(m_hWnd, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

BOOL CHeaderCtrl::GetItem(int index, HDITEM* item) const {
    if (!m_hWnd || !item || index < 0 || index >= GetItemCount())
        return FALSE;
    return ::SendMessageW(m_hWnd, HDM_GETITEMW, static_cast<WPARAM>(index),
                          reinterpret_cast<LPARAM>(item))
               ? TRUE
               : FALSE;
}

// ---- Window ----

CListCtrl::CListCtrl() = default;

CListCtrl::~CListCtrl() {
    if (!m_hWnd)
        return;
    HWND list = m_hWnd;
    const bool owns = m_link && m_link->owns;
    RemoveWindowSubclass(list, &Link::Watch, 0);
    m_hWnd = nullptr;
    if (owns)
        ::DestroyWindow(list);
}

BOOL CListCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    if (m_hWnd)
        return FALSE;
    HWND parentWindow = parent ? parent->GetSafeHwnd() : nullptr;
    const DWORD kind = parentWindow ? WS_CHILD : WS_OVERLAPPEDWINDOW;
    HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"", style | kind, rect.left, rect.top,
                                rect.right - rect.left, rect.bottom - rect.top, parentWindow,
                                parentWindow ? reinterpret_cast<HMENU>(UINT_PTR{id}) : nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    if (!list || !Attach(list))
        return FALSE;
    m_link->owns = parentWindow == nullptr;
    return TRUE;
}

BOOL CListCtrl::Attach(HWND list) {
    if (!list || m_hWnd)
        return FALSE;
    m_link = std::make_unique<Link>();
    SetWindowSubclass(list, &Link::Watch, 0, reinterpret_cast<DWORD_PTR>(this));
    m_hWnd = list;
    m_header.Attach(reinterpret_cast<HWND>(::SendMessageW(list, LVM_GETHEADER, 0, 0)));
    return TRUE;
}

// ---- Styles and columns ----

DWORD CListCtrl::SetExtendedStyle(DWORD styles) {
    if (!m_hWnd)
        return 0;
    return static_cast<DWORD>(
        ::SendMessageW(m_hWnd, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<LPARAM>(styles)));
}

DWORD CListCtrl::GetExtendedStyle() const {
    return m_hWnd ? static_cast<DWORD>(::SendMessageW(m_hWnd, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0))
                  : 0;
}

int CListCtrl::InsertColumn(int index, const char* heading, int format, int width, int subItem) {
    if (!m_hWnd || index < 0)
        return -1;
    std::wstring text = WideFromUtf8(heading ? heading : "");
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_TEXT;
    column.fmt = format;
    column.pszText = text.data();
    if (width >= 0) {
        column.mask |= LVCF_WIDTH;
        column.cx = width;
    }
    if (subItem >= 0) {
        column.mask |= LVCF_SUBITEM;
        column.iSubItem = subItem;
    }
    return static_cast<int>(::SendMessageW(m_hWnd, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index),
                                           reinterpret_cast<LPARAM>(&column)));
}

BOOL CListCtrl::DeleteColumn(int column) {
    if (!m_hWnd || column < 0)
        return FALSE;
    return ::SendMessageW(m_hWnd, LVM_DELETECOLUMN, static_cast<WPARAM>(column), 0) ? TRUE : FALSE;
}

void CListCtrl::SetInfoTipText(NMLVGETINFOTIP* tip, const CString& text) {
    if (!tip || !tip->pszText || tip->cchTextMax <= 0)
        return;
    const std::wstring wide = WideFromUtf8(text.view());
    const std::size_t length = std::min(wide.size(), static_cast<std::size_t>(tip->cchTextMax - 1));
    wide.copy(tip->pszText, length);
    tip->pszText[length] = L'\0';
}

int CListCtrl::GetColumnWidth(int column) const {
    if (!m_hWnd || column < 0)
        return 0;
    return static_cast<int>(
        ::SendMessageW(m_hWnd, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
}

int CListCtrl::GetStringWidth(const CString& text) const {
    if (!m_hWnd)
        return 0;
    const std::wstring wide = WideFromUtf8(text.view());
    return static_cast<int>(
        ::SendMessageW(m_hWnd, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(wide.c_str())));
}

BOOL CListCtrl::SetColumnWidth(int column, int width) {
    if (!m_hWnd || column < 0 || column >= m_header.GetItemCount())
        return FALSE;
    return ::SendMessageW(m_hWnd, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column),
                          MAKELPARAM(width, 0))
               ? TRUE
               : FALSE;
}

void CListCtrl::GetClientRect(RECT* rect) const {
    if (!rect)
        return;
    *rect = RECT{};
    if (m_hWnd)
        ::GetClientRect(m_hWnd, rect);
}

CHeaderCtrl* CListCtrl::GetHeaderCtrl() {
    return m_hWnd ? &m_header : nullptr;
}

// ---- Rows ----

BOOL CListCtrl::DeleteAllItems() {
    return m_hWnd && ::SendMessageW(m_hWnd, LVM_DELETEALLITEMS, 0, 0) ? TRUE : FALSE;
}

int CListCtrl::GetItemCount() const {
    return m_hWnd ? static_cast<int>(::SendMessageW(m_hWnd, LVM_GETITEMCOUNT, 0, 0)) : 0;
}

int CListCtrl::InsertItem(int position, const CString& text) {
    if (!m_hWnd || position < 0)
        return -1;
    std::wstring wide = WideFromUtf8(text.view());
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = position;
    item.pszText = wide.data();
    return static_cast<int>(
        ::SendMessageW(m_hWnd, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

bool CListCtrl::SetItemText(int row, int column, const CString& text) {
    if (!m_hWnd || row < 0 || row >= GetItemCount() || column < 0)
        return false;
    std::wstring wide = WideFromUtf8(text.view());
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = wide.data();
    return ::SendMessageW(m_hWnd, LVM_SETITEMTEXTW, static_cast<WPARAM>(row),
                          reinterpret_cast<LPARAM>(&item)) != 0;
}

bool CListCtrl::SetItemData(int row, LPARAM data) {
    if (!m_hWnd || row < 0 || row >= GetItemCount())
        return false;
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    item.lParam = data;
    return ::SendMessageW(m_hWnd, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item)) != 0;
}

LPARAM CListCtrl::GetItemData(int row) const {
    if (!m_hWnd || row < 0 || row >= GetItemCount())
        return 0;
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    return ::SendMessageW(m_hWnd, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)) ? item.lParam
                                                                                    : 0;
}

CString CListCtrl::GetItemText(int row, int column) const {
    if (!m_hWnd || row < 0 || row >= GetItemCount() || column < 0)
        return {};
    // The list copies at most the buffer's length; a text that filled it may be longer.
    std::wstring text(256, L'\0');
    while (true) {
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = text.data();
        item.cchTextMax = static_cast<int>(text.size());
        const auto n = static_cast<std::size_t>(::SendMessageW(
            m_hWnd, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)));
        if (n + 1 < text.size()) {
            text.resize(n);
            return CString(Utf8FromWide(text));
        }
        text.assign(text.size() * 2, L'\0');
    }
}

namespace {
// The list's own sort need not keep rows that compare equal in their order; sorting by
// position as the tie-break does. While it runs, each row's data is its old position.
struct StableSort {
    PFNLVCOMPARE compare;
    LPARAM context;
    const std::vector<LPARAM>* data;

    static int CALLBACK Compare(LPARAM a, LPARAM b, LPARAM self) {
        const auto* sort = reinterpret_cast<const StableSort*>(self);
        const auto& data = *sort->data;
        const int order = sort->compare(data[static_cast<std::size_t>(a)],
                                        data[static_cast<std::size_t>(b)], sort->context);
        if (order != 0)
            return order;
        return a < b ? -1 : (a > b ? 1 : 0);
    }
};
} // namespace

bool CListCtrl::SortItems(PFNLVCOMPARE compare, LPARAM context) {
    if (!m_hWnd || !compare)
        return false;
    const int count = GetItemCount();
    std::vector<LPARAM> data(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        data[static_cast<std::size_t>(i)] = GetItemData(i);
        SetItemData(i, i);
    }
    StableSort sort{compare, context, &data};
    const bool sorted = ::SendMessageW(m_hWnd, LVM_SORTITEMS, reinterpret_cast<WPARAM>(&sort),
                                       reinterpret_cast<LPARAM>(&StableSort::Compare)) != 0;
    for (int i = 0; i < count; ++i)
        SetItemData(i, data[static_cast<std::size_t>(GetItemData(i))]);
    return sorted;
}

int CListCtrl::GetNextItem(int start, UINT flags) const {
    if (!m_hWnd)
        return -1;
    return static_cast<int>(
        ::SendMessageW(m_hWnd, LVM_GETNEXTITEM, static_cast<WPARAM>(start), MAKELPARAM(flags, 0)));
}

BOOL CListCtrl::SetItemState(int row, UINT state, UINT mask) {
    if (!m_hWnd || row < 0 || row >= GetItemCount())
        return FALSE;
    LVITEMW item{};
    item.state = state;
    item.stateMask = mask;
    return ::SendMessageW(m_hWnd, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                          reinterpret_cast<LPARAM>(&item))
               ? TRUE
               : FALSE;
}

UINT CListCtrl::GetSelectedCount() const {
    return m_hWnd ? static_cast<UINT>(::SendMessageW(m_hWnd, LVM_GETSELECTEDCOUNT, 0, 0)) : 0;
}
