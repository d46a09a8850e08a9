#include "platform/core/NumberText.h"

#include <gtest/gtest.h>

#include <cstdint>

TEST(NumberText, GroupsDigitsAndNamesSizesInReadableUnits) {
    EXPECT_EQ(GroupDigits(0), "0");
    EXPECT_EQ(GroupDigits(999), "999");
    EXPECT_EQ(GroupDigits(1000), "1,000");
    EXPECT_EQ(GroupDigits(1234567), "1,234,567");
    EXPECT_EQ(GroupDigits(UINT64_MAX), "18,446,744,073,709,551,615");

    const struct {
        std::uint64_t bytes;
        const char* text;
    } sizes[] = {
        {0, "0 bytes"},           {1, "1 byte"},
        {812, "812 bytes"},       {1023, "1023 bytes"},
        {1024, "1.0 KB"},         {1536, "1.5 KB"},
        {1048575, "1.0 MB"},      {1468006, "1.4 MB"},
        {59454259, "56.7 MB"},    {1073741824, "1.0 GB"},
        {UINT64_MAX, "16.0 EB"},
    };
    for (const auto& size : sizes)
        EXPECT_EQ(ReadableSize(size.bytes), size.text) << size.bytes;
}
