#include "platform/trash/TrashInfoFile.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

std::string PercentEncode(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        const bool plain = (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') ||
                           (b >= '0' && b <= '9') || b == '-' || b == '_' || b == '.' || b == '~' ||
                           b == '/';
        if (plain) {
            out += c;
        } else {
            out += '%';
            out += kHex[b >> 4];
            out += kHex[b & 0xF];
        }
    }
    return out;
}

std::string DeletionDate(std::time_t when) {
    std::tm local{};
    ::localtime_r(&when, &local);
    char text[32];
    const std::size_t n = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return std::string(text, n);
}

std::string TrashInfoText(std::string_view path, std::string_view deletionDate) {
    std::string text = "[Trash Info]\nPath=";
    text += PercentEncode(path);
    text += "\nDeletionDate=";
    text += deletionDate;
    text += '\n';
    return text;
}

int CreateTrashInfo(int infoFd, const std::string& name, std::string_view text) {
    const int fd =
        ::openat(infoFd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return errno;
    int error = 0;
    for (std::size_t done = 0; done < text.size() && error == 0;) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n > 0)
            done += static_cast<std::size_t>(n);
        else if (n == 0)
            error = EIO;
        else if (errno != EINTR)
            error = errno;
    }
    // close reports what a delayed write could not do (a full disk on some systems).
    if (::close(fd) != 0 && error == 0 && errno != EINTR)
        error = errno;
    if (error != 0)
        ::unlinkat(infoFd, name.c_str(), 0);
    return error;
}
