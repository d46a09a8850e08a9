#include "platform/window/Menu.h"

#include "platform/window/Styles.h"

BOOL CMenu::AppendMenu(UINT flags, UINT id, const char* text) {
    if (flags & MF_SEPARATOR) {
        m_items.push_back(Item{MF_SEPARATOR, 0, CString(), true});
        return TRUE;
    }
    const bool enabled = (flags & (MF_GRAYED | MF_DISABLED)) == 0;
    m_items.push_back(Item{MF_STRING, id, CString(text ? text : ""), enabled});
    return TRUE;
}

UINT CMenu::EnableMenuItem(UINT item, UINT enable) {
    Item* found = nullptr;
    if (enable & MF_BYPOSITION) {
        if (item < m_items.size())
            found = &m_items[item];
    } else {
        for (Item& candidate : m_items)
            if (candidate.id == item && !(candidate.flags & MF_SEPARATOR))
                found = &candidate;
    }
    if (!found)
        return static_cast<UINT>(-1);
    const UINT before = found->enabled ? MF_ENABLED : MF_GRAYED;
    found->enabled = (enable & (MF_GRAYED | MF_DISABLED)) == 0;
    return before;
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
