#include "platform/window/Services.h"

#include "platform/core/ServiceSlot.h"
#include "platform/core/Wnd.h"
#include "platform/qt/Handles.h"
#include "platform/qt/QtText.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLayout>
#include <QListView>
#include <QMessageBox>
#include <QPointer>
#include <QSettings>
#include <QStringListModel>
#include <QTextEdit>
#include <QUrl>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

class CQtMessageBox final : public IMessageBoxService {
public:
    int Show(const MessageBoxRequest& request) override {
        if (!qApp)
            return 0;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        for (const auto& [type, qtIcon] : kIcons)
            if (type == (request.type & MB_ICONMASK))
                icon = qtIcon;
        QMessageBox::StandardButtons buttons = QMessageBox::Ok;
        for (const auto& [type, qtButtons] : kButtons)
            if (type == (request.type & MB_TYPEMASK))
                buttons = QMessageBox::StandardButtons::fromInt(qtButtons);
        QWidget* owner = request.owner ? WidgetOf(request.owner->GetSafeHwnd()) : nullptr;
        QMessageBox box(icon, ToQString(request.caption.view()), ToQString(request.text.view()),
                        buttons, owner ? owner->window() : nullptr);
        box.setTextFormat(Qt::PlainText);
        // Only the owner is blocked, as with any window the dialogs own.
        box.setWindowModality(owner ? Qt::WindowModal : Qt::ApplicationModal);
        if (request.details.text)
            OfferDetails(box, request.details);
        const int pressed = box.exec();
        for (const auto& [id, qtButton] : kResults)
            if (qtButton == pressed)
                return id;
        return 0;
    }

private:
    // The box's own details button, captioned as asked, fills the list the first time it
    // opens it: the box has a details button only while it has a detailed text, so it
    // starts with a stand-in one.
    static void OfferDetails(QMessageBox& box, const MessageBoxDetails& details) {
        box.setDetailedText(QStringLiteral(" "));
        QAbstractButton* button = nullptr;
        for (QAbstractButton* b : box.buttons())
            if (box.buttonRole(b) == QMessageBox::ActionRole)
                button = b;
        if (!button)
            return;
        button->setText(ToQString(details.showCaption.view()));
        QListView* list = ListInPlaceOfText(box);
        QObject::connect(
            button, &QAbstractButton::clicked, &box,
            [&box, button, &details, list, filled = false]() mutable {
                if (!filled) {
                    filled = true;
                    const QString text = ToQString(details.text());
                    if (list)
                        static_cast<QStringListModel*>(list->model())
                            ->setStringList(text.split(QLatin1Char('\n')));
                    else
                        box.setDetailedText(text);
                }
                // The box's own handler, which opens or closes the list and
                // puts its own caption on the button, runs after this one.
                QMetaObject::invokeMethod(
                    &box,
                    [&box, button, &details, list] {
                        button->setText(ToQString(
                            (ListOpen(box, list) ? details.hideCaption : details.showCaption)
                                .view()));
                    },
                    Qt::QueuedConnection);
            });
    }
    // The box shows its detailed text in a text field, which lays out every line as it is
    // set: a third of a second for 100,000 paths. A list view takes its place, one path a
    // row, drawing only the rows in sight, so the list opens at once however long it is.
    // Null, the text field kept, where the box is not built as expected.
    static QListView* ListInPlaceOfText(QMessageBox& box) {
        QTextEdit* field = box.findChild<QTextEdit*>();
        QWidget* holder = field ? field->parentWidget() : nullptr;
        QLayout* layout = holder ? holder->layout() : nullptr;
        if (!layout || layout->indexOf(field) < 0)
            return nullptr;
        auto* list = new QListView(holder);
        list->setModel(new QStringListModel(list));
        list->setUniformItemSizes(true);
        list->setEditTriggers(QAbstractItemView::NoEditTriggers);
        AddCopy(list);
        list->setFocusPolicy(field->focusPolicy());
        list->setMinimumHeight(field->minimumHeight());
        list->setMaximumHeight(field->maximumHeight());
        delete layout->replaceWidget(field, list);
        field->hide();
        return list;
    }
    // Ctrl+C in the list copies the selected paths (Ctrl+A selects them all), one a line,
    // as the text field's copy did; the view's own copy takes only the current row.
    class CCopyRows : public QObject {
    public:
        explicit CCopyRows(QListView* list) : QObject(list), m_list(list) {}

    protected:
        bool eventFilter(QObject* watched, QEvent* event) override {
            if (watched != m_list || event->type() != QEvent::KeyPress ||
                !static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy))
                return false;
            QModelIndexList rows = m_list->selectionModel()->selectedRows();
            std::sort(rows.begin(), rows.end());
            QStringList lines;
            for (const QModelIndex& row : rows)
                lines << row.data().toString();
            QGuiApplication::clipboard()->setText(lines.join(QLatin1Char('\n')));
            return true;
        }

