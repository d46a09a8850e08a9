// Message dispatch: a class's own table first, then its base's, then default processing;
// toolkit events arrive as messages; posted messages wait for the loop.
#include "tests/ui/UiTestSupport.h"

#include "platform/window/Dialog.h"
#include "platform/window/MessageMap.h"
#include "res/resource.h"

#include <QCoreApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

namespace {

// A dialog on the About template with a table of its own.
class CProbeDlg : public CDialog {
public:
    CProbeDlg() : CDialog(IDD_ABOUTBOX) {}

    std::vector<std::string> log;
    std::vector<UINT> defaults;

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    const AFX_MSGMAP* GetMessageMap() const override { return GetThisMessageMap(); }

    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        defaults.push_back(message);
        return CDialog::DefWindowProc(message, wParam, lParam);
    }

    void OnProbe() { log.push_back("probe"); }
    void OnOwnOK() { log.push_back("ok"); } // replaces the base's entry for IDOK
    void OnSysCommand(UINT id, LPARAM param) {
        log.push_back("sys " + std::to_string(id));
        CDialog::OnSysCommand(id, param);
    }
    BOOL OnHelpInfo(HELPINFO* info) {
        log.push_back("help " + std::to_string(info ? info->iCtrlId : -1));
        return TRUE;
    }
};

const AFX_MSGMAP* CProbeDlg::GetThisMessageMap() {
    static constexpr AFX_MSGMAP_ENTRY entries[] = {
        msgmap::Command<&CProbeDlg::OnProbe>(1234),
        msgmap::Command<&CProbeDlg::OnOwnOK>(IDOK),
        msgmap::SysCommand<&CProbeDlg::OnSysCommand>(),
        msgmap::HelpInfo<&CProbeDlg::OnHelpInfo>(),
    };
    static_assert(msgmap::HasNoDuplicates(entries));
    static constexpr AFX_MSGMAP map{&CDialog::GetThisMessageMap, entries};
    return &map;
}

// A table listing one pair twice is caught when it is built (each table static_asserts
// this, as CProbeDlg's does above).
constexpr AFX_MSGMAP_ENTRY kTwice[] = {
    {WM_COMMAND, BN_CLICKED, 7, AfxSig::Void, {}},
    {WM_PAINT, 0, 0, AfxSig::Void, {}},
    {WM_COMMAND, BN_CLICKED, 7, AfxSig::Void, {}},
};
static_assert(!msgmap::HasNoDuplicates(kTwice));

TEST(MessageMap, PairsDifferingInIdOrCodeAreDistinct) {
    const AFX_MSGMAP_ENTRY distinct[] = {
        {WM_COMMAND, BN_CLICKED, 7, AfxSig::Void, {}},
        {WM_COMMAND, 1, 7, AfxSig::Void, {}},
        {WM_COMMAND, BN_CLICKED, 8, AfxSig::Void, {}},
    };
    EXPECT_FALSE(msgmap::HasNoDuplicates(kTwice));
    EXPECT_TRUE(msgmap::HasNoDuplicates(distinct));
}

TEST(MessageMap, OwnEntriesFirstThenTheBaseThenDefaults) {
    CCancellingChooser chooser;
    CProbeDlg dlg;
    const int result = RunModal(dlg, [&] {
        dlg.SendMessage(WM_COMMAND, MAKEWPARAM(1234, BN_CLICKED));
        dlg.SendMessage(WM_COMMAND, MAKEWPARAM(1234, 5));          // another notification: default
        dlg.SendMessage(WM_COMMAND, MAKEWPARAM(999, BN_CLICKED));  // no entry: default
        dlg.SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED)); // own entry wins
        EXPECT_TRUE(dlg.IsWindowVisible());
        const std::size_t before = dlg.defaults.size();
        dlg.SendMessage(WM_PAINT); // no entry anywhere: default
        EXPECT_EQ(dlg.defaults.size(), before + 1);
        EXPECT_EQ(dlg.defaults.back(), WM_PAINT);
        // (The window's own painting goes the same way; leave it out of the record.)
        std::erase(dlg.defaults, WM_PAINT);
        dlg.SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED)); // the base's entry
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(dlg.log, (std::vector<std::string>{"probe", "ok"}));
    // WM_DESTROY, sent at teardown, has no entry either.
    std::erase(dlg.defaults, WM_PAINT);
    EXPECT_EQ(dlg.defaults, (std::vector<UINT>{WM_COMMAND, WM_COMMAND, WM_DESTROY}));
}

TEST(MessageMap, ToolkitEventsArriveAsMessages) {
    CCancellingChooser chooser;
    CProbeDlg dlg;
    const int result = RunModal(dlg, [&] {
        QWidget* ok = Widget(dlg.GetDlgItem(IDOK));
        QTest::mouseClick(ok, Qt::LeftButton);       // WM_COMMAND IDOK, click
        QTest::keyClick(ok, Qt::Key_F1);             // WM_HELP naming the control
        dlg.SendMessage(WM_SYSCOMMAND, SC_MINIMIZE); // own handler, then default
        EXPECT_TRUE(dlg.IsIconic());
        Window(dlg)->close(); // close box: SC_CLOSE -> Cancel
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(dlg.log, (std::vector<std::string>{"ok", "help 1", "sys 61472", "sys 61536"}));
}

TEST(MessageMap, PostedMessagesRunFromTheLoopAndDieWithTheWindow) {
    CCancellingChooser chooser;
    CProbeDlg dlg;
    RunModal(dlg, [&] {
        EXPECT_TRUE(dlg.PostMessage(WM_COMMAND, MAKEWPARAM(1234, BN_CLICKED)));
        EXPECT_TRUE(dlg.log.empty()) << "queued, not sent";
        QCoreApplication::processEvents();
        EXPECT_EQ(dlg.log, (std::vector<std::string>{"probe"}));

        // Still queued when the window goes: never delivered.
        dlg.PostMessage(WM_COMMAND, MAKEWPARAM(1234, BN_CLICKED));
    });
    QCoreApplication::processEvents();
    EXPECT_EQ(dlg.log, (std::vector<std::string>{"probe"}));
    EXPECT_FALSE(dlg.PostMessage(WM_COMMAND, 1234)) << "no window, nothing to post to";
}

} // namespace
