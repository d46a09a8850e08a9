#pragma once
// The window shown while a long delete or undo runs.
#include "platform/core/TrashReport.h"
#include "platform/window/WorkDialog.h"
#include "res/resource.h"

#include <cstddef>
#include <string_view>

// Template IDD_TRASH_PROGRESS: what is being done ("Moving files to the trash..." or
// "Putting files back..."), a bar, "done of total", the name and the folder of the file at
// hand, and Stop. Stop, Esc and the close box do not close it: the first of them asks the
// work to stop at the next file boundary, greys Stop and says so (CWorkDialog); the owner
// of the window destroys it once the work has returned.
class CTrashProgressWnd : public CWorkDialog {
public:
    enum { IDD = IDD_TRASH_PROGRESS };

    CTrashProgressWnd(CWnd* owner, TrashWork work);

    // Makes the window, modeless and owned by the owner given, takes the program's input
    // (BeginModalState) and shows it. FALSE when it could not be made.
    BOOL Show();
    // done files handled of total; path = the next file's bytes (empty: none yet). Nothing
    // once a stop was asked for.
    void SetProgress(std::size_t done, std::size_t total, std::string_view path);

protected:
    BOOL OnInitDialog() override;
    void OnStopRequested() override;

private:
    CWnd* m_pOwner;
    TrashWork m_work;
};
