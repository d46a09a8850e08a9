// rz-bench-question DIR EXT: how long the delete's question takes to come up through the
// real main window, and its "Show Files" list to open; the question is then answered No,
// so nothing is moved.
//
// The window (offscreen unless QT_QPA_PLATFORM says otherwise) scans DIR, selects the row
// of extension EXT and presses Delete Files. The question is the real message box. Prints,
// one per line:
//   question_seconds S   from the click on Delete Files to the question's first paint (the
//                        files collected, the "Working..." window and the box included)
//   list_seconds S       from the click on "Show Files" to the list's first paint
//   listed N             the lines of that list
//   question TEXT        the question's last line ("N files, X MB will be moved ...")
//   answer no
// Settings go wherever XDG_CONFIG_HOME points.
#include "bench/BenchWindow.h"
#include "platform/window/Styles.h"
#include "res/resource.h"
#include "ui/RaveZivuredDlg.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTextEdit>
#include <QTimer>

#include <cstdio>
#include <string>

namespace {

// Watches every paint: the question's first one, then, once "Show Files" is clicked, its
// list's first one; answers No after that.
class CQuestionWatch final : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (event->type() != QEvent::Paint || !widget)
            return false;
        auto* box = qobject_cast<QMessageBox*>(widget->window());
        if (!box)
            return false;
        if (!m_box) {
            m_box = box;
            shown = BenchClock::now();
            QTimer::singleShot(0, this, [this] { ShowList(); });
        } else if (m_listClicked && !m_listSeen && IsListPaint(widget)) {
            m_listSeen = true;
            listShown = BenchClock::now();
            QTimer::singleShot(0, this, [this] { AnswerNo(); });
        }
        return false;
    }

    BenchClock::time_point shown{}, listClicked{}, listShown{};
    std::string text;
    int listed = 0;
    bool answeredNo = false;

private:
    QPointer<QMessageBox> m_box;
    bool m_listClicked = false;
    bool m_listSeen = false;

    // The list on screen: the box's text field, or what shows the list in its place.
    QAbstractScrollArea* ShownList() const {
        for (QAbstractScrollArea* area : m_box->findChildren<QAbstractScrollArea*>())
            if (area->isVisible())
                return area;
        return nullptr;
    }
    bool IsListPaint(QWidget* widget) const {
        const QAbstractScrollArea* list = ShownList();
        return list && (widget == list || widget == list->viewport());
    }
    void ShowList() {
        for (QAbstractButton* button : m_box->buttons())
            if (m_box->buttonRole(button) == QMessageBox::ActionRole) {
                m_listClicked = true;
                listClicked = BenchClock::now();
                button->click();
                // A list never drawn still gets its No (and fails the run).
                QTimer::singleShot(std::chrono::minutes(1), this, [this] {
                    if (!answeredNo)
                        AnswerNo();
                });
                return;
            }
        AnswerNo(); // no list to open: the run fails below
    }
    void AnswerNo() {
        if (answeredNo)
            return;
        text = m_box->text().toStdString();
        if (const auto* view = qobject_cast<QAbstractItemView*>(ShownList()))
            listed = view->model()->rowCount();
        else if (const auto* field = qobject_cast<QTextEdit*>(ShownList()))
            listed = field->document()->blockCount();
        answeredNo = true;
        m_box->button(QMessageBox::No)->click();
    }
};

double Seconds(BenchClock::time_point from, BenchClock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: rz-bench-question DIR EXT\n");
        return 2;
    }
    CBenchProgram program(argc, argv, CString(argv[1]));
    CQuestionWatch question;
    qApp->installEventFilter(&question);
    CRaveZivuredDlg dlg;
    BenchClock::time_point clicked{};
    CPaintWatch watch([&] { return program.chooser.Picked() && !dlg.IsRefreshing(); },
                      [&](BenchClock::time_point) {
                          for (int i = 0; i < dlg.m_listExt.GetItemCount(); ++i)
                              if (dlg.m_listExt.GetItemText(i, 1) == CString(argv[2]))
                                  dlg.m_listExt.SetItemState(i, LVIS_SELECTED, LVIS_SELECTED);
                          clicked = BenchClock::now();
                          // Returns once the question is answered and the scan after it done.
                          dlg.SendMessage(WM_COMMAND, IDC_DELETE_FILES, 0);
                          dlg.EndDialog(IDOK);
                      });
    const int status = program.Run(dlg, watch, std::chrono::minutes(10));
    qApp->removeEventFilter(&question);
    if (status != 0)
        return status;
    if (!question.answeredNo || question.listShown == BenchClock::time_point{}) {
        std::fprintf(stderr, "no question with a list of files was shown\n");
        return 1;
    }
    const std::size_t lastLine = question.text.rfind('\n');
    std::printf("question_seconds %.6f\nlist_seconds %.6f\nlisted %d\nquestion %s\nanswer no\n",
                Seconds(clicked, question.shown), Seconds(question.listClicked, question.listShown),
                question.listed,
                question.text.substr(lastLine == std::string::npos ? 0 : lastLine + 1).c_str());
    return 0;
}
