// Drives whose recycle bin takes no files, as Wine makes them from its configuration. Run
// by drives-without-bins.sh in a Wine folder of its own, where R: is a removable drive, N:
// a network drive, and S: and T: fixed drives, all folders of the script's; the bin
// settings of S: and T: are written here, into that folder's registry.
#include "platform/core/WideText.h"
#include "tests/recycle/RecycleTestSupport.h"
#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Writes a value of the user's recycle-bin settings for the volume whose top is root.
void SetBinSetting(const wchar_t* root, const wchar_t* name, DWORD value) {
    wchar_t volume[64] = {};
    ASSERT_TRUE(GetVolumeNameForVolumeMountPointW(root, volume, 64)) << Utf8FromWide(root);
    const std::wstring guid(std::wcschr(volume, L'{'), std::wcschr(volume, L'}') + 1);
    const std::wstring key =
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\BitBucket\\Volume\\" + guid;
    ASSERT_EQ(
        RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name, REG_DWORD, &value, sizeof value),
        ERROR_SUCCESS);
}

} // namespace

// Decided once per drive, before its first file: every file stays with the one reason,
// the shell is never called, so nothing is asked and nothing deleted.
TEST(DrivesWithoutBins, EveryFileStaysWithOneReasonAndNothingIsAsked) {
    SetBinSetting(L"S:\\", L"NukeOnDelete", 1);
    const struct {
        const char* root;
        const char* detail;
    } drives[] = {
        {"R:\\", "it is a removable drive"},
        {"N:\\", "it is a network drive"},
        {"S:\\", "its recycle bin is set to remove files immediately"},
    };
    for (const auto& drive : drives) {
        ASSERT_NE(GetDriveTypeW(WideFromUtf8(drive.root).c_str()), DRIVE_NO_ROOT_DIR)
            << drive.root << " is not mapped (drives-without-bins.sh maps it)";
        TempDir dir(drive.root);
        const std::vector<std::string> files = {"a.tmp", "sub/b.tmp", "sub/c.tmp"};
        MakeTree(dir.path(), {{TreeEntry::File, files[0]},
                              {TreeEntry::File, files[1]},
                              {TreeEntry::File, files[2]}});
        Request request(dir.path(), files);
        std::size_t calls = 0;
        RecycleOptions options;
        options.shellCalls = &calls;
        const std::set<std::string> before = TrashedHostPaths();
        const TrashReport report = request.Run(options);

        ASSERT_EQ(report.results.size(), files.size()) << drive.root << report.error;
        for (const TrashResult& result : report.results) {
            EXPECT_FALSE(result.trashed) << result.path;
            EXPECT_EQ(result.reason, kReasonNoRecycleBin) << result.path;
            EXPECT_EQ(result.detail, drive.detail) << result.path;
            EXPECT_TRUE(Exists(result.path)) << result.path;
        }
        EXPECT_EQ(calls, 0u) << drive.root;
        EXPECT_EQ(TrashedHostPaths(), before) << drive.root;
    }
}

// The bin of T: takes files of up to 1 MB: a larger one stays, a smaller one goes.
TEST(DrivesWithoutBins, AFileLargerThanTheBinTakesStays) {
    SetBinSetting(L"T:\\", L"MaxCapacity", 1);
    TempDir dir("T:\\");
    MakeTree(dir.path(), {{TreeEntry::File, "big.tmp", std::string((1 << 20) + 1, 'x')},
                          {TreeEntry::File, "small.tmp", "x"}});
    Request request(dir.path(), {"big.tmp", "small.tmp"});
    const TrashReport report = request.Run();

    ASSERT_EQ(report.results.size(), 2u) << report.error;
    EXPECT_EQ(report.results[0].reason, kReasonTooLargeForBin);
    EXPECT_TRUE(Exists(dir / "big.tmp"));
    EXPECT_TRUE(report.results[1].trashed) << report.results[1].reason;
    EXPECT_TRUE(InTrash(dir / "small.tmp"));
}
