#include "platform/recycle/FileOperationShell.h"

#include "platform/core/WideText.h"
#include "platform/recycle/Reasons.h"
#include "platform/recycle/ShellCalls.h"

#include <shellapi.h>
#include <shobjidl.h>

#include <map>
#include <vector>

namespace {

// What the shell said of one file during one call.
struct Heard {
    const char* refused = nullptr; // the program stopped the call before it, and why
    bool posted = false;           // the shell said how it went
    HRESULT result = S_OK;
    bool inBin = false;   // it named the file's item in the recycle bin
    bool swapped = false; // that item is not the file (something took its place)
};

std::wstring FileSystemPath(IShellItem* item) {
    wchar_t* name = nullptr;
    if (!item || FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, &name)) || !name)
        return {};
    std::wstring path = name;
    CoTaskMemFree(name);
    return path;
}

// A COM interface has no virtual destructor: its objects go through Release, never
// through delete on the interface.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

// Listens to one call of the shell. Lives on the stack of that call: its reference count
// owns nothing.
class CSink final : public IFileOperationProgressSink {
public:
    explicit CSink(const std::vector<ShellFile*>& files) : m_files(files), m_heard(files.size()) {
        for (std::size_t i = 0; i < files.size(); ++i)
            m_byPath.emplace(files[i]->plain, i);
    }
    const Heard& Of(std::size_t i) const { return m_heard[i]; }

