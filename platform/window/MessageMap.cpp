#include "platform/window/MessageMap.h"

namespace msgmap {

const AFX_MSGMAP_ENTRY* Find(const AFX_MSGMAP* map, UINT message, WPARAM wParam, LPARAM lParam) {
    const UINT id = LOWORD(wParam);
    // An accelerator's command (1, and no control) is routed as a click of id is.
    const UINT code = HIWORD(wParam) == 1 && lParam == 0 ? BN_CLICKED : HIWORD(wParam);
    for (; map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY& entry : map->entries) {
            if (entry.message != message)
                continue;
            if (message == WM_COMMAND && (entry.id != id || entry.code != code))
                continue;
            return &entry;
        }
    }
    return nullptr;
}

LRESULT Invoke(CWnd& target, const AFX_MSGMAP_ENTRY& entry, WPARAM wParam, LPARAM lParam) {
    switch (entry.sig) {
    case AfxSig::Void:
        (target.*entry.pfn.pfnVoid)();
        return 0;
    case AfxSig::SysCommand:
        (target.*entry.pfn.pfnSysCommand)(static_cast<UINT>(wParam), lParam);
        return 0;
    case AfxSig::QueryDragIcon:
        return reinterpret_cast<LRESULT>((target.*entry.pfn.pfnQueryDragIcon)());
    case AfxSig::HelpInfo:
        return (target.*entry.pfn.pfnHelpInfo)(reinterpret_cast<HELPINFO*>(lParam));
    case AfxSig::DropFiles:
        (target.*entry.pfn.pfnDropFiles)(*reinterpret_cast<const std::vector<CString>*>(lParam));
        return 0;
    }
    return 0;
}

} // namespace msgmap
