#include "winapi/base/WinRandom.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

// The generator written out once more, step by step, to check longer runs against.
std::vector<int> Reference(uint32_t seed, size_t count) {
    std::vector<int> values;
    uint32_t x = seed;
    for (size_t i = 0; i < count; ++i) {
        x = x * 214013u + 2531011u;
        values.push_back(static_cast<int>((x >> 16) & 0x7FFF));
    }
    return values;
}

std::vector<int> Draw(size_t count) {
    std::vector<int> values;
    for (size_t i = 0; i < count; ++i)
        values.push_back(winapi::rand());
    return values;
}

class WinRandomTest : public ::testing::Test {
protected:
    // Every other user of the generator expects the start-up seed.
    void TearDown() override { winapi::srand(1); }
};

TEST_F(WinRandomTest, FirstValuesFollowTheSeed) {
    // Worked by hand: seed 1 gives x = 214013 + 2531011 = 2745024, and 2745024 >> 16 = 41;
    // seed 0 gives x = 2531011, and 2531011 >> 16 = 38.
    struct Case {
        uint32_t seed;
        std::vector<int> first;
    };
    const Case cases[] = {
        {1u, {41, 18467, 6334, 26500, 19169, 15724}},
        {0u, {38, 7719, 21238, 2437, 8855, 11797}},
        {0xFFFFFFFFu, {35, 29739, 3374, 11141}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.seed);
        winapi::srand(c.seed);
        EXPECT_EQ(Draw(c.first.size()), c.first);
        EXPECT_EQ(Reference(c.seed, c.first.size()), c.first);
    }
}

// Run on its own, as ctest runs it, the generator is as the program starts; after other tests
// the fixture has seeded it back the same way.
TEST_F(WinRandomTest, UnseededItGivesTheFirstValuesOfSeedOne) {
    EXPECT_EQ(Draw(6), Reference(1u, 6));
}

TEST_F(WinRandomTest, LongRunsMatchTheGeneratorAndSeedingRestartsIt) {
    for (uint32_t seed : {1u, 0u, 2u, 12345u, 0x80000000u, 0xDEADBEEFu}) {
        SCOPED_TRACE(seed);
        winapi::srand(seed);
        const std::vector<int> first = Draw(1000);
        EXPECT_EQ(first, Reference(seed, 1000));
        winapi::srand(seed);
        EXPECT_EQ(Draw(1000), first);
    }
    winapi::srand(1);
    const std::vector<int> one = Draw(5);
    winapi::srand(2);
    EXPECT_NE(Draw(5), one);
}

TEST_F(WinRandomTest, ValuesStayWithinFifteenBits) {
    winapi::srand(1);
    int lowest = winapi::kRandMax;
    int highest = 0;
    for (int i = 0; i < 200000; ++i) {
        const int value = winapi::rand();
        ASSERT_GE(value, 0);
        ASSERT_LE(value, winapi::kRandMax);
        lowest = std::min(lowest, value);
        highest = std::max(highest, value);
    }
    // Both ends are reached: kRandMax is the largest value there is.
    EXPECT_EQ(lowest, 0);
    EXPECT_EQ(highest, winapi::kRandMax);
}

TEST_F(WinRandomTest, LeavesTheCLibrarySequenceAlone) {
    ::srand(4242);
    std::vector<int> library;
    for (int i = 0; i < 8; ++i)
        library.push_back(::rand());

    // Interleaving seeds and draws of our generator changes nothing in the library's.
    ::srand(4242);
    winapi::srand(1);
    std::vector<int> interleaved;
    std::vector<int> ours;
    for (int i = 0; i < 8; ++i) {
        ours.push_back(winapi::rand());
        interleaved.push_back(::rand());
        if (i == 3)
            winapi::srand(77);
    }
    EXPECT_EQ(interleaved, library);

    // ... and the library's seeding and draws leave ours on its own course.
    std::vector<int> expected = Reference(1, 4);
    const std::vector<int> after = Reference(77, 4);
    expected.insert(expected.end(), after.begin(), after.end());
    EXPECT_EQ(ours, expected);

    winapi::srand(5);
    const int first = winapi::rand();
    ::srand(1);
    ::rand();
    ::srand(99);
    EXPECT_EQ(winapi::rand(), Reference(5, 2)[1]);
    EXPECT_EQ(first, Reference(5, 1)[0]);
}

}  // namespace
