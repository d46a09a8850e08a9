#pragma once
// What a Windows test under Wine asks of the Linux system it runs on (Windows only): Wine
// can neither make symbolic links nor FIFOs, so the tests' trees get them from the host's
// own tools, which a Windows program under Wine can start like any program. A helper
// process of the host also plays the other program that changes a tree while a test runs.
#ifdef _WIN32
#include <windows.h>

#include <string>
#include <vector>

// True when the program runs under Wine.
bool OnWine();

// The host's name (a Unix path) for a Windows path; empty when there is none (not Wine).
std::string HostPath(const std::string& windowsPath);

// A host program started with argv (argv[0] an absolute Unix path, e.g. /bin/ln), its
// arguments passed as they are.
class CHostProcess {
public:
    explicit CHostProcess(const std::vector<std::string>& argv);
    ~CHostProcess(); // waits for it
    CHostProcess(const CHostProcess&) = delete;
    CHostProcess& operator=(const CHostProcess&) = delete;

    bool Started() const { return m_process != nullptr; }
    // Waits for the end; the exit status, or -1 when it did not start.
    int Wait();

private:
    HANDLE m_process = nullptr;
};

// Runs a host program to its end; its exit status, or -1 when it could not be started.
int RunHost(const std::vector<std::string>& argv);
#endif
