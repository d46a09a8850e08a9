#include "app/DisplaySession.h"

#include <string_view>

namespace {

bool IsSet(const char* value) {
    return value && *value;
}

// xcb and the wayland plugins talk to a display server; every other platform (offscreen,
// minimal, vnc, eglfs, linuxfb, a plugin we do not know) is left to Qt to judge.
bool NeedsDisplayServer(std::string_view name) {
    name = name.substr(0, name.find(':'));
    return name.empty() || name == "xcb" || name.starts_with("wayland");
}

bool AllNeedDisplayServer(std::string_view platforms) {
    while (true) {
        const std::size_t end = platforms.find(';');
        if (!NeedsDisplayServer(platforms.substr(0, end)))
            return false;
        if (end == std::string_view::npos)
            return true;
        platforms.remove_prefix(end + 1);
    }
}

// The value of Qt's option NAME (-NAME VALUE, or --NAME VALUE), or null.
const char* OptionValue(int argc, const char* const* argv, std::string_view name) {
    for (int i = 1; i + 1 < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg.starts_with("--"))
            arg.remove_prefix(1);
        if (arg.starts_with('-') && arg.substr(1) == name)
            return argv[i + 1];
    }
    return nullptr;
}

} // namespace

std::optional<std::string> MissingDisplayMessage(int argc, const char* const* argv,
                                                 const EnvLookup& env) {
    if (IsSet(env("DISPLAY")) || IsSet(env("WAYLAND_DISPLAY")) ||
        IsSet(OptionValue(argc, argv, "display")))
        return std::nullopt;
    const char* platform = OptionValue(argc, argv, "platform");
    if (!platform)
        platform = env("QT_QPA_PLATFORM");
    if (IsSet(platform) && !AllNeedDisplayServer(platform))
        return std::nullopt;
    return std::string("ravezivured: no desktop session found (neither DISPLAY nor "
                       "WAYLAND_DISPLAY is set); start it from a desktop session, or in a "
                       "virtual one with: xvfb-run -a ravezivured");
}
