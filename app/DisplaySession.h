#pragma once
// Whether the window can be shown at all. Without a display server Qt's platform plugin
// aborts the process with a message that blames the installation, so the entry asks first.
#include <functional>
#include <optional>
#include <string>

// The environment as the check reads it: a variable's value, or null when it is unset.
using EnvLookup = std::function<const char*(const char* name)>;

// The one line to print when the window has no session to appear in, or nothing when it
// can start: DISPLAY or WAYLAND_DISPLAY is set and not empty, or the Qt platform chosen
// (the -platform NAME option, else QT_QPA_PLATFORM, a ';'-separated list of names with
// optional ':options') includes one that is not xcb or wayland, such as offscreen,
// minimal, vnc, eglfs or linuxfb. The -display NAME option counts like DISPLAY.
std::optional<std::string> MissingDisplayMessage(int argc, const char* const* argv,
                                                 const EnvLookup& env);
