#pragma once
// What a Windows test under Wine asks of the Linux system it runs on (Windows only): Wine
// can neither make symbolic links nor FIFOs, so the tests' trees get them from the host's
// own tools, which a Windows program under Wine can start like any program. A helper
// process of the host also plays the other program that changes a tree while a test runs.
#ifdef _WIN32
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// True when the program runs under Wine.
bool OnWine();

// The host's name (a Unix path) for a Windows path; empty when there is none (not Wine).
std::string HostPath(const std::string& windowsPath);

// Starts a host program with argv (argv[0] an absolute Unix path, e.g. /bin/ln), its
// arguments passed as they are; false when it could not be started. Wine gives no way to
// wait for a host program or to learn its exit status: a caller waits for what the program
// does (WaitUntil).
bool StartHost(const std::vector<std::string>& argv);

// Polls condition every few milliseconds until it holds (true) or seconds have passed
// (false).
bool WaitUntil(const std::function<bool()>& condition, int seconds = 20);
#endif
