#include "platform/window/Menu.h"

#include "platform/window/Styles.h"

BOOL CMenu::AppendMenu(UINT flags, UINT id, const char* text) {
    if (flags & MF_SEPARATOR) {
        m_items.push_back(Item{MF_SEPARATOR, 0, CString(), true});
        return TRUE;
    }
    const bool enabled = (flags & (MF_GRAYED | MF_DISABLED)) == 0;
    m_items.push_back(
        Item{MF_STRING, id, CString(text ? text : ""), enabled, (flags & MF_CHECKED) != 0});
    return TRUE;
}

CMenu::Item* CMenu::Find(UINT item, UINT how) {
    if (how & MF_BYPOSITION)
        return item < m_items.size() ? &m_items[item] : nullptr;
    Item* found = nullptr;
    for (Item& candidate : m_items)
        if (candidate.id == item && !(candidate.flags & MF_SEPARATOR))
            found = &candidate;
    return found;
}

UINT CMenu::EnableMenuItem(UINT item, UINT enable) {
    Item* found = Find(item, enable);
    if (!found)
        return static_cast<UINT>(-1);
    const UINT before = found->enabled ? MF_ENABLED : MF_GRAYED;
    found->enabled = (enable & (MF_GRAYED | MF_DISABLED)) == 0;
    return before;
}

UINT CMenu::CheckMenuItem(UINT item, UINT check) {
    Item* found = Find(item, check);
    if (!found)
        return static_cast<UINT>(-1);
    const UINT before = found->checked ? MF_CHECKED : MF_UNCHECKED;
    found->checked = (check & MF_CHECKED) != 0;
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
