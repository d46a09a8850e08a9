// The window layer's default services on Win32: the system's message box (a task dialog
// when it offers a list, QuestionBox.h), the shell's "open" and its folder-browsing window.
#include "platform/window/Services.h"

#include "platform/core/ServiceSlot.h"
#include "platform/core/WideText.h"
#include "platform/win32/QuestionBox.h"

#include <string>

// The program's chooser request, named before <shlobj.h> makes BROWSEINFO the system's.
using ChooserRequest = BROWSEINFO;

#include <shellapi.h>
#include <shlobj.h>

namespace {

class CSystemMessageBox final : public IMessageBoxService {
public:
    int Show(const MessageBoxRequest& request) override {
        if (request.details.text)
            return ShowBoxWithDetails(request);
        HWND owner = request.owner ? request.owner->GetSafeHwnd() : nullptr;
        return MessageBoxW(owner, WideFromUtf8(request.text.view()).c_str(),
                           WideFromUtf8(request.caption.view()).c_str(), request.type);
    }
};

class CShellExecute final : public IShellExecuteService {
public:
    bool Execute(const CString& verb, const CString& file, int showCommand) override {
        const HINSTANCE result =
            ShellExecuteW(nullptr, WideFromUtf8(verb.view()).c_str(),
                          WideFromUtf8(file.view()).c_str(), nullptr, nullptr, showCommand);
        return reinterpret_cast<INT_PTR>(result) > 32;
    }
};

// The path of a shell item, whole however long; empty for an item that has none.
std::string PathOf(PCIDLIST_ABSOLUTE item) {
    std::wstring path(32768, L'\0');
    if (!item ||
        !SHGetPathFromIDListEx(item, path.data(), static_cast<DWORD>(path.size()), GPFIDL_DEFAULT))
        return {};
    path.resize(path.find(L'\0'));
    return Utf8FromWide(path);
}

class CShellFolderChooser final : public IFolderChooserService {
public:
    bool Browse(const ChooserRequest& info, CString& path) override {
        if (m_open)
            return false;
        const std::wstring title = WideFromUtf8(info.lpszTitle.view());
        wchar_t displayName[MAX_PATH] = {};
        Session session{this, &info};
        BROWSEINFOW request{};
        request.hwndOwner = info.hwndOwner;
        request.pszDisplayName = displayName;
        request.lpszTitle = title.c_str();
        request.ulFlags = info.ulFlags;
        request.lpfn = &Callback;
        request.lParam = reinterpret_cast<LPARAM>(&session);
        PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&request);
        m_open = nullptr;
        if (!chosen)
            return false;
        const std::string folder = PathOf(chosen);
        CoTaskMemFree(chosen);
        if (folder.empty())
            return false;
        path = CString(folder);
        return true;
    }

    bool IsOpen() const override { return m_open != nullptr; }

    void Raise() override {
        if (m_open)
            SetForegroundWindow(m_open);
    }

    void CloseAll() override {
        if (m_open)
            ::SendMessageW(m_open, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }

    LRESULT SendChooserMessage(HWND chooser, UINT message, WPARAM wParam, LPARAM lParam) override {
        const auto* text = reinterpret_cast<const char*>(lParam);
        if (!m_open || chooser != m_open || !text)
            return 0;
        // The program's texts are UTF-8: the wide forms of the two requests carry them.
        const std::wstring wide = WideFromUtf8(text);
        if (message == BFFM_SETSELECTIONA && !wide.empty())
            return ::SendMessageW(chooser, BFFM_SETSELECTIONW, wParam,
                                  reinterpret_cast<LPARAM>(wide.c_str()));
        if (message == BFFM_SETSTATUSTEXTA)
            return ::SendMessageW(chooser, BFFM_SETSTATUSTEXTW, wParam,
                                  reinterpret_cast<LPARAM>(wide.c_str()));
        return 0;
    }

private:
    struct Session {
        CShellFolderChooser* chooser;
        const ChooserRequest* info;
    };

    // The shell's callback, passed on to the program's with the selection as UTF-8 text.
    static int CALLBACK Callback(HWND window, UINT message, LPARAM lParam, LPARAM data) {
        const auto* session = reinterpret_cast<const Session*>(data);
        const ChooserRequest& info = *session->info;
        if (message == BFFM_INITIALIZED) {
            session->chooser->m_open = window;
            if (info.lpfn)
                info.lpfn(window, BFFM_INITIALIZED, 0, info.lParam);
        } else if (message == BFFM_SELCHANGED && info.lpfn) {
            const std::string path = PathOf(reinterpret_cast<PCIDLIST_ABSOLUTE>(lParam));
            info.lpfn(window, BFFM_SELCHANGED,
                      path.empty() ? 0 : reinterpret_cast<LPARAM>(path.c_str()), info.lParam);
        }
        return 0;
    }

    HWND m_open = nullptr;
};

} // namespace

IMessageBoxService& MessageBoxService() {
    return StaticServiceSlot<IMessageBoxService, CSystemMessageBox>().Get();
}
void SetMessageBoxService(IMessageBoxService* service) {
    StaticServiceSlot<IMessageBoxService, CSystemMessageBox>().Install(service);
}

IShellExecuteService& ShellExecuteService() {
    return StaticServiceSlot<IShellExecuteService, CShellExecute>().Get();
}
void SetShellExecuteService(IShellExecuteService* service) {
    StaticServiceSlot<IShellExecuteService, CShellExecute>().Install(service);
}

IFolderChooserService& FolderChooserService() {
    return StaticServiceSlot<IFolderChooserService, CShellFolderChooser>().Get();
}
void SetFolderChooserService(IFolderChooserService* service) {
    StaticServiceSlot<IFolderChooserService, CShellFolderChooser>().Install(service);
}
