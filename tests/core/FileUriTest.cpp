// Local paths from the file: URIs of a drop or a launcher: bytes exactly as the system knows
// them, and nothing for what names no local file.
#include "platform/core/FileUri.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace {

struct UriCase {
    const char* name;
    std::string uri;
    std::optional<std::string> path;
};

void PrintTo(const UriCase& c, std::ostream* os) {
    *os << c.name;
}

class FileUriPath : public testing::TestWithParam<UriCase> {};

// The path as the system writes it: on Windows with backslashes.
std::optional<std::string> SystemPath(std::optional<std::string> path) {
#ifdef _WIN32
    if (path)
        std::replace(path->begin(), path->end(), '/', '\\');
#endif
    return path;
}

TEST_P(FileUriPath, IsTheLocalPathItNamesOrNothing) {
    EXPECT_EQ(LocalPathFromFileUri(GetParam().uri), SystemPath(GetParam().path)) << GetParam().uri;
}

#ifdef _WIN32
const char* const kDrive = "file:///C:/Users/a%20b";
const char* const kDrivePath = "C:\\Users\\a b";
#else
const char* const kDrive = "file:///C:/Users/a%20b";
const char* const kDrivePath = "/C:/Users/a b";
#endif

INSTANTIATE_TEST_SUITE_P(
    Uris, FileUriPath,
    testing::Values(UriCase{"Escapes", "file:///home/u/a%20b%25c", "/home/u/a b%c"},
                    UriCase{"Localhost", "file://localhost/srv/x", "/srv/x"},
                    UriCase{"NoAuthority", "file:/srv/x", "/srv/x"},
                    UriCase{"SchemeInCapitals", "FILE:///srv/x", "/srv/x"},
                    UriCase{"BytesThatAreNotUtf8", "file:///t/%FF%fe.%C3%A9",
                            "/t/\xff\xfe.\xc3\xa9"},
                    UriCase{"Root", "file:///", "/"}, UriCase{"Drive", kDrive, kDrivePath},
                    UriCase{"AnotherHost", "file://server/srv/x", std::nullopt},
                    UriCase{"Query", "file:///srv/x?y", std::nullopt},
                    UriCase{"Fragment", "file:///srv/x#y", std::nullopt},
                    UriCase{"ShortEscape", "file:///srv/x%4", std::nullopt},
                    UriCase{"NotHex", "file:///srv/%zz", std::nullopt},
                    UriCase{"Nul", "file:///srv/a%00b", std::nullopt},
                    UriCase{"Relative", "file:srv/x", std::nullopt},
                    UriCase{"HostOnly", "file://localhost", std::nullopt},
                    UriCase{"OtherScheme", "https://example.org/x", std::nullopt},
                    UriCase{"Path", "/srv/x", std::nullopt}),
    [](const testing::TestParamInfo<UriCase>& info) { return info.param.name; });

TEST(UriList, GivesOneUriALineWithoutCommentsOrEmptyLines) {
    const std::vector<std::string_view> expected = {"file:///a", "file:///b%20c", "https://x/"};
    EXPECT_EQ(UrisOfUriList("# from a file manager\r\nfile:///a\r\n\r\nfile:///b%20c\nhttps://x/"),
              expected);
    EXPECT_TRUE(UrisOfUriList("").empty());
}

} // namespace
