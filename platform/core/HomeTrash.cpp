#include "platform/core/HomeTrash.h"

#include <cstdlib>

#ifndef _WIN32
#include <pwd.h>
#include <unistd.h>
#endif

namespace {

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home == '/')
        return home;
#ifndef _WIN32
    struct passwd entry;
    struct passwd* found = nullptr;
    char buffer[4096];
    if (::getpwuid_r(::getuid(), &entry, buffer, sizeof buffer, &found) == 0 && found &&
        found->pw_dir && *found->pw_dir == '/')
        return found->pw_dir;
#endif
    return {};
}

// One '/' between: the path is the host's, whatever the build's own separator.
std::string Below(std::string folder, const char* name) {
    if (folder.back() != '/')
        folder += '/';
    return folder + name;
}

} // namespace

std::string HomeTrashPath() {
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data == '/')
        return Below(data, "Trash");
    const std::string home = HomeFolder();
    return home.empty() ? home : Below(home, ".local/share/Trash");
}
