#pragma once
// The batch one file operation works on, and the delete request built from it.
#include "platform/core/Collections.h"
#include "platform/core/FileBatch.h"
#include "platform/core/ShellRequest.h"
#include "platform/core/String.h"
#include "platform/core/TrashReport.h"
#include "platform/core/Wnd.h"

#include <vector>

// The owner window, the source paths and the destination paths of one operation, and
// what the collection saw of each source. The collection appends to m_arrSource and
// m_batch together; for a delete m_arrDest stays empty. A batch is filled once, turned
// into one request and then dropped.
class CFileOperation {
public:
    CFileOperation() = default;
    virtual ~CFileOperation() = default;

    CWnd* m_pOwner = nullptr; // may be null: the request then has no owner
    CStringArray m_arrSource; // full paths, in the order they were found
    CArray<CString> m_arrDest;
    CFileBatch m_batch; // m_batch.files[i] is the record of the i-th collected path
    // The folders the collection could not read, each as its full path with the reason in
    // the user's words (trashed false): whatever they hold was not collected, so the
    // delete's report lists them (TrashReport::foldersNotRead).
    std::vector<TrashResult> m_foldersNotRead;
};

// The minimum size of a path-list buffer, in characters.
inline constexpr std::size_t kMinPathListBuffer = 256;

// A path list as the request carries it: each element followed by one NUL, then the
// terminating NUL, so a non-empty list ends in two NULs and an empty array gives a buffer
// whose first character is NUL. The buffer is writable, zero-filled past the list, and
// at least kMinPathListBuffer characters long; a longer list keeps its full length.
std::vector<char> BuildPathList(const CArray<CString>& paths);

// The text the request carries as its progress title.
inline constexpr const char* kDeleteProgressTitle = "Deleting Files";

// The delete request for one batch: it owns the two path lists, and the structure points
// into them, so it is neither copied nor moved. Building it touches no file; handing
// Request() to ExecuteShellFileOperation carries it out.
//
// Fields: hwnd = the owner's handle (null without an owner, or while the owner has no
// window), wFunc = FO_DELETE, pFrom = the source list, pTo = the destination list (a
// valid pointer to an empty list for a delete), fFlags = FOF_ALLOWUNDO and nothing else,
// lpszProgressTitle = "Deleting Files", every other field zero.
class CDeleteRequest {
public:
    explicit CDeleteRequest(const CFileOperation& op);
    CDeleteRequest(const CDeleteRequest&) = delete;
    CDeleteRequest& operator=(const CDeleteRequest&) = delete;

    SHFILEOPSTRUCTA& Request() { return m_request; }
    const SHFILEOPSTRUCTA& Request() const { return m_request; }
    const std::vector<char>& SourceList() const { return m_from; }
    const std::vector<char>& DestinationList() const { return m_to; }

private:
    std::vector<char> m_from;
    std::vector<char> m_to;
    SHFILEOPSTRUCTA m_request{};
};
