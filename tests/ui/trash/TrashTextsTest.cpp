// The words the report says about a delete or an undo.
#include "ui/trash/TrashTexts.h"

#include <gtest/gtest.h>

namespace {

TEST(TrashTexts, SummaryReadsRightForOneAndForManyAndCountsStoppedFilesApart) {
    struct Case {
        TrashWork work;
        std::size_t moved, failed, stopped;
        const char* text;
    } cases[] = {
        {TrashWork::Delete, 0, 1, 0, "0 of 1 file were moved to the trash; 1 was not."},
        {TrashWork::Delete, 1, 2, 0, "1 of 3 files was moved to the trash; 2 were not."},
        {TrashWork::Delete, 2, 1, 0, "2 of 3 files were moved to the trash; 1 was not."},
        {TrashWork::Delete, 995, 2005, 0,
         "995 of 3,000 files were moved to the trash; 2,005 were not."},
        {TrashWork::Delete, 7568, 0, 92432,
         "7,568 of 100,000 files were moved to the trash; 92,432 were not moved because the "
         "delete was stopped."},
        {TrashWork::Delete, 7500, 68, 92432,
         "7,500 of 100,000 files were moved to the trash; 68 could not be moved and 92,432 "
         "were not moved because the delete was stopped."},
        {TrashWork::Undo, 3, 1, 0, "3 of 4 files were put back; 1 was not."},
        {TrashWork::Undo, 1, 0, 1,
         "1 of 2 files was put back; 1 was not put back because the undo was stopped."},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TrashSummary(c.work, c.moved, c.failed, c.stopped), c.text);
}

// Where no undo is kept (Windows), a report of a delete that moved files says where they are.
TEST(TrashTexts, SummaryWithoutUndoSaysWhereTheFilesAre) {
    TrashReport report;
    report.results = {{"a", true, "", ""}, {"b", false, kReasonInUse, ""}};
    EXPECT_EQ(TrashSummary(report, false), "1 of 2 files was moved to the trash; 1 was not. You "
                                           "can restore them from the Recycle Bin.");
    EXPECT_EQ(TrashSummary(report, true), "1 of 2 files was moved to the trash; 1 was not.");
    report.results[0].trashed = false;
    EXPECT_EQ(TrashSummary(report, false), "0 of 2 files were moved to the trash; 2 were not.");
}

} // namespace
