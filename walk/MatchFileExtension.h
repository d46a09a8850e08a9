#pragma once
// Decides whether a file name matches a comma-separated list of extension patterns
// such as "*.txt,*.log".
#include "platform/core/Collections.h"
#include "platform/core/String.h"

class CMatchFileExtension {
public:
    CMatchFileExtension();

    // True when fileName matches at least one pattern of patternList. The list is split
    // at commas (runs of commas count as one, empty pieces are dropped, spaces stay part
    // of a pattern). A pattern equal to "*.*" (ASCII case ignored) matches every name;
    // otherwise the pattern and the name match when their GetExtension parts are equal,
    // ASCII case ignored.
    //
    // Long lists: only the first 1023 bytes of patternList take part (the pattern buffer
    // holds 1023 bytes and a terminating NUL); the rest is ignored, so a pattern cut at
    // byte 1023 is matched by its first part. Nothing is ever written past the buffer.
    virtual bool Match(const CString& fileName, const CString& patternList);
    virtual ~CMatchFileExtension();

    // The text after the last '.' of name, or the whole of name when it has no '.'.
    // Unlike the extension key, the dot is not included and separators do not stop the
    // search.
    static CString GetExtension(const CString& name);

    static constexpr int kPatternBufferSize = 1024;

    CStringArray m_arrPatterns;
    char m_szPatternBuffer[kPatternBufferSize];
    CString m_strPattern;
};
