// The resources windres compiled into the Windows executable from Dialogs.inc and
// version.h must say what the C++ tables built from the same lines say, and the manifest
// must bring version 6 of the common controls and ask for per-monitor DPI awareness.
#include "platform/core/WideText.h"
#include "platform/window/Resources.h"
#include "res/ProgramResources.h"
#include "res/version.h"

#include <gtest/gtest.h>

#include <cstring>
#include <regex>
#include <string>
#include <vector>

namespace {

// Reads a DLGTEMPLATEEX and its items in the order they are laid out.
class TemplateReader {
public:
    explicit TemplateReader(const void* data) : m_p(static_cast<const BYTE*>(data)) {}
    WORD Word() { return Take<WORD>(); }
    DWORD Dword() { return Take<DWORD>(); }
    short Short() { return Take<short>(); }
    // A string, or "#<n>" for an ordinal.
    std::wstring SzOrOrd() {
        const WORD first = Word();
        if (first == 0xFFFF)
            return L"#" + std::to_wstring(Word());
        std::wstring s;
        for (WORD c = first; c; c = Word())
            s += static_cast<wchar_t>(c);
        return s;
    }
    void AlignDword() {
        while (reinterpret_cast<std::uintptr_t>(m_p) % 4)
            ++m_p;
    }
    void Skip(std::size_t n) { m_p += n; }

private:
    template <class T> T Take() {
        T v;
        std::memcpy(&v, m_p, sizeof v);
        m_p += sizeof v;
        return v;
    }
    const BYTE* m_p;
};

// windres writes class names as upper-case strings (rc would write ordinals).
std::wstring ClassName(ControlKind kind) {
    switch (kind) {
    case ControlKind::PushButton:
        return L"BUTTON";
    case ControlKind::Edit:
        return L"EDIT";
    case ControlKind::Static:
    case ControlKind::Icon:
        return L"STATIC";
    case ControlKind::ListView:
        return L"SYSLISTVIEW32";
    case ControlKind::Progress:
        return L"MSCTLS_PROGRESS32";
    }
    return {};
}

std::wstring Upper(std::wstring text) {
    CharUpperW(text.data());
    return text;
}

void ExpectItem(TemplateReader& r, const DialogItemTemplate& item) {
    SCOPED_TRACE(std::string("item ") + item.text);
    r.AlignDword();
    r.Dword(); // help id
    EXPECT_EQ(r.Dword(), 0u);
    EXPECT_EQ(r.Dword(), item.style | WS_CHILD | WS_VISIBLE);
    EXPECT_EQ(r.Short(), item.x);
    EXPECT_EQ(r.Short(), item.y);
    EXPECT_EQ(r.Short(), item.cx);
    EXPECT_EQ(r.Short(), item.cy);
    EXPECT_EQ(static_cast<int>(r.Dword()), item.id);
    EXPECT_EQ(Upper(r.SzOrOrd()), ClassName(item.kind));
    const std::wstring text = WideFromUtf8(item.text);
    EXPECT_EQ(r.SzOrOrd(), item.kind == ControlKind::Icon ? L"#" + text : text);
    r.Skip(r.Word()); // creation data
}

TEST(ProgramResources, CompiledTemplatesMatchTheTables) {
    ASSERT_FALSE(ProgramResources().dialogs.empty());
    for (const DialogTemplate& d : ProgramResources().dialogs) {
        SCOPED_TRACE("dialog " + std::to_string(d.id));
        HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(d.id), RT_DIALOG);
        ASSERT_NE(found, nullptr);
        TemplateReader r(LockResource(LoadResource(nullptr, found)));
        EXPECT_EQ(r.Word(), 1);      // version
        EXPECT_EQ(r.Word(), 0xFFFF); // DLGTEMPLATEEX
        r.Dword();                   // help id
        EXPECT_EQ(r.Dword(), d.exStyle);
        EXPECT_EQ(r.Dword(), d.style);
        const WORD count = r.Word();
        ASSERT_EQ(count, d.items.size());
        EXPECT_EQ(r.Short(), 0);
        EXPECT_EQ(r.Short(), 0);
        EXPECT_EQ(r.Short(), d.cx);
        EXPECT_EQ(r.Short(), d.cy);
        EXPECT_EQ(r.SzOrOrd(), L""); // menu
        EXPECT_EQ(r.SzOrOrd(), L""); // class
        EXPECT_EQ(r.SzOrOrd(), WideFromUtf8(d.caption));
        EXPECT_EQ(r.Word(), d.pointSize);
        r.Skip(4); // weight, italic, character set
        EXPECT_EQ(r.SzOrOrd(), WideFromUtf8(d.fontName));
        for (const DialogItemTemplate& item : d.items)
            ExpectItem(r, item);
    }
}

