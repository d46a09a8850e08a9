#include "platform/trash/ShellFileOperation.h"

#include <gio/gio.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

std::string ParentOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool HasDotComponent(const std::string& path) {
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos)
            end = path.size();
        const std::string_view part(path.data() + start, end - start);
        if (part == "." || part == "..")
            return true;
        start = end + 1;
    }
    return false;
}

// The path GIO is given. g_file_new_for_path resolves "." and ".." by text, which is not
// what the kernel does when a link precedes a "..": "link/../x" would then name another
// file than the one just checked with lstat. So a relative path, or one with such
// components, gets its parent folder resolved by the kernel first; the name itself is
// kept, so a link is still trashed as itself.
std::string PathForGio(const std::string& path) {
    if (!path.empty() && path[0] == '/' && !HasDotComponent(path))
        return path;
    const std::size_t slash = path.find_last_of('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    char* parent = ::realpath(ParentOf(path).c_str(), nullptr);
    if (!parent)
        return path;
    std::string resolved = parent;
    std::free(parent);
    if (resolved != "/")
        resolved += '/';
    return resolved + name;
}

// Words for a failed lstat of a path that is about to be trashed.
std::string ReasonForErrno(int error) {
    static constexpr std::pair<int, const char*> kReasons[] = {
        {ENOENT, kReasonGone},           {ENOTDIR, kReasonGone},
        {EACCES, "permission denied"},   {EPERM, "permission denied"},
        {ENAMETOOLONG, "name too long"}, {ELOOP, "cannot be reached (too many links in its path)"},
    };
    for (const auto& [code, words] : kReasons)
        if (code == error)
            return words;
    return "cannot be reached";
}

bool FolderOfPathIsWritable(const std::string& path) {
    return ::access(ParentOf(path).c_str(), W_OK | X_OK) == 0;
}

// The words the user sees for a GIO error of g_file_trash on a path that existed and was
// not a folder just before.
std::string TrashReasonForGioError(const GError* error, const std::string& path) {
    static constexpr std::pair<int, const char*> kReasons[] = {
        {G_IO_ERROR_NOT_FOUND, kReasonGone},
        {G_IO_ERROR_IS_DIRECTORY, kReasonNowFolder},
        {G_IO_ERROR_NOT_SUPPORTED, "no trash on that drive"},
        {G_IO_ERROR_FILENAME_TOO_LONG, "name too long"},
        {G_IO_ERROR_NO_SPACE, "disk full"},
        {G_IO_ERROR_READ_ONLY, "read-only file system"},
        // The path itself was just found, so this is the trash location: a part of it
        // (often $XDG_DATA_HOME) is a file, not a folder.
        {G_IO_ERROR_NOT_DIRECTORY, "no usable trash (its folder cannot be created)"},
        {G_IO_ERROR_BUSY, "in use"},
        {G_IO_ERROR_TOO_MANY_LINKS, "too many links"},
        {G_IO_ERROR_INVALID_FILENAME, "name not allowed"},
        {G_IO_ERROR_EXISTS, "a file of that name is already in the trash"},
    };
    if (!error || error->domain != G_IO_ERROR)
        return "could not be moved to the trash";
    // GIO gives the same code when the trash itself cannot be written; when the file's
    // own folder is writable that is the likelier cause.
    if (error->code == G_IO_ERROR_PERMISSION_DENIED)
        return FolderOfPathIsWritable(path) ? "permission denied by the trash folder"
                                            : "permission denied";
    for (const auto& [code, words] : kReasons)
        if (code == error->code)
            return words;
    return "could not be moved to the trash";
}

TrashResult TrashOne(const std::string& path) {
    TrashResult result;
    result.path = path;

    // Checked just before the move: a path that went away or became a folder since it
    // was collected is skipped. A folder is never trashed, it would take files of other
    // extensions with it. lstat: a link is judged, and trashed, as itself.
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) {
        const int error = errno;
        result.reason = ReasonForErrno(error);
        result.detail = std::strerror(error);
        return result;
    }
    if (S_ISDIR(st.st_mode)) {
        result.reason = kReasonNowFolder;
        return result;
    }

    // The local file implementation directly: it is what g_file_new_for_path gives for a
    // local path anyway, without loading GIO modules or talking to a desktop daemon.
    // The local trash is a short fixed sequence of system calls (find or create the trash
    // folders, create the .trashinfo exclusively, rename the file, remove the .trashinfo
    // again if the rename failed), so it cannot hang on a missing or unwritable trash.
    const std::string gioPath = PathForGio(path);
    GFile* file = g_vfs_get_file_for_path(g_vfs_get_local(), gioPath.c_str());
    GError* error = nullptr;
    if (g_file_trash(file, nullptr, &error)) {
        result.trashed = true;
    } else {
        result.reason = TrashReasonForGioError(error, path);
        if (error)
            result.detail = error->message;
    }
    if (error)
        g_error_free(error);
    g_object_unref(file);
    return result;
}

} // namespace

TrashReport ExecuteShellFileOperation(SHFILEOPSTRUCTA& request, const TrashProgress& progress) {
    TrashReport report;
    if (request.wFunc != FO_DELETE) {
        report.refused = true;
        report.error = "only deleting to the trash is supported";
        return report;
    }
    if (request.fFlags != FOF_ALLOWUNDO) {
        // Without undo the request would ask for a permanent delete, which is never done;
        // any other flag changes behaviour this executor does not have.
        report.refused = true;
        report.error =
            "a delete is carried out only as a move to the trash (undo allowed, no other options)";
        return report;
    }
    if (!request.pFrom) {
        report.refused = true;
        report.error = "the request has no source list";
        return report;
    }

    const std::vector<std::string> paths = SplitPathList(request.pFrom);
    report.results.reserve(paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (progress && !progress(i, paths.size(), paths[i])) {
            request.fAnyOperationsAborted = 1;
            for (std::size_t j = i; j < paths.size(); ++j)
                report.results.push_back({paths[j], false, kReasonStopped, {}});
            break;
        }
        report.results.push_back(TrashOne(paths[i]));
    }
    return report;
}
