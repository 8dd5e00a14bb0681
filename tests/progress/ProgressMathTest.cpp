// How far the bar has come: fraction, pixel extent and percentage text, all truncated.
#include "progress/ProgressMath.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

std::string Percent(int position, int lower, int upper) {
    char buffer[16];
    progress_math::FormatPercent(buffer, sizeof buffer,
                                 progress_math::Fraction(position, lower, upper));
    return buffer;
}

TEST(ProgressMath, PercentageIsTruncatedNotRounded) {
    struct {
        int position, lower, upper;
        const char* expected;
    } const cases[] = {
        {1, 0, 3, "33%"},      {2, 0, 3, "66%"},      {29, 0, 100, "28%"},    {57, 0, 100, "56%"},
        {58, 0, 100, "57%"},   {50, 0, 100, "50%"},   {0, 0, 100, "0%"},      {100, 0, 100, "100%"},
        {150, 0, 100, "150%"}, {-10, 0, 100, "-10%"}, {-15, -20, -10, "50%"}, {5, 5, 5, "0%"},
    };
    for (const auto& row : cases)
        EXPECT_EQ(Percent(row.position, row.lower, row.upper), row.expected)
            << row.position << " of " << row.lower << ".." << row.upper;
}

TEST(ProgressMath, ExtentIsTruncatedTowardZero) {
    using progress_math::Extent;
    using progress_math::Fraction;
    EXPECT_EQ(Extent(200, Fraction(1, 0, 3)), 66);
    EXPECT_EQ(Extent(200, Fraction(2, 0, 3)), 133);
    EXPECT_EQ(Extent(200, Fraction(-1, 0, 3)), -66);
    EXPECT_EQ(Extent(200, Fraction(4095, 0, 4096)), 199);
    EXPECT_EQ(Extent(200, Fraction(7, 3, 3)), 0) << "empty range";
    EXPECT_EQ(Extent(200, Fraction(INT_MAX, 0, 1)), INT_MAX) << "stops at the int's limit";
    EXPECT_EQ(Extent(200, Fraction(INT_MIN, 0, 1)), INT_MIN);
}

TEST(ProgressMath, DifferencesWrapLikeThirtyTwoBitInts) {
    // upper - lower is 2^32 - 1, which wraps to -1; 0 - lower wraps to INT_MIN.
    EXPECT_DOUBLE_EQ(progress_math::Fraction(0, INT_MIN, INT_MAX),
                     static_cast<double>(INT_MIN) / -1.0);
}

} // namespace
