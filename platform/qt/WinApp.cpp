// CWinApp on Qt: the profile store in QSettings, the icons, the entry.
#include "platform/window/WinApp.h"

#include "platform/core/Wnd.h"
#include "platform/qt/Handles.h"
#include "platform/qt/QtText.h"
#include "platform/qt/QtWaitCursor.h"
#include "platform/window/Resources.h"

#include <QApplication>
#include <QIcon>
#include <QSettings>

#include <algorithm>
#include <climits>
#include <map>
#include <memory>
#include <string_view>
#include <vector>

namespace {

// Icons stay loaded until the toolkit shuts down, like shared icons of a resource file.
std::map<UINT, std::unique_ptr<QIcon>>& IconCache() {
    static std::map<UINT, std::unique_ptr<QIcon>> cache;
    return cache;
}

void ReleaseIcons() {
    IconCache().clear();
}

QString Text(const char* text) {
    return ToQString(text ? text : "");
}

QString Key(const char* section, const char* entry) {
    return Text(section) + QLatin1Char('/') + Text(entry);
}

// A stored width or count is a whole number from 0 to INT_MAX; anything else is not ours.
bool ParseStoredInt(const QVariant& value, int& out) {
    const QString text = value.toString().trimmed();
    if (text.isEmpty() || text.size() > 10)
        return false;
    long long n = 0;
    for (const QChar ch : text) {
        if (ch < u'0' || ch > u'9')
            return false;
        n = n * 10 + (ch.unicode() - u'0');
    }
    if (n > INT_MAX)
        return false;
    out = static_cast<int>(n);
    return true;
}

std::unique_ptr<QSettings> OpenStore(const CWinApp& app) {
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       Text(app.m_pszRegistryKey), Text(app.m_pszProfileName));
}
} // namespace

int CWinApp::GetProfileInt(const char* section, const char* entry, int nDefault) {
    const auto store = OpenStore(*this);
    const QVariant value = store->value(Key(section, entry));
    int result = 0;
    if (!value.isValid() || !ParseStoredInt(value, result))
        return nDefault;
    return result;
}

BOOL CWinApp::WriteProfileInt(const char* section, const char* entry, int value) {
    const auto store = OpenStore(*this);
    store->setValue(Key(section, entry), value);
    store->sync();
    return store->status() == QSettings::NoError ? TRUE : FALSE;
}

BOOL CWinApp::WriteProfileString(const char* section, const char* entry, const char* value) {
    const auto store = OpenStore(*this);
    const QByteArray bytes(value ? value : "");
    const QString text = QString::fromUtf8(bytes);
    // A folder name need not be valid UTF-8; such a value is kept as raw bytes rather
    // than written with replacement characters.
    if (text.toUtf8() == bytes)
        store->setValue(Key(section, entry), text);
    else
        store->setValue(Key(section, entry), bytes);
    store->sync();
    return store->status() == QSettings::NoError ? TRUE : FALSE;
}

HICON CWinApp::LoadIcon(UINT id) const {
    auto& cache = IconCache();
    if (const auto found = cache.find(id); found != cache.end())
        return HandleOf(found->second.get());
    auto icon = std::make_unique<QIcon>();
    for (const IconImageResource& image : AfxIconImages())
        if (image.id == id)
            icon->addFile(Text(image.path));
    if (icon->isNull())
        return nullptr;
    if (cache.empty())
        qAddPostRoutine(ReleaseIcons);
    QIcon* handle = icon.get();
    cache.emplace(id, std::move(icon));
    return HandleOf(handle);
}

int AfxWinMain(int argc, char* argv[]) {
    // Qt takes its options from anywhere in the line, "--" or not: what follows "--" is the
    // program's alone, and Qt sees only what comes before.
    const int end = static_cast<int>(
        std::find_if(argv, argv + argc,
                     [](const char* arg) { return std::string_view(arg) == "--"; }) -
        argv);
    int toolkitArgc = end;
    QApplication application(toolkitArgc, argv);
    // The program ends when its main dialog's run ends, not when a window closes.
    QApplication::setQuitOnLastWindowClosed(false);
    CQtWaitCursor waitCursor;
    SetWaitCursorService(&waitCursor);
    int status = 0;
    if (CWinApp* app = AfxGetApp()) {
        // What is left once the toolkit has taken its own options out, then "--" and the
        // rest as they were.
        std::vector<const char*> arguments(argv, argv + toolkitArgc);
        arguments.insert(arguments.end(), argv + end, argv + argc);
        app->SetArguments(static_cast<int>(arguments.size()), arguments.data());
        app->InitApplication();
        if (app->InitInstance())
            QApplication::exec();
        status = app->ExitInstance();
    }
    SetWaitCursorService(nullptr);
    return status;
}
