#pragma once
// What the window layer's handles stand for on Qt, converted in one place: a window handle
// (HWND) is the QWidget itself, an icon handle (HICON) a QIcon kept by the application
// object, a device context (HDC) the QPainter of the paint event being dispatched.
//
// Widgets that are dialog controls carry their id and the bytes last set as their text in
// the two properties named here.
#include "platform/window/WinDefs.h"

class QIcon;
class QPainter;
class QWidget;

inline QWidget* WidgetOf(HWND handle) {
    return reinterpret_cast<QWidget*>(handle);
}
inline HWND HandleOf(QWidget* widget) {
    return reinterpret_cast<HWND>(widget);
}

inline QIcon* IconOf(HICON handle) {
    return reinterpret_cast<QIcon*>(handle);
}
inline HICON HandleOf(QIcon* icon) {
    return reinterpret_cast<HICON>(icon);
}

inline QPainter* PainterOf(HDC handle) {
    return reinterpret_cast<QPainter*>(handle);
}
inline HDC HandleOf(QPainter* painter) {
    return reinterpret_cast<HDC>(painter);
}

// The control id of a dialog's widget (an int property; absent on other widgets).
inline constexpr const char* kControlIdProperty = "rzControlId";
// The bytes last set as a control's text (a QByteArray property).
inline constexpr const char* kControlBytesProperty = "rzBytes";
