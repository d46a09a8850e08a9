// What the executor puts in the trash, read by programs nobody here wrote (trash-cli):
// trash-list shows every file at its original path, trash-restore puts it back.
#include "tests/support/TrashInfo.h"
#include "tests/trash/TrashTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// How trash-list prints a path: every byte that is not part of valid UTF-8 as U+FFFD.
std::string AsTrashListShowsIt(const std::string& path) {
    std::string out;
    for (unsigned char c : path)
        out += c < 0x80 ? std::string(1, static_cast<char>(c)) : std::string("\xef\xbf\xbd");
    return out;
}

TEST(TrashInterop, TrashListShowsEachFileAtItsPathAndTrashRestorePutsItBackByteForByte) {
    TrashSandbox box;
    const std::vector<std::string> restorable = {
        "r/plain.txt",    "r/with space.txt",
        "r/100%.txt",     "r/%41 not A.txt",
        "r/same.txt",     "r/deeper/same.txt",
        "r/a/b/same.txt", "r/" + std::string(251, 'n') + ".txt"};
    // trash-restore (trash-cli 0.17) decodes Path= as UTF-8 with replacement characters,
    // so this one would come back under other bytes; its record is checked byte for byte
    // by the executor's tests.
    const std::string latin = "latin/\xff\xfe latin.txt";
    std::vector<std::string> names = restorable;
    names.push_back(latin);
    for (const std::string& n : names)
        WriteFile(box.tree() + "/" + n, "content of " + n);
    ASSERT_EQ(ExecuteBatch(box, box.tree(), names).report.TrashedCount(), names.size());

    const std::string listed = RunTrashCli(box, "trash-list");
    for (const std::string& n : names)
        EXPECT_NE(listed.find(" " + AsTrashListShowsIt(box.tree() + "/" + n) + "\n"),
                  std::string::npos)
            << n << "\n"
            << listed;

    // trash-restore lists what came from the current folder and puts back the one chosen.
    for (std::size_t i = 0; i < restorable.size(); ++i)
        RunTrashCli(box, "trash-restore", box.tree() + "/r", "0\n");
    for (const std::string& n : restorable)
        EXPECT_EQ(ReadFile(box.tree() + "/" + n), "content of " + n) << n;
    EXPECT_EQ(Names(box.trash() + "/files"), std::vector<std::string>{"\xff\xfe latin.txt"});
    EXPECT_EQ(Names(box.trash() + "/info").size(), 1u);
}

} // namespace
