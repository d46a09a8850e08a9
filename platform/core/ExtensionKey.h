#pragma once
// The extension of a path as the program counts, shows and collects it.
//
// The path is scanned from the start: every '.' becomes the remembered dot, and the path
// separator (kPathSeparator: '/', on Windows '\') or a space forgets it. The key is the
// text from the remembered dot (dot included) to the end, or empty when no dot is
// remembered at the end. So it is the extension of the last path component, the last dot
// wins, and a key never holds a space. The scan works on bytes; it is safe on UTF-8
// because '.', '/', '\' and ' ' never occur inside a multibyte sequence.
#include "platform/core/String.h"

#include <string_view>

// The key as a view into path (empty view at the end of path when there is none).
std::string_view ExtensionKey(std::string_view path) noexcept;

inline CString ExtensionKeyOf(const CString& path) {
    return CString(ExtensionKey(path.view()));
}
