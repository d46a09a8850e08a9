#pragma once
// Local paths from file: URIs, as desktops hand them over (a drop's text/uri-list, a
// launcher's %u). A name is bytes, not necessarily UTF-8: every percent escape stands for
// the byte it encodes, so a path comes back exactly as the system knows it.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// True when text starts with the scheme "file:" (in any case).
bool IsFileUri(std::string_view text);

// The local path uri names: "file:///home/a%20b" and "file://localhost/home/a%20b" give
// "/home/a b"; "file:/home/x" gives "/home/x". On Windows "file:///C:/x" gives "C:\x".
// Nothing for a text that is not a file: URI, one of another host, one with a query or a
// fragment (which name no file), a broken escape, or an escape of the NUL byte.
std::optional<std::string> LocalPathFromFileUri(std::string_view uri);

// The URIs of a text/uri-list: one a line (CRLF or LF), lines starting with '#' and empty
// lines left out, in the order given.
std::vector<std::string_view> UrisOfUriList(std::string_view list);