    HRESULT STDMETHODCALLTYPE PreDeleteItem(DWORD, IShellItem* item) override {
        const std::size_t i = Find(item);
        if (i == kNone)
            return E_ABORT; // not a file the program gave: the call goes no further
        // Right before the shell acts: still the very file, and not a folder.
        WinFileInfo info;
        if (const char* reason = CheckEntry(m_files[i]->longPath, &m_files[i]->identity, info)) {
            m_heard[i].refused = reason;
            return HRESULT_FROM_WIN32(ERROR_CANCELLED);
        }
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE PostDeleteItem(DWORD, IShellItem* item, HRESULT result,
                                             IShellItem* inBin) override {
        const std::size_t i = Find(item);
        if (i == kNone)
            return S_OK;
        Heard& heard = m_heard[i];
        heard.posted = true;
        heard.result = result;
        heard.inBin = inBin != nullptr;
        heard.swapped = inBin && !IsTheFile(inBin, m_files[i]->identity);
        return S_OK;
    }

    // IUnknown, and the rest of the interface, which says nothing the program needs.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
        if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IFileOperationProgressSink)) {
            *object = static_cast<IFileOperationProgressSink*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE StartOperations() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE FinishOperations(HRESULT) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PreRenameItem(DWORD, IShellItem*, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PostRenameItem(DWORD, IShellItem*, LPCWSTR, HRESULT,
                                             IShellItem*) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE PreMoveItem(DWORD, IShellItem*, IShellItem*, LPCWSTR) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE PostMoveItem(DWORD, IShellItem*, IShellItem*, LPCWSTR, HRESULT,
                                           IShellItem*) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE PreCopyItem(DWORD, IShellItem*, IShellItem*, LPCWSTR) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE PostCopyItem(DWORD, IShellItem*, IShellItem*, LPCWSTR, HRESULT,
                                           IShellItem*) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE PreNewItem(DWORD, IShellItem*, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PostNewItem(DWORD, IShellItem*, LPCWSTR, LPCWSTR, DWORD, HRESULT,
                                          IShellItem*) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE UpdateProgress(UINT, UINT) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ResetTimer() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PauseTimer() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ResumeTimer() override { return S_OK; }

private:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    std::size_t Find(IShellItem* item) const {
        const std::wstring path = FileSystemPath(item);
        if (const auto found = m_byPath.find(path); found != m_byPath.end())
            return found->second;
        // The shell may give a name back in other capitals than it was given.
        for (std::size_t i = 0; i < m_files.size(); ++i)
            if (CompareStringOrdinal(path.c_str(), -1, m_files[i]->plain.c_str(), -1, TRUE) ==
                CSTR_EQUAL)
                return i;
        return kNone;
    }

    // False when the item the shell put in the recycle bin is known to be another file
    // than the one checked, or a folder.
    static bool IsTheFile(IShellItem* inBin, const FileIdentity& identity) {
        const std::wstring path = FileSystemPath(inBin);
        const CWinHandle file =
            path.empty() ? CWinHandle() : OpenToLook(LongPath(Utf8FromWide(path)));
        WinFileInfo info;
        if (!file || !QueryInfo(file.Get(), info))
            return true; // it cannot be told
        return FileIdentity{info.volume, info.index} == identity &&
               !IsWalkedFolder(info.attributes, info.reparseTag);
    }

    const std::vector<ShellFile*>& m_files;
    std::vector<Heard> m_heard;
    std::map<std::wstring, std::size_t> m_byPath;
};

#pragma GCC diagnostic pop

TrashResult Settle(const ShellFile& file, const Heard& heard) {
    if (heard.refused)
        return NotMoved(file.path, heard.refused);
    const std::string code =
        CodeText("the shell's answer", static_cast<unsigned long>(heard.result));
    if (SUCCEEDED(heard.result) && heard.inBin)
        return heard.swapped ? NotMoved(file.path, kReasonSwappedIntoTrash) : Moved(file.path);
    if (StillThere(file.longPath, file.identity))
        return NotMoved(file.path,
                        FAILED(heard.result) ? ReasonForResult(heard.result) : kReasonBinRefused,
                        code);
    if (SUCCEEDED(heard.result))
        return NotMoved(file.path, kReasonDeletedPermanently,
                        "the shell deleted it instead of moving it to the recycle bin");
    return NotMoved(file.path, ReasonForResult(heard.result), code);
}

class CFileOperationShell : public CRecycleShell {
public:
    CFileOperationShell(HWND owner, FileOperationMaker make)
        : m_owner(owner), m_make(std::move(make)) {
        const HRESULT com =
            CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
        m_uninitialize = SUCCEEDED(com);
        m_works = m_uninitialize && FindFlags();
    }
    ~CFileOperationShell() override {
        if (m_uninitialize)
            CoUninitialize();
    }
    bool Works() const { return m_works; }

    void Recycle(std::vector<ShellFile>& files) override {
        std::vector<ShellFile*> pending;
        for (ShellFile& file : files)
            pending.push_back(&file);
        while (!pending.empty())
            pending = Round(pending);
    }

private:
    // Without the shell's own confirmation and progress window (the program shows its
    // own), but with its warning before a file would be deleted for good, which
    // CNoShellQuestions refuses; without "connected files" (page_files with page.htm).
    static constexpr DWORD kFlags = FOF_ALLOWUNDO | FOF_WANTNUKEWARNING | FOF_NOCONFIRMATION |
                                    FOF_NOERRORUI | FOF_SILENT | FOF_NO_CONNECTED_ELEMENTS;

    // The flags, with "recycle on delete" where the system knows it (Windows 8 and later).
    bool FindFlags() {
        IFileOperation* probe = nullptr;
        if (FAILED(m_make(&probe)) || !probe)
            return false;
        for (const DWORD flags : {kFlags | FOFX_RECYCLEONDELETE, kFlags}) {
            if (SUCCEEDED(probe->SetOperationFlags(flags))) {
                m_flags = flags;
                probe->Release();
                return true;
            }
        }
        probe->Release();
        return false;
    }

    // One call for the pending files; returns those it did not reach.
    std::vector<ShellFile*> Round(const std::vector<ShellFile*>& pending) {
        CSink sink(pending);
        HRESULT result = E_FAIL;
        IFileOperation* operation = nullptr;
        if (SUCCEEDED(m_make(&operation)) && operation) {
            result = Perform(*operation, sink, pending);
            operation->Release();
        }
        ++m_calls;
        std::vector<ShellFile*> unreached;
        bool reached = false;
        for (std::size_t i = 0; i < pending.size(); ++i) {
            ShellFile& file = *pending[i];
            const Heard& heard = sink.Of(i);
            if (!file.result.path.empty())
                continue; // settled before the call
            if (heard.refused || heard.posted) {
                file.result = Settle(file, heard);
                reached = true;
            } else {
                unreached.push_back(&file);
            }
        }
        if (reached)
            return unreached;
        // A call that reached no file at all: it will not reach them the next time either.
        for (ShellFile* file : unreached)
            file->result =
                NotMoved(file->path, ReasonForResult(result),
                         CodeText("the shell's answer", static_cast<unsigned long>(result)));
        return {};
    }

    HRESULT Perform(IFileOperation& operation, CSink& sink, const std::vector<ShellFile*>& files) {
        DWORD cookie = 0;
        HRESULT result = operation.Advise(&sink, &cookie);
        if (SUCCEEDED(result))
            result = operation.SetOperationFlags(m_flags);
        if (SUCCEEDED(result) && m_owner)
            result = operation.SetOwnerWindow(m_owner);
        for (ShellFile* file : files) {
            IShellItem* item = nullptr;
            const HRESULT made =
                SUCCEEDED(result)
                    ? SHCreateItemFromParsingName(file->plain.c_str(), nullptr, IID_PPV_ARGS(&item))
                    : result;
            if (SUCCEEDED(made))
                operation.DeleteItem(item, nullptr);
            else if (SUCCEEDED(result))
                file->result =
                    NotMoved(file->path, ReasonForResult(made),
                             CodeText("the shell's answer", static_cast<unsigned long>(made)));
            if (item)
                item->Release();
        }
        if (SUCCEEDED(result)) {
            const CNoShellQuestions noQuestions;
            result = operation.PerformOperations();
        }
        operation.Unadvise(cookie);
        return result;
    }

    HWND m_owner;
    FileOperationMaker m_make;
    DWORD m_flags = kFlags;
    bool m_uninitialize = false;
    bool m_works = false;
};

HRESULT MakeSystemOperation(IFileOperation** operation) {
    return CoCreateInstance(CLSID_FileOperation, nullptr, CLSCTX_ALL, IID_PPV_ARGS(operation));
}

} // namespace

std::unique_ptr<CRecycleShell> MakeFileOperationShell(HWND owner, FileOperationMaker make) {
    auto shell = std::make_unique<CFileOperationShell>(
        owner, make ? std::move(make) : FileOperationMaker(MakeSystemOperation));
    if (!shell->Works())
        return nullptr;
    return shell;
}

std::unique_ptr<CRecycleShell> MakeRecycleShell(HWND owner) {
    if (auto shell = MakeFileOperationShell(owner))
        return shell;
    return MakeListShell(owner);
}
