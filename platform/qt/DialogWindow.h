#pragma once
// The widget behind a CDialog (window layer internals; not for the dialogs themselves).
#include <QPoint>
#include <QWidget>

class CDialog;
class QPainter;

class CDialogWindow final : public QWidget {
public:
    CDialogWindow(CDialog* dialog, QWidget* parent, Qt::WindowFlags flags);
    ~CDialogWindow() override;

    // Called by the dialog when it lets go of the window (its own destruction).
    void Detach() { m_dialog = nullptr; }
    CDialog* Dialog() const { return m_dialog; }

    // Routes the keys and clicks of a control through the dialog.
    void WatchControl(QWidget* control);

    // The painter of the WM_PAINT being dispatched, or null outside one.
    QPainter* CurrentPainter() const { return m_painter; }

    // Opens the system menu at a global position.
    void ShowSystemMenu(const QPoint& globalPos);
    // Moves the window: through the window manager when it can, otherwise with the mouse
    // (click to drop) or the arrow keys (Enter to drop, Esc to put it back).
    void BeginMove();
    bool IsMoving() const { return m_moving; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    // Files dropped on the window (CDialog::DragAcceptFiles; DialogDrop.cpp).
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    CDialog* m_dialog;
    QPainter* m_painter = nullptr;
    bool m_moving = false;
    QPoint m_moveStartPos;
    QPoint m_moveStartCursor;

    bool HandleKey(QWidget* target, QKeyEvent* event);
    bool HandleMoveKey(QKeyEvent* event);
    void EndMove(bool keep);
};
