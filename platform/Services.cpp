#include "platform/Services.h"

#include "platform/Wnd.h"

#include <QApplication>
#include <QDesktopServices>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QUrl>

namespace {

QWidget* WidgetOf(const CWnd* wnd) {
    return wnd ? reinterpret_cast<QWidget*>(wnd->GetSafeHwnd()) : nullptr;
}

class CQtMessageBox final : public IMessageBoxService {
public:
    int Show(const MessageBoxRequest& request) override {
        if (!qApp)
            return 0;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        switch (request.type & MB_ICONMASK) {
        case MB_ICONERROR:
            icon = QMessageBox::Critical;
            break;
        case MB_ICONQUESTION:
            icon = QMessageBox::Question;
            break;
        case MB_ICONEXCLAMATION:
            icon = QMessageBox::Warning;
            break;
        case MB_ICONINFORMATION:
            icon = QMessageBox::Information;
            break;
        default:
            break;
        }
        QMessageBox::StandardButtons buttons = QMessageBox::Ok;
        switch (request.type & MB_TYPEMASK) {
        case MB_OKCANCEL:
            buttons = QMessageBox::Ok | QMessageBox::Cancel;
            break;
        case MB_YESNOCANCEL:
            buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
            break;
        case MB_YESNO:
            buttons = QMessageBox::Yes | QMessageBox::No;
            break;
        default:
            break;
        }
        QWidget* owner = WidgetOf(request.owner);
        QMessageBox box(icon, QString::fromUtf8(request.caption.GetString()),
                        QString::fromUtf8(request.text.GetString()), buttons,
                        owner ? owner->window() : nullptr);
        box.setTextFormat(Qt::PlainText);
        // Only the owner is blocked, as with any window the dialogs own.
        box.setWindowModality(owner ? Qt::WindowModal : Qt::ApplicationModal);
        switch (box.exec()) {
        case QMessageBox::Ok:
            return IDOK;
        case QMessageBox::Cancel:
            return IDCANCEL;
        case QMessageBox::Yes:
            return IDYES;
        case QMessageBox::No:
            return IDNO;
        default:
            return 0;
        }
    }
};

class CQtShellExecute final : public IShellExecuteService {
public:
    bool Execute(const CString&, const CString& file, int) override {
        // The desktop decides how to open it (a browser for an address); it has no notion
        // of a maximised window.
        const QUrl url = QUrl::fromUserInput(QString::fromUtf8(file.GetString()));
        return url.isValid() && QDesktopServices::openUrl(url);
    }
};

class CQtFolderChooser final : public IFolderChooserService {
public:
    bool Browse(const BROWSEINFO& info, CString& path) override {
        if (!qApp || m_open)
            return false;
        // No owner and no modality: the main window stays usable while it is open.
        QFileDialog dialog(nullptr, QString::fromUtf8(info.lpszTitle.GetString()));
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly, true);
        // The toolkit's own chooser reports its selection changes; a desktop-native one
        // may not.
        dialog.setOption(QFileDialog::DontUseNativeDialog, true);
        dialog.setWindowModality(Qt::NonModal);
        m_open = &dialog;
        const HWND handle = reinterpret_cast<HWND>(static_cast<QWidget*>(&dialog));
        if (info.lpfn) {
            QObject::connect(&dialog, &QFileDialog::currentChanged, &dialog,
                             [&info, handle](const QString& selected) {
                                 const QByteArray bytes = QFile::encodeName(selected);
                                 info.lpfn(handle, BFFM_SELCHANGED,
                                           reinterpret_cast<LPARAM>(bytes.constData()),
                                           info.lParam);
                             });
        }
        QEventLoop loop;
        QObject::connect(&dialog, &QDialog::finished, &loop, &QEventLoop::quit);
        dialog.show();
        if (info.lpfn)
            info.lpfn(handle, BFFM_INITIALIZED, 0, info.lParam);
        if (dialog.isVisible())
            loop.exec(QEventLoop::DialogExec);
        m_open = nullptr;
        if (dialog.result() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return false;
        const QByteArray bytes = QFile::encodeName(dialog.selectedFiles().constFirst());
        path = CString(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        return true;
    }

    bool IsOpen() const override { return !m_open.isNull(); }

    void Raise() override {
        if (m_open) {
            m_open->raise();
            m_open->activateWindow();
        }
    }

    void CloseAll() override {
        if (m_open)
            m_open->reject();
    }

    LRESULT SendChooserMessage(HWND chooser, UINT message, WPARAM, LPARAM lParam) override {
        if (!m_open || reinterpret_cast<HWND>(static_cast<QWidget*>(m_open.data())) != chooser)
            return 0;
        const auto* text = reinterpret_cast<const char*>(lParam);
        if (message == BFFM_SETSELECTIONA && text && *text)
            m_open->setDirectory(QFile::decodeName(text));
        // BFFM_SETSTATUSTEXTA: the chooser has no status line, so the text is not shown.
        return 0;
    }

private:
    QPointer<QFileDialog> m_open;
};

CQtMessageBox g_defaultMessageBox;
CQtShellExecute g_defaultShellExecute;
CQtFolderChooser g_defaultFolderChooser;
IMessageBoxService* g_messageBox = &g_defaultMessageBox;
IShellExecuteService* g_shellExecute = &g_defaultShellExecute;
IFolderChooserService* g_folderChooser = &g_defaultFolderChooser;

} // namespace

IMessageBoxService& MessageBoxService() {
    return *g_messageBox;
}
void SetMessageBoxService(IMessageBoxService* service) {
    g_messageBox = service ? service : &g_defaultMessageBox;
}

IShellExecuteService& ShellExecuteService() {
    return *g_shellExecute;
}
void SetShellExecuteService(IShellExecuteService* service) {
    g_shellExecute = service ? service : &g_defaultShellExecute;
}

LPARAM ShellExecute(HWND, const char* verb, const char* file, const char*, const char*,
                    int showCommand) {
    const bool ok = ShellExecuteService().Execute(CString(verb ? verb : ""),
                                                  CString(file ? file : ""), showCommand);
    return ok ? 42 : 0;
}

IFolderChooserService& FolderChooserService() {
    return *g_folderChooser;
}
void SetFolderChooserService(IFolderChooserService* service) {
    g_folderChooser = service ? service : &g_defaultFolderChooser;
}
