#pragma once
// The window shown while a long delete or undo runs, on the window layer's dialogs (the
// Windows build; the Linux build has CTrashProgressDlg on Qt).
#include "platform/core/TrashReport.h"
#include "platform/window/WorkDialog.h"
#include "res/resource.h"

#include <cstddef>
#include <string_view>

// Template IDD_TRASH_PROGRESS: what is being done, "done of total", the file at hand, and
// Stop. A stop ends the work at the next file boundary, after which its owner destroys the
// window (CWorkDialog).
class CTrashProgressWnd : public CWorkDialog {
public:
    CTrashProgressWnd(CWnd* owner, TrashWork work);

    // Makes the window (modeless, owned by the owner given); the template shows it.
    BOOL Show();
    // done files handled of total; path = the next file's bytes (empty: none yet).
    void SetProgress(std::size_t done, std::size_t total, std::string_view path);

protected:
    BOOL OnInitDialog() override;
    void OnStopRequested() override;

private:
    CWnd* m_pOwner;
    TrashWork m_work;
};
