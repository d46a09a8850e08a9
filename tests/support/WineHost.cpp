#include "tests/support/WineHost.h"

#include "platform/core/WideText.h"

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

CHostProcess::CHostProcess(const std::vector<std::string>& argv) {
    if (argv.empty() || !OnWine())
        return;
    // Wine starts a program given by its Unix path as a host program.
    std::wstring command;
    for (const std::string& arg : argv)
        command += (command.empty() ? L"" : L" ") + Quoted(arg);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const std::wstring program = WideFromUtf8("Z:" + argv[0]);
    if (CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       nullptr, &startup, &process)) {
        CloseHandle(process.hThread);
        m_process = process.hProcess;
    }
}

CHostProcess::~CHostProcess() {
    Wait();
}

int CHostProcess::Wait() {
    if (!m_process)
        return -1;
    WaitForSingleObject(m_process, INFINITE);
    DWORD status = 0;
    GetExitCodeProcess(m_process, &status);
    CloseHandle(m_process);
    m_process = nullptr;
    return static_cast<int>(status);
}

int RunHost(const std::vector<std::string>& argv) {
    CHostProcess process(argv);
    return process.Wait();
}
