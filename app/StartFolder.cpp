#include "app/StartFolder.h"

#include "platform/core/FileUri.h"
#include "walk/EnumerateFiles.h"

#include <cstdlib>
#include <string>
#include <string_view>

namespace {

#ifdef _WIN32
// "C:\" in quotes reaches the program as C:" (a backslash before a quote escapes it), and
// no Windows name holds a quote: it stands for that backslash.
std::string WithoutEscapedBackslash(std::string path) {
    if (path.ends_with('"'))
        path.back() = '\\';
    return path;
}

// Relative paths by the system's rules, which also resolve "." and "..".
std::string CleanAbsolute(const std::string& path) {
    return AbsoluteFolder(CString(WithoutEscapedBackslash(path)));
}
#else
std::string CleanAbsolute(const std::string& path) {
    const std::string absolute = AbsoluteFolder(CString(path));
    std::string clean;
    bool parent = false;
    std::string_view rest = absolute;
    while (!rest.empty()) {
        const std::size_t end = rest.find('/');
        const std::string_view part = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        if (part.empty() || part == ".")
            continue;
        parent = parent || part == "..";
        clean += '/';
        clean += part;
    }
    if (clean.empty())
        return "/";
    if (parent) {
        if (char* real = ::realpath(clean.c_str(), nullptr)) {
            clean = real;
            std::free(real);
        }
    }
    return clean;
}
#endif

StartFolder Problem(std::string text) {
    return StartFolder{CString(), CString(std::move(text))};
}

} // namespace

StartFolder StartFolderFromArguments(const std::vector<CString>& arguments) {
    std::vector<std::string> folders;
    bool optionsEnd = false;
    for (const CString& argument : arguments) {
        const std::string& text = argument.str();
        if (!optionsEnd && text == "--")
            optionsEnd = true;
        else if (!optionsEnd && text.size() > 1 && text[0] == '-')
            return Problem("The program does not know the option " + text +
                           ". It takes one folder to open: ravezivured FOLDER.");
        else
            folders.push_back(text);
    }
    if (folders.empty())
        return {};
    if (folders.size() > 1)
        return Problem("The program opens one folder at a time; it was given " +
                       std::to_string(folders.size()) + ".");
    std::string folder = folders[0];
    if (folder.empty())
        return Problem("The program was given an empty text as the folder to open.");
    if (IsFileUri(folder)) {
        const auto path = LocalPathFromFileUri(folder);
        if (!path)
            return Problem(folder + " is not a folder of this computer.");
        folder = *path;
    }
    return StartFolder{CString(CleanAbsolute(folder)), CString()};
}