    private:
        QListView* m_list;
    };
    static void AddCopy(QListView* list) {
        list->setSelectionMode(QAbstractItemView::ExtendedSelection);
        list->installEventFilter(new CCopyRows(list));
    }
    static bool ListOpen(const QMessageBox& box, const QListView* list) {
        if (list)
            return list->isVisible();
        const QTextEdit* field = box.findChild<QTextEdit*>();
        return field && field->isVisible();
    }

    static constexpr std::pair<UINT, QMessageBox::Icon> kIcons[] = {
        {MB_ICONERROR, QMessageBox::Critical},
        {MB_ICONQUESTION, QMessageBox::Question},
        {MB_ICONEXCLAMATION, QMessageBox::Warning},
        {MB_ICONINFORMATION, QMessageBox::Information},
    };
    static constexpr std::pair<UINT, QMessageBox::StandardButtons::Int> kButtons[] = {
        {MB_OKCANCEL, QMessageBox::Ok | QMessageBox::Cancel},
        {MB_YESNOCANCEL, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel},
        {MB_YESNO, QMessageBox::Yes | QMessageBox::No},
    };
    static constexpr std::pair<int, int> kResults[] = {
        {IDOK, QMessageBox::Ok},
        {IDCANCEL, QMessageBox::Cancel},
        {IDYES, QMessageBox::Yes},
        {IDNO, QMessageBox::No},
    };
};

class CQtShellExecute final : public IShellExecuteService {
public:
    bool Execute(const CString&, const CString& file, int) override {
        // The desktop decides how to open it (a browser for an address); it has no notion
        // of a maximised window.
        const QUrl url = QUrl::fromUserInput(ToQString(file.view()));
        return url.isValid() && QDesktopServices::openUrl(url);
    }
};

// Qt's file dialog writes the folders chosen and visited, and its view, to the toolkit's
// own settings file ($XDG_CONFIG_HOME/QtProject.conf, shared by every Qt program of the
// user) when it closes, and Qt offers no way to turn that off. The program keeps its
// column widths and last folder and nothing else, so for the life of this object the
// dialog's part of that file is kept as it was: when it goes, what the dialog wrote is
// taken back (the file removed when it did not exist before).
class CToolkitSettingsKeeper {
public:
    CToolkitSettingsKeeper() {
        QSettings settings(QSettings::UserScope, kOrganisation);
        m_existed = QFileInfo::exists(settings.fileName());
        settings.beginGroup(kGroup);
        for (const QString& key : settings.allKeys())
            m_values.emplace_back(key, settings.value(key));
    }
    ~CToolkitSettingsKeeper() {
        QSettings settings(QSettings::UserScope, kOrganisation);
        if (!m_existed) {
            const QString file = settings.fileName();
            settings.clear();
            settings.sync();
            QFile::remove(file);
            return;
        }
        settings.remove(kGroup);
        settings.beginGroup(kGroup);
        for (const auto& [key, value] : m_values)
            settings.setValue(key, value);
    }
    CToolkitSettingsKeeper(const CToolkitSettingsKeeper&) = delete;
    CToolkitSettingsKeeper& operator=(const CToolkitSettingsKeeper&) = delete;

private:
    static constexpr const char* kOrganisation = "QtProject";
    static constexpr const char* kGroup = "FileDialog";
    bool m_existed = false;
    std::vector<std::pair<QString, QVariant>> m_values;
};

class CQtFolderChooser final : public IFolderChooserService {
public:
    bool Browse(const BROWSEINFO& info, CString& path) override {
        if (!qApp || m_open)
            return false;
        // Declared before the dialog: it takes back what the dialog writes as it goes.
        CToolkitSettingsKeeper keeper;
        // No owner and no modality: the main window stays usable while it is open.
        QFileDialog dialog(nullptr, ToQString(info.lpszTitle.view()));
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly, true);
        // The toolkit's own chooser reports its selection changes; a desktop-native one
        // may not.
        dialog.setOption(QFileDialog::DontUseNativeDialog, true);
        dialog.setWindowModality(Qt::NonModal);
        m_open = &dialog;
        const HWND handle = HandleOf(&dialog);
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
        if (!m_open || HandleOf(m_open.data()) != chooser)
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

} // namespace

IMessageBoxService& MessageBoxService() {
    return StaticServiceSlot<IMessageBoxService, CQtMessageBox>().Get();
}
void SetMessageBoxService(IMessageBoxService* service) {
    StaticServiceSlot<IMessageBoxService, CQtMessageBox>().Install(service);
}

IShellExecuteService& ShellExecuteService() {
    return StaticServiceSlot<IShellExecuteService, CQtShellExecute>().Get();
}
void SetShellExecuteService(IShellExecuteService* service) {
    StaticServiceSlot<IShellExecuteService, CQtShellExecute>().Install(service);
}

IFolderChooserService& FolderChooserService() {
    return StaticServiceSlot<IFolderChooserService, CQtFolderChooser>().Get();
}
void SetFolderChooserService(IFolderChooserService* service) {
    StaticServiceSlot<IFolderChooserService, CQtFolderChooser>().Install(service);
}
