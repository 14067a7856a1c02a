#include "settings/PointCodec.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <limits>

TEST(PointCodec, StoresFirstTimesOneHundredThousandPlusSecondAndReadsItBack) {
    struct Case {
        int first, second;
        std::int64_t stored;
    };
    const Case cases[] = {
        {123, 450, 12300450},
        {200, -610, 19999390},
        {-200, 610, -19999390},
        {-1920, -1080, -192001080},
        {0, 0, 0},
        {0, -1, -1},
        {300, 200, 30000200},
        {100, 0, 10000000},
        {1720, 780, 172000780},
        {7, 49999, 749999},
        {7, -50000, 650000},
        {-7, -50000, -750000},
        {21474, 83647, INT_MAX},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "(" << c.first << ", " << c.second << ")");
        EXPECT_EQ(EncodePair(c.first, c.second), c.stored);
        const EncodedPair expected =
            c.second >= 50000 ? EncodedPair{c.first + 1, c.second - 100000} : EncodedPair{c.first, c.second};
        EXPECT_EQ(DecodePair(c.stored), expected);
    }
}

TEST(PointCodec, ValuesOfEarlierFilesWithASecondNumberBelowFiftyThousandReadAsBefore) {
    // Positive stored values whose last five digits are below 50000 split exactly as a plain
    // division with remainder splits them.
    for (std::int64_t stored : {0LL, 1LL, 49999LL, 12300450LL, 30000200LL, 2147449999LL}) {
        EXPECT_EQ(DecodePair(stored),
                  (EncodedPair{static_cast<int>(stored / 100000), static_cast<int>(stored % 100000)}))
            << stored;
    }
}

TEST(PointCodec, EveryScreenPositionRoundTrips) {
    for (int first = -40000; first <= 40000; first += 997) {
        for (int second = -50000; second < 50000; second += 331) {
            ASSERT_EQ(DecodePair(EncodePair(first, second)), (EncodedPair{first, second})) << first << ", " << second;
        }
    }
    for (int first : {INT_MIN, INT_MAX}) {
        for (int second : {-50000, 0, 49999}) {
            EXPECT_EQ(DecodePair(EncodePair(first, second)), (EncodedPair{first, second})) << first << ", " << second;
        }
    }
}

TEST(PointCodec, AbsurdStoredValuesGiveClampedPairsWithoutOverflow) {
    const auto big = std::numeric_limits<std::int64_t>::max();
    const auto small = std::numeric_limits<std::int64_t>::min();
    EXPECT_EQ(DecodePair(big).first, INT_MAX);
    EXPECT_EQ(DecodePair(small).first, INT_MIN);
    for (std::int64_t value : {big, small, big - 1, small + 1}) {
        const EncodedPair pair = DecodePair(value);
        EXPECT_GE(pair.second, -50000);
        EXPECT_LT(pair.second, 50000);
    }
}