TEST(ProgramResources, StringTableMatchesTheTable) {
    for (const StringResource& s : ProgramResources().strings) {
        const wchar_t* text = nullptr;
        const int n = LoadStringW(nullptr, s.id, reinterpret_cast<LPWSTR>(&text), 0);
        EXPECT_EQ(std::wstring(text, static_cast<std::size_t>(n)), WideFromUtf8(s.text)) << s.id;
    }
}

std::wstring VersionString(const std::vector<BYTE>& info, const wchar_t* name) {
    void* value = nullptr;
    UINT size = 0;
    const std::wstring path = std::wstring(LR"(\StringFileInfo\040904b0\)") + name;
    if (!VerQueryValueW(info.data(), path.c_str(), &value, &size) || !value)
        return L"(none)";
    return std::wstring(static_cast<const wchar_t*>(value));
}

TEST(ProgramResources, VersionInformationNamesTheRelease) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::vector<BYTE> info(GetFileVersionInfoSizeW(self, nullptr));
    ASSERT_FALSE(info.empty());
    ASSERT_TRUE(GetFileVersionInfoW(self, 0, static_cast<DWORD>(info.size()), info.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &size));
    const WORD binary[] = {RZ_VERSION_BINARY};
    EXPECT_EQ(fixed->dwFileVersionMS, static_cast<DWORD>(binary[0] << 16 | binary[1]));
    EXPECT_EQ(fixed->dwFileVersionLS, static_cast<DWORD>(binary[2] << 16 | binary[3]));
    EXPECT_EQ(VersionString(info, L"FileVersion"), WideFromUtf8(RZ_VERSION_TEXT));
    EXPECT_EQ(VersionString(info, L"ProductVersion"), WideFromUtf8(RZ_VERSION_TEXT));
    EXPECT_EQ(VersionString(info, L"OriginalFilename"), WideFromUtf8(RZ_ORIGINAL_FILENAME));
    EXPECT_EQ(VersionString(info, L"Comments"), WideFromUtf8(RZ_COMMENTS));
}

// A manifest that names the wrong processor quietly gives the old common controls (or,
// on Windows, no program at all): they come from the side-by-side store only with it.
TEST(ProgramResources, ManifestBringsCommonControlsSix) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
    ASSERT_TRUE(InitCommonControlsEx(&controls));
    wchar_t path[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameW(GetModuleHandleW(L"comctl32.dll"), path, MAX_PATH), 0u);
    EXPECT_NE(Upper(path).find(L"\\WINSXS\\"), std::wstring::npos) << Utf8FromWide(path);
}

// The manifest each program carries, as the system reads it from the executable: per
// monitor, version 2, where Windows knows it (dpiAwareness), per monitor on Windows 8.1
// (dpiAware "true/pm"). Wine has no per-monitor scaling to show, so the text is read.
TEST(ProgramResources, EachProgramIsPerMonitorDpiAwareVersionTwo) {
    for (const char* program : {RZ_WINDOW_EXE, RZ_SCAN_EXE}) {
        SCOPED_TRACE(program);
        const HMODULE module = LoadLibraryExW(WideFromUtf8(std::string("Z:") + program).c_str(),
                                              nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module, nullptr) << GetLastError();
        const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST);
        ASSERT_NE(found, nullptr);
        const std::string manifest(
            static_cast<const char*>(LockResource(LoadResource(module, found))),
            SizeofResource(module, found));
        FreeLibrary(module);
        const auto has = [&](const char* pattern) {
            return std::regex_search(manifest, std::regex(pattern));
        };
        EXPECT_TRUE(has(R"(<dpiAwareness xmlns="http://schemas.microsoft.com/SMI/2016/)"
                        R"(WindowsSettings">\s*PerMonitorV2\s*[,<])"))
            << manifest;
        EXPECT_TRUE(has(R"(<dpiAware xmlns="http://schemas.microsoft.com/SMI/2005/)"
                        R"(WindowsSettings">\s*true/pm\s*<)"))
            << manifest;
        // Read only where it belongs: in the application's windowsSettings.
        const std::size_t settings = manifest.find("<windowsSettings>");
        const std::size_t awareness = manifest.find("<dpiAwareness");
        EXPECT_LT(settings, awareness);
        EXPECT_LT(awareness, manifest.find("</windowsSettings>"));
    }
}

} // namespace
