// The folder the window opens on, from the program's arguments: what counts as a folder,
// how it is made absolute, and what is refused with a problem to show.
#include "app/StartFolder.h"
#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace {

struct StartCase {
    const char* name;
    std::vector<std::string> args; // an "@" stands for the current folder's path
    std::string folder;            // expected; an "@" likewise
    std::string problem;           // a part of the expected problem; empty for none
};

void PrintTo(const StartCase& c, std::ostream* os) {
    *os << c.name;
}

std::string Expand(std::string text, const std::string& here) {
    if (const std::size_t at = text.find('@'); at != std::string::npos)
        text.replace(at, 1, here);
    return text;
}

class StartFolderRule : public testing::TestWithParam<StartCase> {};

TEST_P(StartFolderRule, NamesOneAbsoluteFolderOrSaysWhatIsWrong) {
    const StartCase& c = GetParam();
    TempDir dir;
    // A link whose ".." is the parent of its target, not of the link.
    MakeTree(dir.path(), {{TreeEntry::Dir, "real/inner"}, {TreeEntry::Link, "link", "real/inner"}});
    // The current folder as the system names it, links resolved.
    char* here = ::realpath(dir.path().c_str(), nullptr);
    char* previous = ::getcwd(nullptr, 0);
    ASSERT_EQ(::chdir(here), 0);
    std::vector<CString> args;
    for (const std::string& arg : c.args)
        args.emplace_back(Expand(arg, here));
    const StartFolder start = StartFolderFromArguments(args);
    EXPECT_EQ(::chdir(previous), 0);
    std::free(previous);

    EXPECT_EQ(start.folder.str(), Expand(c.folder, here));
    std::free(here);
    if (c.problem.empty())
        EXPECT_EQ(start.problem.str(), "");
    else
        EXPECT_NE(start.problem.str().find(c.problem), std::string::npos) << start.problem.str();
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, StartFolderRule,
    testing::Values(
        StartCase{"None", {}, "", ""}, StartCase{"Absolute", {"@/real"}, "@/real", ""},
        StartCase{"Relative", {"real"}, "@/real", ""},
        StartCase{"DotsAndDoubledSlashes", {"./real//./inner/"}, "@/real/inner", ""},
        StartCase{"Current", {"."}, "@", ""}, StartCase{"Root", {"//"}, "/", ""},
        StartCase{"ParentAfterALinkIsTheTargetsParent", {"link/.."}, "@/real", ""},
        StartCase{"MissingKeepsItsText", {"gone/../x"}, "@/gone/../x", ""},
        StartCase{"BytesThatAreNotUtf8", {"caf\xe9\xff"}, "@/caf\xe9\xff", ""},
        StartCase{"FileUri", {"file://@/a%20b%FF"}, "@/a b\xff", ""},
        StartCase{"AfterTheEndOfOptions", {"--", "-x"}, "@/-x", ""},
        StartCase{"Dash", {"-"}, "@/-", ""},
        StartCase{"UnknownOption", {"--sizes", "real"}, "", "option --sizes"},
        StartCase{"TwoFolders", {"real", "link"}, "", "one folder at a time; it was given 2"},
        StartCase{"EmptyText", {""}, "", "empty text"},
        StartCase{"UriOfAnotherComputer", {"file://server/x"}, "", "file://server/x is not"}),
    [](const testing::TestParamInfo<StartCase>& info) { return info.param.name; });

} // namespace
