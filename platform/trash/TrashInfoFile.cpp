#include "platform/trash/TrashInfoFile.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
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

namespace {

// Writes text to fd completely. Returns 0 or the errno.
int WriteAll(int fd, std::string_view text) {
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n > 0)
            done += static_cast<std::size_t>(n);
        else if (n == 0)
            return EIO;
        else if (errno != EINTR)
            return errno;
    }
    return 0;
}

// Closes fd, and returns error, or what close reports of a delayed write (a full disk on
// a network drive).
int Close(int fd, int error) {
    if (::close(fd) != 0 && error == 0 && errno != EINTR)
        return errno;
    return error;
}

// The drive cannot give a file a second name.
bool NoLinks(int error) {
    return error == EPERM || error == EOPNOTSUPP || error == ENOSYS || error == EMLINK;
}

// A record's step that the drive refused: the next way is tried.
constexpr int kStepDown = -1;

int CreateDirect(int infoFd, const std::string& name, std::string_view text) {
    const int fd =
        ::openat(infoFd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return errno;
    const int error = Close(fd, WriteAll(fd, text));
    if (error != 0)
        ::unlinkat(infoFd, name.c_str(), 0);
    return error;
}

int CreateUnnamed(int infoFd, const std::string& name, std::string_view text, RecordWay& way) {
    const int fd = ::openat(infoFd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0) {
        // EISDIR: a system older than O_TMPFILE; EOPNOTSUPP: a drive without it.
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
            return errno;
        way = RecordWay::Named;
        return kStepDown;
    }
    int error = WriteAll(fd, text);
    if (error == 0) {
        // A file without a name is linked through its /proc name (linkat's AT_EMPTY_PATH
        // needs a privilege).
        const std::string self = "/proc/self/fd/" + std::to_string(fd);
        if (::linkat(AT_FDCWD, self.c_str(), infoFd, name.c_str(), AT_SYMLINK_FOLLOW) != 0)
            error = errno;
    }
    const int closeError = Close(fd, 0);
    if (error == 0 && closeError != 0) {
        ::unlinkat(infoFd, name.c_str(), 0);
        return closeError;
    }
    if (error == 0)
        return 0;
    if (error == ENOENT && ::faccessat(AT_FDCWD, "/proc/self/fd", F_OK, 0) != 0)
        way = RecordWay::Named;
    else if (NoLinks(error))
        way = RecordWay::Direct;
    else
        return error;
    return kStepDown;
}

// A partial record left by a delete that ended before it was linked: ours (a file of the
// user's, by its name) and an hour old, so no delete still running is writing it.
bool RemoveIfStale(int infoFd, const std::string& partial) {
    struct stat st;
    return ::fstatat(infoFd, partial.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
           S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
           st.st_mtime + 3600 < std::time(nullptr) && ::unlinkat(infoFd, partial.c_str(), 0) == 0;
}

int CreateNamed(int infoFd, const std::string& name, std::string_view text, RecordWay& way) {
    std::string partial = name;
    if (partial.ends_with(kTrashInfoSuffix))
        partial.resize(partial.size() - kTrashInfoSuffix.size());
    partial += kPartialRecordSuffix;
    const int flags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
    int fd = ::openat(infoFd, partial.c_str(), flags, 0600);
    if (fd < 0 && errno == EEXIST && RemoveIfStale(infoFd, partial))
        fd = ::openat(infoFd, partial.c_str(), flags, 0600);
    if (fd < 0)
        return errno;
    struct stat written;
    int error = ::fstat(fd, &written) == 0 ? WriteAll(fd, text) : errno;
    error = Close(fd, error);
    struct stat linked;
    if (error == 0 && ::linkat(infoFd, partial.c_str(), infoFd, name.c_str(), 0) != 0) {
        error = errno;
    } else if (error == 0 && (::fstatat(infoFd, name.c_str(), &linked, AT_SYMLINK_NOFOLLOW) != 0 ||
                              linked.st_ino != written.st_ino || linked.st_dev != written.st_dev)) {
        // Another delete took our partial name for stale and wrote its own there: what the
        // name got is not this record.
        ::unlinkat(infoFd, name.c_str(), 0);
        error = EEXIST;
    }
    ::unlinkat(infoFd, partial.c_str(), 0);
    if (!NoLinks(error))
        return error;
    way = RecordWay::Direct;
    return kStepDown;
}

} // namespace

int CreateTrashInfo(int infoFd, const std::string& name, std::string_view text, RecordWay& way) {
    int error = kStepDown;
    if (way == RecordWay::Unnamed)
        error = CreateUnnamed(infoFd, name, text, way);
    if (error == kStepDown && way == RecordWay::Named)
        error = CreateNamed(infoFd, name, text, way);
    if (error == kStepDown && way == RecordWay::Direct)
        error = CreateDirect(infoFd, name, text);
    return error;
}
