#include "tests/support/WineHost.h"

#include "platform/core/WideText.h"
#include "tests/support/TempTree.h"

#include <cstdlib>

namespace {

// Wine's own export: the Unix name of a Windows path, allocated on the process heap.
using UnixNameOf = char* (*)(const wchar_t*);

UnixNameOf WineUnixName() {
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    return kernel ? reinterpret_cast<UnixNameOf>(
                        reinterpret_cast<void*>(GetProcAddress(kernel, "wine_get_unix_file_name")))
                  : nullptr;
}

// One argument of a command line, quoted for Wine's splitting into the host's argv.
std::wstring Quoted(const std::string& arg) {
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : WideFromUtf8(arg)) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

} // namespace

bool OnWine() {
    return WineUnixName() != nullptr;
}

std::string HostPath(const std::string& windowsPath) {
    const UnixNameOf unixName = WineUnixName();
    if (!unixName)
        return {};
    char* name = unixName(WideFromUtf8(windowsPath).c_str());
    if (!name)
        return {};
    std::string path = name;
    HeapFree(GetProcessHeap(), 0, name);
    return path;
}

bool StartHost(const std::vector<std::string>& argv) {
    if (argv.empty() || !OnWine())
        return false;
    // Wine starts a program of the host like any other, named by its place on drive Z:
    // (the host's /); the host program gets the arguments split as Windows splits them.
    std::wstring command = Quoted("Z:" + Native(argv[0]));
    for (std::size_t i = 1; i < argv.size(); ++i)
        command += L" " + Quoted(argv[i]);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

bool WaitUntil(const std::function<bool()>& condition, int seconds) {
    for (int waited = 0; waited < seconds * 200; ++waited) {
        if (condition())
            return true;
        Sleep(5);
    }
    return condition();
}
