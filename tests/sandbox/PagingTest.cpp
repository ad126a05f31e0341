#include "sandbox/PackageVersion.h"
#include "sandbox/Paging.h"

#include <gtest/gtest.h>

#include <climits>

using Sandbox::Page;
using Sandbox::Paging;

TEST(Paging, RefusesRangesThatStartBelowOneOrRunBackwards) {
    EXPECT_FALSE(Paging::IsValidRange(0, 5));
    EXPECT_FALSE(Paging::IsValidRange(-3, 5));
    EXPECT_FALSE(Paging::IsValidRange(5, 4));
    EXPECT_TRUE(Paging::IsValidRange(3, 3));
    EXPECT_TRUE(Paging::IsValidRange(1, INT_MAX));
}

TEST(Paging, ComputesPagesWithinAndAcrossTheEnd) {
    struct Row {
        int start, end, total;
        int wantEnd, wantCount;
    };
    const Row rows[] = {
        {1, 10, 25, 10, 10},    // a full page
        {21, 30, 25, 25, 5},    // clamped to the total
        {25, 25, 25, 25, 1},    // the last item alone
        {26, 30, 25, 25, 0},    // just beyond: empty
        {100, 200, 25, 99, 0},  // far beyond: empty, end = start - 1
        {1, 10, 0, 0, 0},       // empty group
        {1, INT_MAX, 3, 3, 3},  // huge end
        {INT_MAX, INT_MAX, 3, INT_MAX - 1, 0},
    };
    for (const Row& row : rows) {
        const Page page = Paging::Compute(row.start, row.end, row.total);
        SCOPED_TRACE(std::to_string(row.start) + ".." + std::to_string(row.end) + " of " + std::to_string(row.total));
        EXPECT_EQ(page.startNum, row.start);
        EXPECT_EQ(page.endNum, row.wantEnd);
        EXPECT_EQ(page.totalCount, row.total);
        EXPECT_EQ(page.Count(), row.wantCount);
        EXPECT_EQ(page.Offset(), row.start - 1);
    }
}

TEST(PackageVersion, ComparesNumericallyPartByPart) {
    using Sandbox::PackageVersion;
    EXPECT_GT(PackageVersion::Compare("1.10.0", "1.9.9"), 0);
    EXPECT_LT(PackageVersion::Compare("1.0.0", "1.0.1"), 0);
    EXPECT_EQ(PackageVersion::Compare("1.0", "1.0.0"), 0);
    EXPECT_GT(PackageVersion::Compare("2", "1.99"), 0);
    EXPECT_EQ(PackageVersion::Compare("01.2", "1.2"), 0);
}

TEST(PackageVersion, RefusesWhatIsNotDottedNumbers) {
    using Sandbox::PackageVersion;
    for (const char* bad : {"", ".", "1.", ".1", "1..2", "1.a", "v1.0", "-1.0", "1.0-beta", "1234567890"})
        EXPECT_FALSE(PackageVersion::IsValid(bad)) << bad;
    EXPECT_TRUE(PackageVersion::IsValid("0"));
    EXPECT_TRUE(PackageVersion::IsValid("10.20.30.40"));
}
