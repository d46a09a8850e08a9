#include "tests/support/TrashSandbox.h"

#include <cstdlib>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

TrashSandbox::TrashSandbox(const std::string& base) : dir(base) {
    MakeTree(dir.path(), {{TreeEntry::Dir, "home"}, {TreeEntry::Dir, "tree"}});
}

void TrashSandbox::GiveToNobody() const {
    ::chmod(dir.path().c_str(), 0755);
    const std::string cmd = "chown -R 65534:65534 '" + dir.path() + "'";
    if (std::system(cmd.c_str()) != 0)
        throw std::runtime_error("cannot hand " + dir.path() + " to nobody");
}

void TrashSandbox::Enter() const {
    ::setenv("HOME", home().c_str(), 1);
    ::setenv("XDG_DATA_HOME", data().c_str(), 1);
    ::alarm(kChildSeconds);
}
