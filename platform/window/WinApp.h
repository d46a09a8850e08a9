#pragma once
// CWinApp: the application object, its entry and its per-user profile store.
//
// Exactly one application object exists at a time. Its title is the name given to the
// constructor or, with none, string 57344 of the program's resources (loaded by
// InitApplication). The profile store lives in the platform's native settings for the
// user: organisation = the company key (SetRegistryKey), application = the title, one
// group per section. On Windows that is the registry key
// HKEY_CURRENT_USER\Software\<company>\<title>\<section> (integers as REG_DWORD, texts as
// REG_SZ); on Linux Qt's $XDG_CONFIG_HOME/<company>/<title>.conf.
#include "platform/core/String.h"
#include "platform/window/AfxRes.h"
#include "platform/window/WinDefs.h"

#include <vector>

class CWnd;

class CWinApp {
public:
    explicit CWinApp(const char* appName = nullptr);
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // Takes the title from string 57344 when no name was given. Run by the entry.
    virtual BOOL InitApplication();
    // The program's start-up; FALSE ends the process without a message loop.
    virtual BOOL InitInstance();
    virtual int ExitInstance();

    // Names the company key of the profile store.
    void SetRegistryKey(const char* companyKey);

    // The integer stored under section/entry, or nDefault when it is absent or is not a
    // whole number from 0 to 2147483647. Every read goes to the store.
    int GetProfileInt(const char* section, const char* entry, int nDefault);
    // Writes are best effort: FALSE when the store reports a failure, which callers may
    // ignore. A text that is not valid UTF-8 is kept byte for byte.
    BOOL WriteProfileInt(const char* section, const char* entry, int value);
    BOOL WriteProfileString(const char* section, const char* entry, const char* value);

    // The program's arguments, its name left out, after the toolkit took its own options
    // (Qt's -platform, -display, ...): on Linux the bytes the system gave, on Windows UTF-8.
    // Empty when there are none.
    const std::vector<CString>& Arguments() const { return m_arguments; }
    // Sets Arguments from argv[1] to argv[argc - 1]; AfxWinMain does, before InitInstance.
    void SetArguments(int argc, const char* const* argv);

    // Icon id of the program's resources; shared, valid until the toolkit shuts down.
    HICON LoadIcon(UINT id) const;

    const char* m_pszAppName = nullptr;
    const char* m_pszRegistryKey = nullptr;
    const char* m_pszProfileName = nullptr;
    CWnd* m_pMainWnd = nullptr;

private:
    CString m_strAppName;
    CString m_strRegistryKey;
    std::vector<CString> m_arguments;
};

// The application object, or null.
CWinApp* AfxGetApp();
// The application's main window, or null.
CWnd* AfxGetMainWnd();

// The entry: makes the toolkit application, installs the busy cursor, hands the arguments
// to the application object (argv[0] is the program's name; on Windows the texts are
// UTF-8), runs InitApplication and InitInstance, and returns the process exit status.
int AfxWinMain(int argc, char* argv[]);
