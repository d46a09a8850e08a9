#include "platform/recycle/ShellNames.h"

#include "platform/core/TrashReport.h"
#include "platform/core/WideText.h"

#include <windows.h>

#include <algorithm>
#include <array>

namespace {

wchar_t Upper(wchar_t c) {
    return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

// CON, PRN, AUX, NUL, COM1-9, LPT1-9 (the superscript digits 1 to 3 too), CONIN$ and
// CONOUT$: the system takes a name for the device whatever follows a dot in it, and
// whatever spaces end the part before.
bool IsDeviceName(std::wstring_view name) {
    std::wstring base(name.substr(0, name.find_first_of(L".:")));
    while (!base.empty() && base.back() == L' ')
        base.pop_back();
    std::transform(base.begin(), base.end(), base.begin(), Upper);
    static constexpr std::array<std::wstring_view, 6> kPlain = {L"CON", L"PRN",    L"AUX",
                                                                L"NUL", L"CONIN$", L"CONOUT$"};
    if (std::find(kPlain.begin(), kPlain.end(), base) != kPlain.end())
        return true;
    if (base.size() != 4 || (base.compare(0, 3, L"COM") != 0 && base.compare(0, 3, L"LPT") != 0))
        return false;
    const wchar_t digit = base[3];
    return (digit >= L'1' && digit <= L'9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
}

// Why the shell would read name as another name, or null.
const char* NameProblem(std::wstring_view name) {
    if (name.empty())
        return kReasonNotMoved; // two separators in a row: the system would skip one
    if (name.back() == L'.' || name.back() == L' ')
        return kReasonNameDropsDotOrSpace; // "." and ".." too
    if (name.find_first_of(L"*?<>\"") != std::wstring_view::npos)
        return kReasonNameIsPattern;
    const bool control =
        std::any_of(name.begin(), name.end(), [](wchar_t c) { return c < 0x20 || c == 0x7F; });
    if (control || name.find_first_of(L":|/") != std::wstring_view::npos)
        return kReasonNameNotWindows;
    if (IsDeviceName(name))
        return kReasonNameIsDevice;
    return nullptr;
}

// The length of the drive or share that starts path ("X:\" or "\\server\share\"), or 0
// for any other form.
std::size_t RootLength(std::wstring_view path) {
    const wchar_t drive = Upper(path.empty() ? L'\0' : path[0]);
    if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\' && drive >= L'A' && drive <= L'Z')
        return 3;
    if (!path.starts_with(L"\\\\") || path.starts_with(L"\\\\?\\") || path.starts_with(L"\\\\.\\"))
        return 0;
    const std::size_t server = path.find(L'\\', 2);
    if (server == std::wstring_view::npos || server == 2)
        return 0;
    const std::size_t share = path.find(L'\\', server + 1);
    if (share == std::wstring_view::npos || share == server + 1)
        return 0;
    return share + 1;
}

} // namespace

const char* ShellPathFor(std::string_view path, std::wstring& plain) {
    std::wstring wide = WideFromUtf8(path);
    // The \\?\ form of an ordinary path names what the ordinary path names, once its names
    // pass the checks below.
    if (wide.starts_with(LR"(\\?\UNC\)"))
        wide = L"\\\\" + wide.substr(8);
    else if (wide.starts_with(LR"(\\?\)") && wide.size() >= 7 && wide[5] == L':')
        wide.erase(0, 4);
    else if (!wide.starts_with(LR"(\\?\)"))
        std::replace(wide.begin(), wide.end(), L'/', L'\\');
    const std::size_t root = RootLength(wide);
    if (root == 0 || root == wide.size())
        return kReasonNotMoved;
    for (std::size_t at = root; at <= wide.size();) {
        const std::size_t end = std::min(wide.find(L'\\', at), wide.size());
        if (const char* problem = NameProblem(std::wstring_view(wide).substr(at, end - at)))
            return problem;
        at = end + 1;
    }
    // MAX_PATH counts the terminating NUL.
    if (wide.size() >= MAX_PATH)
        return kReasonPathTooLongForShell;
    plain = std::move(wide);
    return nullptr;
}
