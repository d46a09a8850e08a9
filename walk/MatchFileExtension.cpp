#include "walk/MatchFileExtension.h"

#include <algorithm>
#include <string_view>

CMatchFileExtension::CMatchFileExtension() : m_szPatternBuffer{} {}

CMatchFileExtension::~CMatchFileExtension() = default;

CString CMatchFileExtension::GetExtension(const CString& name) {
    const std::string_view text = name.view();
    const std::size_t dot = text.rfind('.');
    return dot == std::string_view::npos ? name : CString(text.substr(dot + 1));
}

bool CMatchFileExtension::Match(const CString& fileName, const CString& patternList) {
    // The list is taken as C text: it ends at the buffer's size or at its first NUL,
    // whichever comes first.
    const std::size_t copied =
        std::min(patternList.size(), static_cast<std::size_t>(kPatternBufferSize - 1));
    std::copy_n(patternList.GetString(), copied, m_szPatternBuffer);
    m_szPatternBuffer[copied] = '\0';

    // Split at commas the way strtok would (runs of commas are one separator, empty
    // pieces dropped), but keeping the position in a local so that no other split on
    // this thread is disturbed and none disturbs this one.
    m_arrPatterns.RemoveAll();
    const std::string_view list(m_szPatternBuffer);
    std::size_t pos = 0;
    while (pos < list.size()) {
        const std::size_t start = list.find_first_not_of(',', pos);
        if (start == std::string_view::npos)
            break;
        const std::size_t end = std::min(list.find(',', start), list.size());
        m_arrPatterns.Add(CString(list.substr(start, end - start)));
        pos = end;
    }

    const CString nameExtension = GetExtension(fileName);
    for (const CString& pattern : m_arrPatterns) {
        m_strPattern = pattern;
        if (m_strPattern == "*.*")
            return true;
        m_strPattern = GetExtension(m_strPattern);
        if (m_strPattern.CompareNoCase(nameExtension) == 0)
            return true;
    }
    return false;
}
