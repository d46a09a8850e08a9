#include "platform/window/Resources.h"

namespace {
const CResourceSet* g_resources = nullptr;
} // namespace

void AfxSetResources(const CResourceSet* resources) {
    g_resources = resources;
}

const DialogTemplate* AfxFindDialogTemplate(UINT id) {
    if (!g_resources)
        return nullptr;
    for (const DialogTemplate& dialog : g_resources->dialogs)
        if (dialog.id == id)
            return &dialog;
    return nullptr;
}

BOOL AfxLoadString(UINT id, CString& text) {
    if (g_resources)
        for (const StringResource& entry : g_resources->strings)
            if (entry.id == id) {
                text = CString(entry.text);
                return TRUE;
            }
    text.Empty();
    return FALSE;
}

std::span<const IconImageResource> AfxIconImages() {
    return g_resources ? g_resources->iconImages : std::span<const IconImageResource>{};
}

std::span<const ACCEL> AfxFindAccelerators(UINT id) {
    if (g_resources)
        for (const AcceleratorTableResource& table : g_resources->accelerators)
            if (table.id == id)
                return table.entries;
    return {};
}
