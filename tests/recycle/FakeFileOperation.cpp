#include "tests/recycle/FakeFileOperation.h"

#include <shobjidl.h>

#include <vector>

namespace {

std::wstring PathOf(IShellItem* item) {
    wchar_t* name = nullptr;
    if (FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, &name)))
        return {};
    std::wstring path = name;
    CoTaskMemFree(name);
    return path;
}

void Replace(const std::wstring& path) {
    const std::wstring other = path + L".other";
    const HANDLE file = CreateFileW(other.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    CloseHandle(file);
    MoveFileExW(other.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

class CFakeOperation final : public IFileOperation {
public:
    CFakeOperation(FakeScript script, std::wstring bin)
        : m_script(std::move(script)), m_bin(std::move(bin)) {}

    HRESULT STDMETHODCALLTYPE Advise(IFileOperationProgressSink* sink, DWORD* cookie) override {
        m_sink = sink;
        *cookie = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD) override {
        m_sink = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetOperationFlags(DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetOwnerWindow(HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DeleteItem(IShellItem* item, IFileOperationProgressSink*) override {
        m_paths.push_back(PathOf(item));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE PerformOperations() override {
        for (const std::wstring& path : m_paths)
            if (!Do(path))
                return COPYENGINE_E_USER_CANCELLED;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
        *object = IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IFileOperation)
                      ? static_cast<IFileOperation*>(this)
                      : nullptr;
        if (!*object)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_references; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --m_references;
        if (left == 0)
            delete this;
        return left;
    }

    // What the executor does not use.
    HRESULT STDMETHODCALLTYPE SetProgressMessage(LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetProgressDialog(IOperationsProgressDialog*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetProperties(IPropertyChangeArray*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ApplyPropertiesToItem(IShellItem*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ApplyPropertiesToItems(IUnknown*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RenameItem(IShellItem*, LPCWSTR,
                                         IFileOperationProgressSink*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE RenameItems(IUnknown*, LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE MoveItem(IShellItem*, IShellItem*, LPCWSTR,
                                       IFileOperationProgressSink*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE MoveItems(IUnknown*, IShellItem*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CopyItem(IShellItem*, IShellItem*, LPCWSTR,
                                       IFileOperationProgressSink*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CopyItems(IUnknown*, IShellItem*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DeleteItems(IUnknown*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE NewItem(IShellItem*, DWORD, LPCWSTR, LPCWSTR,
                                      IFileOperationProgressSink*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetAnyOperationsAborted(BOOL* aborted) override {
        *aborted = FALSE;
        return S_OK;
    }

private:
    // False when the listener stopped the call.
    bool Do(const std::wstring& path) {
        IShellItem* item = nullptr;
        if (FAILED(SHCreateItemFromParsingName(path.c_str(), nullptr, IID_PPV_ARGS(&item))))
            return false;
        const std::wstring name = path.substr(path.find_last_of(L'\\') + 1);
        const FakeAct act = m_script(name);
        if (act == FakeAct::SwapBefore)
            Replace(path);
        if (FAILED(m_sink->PreDeleteItem(TSF_DELETE_RECYCLE_IF_POSSIBLE, item))) {
            item->Release();
            return false;
        }
        HRESULT result = S_OK;
        IShellItem* inBin = nullptr;
        const std::wstring binPath = m_bin + L"\\" + name;
        if (act == FakeAct::Destroy) {
            DeleteFileW(path.c_str());
        } else if (act == FakeAct::Refuse) {
            result = COPYENGINE_E_USER_CANCELLED;
        } else if (MoveFileW(path.c_str(), binPath.c_str())) {
            if (act == FakeAct::SwapInBin)
                Replace(binPath);
            SHCreateItemFromParsingName(binPath.c_str(), nullptr, IID_PPV_ARGS(&inBin));
        }
        m_sink->PostDeleteItem(TSF_DELETE_RECYCLE_IF_POSSIBLE, item, result, inBin);
        if (inBin)
            inBin->Release();
        item->Release();
        return true;
    }

    FakeScript m_script;
    std::wstring m_bin;
    IFileOperationProgressSink* m_sink = nullptr;
    std::vector<std::wstring> m_paths;
    ULONG m_references = 1;
};

#pragma GCC diagnostic pop

} // namespace

HRESULT MakeFakeFileOperation(IFileOperation** operation, FakeScript script,
                              std::wstring binFolder) {
    *operation = new CFakeOperation(std::move(script), std::move(binFolder));
    return S_OK;
}
