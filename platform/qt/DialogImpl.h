#pragma once
// What a CDialog keeps of its window on Qt (window layer internals), shared by the files
// that build, run and serve the dialog.
#include "platform/qt/DialogWindow.h"
#include "platform/window/Dialog.h"
#include "platform/window/DynamicLayout.h"
#include "platform/window/Menu.h"
#include "platform/window/Resources.h"

#include <QFont>
#include <QPointer>

#include <map>
#include <memory>
#include <span>

class QEventLoop;
class QWidget;

struct CDialog::Impl {
    QPointer<CDialogWindow> window;
    const DialogTemplate* tmpl = nullptr;
    QFont font;
    int baseX = 1; // dialog base unit across: the font's average character width, pixels
    int baseY = 1; // dialog base unit down: the font's height, pixels
    std::map<int, QWidget*> controls;
    CDynamicLayout layout; // of a template with WS_THICKFRAME
    std::unique_ptr<CMenu> systemMenu;
    std::span<const ACCEL> accelerators;
    QEventLoop* loop = nullptr;
    bool ended = false;
    bool modal = false;
    int defaultId = IDOK;
    HICON bigIcon = nullptr;
    HICON smallIcon = nullptr;
    QWidget* initialFocus = nullptr;
};
