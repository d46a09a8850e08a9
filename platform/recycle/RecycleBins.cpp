#include "platform/recycle/RecycleBins.h"

#include "platform/recycle/Reasons.h"
#include "platform/recycle/ShellCalls.h"

#include <algorithm>
#include <cwctype>

namespace {

const char* DriveKind(UINT type) {
    switch (type) {
    case DRIVE_REMOVABLE:
        return "it is a removable drive";
    case DRIVE_REMOTE:
        return "it is a network drive";
    case DRIVE_CDROM:
        return "it is a CD or DVD drive";
    case DRIVE_RAMDISK:
        return "it is a RAM disk";
    default:
        return "the system cannot tell what kind of drive it is";
    }
}

bool ReadDword(HKEY top, const std::wstring& key, const wchar_t* name, DWORD& value) {
    DWORD size = sizeof value;
    return RegGetValueW(top, key.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value, &size) ==
           ERROR_SUCCESS;
}

bool PolicyTurnsBinOff() {
    const std::wstring key = L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
    DWORD off = 0;
    return (ReadDword(HKEY_CURRENT_USER, key, L"NoRecycleFiles", off) && off) ||
           (ReadDword(HKEY_LOCAL_MACHINE, key, L"NoRecycleFiles", off) && off);
}

// The user's recycle-bin settings of root's volume, under its GUID ("{...}").
std::wstring VolumeSettingsKey(const std::wstring& root) {
    wchar_t volume[64] = {};
    if (!GetVolumeNameForVolumeMountPointW(root.c_str(), volume, 64))
        return {};
    // The volume's name is \\?\Volume{GUID}\.
    const std::wstring name = volume;
    const std::size_t open = name.find(L'{'), close = name.find(L'}');
    if (open == std::wstring::npos || close == std::wstring::npos || close < open)
        return {};
    return L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\BitBucket\\Volume\\" +
           name.substr(open, close - open + 1);
}

std::wstring VolumeRoot(const std::wstring& folder) {
    std::wstring root(folder.size() + 2, L'\0');
    if (!GetVolumePathNameW(folder.c_str(), root.data(), static_cast<DWORD>(root.size())))
        return folder.substr(0, 3);
    root.resize(root.find(L'\0'));
    return root;
}

} // namespace

BinVerdict DecideBin(const std::wstring& root) {
    BinVerdict verdict;
    if (const UINT type = GetDriveTypeW(root.c_str()); type != DRIVE_FIXED) {
        verdict.detail = DriveKind(type);
        return verdict;
    }
    if (PolicyTurnsBinOff()) {
        verdict.detail = "a policy of this computer turns the recycle bin off";
        return verdict;
    }
    if (const std::wstring key = VolumeSettingsKey(root); !key.empty()) {
        DWORD value = 0;
        if (ReadDword(HKEY_CURRENT_USER, key, L"NukeOnDelete", value) && value) {
            verdict.detail = "its recycle bin is set to remove files immediately";
            return verdict;
        }
        if (ReadDword(HKEY_CURRENT_USER, key, L"MaxCapacity", value))
            verdict.maxBytes = std::uint64_t{value} << 20;
    }
    if (const HRESULT bin = QueryRecycleBin(root); FAILED(bin)) {
        verdict.detail = CodeText("the system found no recycle bin there: its answer was",
                                  static_cast<unsigned long>(bin));
        return verdict;
    }
    verdict.takes = true;
    return verdict;
}

const BinVerdict& CRecycleBins::Of(const std::wstring& folder) {
    std::wstring root = VolumeRoot(folder);
    std::transform(root.begin(), root.end(), root.begin(),
                   [](wchar_t c) { return static_cast<wchar_t>(std::towupper(c)); });
    if (const auto found = m_verdicts.find(root); found != m_verdicts.end())
        return found->second;
    return m_verdicts.emplace(root, DecideBin(root)).first->second;
}
