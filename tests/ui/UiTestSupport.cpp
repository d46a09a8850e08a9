#include "tests/ui/UiTestSupport.h"

#include "platform/qt/Handles.h"

#include "platform/window/Dialog.h"
#include "platform/window/WinApp.h"
#include "res/version.h"
#include "ui/RaveZivuredDlg.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>
#include <QWidget>

#include <memory>
#include <utility>

#include <gtest/gtest.h>

CScriptedMessageBox::CScriptedMessageBox() {
    SetMessageBoxService(this);
}
CScriptedMessageBox::~CScriptedMessageBox() {
    SetMessageBoxService(nullptr);
}

int CScriptedMessageBox::Show(const MessageBoxRequest& request) {
    asked.push_back(request);
    if (whileShown)
        std::exchange(whileShown, nullptr)();
    if (answers.empty())
        return IDOK;
    const int answer = answers.front();
    answers.pop_front();
    return answer;
}

CRecordingShell::CRecordingShell() {
    SetShellExecuteService(this);
}
CRecordingShell::~CRecordingShell() {
    SetShellExecuteService(nullptr);
}

bool CRecordingShell::Execute(const CString& verb, const CString& file, int showCommand) {
    calls.push_back(Call{verb, file, showCommand});
    return true;
}

CCancellingChooser::CCancellingChooser() {
    SetFolderChooserService(this);
}
CCancellingChooser::~CCancellingChooser() {
    SetFolderChooserService(nullptr);
}

bool CCancellingChooser::Browse(const BROWSEINFO&, CString&) {
    ++opened;
    return false;
}

CScriptedChooser::CScriptedChooser() {
    SetFolderChooserService(this);
}
CScriptedChooser::~CScriptedChooser() {
    SetFolderChooserService(nullptr);
}

bool CScriptedChooser::Browse(const BROWSEINFO& info, CString& path) {
    opened.push_back(info);
    std::optional<CString> answer;
    if (!answers.empty()) {
        answer = answers.front();
        answers.pop_front();
    }
    m_open = true;
    m_closed = false;
    const HWND handle = reinterpret_cast<HWND>(this);
    if (info.lpfn) {
        info.lpfn(handle, BFFM_INITIALIZED, 0, info.lParam);
        if (answer)
            info.lpfn(handle, BFFM_SELCHANGED, reinterpret_cast<LPARAM>(answer->GetString()),
                      info.lParam);
    }
    if (whileOpen) {
        const std::function<void()> script = std::exchange(whileOpen, nullptr);
        QEventLoop loop;
        m_loop = &loop;
        QTimer::singleShot(0, &loop, [&] {
            script();
            loop.quit();
        });
        loop.exec();
        m_loop = nullptr;
    }
    m_open = false;
    if (m_closed || !answer)
        return false;
    path = *answer;
    return true;
}

void CScriptedChooser::CloseAll() {
    if (!m_open)
        return;
    ++closedWhileOpen;
    m_closed = true;
    if (m_loop)
        m_loop->quit();
}

LRESULT CScriptedChooser::SendChooserMessage(HWND chooser, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
    EXPECT_EQ(chooser, reinterpret_cast<HWND>(this)) << "a request to another chooser";
    const auto* text = reinterpret_cast<const char*>(lParam);
    sent.push_back(Sent{message, wParam, CString(text ? text : "")});
    return 0;
}

bool ProcessEventsUntil(const std::function<bool()>& done, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

int RunModal(CDialog& dialog, const std::function<void()>& script) {
    QTimer::singleShot(0, [&dialog, &script] {
        script();
        if (dialog.IsWindowVisible())
            dialog.EndDialog(kLeftRunning);
    });
    return dialog.DoModal();
}

int RunMainWindow(const std::function<void(CRaveZivuredDlg&)>& script) {
    CRaveZivuredDlg dlg;
    AfxGetApp()->m_pMainWnd = &dlg;
    const int result = RunModal(dlg, [&] { script(dlg); });
    AfxGetApp()->m_pMainWnd = nullptr;
    return result;
}

void WhenAppears(const std::function<QWidget*()>& find, const std::function<void(QWidget*)>& script,
                 int tries) {
    auto* timer = new QTimer;
    auto left = std::make_shared<int>(tries);
    QObject::connect(timer, &QTimer::timeout, [timer, find, script, left] {
        QWidget* found = find();
        if (!found && --*left > 0)
            return;
        timer->stop();
        timer->deleteLater();
        if (found)
            script(found);
        else
            ADD_FAILURE() << "the expected window never appeared";
    });
    timer->start(10);
}

void WhenModalWindowAppears(const std::function<void(QWidget*)>& script) {
    WhenAppears([] { return QApplication::activeModalWidget(); }, script);
}

void WhenPopupAppears(const std::function<void(QWidget*)>& script) {
    WhenAppears([] { return QApplication::activePopupWidget(); }, script);
}

QWidget* Widget(HWND handle) {
    return WidgetOf(handle);
}
QWidget* Window(const CDialog& dialog) {
    return Widget(dialog.GetSafeHwnd());
}

namespace {
std::unique_ptr<QSettings> Store() {
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral(RZ_MAKER_DOMAIN),
                                       QStringLiteral(RZ_APP_TITLE));
}
} // namespace

QString SettingsFilePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/" RZ_MAKER_DOMAIN "/" RZ_APP_TITLE ".conf");
}

void ClearSettings() {
    const auto store = Store();
    store->clear();
    store->sync();
}

void StoreSetting(const char* name, const QVariant& value) {
    const auto store = Store();
    store->setValue(QStringLiteral("Settings/") + QLatin1String(name), value);
    store->sync();
}

QVariant StoredSetting(const char* name) {
    return Store()->value(QStringLiteral("Settings/") + QLatin1String(name));
}

bool HasSetting(const char* name) {
    return Store()->contains(QStringLiteral("Settings/") + QLatin1String(name));
}
