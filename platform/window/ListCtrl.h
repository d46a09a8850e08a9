#pragma once
// CListCtrl: a report-view list with a column header, the result table of the window.
//
// The rows live in the control: the object operates on a list view window, either one of
// a dialog's controls (bound with DDX_Control) or one it made with Create. Without a
// window every query answers 0, -1, false or empty.
//
// Cell texts are bytes and come back exactly as they were set, whatever they hold; on
// screen a text that is not valid UTF-8 shows replacement characters. The list never
// reorders rows on its own: rows stay where they are put until SortItems.
//
// A list in a dialog tells the dialog (WM_NOTIFY, from the list's control id):
//   a click on a column's header    LVN_COLUMNCLICK, NMLISTVIEW with iSubItem the column
//                                   (not with LVS_NOSORTHEADER)
//   the mouse resting on a cell     LVN_GETINFOTIP, NMLVGETINFOTIP with iItem and iSubItem
//                                   the cell (with LVS_EX_INFOTIP); the text the handler
//                                   sets (SetInfoTipText) shows as the cell's tool tip,
//                                   none when it leaves it empty
#include "platform/core/ListRows.h"
#include "platform/core/String.h"
#include "platform/core/Wnd.h"
#include "platform/window/WinDefs.h"

#include <memory>

#ifndef _WIN32
struct NMLVGETINFOTIP; // WinDefs.h

// A column of the header, as far as the program asks for it (on Windows the system's).
struct HDITEM {
    UINT mask = 0; // HDI_WIDTH asks for cxy
    int cxy = 0;
};
#endif

// The column header of a list.
class CHeaderCtrl : public CWnd {
public:
    int GetItemCount() const;
    // Fills the fields item->mask asks for. FALSE for a column out of range.
    BOOL GetItem(int index, HDITEM* item) const;

private:
    friend class CListCtrl;
    void Attach(HWND header) { m_hWnd = header; }
};

class CListCtrl : public CWnd, public IListRows {
public:
    CListCtrl();
    ~CListCtrl() override;
    CListCtrl(const CListCtrl&) = delete;
    CListCtrl& operator=(const CListCtrl&) = delete;

    // Makes a list window of its own (LVS_ styles in style; parent may be null for a
    // top-level window, which this object then owns). FALSE when it already has one.
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
    // Operates on an existing list view window from now on.
    BOOL Attach(HWND list);

    // Only LVS_EX_GRIDLINES, LVS_EX_FULLROWSELECT and LVS_EX_INFOTIP (a row's tooltip
    // comes from the dialog's LVN_GETINFOTIP handler, in a WM_NOTIFY) mean something here;
    // the others are kept and returned but change nothing. Returns the previous styles.
    DWORD SetExtendedStyle(DWORD styles);
    DWORD GetExtendedStyle() const;

    // Inserts a column at index (clamped to 0..count) with heading, format (LVCFMT_LEFT,
    // LVCFMT_CENTER, LVCFMT_RIGHT; column 0 is always left aligned) and width in pixels
    // (a negative width leaves the default). Returns its index, or -1.
    int InsertColumn(int index, const char* heading, int format = 0, int width = -1,
                     int subItem = -1);
    // Removes column index with its cells; the columns after it move up one. FALSE when
    // there is no such column.
    BOOL DeleteColumn(int column);
    // An LVN_GETINFOTIP handler's answer: the tool tip shows text (cut to the room tip has).
    static void SetInfoTipText(NMLVGETINFOTIP* tip, const CString& text);

    BOOL DeleteAllItems();
    int GetItemCount() const override;

    // Inserts a row at position (clamped to 0..count) with column 0 = text and data 0.
    // Returns the new row's index, or -1.
    int InsertItem(int position, const CString& text) override;
    int InsertItem(int position, const char* text) { return InsertItem(position, CString(text)); }

    bool SetItemText(int row, int column, const CString& text) override;
    bool SetItemText(int row, int column, const char* text) {
        return SetItemText(row, column, CString(text));
    }
    bool SetItemData(int row, LPARAM data) override;
    LPARAM GetItemData(int row) const override;
    CString GetItemText(int row, int column) const override;

    // Reorders the rows by their data with compare (negative: first before second); rows
    // that compare equal keep their order, and selected rows stay selected.
    bool SortItems(PFNLVCOMPARE compare, LPARAM context) override;

    // The first row after start (-1: from the top) that matches flags (LVNI_SELECTED: a
    // selected row; LVNI_ALL: any row), in list order; -1 when there is none.
    int GetNextItem(int start, UINT flags) const;

    // Selects or deselects a row (LVIS_SELECTED in both state and mask). The program never
    // selects rows itself; tests do.
    BOOL SetItemState(int row, UINT state, UINT mask);
    UINT GetSelectedCount() const;

    int GetColumnWidth(int column) const;
    // The width text takes in the list's font, in pixels, without a cell's margins.
    int GetStringWidth(const CString& text) const;
    // Sets column's width in pixels; LVSCW_AUTOSIZE fits the widest of its cells (a list of
    // many thousands may measure only a part of them, to answer at once). FALSE for a
    // column out of range.
    BOOL SetColumnWidth(int column, int width);
    // The inside of the list in pixels, its header included and its scroll bars not: left
    // and top are 0, right is the width the columns fill without scrolling across.
    void GetClientRect(RECT* rect) const;
    CHeaderCtrl* GetHeaderCtrl();

private:
    CHeaderCtrl m_header;
    struct Link; // follows the window, forgetting it when it is destroyed
    std::unique_ptr<Link> m_link;
};

#ifndef _WIN32
inline constexpr UINT LVIS_SELECTED = 0x2;
#endif
