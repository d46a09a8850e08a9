#pragma once
// The program's resources as data: dialog templates, the string table and the icons.
//
// The resource library fills a CResourceSet and installs it once at start-up; the window
// layer looks templates, strings and icons up in it by id. Templates are in dialog units
// and carry the classic style bits (platform/window/Styles.h); on Linux the Qt backend
// turns them into widgets (platform/qt/DialogRun.cpp); on Windows the system's dialog
// manager builds the same templates from the program's .rc files.
#include "platform/core/String.h"
#include "platform/window/WinDefs.h"

#include <span>

enum class ControlKind { ListView, Static, Edit, PushButton, Icon, Progress };

// How a control follows the size of a dialog with a sizing border (WS_THICKFRAME), the
// dynamic layout: as the client area grows by dx across and dy down from the template's
// size, the control moves right by moveX percent of dx and down by moveY percent of dy, and
// grows by sizeX percent of dx and sizeY percent of dy. All zeros: it stays as placed.
struct DialogItemLayout {
    BYTE moveX = 0, moveY = 0, sizeX = 0, sizeY = 0;
};

struct DialogItemTemplate {
    ControlKind kind;
    int id;           // -1 for controls the program never addresses
    const char* text; // for an icon control: the decimal icon id, e.g. "128"
    short x, y, cx, cy;
    DWORD style;
    DialogItemLayout layout = {};
};

struct DialogTemplate {
    UINT id;
    const char* caption;
    short cx, cy;
    const char* fontName;
    int pointSize;
    DWORD style;
    DWORD exStyle;
    std::span<const DialogItemTemplate> items;
};

struct StringResource {
    UINT id;
    const char* text;
};

// One image of an icon, as a path in the program's compiled-in Qt resources.
struct IconImageResource {
    UINT id;
    const char* path;
};

// A table of keyboard accelerators (WinDefs.h's ACCEL).
struct AcceleratorTableResource {
    UINT id;
    std::span<const ACCEL> entries;
};

struct CResourceSet {
    std::span<const DialogTemplate> dialogs;
    std::span<const StringResource> strings;
    std::span<const IconImageResource> iconImages;
    std::span<const AcceleratorTableResource> accelerators = {};
};

// Installs the set the lookups below read. The set must outlive every lookup.
void AfxSetResources(const CResourceSet* resources);

// The template with that id, or null.
const DialogTemplate* AfxFindDialogTemplate(UINT id);

// True and text set when the string table holds id; false and text emptied otherwise.
BOOL AfxLoadString(UINT id, CString& text);

// Every icon image of the installed set.
std::span<const IconImageResource> AfxIconImages();

// The accelerator table with that id; empty when there is none.
std::span<const ACCEL> AfxFindAccelerators(UINT id);
