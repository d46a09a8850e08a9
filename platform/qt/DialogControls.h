#pragma once
// Building a dialog's controls from its template (window layer internals).
#include "platform/window/Resources.h"

#include <QRect>

#include <functional>
#include <vector>

class QWidget;

// Icon controls show the icon at this size, in pixels, whatever their template says.
inline constexpr int kIconControlSize = 32;

// What the controls of one dialog are built with.
struct ControlBuildContext {
    QWidget* window;
    // The item's rectangle, dialog units turned into pixels.
    std::function<QRect(const DialogItemTemplate&)> toPixels;
    // A push button was clicked: its id and widget.
    std::function<void(int id, QWidget* button)> clicked;
};

// The widget for one template item, a child of context.window at its place, carrying its
// id and text bytes (platform/qt/Handles.h). A label keeps its "&" markers;
// ApplyTabOrderAndMnemonics settles them.
QWidget* MakeControl(const DialogItemTemplate& item, const ControlBuildContext& context);

// Keyboard access, once every control exists (widgets: one per template item, in order):
// - controls with WS_TABSTOP take the focus with Tab, in template order, and by a click;
//   those without it only by a click; labels and icons never.
// - a label's "&x" underlines x and gives the focus to the next control in template order
//   that has a tab stop; a label without such a control shows its text without markers.
// Returns the first control with a tab stop, or null.
QWidget* ApplyTabOrderAndMnemonics(const DialogTemplate& tmpl,
                                   const std::vector<QWidget*>& widgets);
