#include "platform/window/Menu.h"

#include "platform/window/Styles.h"

BOOL CMenu::AppendMenu(UINT flags, UINT id, const char* text) {
    if (flags & MF_SEPARATOR) {
        m_items.push_back(Item{MF_SEPARATOR, 0, CString(), true});
        return TRUE;
    }
    m_items.push_back(Item{MF_STRING, id, CString(text ? text : ""), true});
    return TRUE;
}

UINT CMenu::GetMenuItemID(int position) const {
    if (position < 0 || position >= GetMenuItemCount())
        return static_cast<UINT>(-1);
    return m_items[static_cast<std::size_t>(position)].id;
}

CString CMenu::GetMenuString(int position) const {
    if (position < 0 || position >= GetMenuItemCount())
        return {};
    return m_items[static_cast<std::size_t>(position)].text;
}

// END
