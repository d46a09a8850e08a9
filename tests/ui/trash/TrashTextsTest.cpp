// The words the report says about a delete or an undo.
#include "ui/trash/TrashTexts.h"

#include <gtest/gtest.h>

namespace {

TEST(TrashTexts, SummaryReadsRightForOneAndForManyAndCountsStoppedFilesApart) {
    struct Case {
        TrashWork work;
        std::size_t moved;
        std::optional<std::uint64_t> bytes; // none: a request without the collection's record
        std::size_t failed, stopped;
        const char* text;
    } cases[] = {
        {TrashWork::Delete, 0, 0, 1, 0, "0 of 1 file were moved to the trash; 1 was not."},
        {TrashWork::Delete, 1, 1, 2, 0,
         "1 of 3 files was moved to the trash (1 byte); 2 were not."},
        {TrashWork::Delete, 2, 0, 1, 0,
         "2 of 3 files were moved to the trash (0 bytes); 1 was not."},
        {TrashWork::Delete, 995, 1024, 2005, 0,
         "995 of 3,000 files were moved to the trash (1.0 KB); 2,005 were not."},
        {TrashWork::Delete, 7568, 1048576, 0, 92432,
         "7,568 of 100,000 files were moved to the trash (1.0 MB); 92,432 were not moved because "
         "the delete was stopped."},
        {TrashWork::Delete, 7500, 59454259, 68, 92432,
         "7,500 of 100,000 files were moved to the trash (56.7 MB); 68 could not be moved and "
         "92,432 were not moved because the delete was stopped."},
        {TrashWork::Delete, 3, std::nullopt, 0, 0,
         "3 of 3 files were moved to the trash; 0 were not."},
        {TrashWork::Undo, 3, 1023, 1, 0, "3 of 4 files were put back (1023 bytes); 1 was not."},
        {TrashWork::Undo, 1, 1048575, 0, 1,
         "1 of 2 files was put back (1.0 MB); 1 was not put back because the undo was stopped."},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TrashSummary(c.work, c.moved, c.bytes, c.failed, c.stopped), c.text);
}

// The main window's title once a delete or an undo is over.
TEST(TrashTexts, MovedNoteNamesFilesAndBytes) {
    struct Case {
        TrashWork work;
        std::size_t moved;
        std::uint64_t bytes;
        const char* text;
    } cases[] = {
        {TrashWork::Delete, 1, 0, "moved 1 file, 0 bytes to the trash"},
        {TrashWork::Delete, 2, 1, "moved 2 files, 1 byte to the trash"},
        {TrashWork::Delete, 1234, 59454259, "moved 1,234 files, 56.7 MB to the trash"},
        {TrashWork::Undo, 1234, 1073741824, "put back 1,234 files, 1.0 GB"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TrashMovedNote(c.work, c.moved, c.bytes), c.text);
}

// Where no undo is kept (Windows), a report of a delete that moved files says where they are.
TEST(TrashTexts, SummaryWithoutUndoSaysWhereTheFilesAre) {
    TrashReport report;
    report.results = {{"a", true, "", "", 2048}, {"b", false, kReasonInUse, "", 512}};
    EXPECT_EQ(TrashSummary(report, false), "1 of 2 files was moved to the trash (2.0 KB); 1 was "
                                           "not. You can restore them from the Recycle Bin.");
    EXPECT_EQ(TrashSummary(report, true),
              "1 of 2 files was moved to the trash (2.0 KB); 1 was not.");
    report.results[0].trashed = false;
    EXPECT_EQ(TrashSummary(report, false), "0 of 2 files were moved to the trash; 2 were not.");
}

} // namespace
