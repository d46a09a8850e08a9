// The recycle shell over SHFileOperationW (RecycleShell.h).
#include "platform/recycle/Reasons.h"
#include "platform/recycle/RecycleShell.h"
#include "platform/recycle/ShellCalls.h"

#include <vector>

namespace {

class CListShell : public CRecycleShell {
public:
    explicit CListShell(HWND owner) : m_owner(owner) {}

    void Recycle(std::vector<ShellFile>& files) override {
        std::vector<std::wstring> paths;
        for (const ShellFile& file : files)
            paths.push_back(file.plain);
        const ShellDelete call = Call(paths);
        std::vector<ShellFile*> left;
        for (ShellFile& file : files) {
            if (StillThere(file.longPath, file.identity))
                left.push_back(&file);
            else
                file.result = Moved(file.path);
        }
        if (files.size() == 1) {
            if (!left.empty())
                Settle(files[0], call);
            return;
        }
        // The one answer for many files says not which of them it was about.
        for (ShellFile* file : left) {
            WinFileInfo info;
            if (const char* reason = CheckEntry(file->longPath, &file->identity, info)) {
                file->result = NotMoved(file->path, reason);
                continue;
            }
            const ShellDelete alone = Call({file->plain});
            if (StillThere(file->longPath, file->identity))
                Settle(*file, alone);
            else
                file->result = Moved(file->path);
        }
    }

private:
    ShellDelete Call(const std::vector<std::wstring>& paths) {
        ++m_calls;
        return RecycleWithShell(m_owner, paths);
    }

    // Why the one file of call is still there.
    static void Settle(ShellFile& file, const ShellDelete& call) {
        if (call.aborted)
            file.result = NotMoved(file.path, kReasonBinRefused,
                                   "the shell would have deleted it for good instead");
        else if (call.code != 0)
            file.result =
                NotMoved(file.path, ReasonForError(static_cast<DWORD>(call.code)),
                         CodeText("the shell's code", static_cast<unsigned long>(call.code)));
        else
            file.result = NotMoved(file.path, kReasonNotMoved,
                                   "the shell reported no error, yet it is still there");
    }

    HWND m_owner;
};

} // namespace

std::unique_ptr<CRecycleShell> MakeListShell(HWND owner) {
    return std::make_unique<CListShell>(owner);
}
