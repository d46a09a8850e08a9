#pragma once
// CMenu: the system menu of a dialog (CDialog::GetSystemMenu). Its items are plain data;
// the dialog shows them when the menu is opened and sends the chosen item's id as
// WM_SYSCOMMAND.
#include "platform/core/String.h"
#include "platform/window/WinDefs.h"

#include <vector>

class CMenu {
public:
    struct Item {
        UINT flags; // MF_STRING or MF_SEPARATOR
        UINT id;
        CString text;
        bool enabled = true;  // false: shown greyed, cannot be chosen
        bool checked = false; // shown with a check mark
    };

    // Appends a separator (MF_SEPARATOR) or an item with id and text (MF_STRING); an item
    // with MF_GRAYED or MF_DISABLED in flags is greyed from the start, one with MF_CHECKED
    // checked.
    BOOL AppendMenu(UINT flags, UINT id = 0, const char* text = nullptr);
    // Greys (MF_GRAYED or MF_DISABLED in enable) or enables (MF_ENABLED) the item with id
    // item (MF_BYCOMMAND) or at position item (MF_BYPOSITION). Returns the item's state
    // before, MF_ENABLED or MF_GRAYED, or (UINT)-1 when there is no such item.
    UINT EnableMenuItem(UINT item, UINT enable);
    // Checks (MF_CHECKED in check) or unchecks the item named as EnableMenuItem names it.
    // Returns its state before, MF_CHECKED or MF_UNCHECKED, or (UINT)-1 when there is no
    // such item.
    UINT CheckMenuItem(UINT item, UINT check);
    int GetMenuItemCount() const { return static_cast<int>(m_items.size()); }
    // The item's id; 0 for a separator, -1 (as UINT) out of range.
    UINT GetMenuItemID(int position) const;
    CString GetMenuString(int position) const;
    const std::vector<Item>& Items() const { return m_items; }
    void RemoveAll() { m_items.clear(); }

private:
    Item* Find(UINT item, UINT how);

    std::vector<Item> m_items;
};
