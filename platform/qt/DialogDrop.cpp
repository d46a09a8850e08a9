// Files dropped on a dialog's window: taken from the drop's text/uri-list as bytes and
// delivered as WM_DROPFILES once the drop is over.
#include "platform/qt/DialogImpl.h"

#include "platform/core/FileUri.h"

#include <QDropEvent>
#include <QMimeData>
#include <QTimer>

#include <optional>
#include <utility>
#include <vector>

namespace {

// The local paths of a drag, read from the raw list: QUrl would turn the bytes of a name
// that is not UTF-8 into replacement characters. Nothing unless every item is a local file.
std::vector<CString> DroppedPaths(const QMimeData* data) {
    std::vector<CString> paths;
    if (!data || !data->hasFormat(QStringLiteral("text/uri-list")))
        return paths;
    const QByteArray list = data->data(QStringLiteral("text/uri-list"));
    for (const std::string_view uri :
         UrisOfUriList(std::string_view(list.constData(), static_cast<std::size_t>(list.size())))) {
        std::optional<std::string> path = LocalPathFromFileUri(uri);
        if (!path)
            return {};
        paths.emplace_back(std::move(*path));
    }
    return paths;
}

// The program only looks at what is dropped: it takes a link or a copy, never a move, which
// would leave the source to remove what it gave away. Ignore when the source offers neither.
Qt::DropAction LookingAction(Qt::DropActions possible) {
    if (possible & Qt::LinkAction)
        return Qt::LinkAction;
    if (possible & Qt::CopyAction)
        return Qt::CopyAction;
    return Qt::IgnoreAction;
}

} // namespace

void CDialog::DragAcceptFiles(BOOL accept) {
    CDialogWindow* window = d->window;
    if (!window)
        return;
    window->setAcceptDrops(accept != FALSE);
    // A drop over a control (an edit field, the list) is the window's: controls that would
    // take it for themselves are told not to.
    for (QWidget* child : window->findChildren<QWidget*>())
        child->setAcceptDrops(false);
}

void CDialogWindow::dragEnterEvent(QDragEnterEvent* event) {
    const Qt::DropAction action = LookingAction(event->possibleActions());
    if (!m_dialog || !isEnabled() || action == Qt::IgnoreAction ||
        DroppedPaths(event->mimeData()).empty()) {
        event->ignore();
        return;
    }
    event->setDropAction(action);
    event->accept();
}

void CDialogWindow::dragMoveEvent(QDragMoveEvent* event) {
    const Qt::DropAction action = LookingAction(event->possibleActions());
    if (!m_dialog || !isEnabled() || action == Qt::IgnoreAction) {
        event->ignore();
        return;
    }
    event->setDropAction(action);
    event->accept();
}

void CDialogWindow::dropEvent(QDropEvent* event) {
    const Qt::DropAction action = LookingAction(event->possibleActions());
    std::vector<CString> paths = DroppedPaths(event->mimeData());
    if (!m_dialog || !isEnabled() || action == Qt::IgnoreAction || paths.empty()) {
        event->ignore();
        return;
    }
    event->setDropAction(action);
    event->accept();
    // The program the files came from waits until this returns; the handler may scan or
    // ask, so it runs from the loop, and not at all if the window has gone by then.
    QTimer::singleShot(0, this, [this, paths = std::move(paths)] {
        if (m_dialog)
            m_dialog->SendMessage(WM_DROPFILES, 0, reinterpret_cast<LPARAM>(&paths));
    });
}
