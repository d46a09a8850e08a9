#include "deletion/FileOperation.h"

#include <algorithm>

std::vector<char> BuildPathList(const CArray<CString>& paths) {
    std::string text;
    for (const CString& path : paths) {
        text += path.view();
        text += '\0';
    }
    // The text's own terminator follows the last element's NUL; the rest of the buffer is
    // zero as well, so it reads as the same list whatever its length.
    std::vector<char> buffer(std::max(text.size() + 1, kMinPathListBuffer), '\0');
    std::copy(text.begin(), text.end(), buffer.begin());
    return buffer;
}

CDeleteRequest::CDeleteRequest(const CFileOperation& op)
    : m_from(BuildPathList(op.m_arrSource)), m_to(BuildPathList(op.m_arrDest)) {
    m_request.hwnd = op.m_pOwner ? op.m_pOwner->GetSafeHwnd() : nullptr;
    m_request.wFunc = FO_DELETE;
    m_request.pFrom = m_from.data();
    m_request.pTo = m_to.data();
    m_request.fFlags = FOF_ALLOWUNDO;
    m_request.lpszProgressTitle = kDeleteProgressTitle;
}
