#include "tests/support/PrivateMount.h"

#include <sched.h>
#include <sys/mount.h>

ChildResult InPrivateTmpfs(const std::string& mountPoint,
                           const std::function<void(std::string& out)>& body) {
    return RunInChild([&](std::string& out) {
        // Private propagation first, so the mount is not passed on to the parent's view.
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, "size=4m,mode=0755") != 0) {
            out = kCannotMount;
            return;
        }
        body(out);
    });
}
