#include "engine/core/StrHelpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>

namespace {

// Filler for buffers, to see which bytes a helper wrote.
constexpr char kFill = '#';
constexpr char16_t kWideFill = u'#';

TEST(StrHelpersTest, StrResizeCopiesTextIntoZeroFilledBlock) {
    char* fresh = StrResize(nullptr, 8);
    ASSERT_NE(fresh, nullptr);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(fresh[i], 0) << "byte " << i;
    strcpy(fresh, "abcdef");

    char* grown = StrResize(fresh, 16);
    ASSERT_NE(grown, nullptr);
    EXPECT_STREQ(grown, "abcdef");
    for (int i = 6; i < 16; ++i)
        EXPECT_EQ(grown[i], 0) << "byte " << i;

    char* shrunk = StrResize(grown, 4);
    ASSERT_NE(shrunk, nullptr);
    EXPECT_STREQ(shrunk, "abc");

    EXPECT_EQ(StrResize(shrunk, 0), nullptr);
    EXPECT_EQ(StrResize(nullptr, 0), nullptr);
}

TEST(StrHelpersTest, StrEqualPrefixComparesWholeStrings) {
    struct Case { const char* a; const char* b; int expected; };
    const Case cases[] = {
        {"", "", 1},     {"abc", "abc", 1}, {"ab", "abc", 0}, {"abc", "ab", 0}, {"", "a", 0},
        {"a", "", 0},    {"Abc", "abc", 0}, {nullptr, "a", 0}, {"a", nullptr, 0}, {nullptr, nullptr, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StrEqualPrefix(c.a, c.b), c.expected)
            << (c.a ? c.a : "(null)") << " vs " << (c.b ? c.b : "(null)");
}

TEST(StrHelpersTest, StrCompareGivesSignOfFirstDifferenceAsSignedBytes) {
    struct Case { const char* a; const char* b; int expected; };
    const Case cases[] = {
        {"a", "b", 1},       {"b", "a", -1},       {"abc", "abc", 0},  {"", "", 0},
        {"ab", "abc", 1},    {"abc", "ab", -1},    {"abX", "abY", 1},  {"B", "a", 1},
        {"\x80", "a", 1},    {"a", "\x80", -1},    // 0x80 reads as -128
        {"\xff", "\x01", 1}, {"\x80", "\xff", 1},  // -128 < -1
        {"\xe4", "", 1},     {"", "\xe4", -1},     // every high byte sorts below the terminator
        {nullptr, "a", 0},   {"a", nullptr, 0},    {nullptr, nullptr, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StrCompare(c.a, c.b), c.expected)
            << testing::PrintToString(c.a ? c.a : "(null)") << " vs "
            << testing::PrintToString(c.b ? c.b : "(null)");
}

TEST(StrHelpersTest, StrAppendNCopiesAtMostNCharactersAndTerminates) {
    struct Case { const char* src; int n; const char* expected; };
    const Case cases[] = {
        {"abc", 2, "xyab"}, {"abc", 3, "xyabc"}, {"abc", 10, "xyabc"}, {"", 4, "xy"},
    };
    for (const Case& c : cases) {
        char buffer[16];
        memset(buffer, kFill, sizeof buffer);
        strcpy(buffer, "xy");
        const size_t length = strlen(c.expected);
        char* end = StrAppendN(buffer, c.src, c.n);
        EXPECT_STREQ(buffer, c.expected) << c.src << " / " << c.n;
        EXPECT_EQ(end, buffer + length);
        EXPECT_EQ(buffer[length + 1], kFill) << "wrote past the terminator";
    }
}

TEST(StrHelpersTest, StrAppendNRejectsNonPositiveCountAndNullStrings) {
    char buffer[8] = "xy";
    EXPECT_EQ(StrAppendN(buffer, "abc", 0), nullptr);
    EXPECT_EQ(StrAppendN(buffer, "abc", -1), nullptr);
    EXPECT_EQ(StrAppendN(buffer, nullptr, 3), nullptr);
    EXPECT_EQ(StrAppendN(nullptr, "abc", 3), nullptr);
    EXPECT_STREQ(buffer, "xy");
}

TEST(StrHelpersTest, StrFindReturnsFirstWholeMatch) {
    const char* text = "abcabdabd";
    struct Case { const char* pattern; int expected; };  // offset into text, -1 for none
    const Case cases[] = {
        {"abd", 3}, {"a", 0},     {"d", 5},   {"bda", 4},  {"abcabdabd", 0}, {"", 0},
        {"abe", -1}, {"abdabdx", -1}, {"x", -1}, {"dd", -1},
    };
    for (const Case& c : cases) {
        const char* found = StrFind(text, c.pattern);
        EXPECT_EQ(found, c.expected < 0 ? nullptr : text + c.expected) << c.pattern;
    }
    // A failed partial match must not skip a match starting inside it.
    const char* overlapping = "aaab";
    EXPECT_EQ(StrFind(overlapping, "aab"), overlapping + 1);
    EXPECT_EQ(StrFind("", "a"), nullptr);
    EXPECT_EQ(StrFind(nullptr, "a"), nullptr);
    EXPECT_EQ(StrFind("a", nullptr), nullptr);
}

TEST(StrHelpersTest, SafeStrCopyBehavesLikeBoundedCopy) {
    struct Case { const char* src; int n; const char* expected; };  // all 8 bytes afterwards
    const Case cases[] = {
        {"ab", 5, "ab\0\0\0###"},      // pads with zeros up to n
        {"abcdef", 3, "abc#####"},     // no terminator when the text fills n
        {"abc", 3, "abc#####"},
        {"abc", 0, "########"},
        {"abc", -2, "########"},
    };
    for (const Case& c : cases) {
        char buffer[8];
        memset(buffer, kFill, sizeof buffer);
        EXPECT_EQ(SafeStrCopy(c.src, buffer, c.n), 1);
        EXPECT_EQ(std::string(buffer, sizeof buffer), std::string(c.expected, sizeof buffer))
            << c.src << " / " << c.n;
    }
    EXPECT_EQ(SafeStrCopy("abc", nullptr, 3), 0);

    char buffer[4] = "xyz";
    EXPECT_EQ(SafeStrCopy(nullptr, buffer, 4), 1);
    EXPECT_STREQ(buffer, "");
}

TEST(StrHelpersTest, AnsiToWideSignExtendsBytesWithoutTerminating) {
    struct Case { const char* src; int count; std::u16string expected; };  // 8 characters afterwards
    const Case cases[] = {
        {"abcdef", 3, u"abc#####"},
        {"ab", 5, u"ab######"},        // stops at the terminator and does not copy it
        {"", 5, u"########"},
        {"\xe4\x80\x7f", 8, std::u16string{u'\xffe4', u'\xff80', u'\x7f', u'#', u'#', u'#', u'#', u'#'}},
    };
    for (const Case& c : cases) {
        char16_t buffer[8];
        std::fill(std::begin(buffer), std::end(buffer), kWideFill);
        EXPECT_EQ(AnsiToWide(c.src, buffer, c.count), 1);
        EXPECT_EQ(std::u16string(buffer, 8), c.expected) << c.src << " / " << c.count;
    }
}

TEST(StrHelpersTest, WideToAnsiKeepsLowBytesWithoutTerminating) {
    struct Case { std::u16string src; int count; std::string expected; };  // 8 bytes afterwards
    const Case cases[] = {
        {u"abcdef", 3, "abc#####"},
        {u"ab", 5, "ab######"},
        {u"", 5, "########"},
        {std::u16string{u'\xffe4', u'\x1234', u'\x0141'}, 8, "\xe4\x34\x41#####"},
    };
    for (const Case& c : cases) {
        char buffer[8];
        memset(buffer, kFill, sizeof buffer);
        EXPECT_EQ(WideToAnsi(c.src.c_str(), buffer, c.count), 1);
        EXPECT_EQ(std::string(buffer, 8), c.expected) << "count " << c.count;
    }
}

TEST(StrHelpersTest, ConversionsRejectNullBuffersAndEmptyCapacity) {
    char16_t wide[4] = {kWideFill, kWideFill, kWideFill, kWideFill};
    char narrow[4] = {kFill, kFill, kFill, kFill};
    EXPECT_EQ(AnsiToWide("abc", wide, 0), 0);
    EXPECT_EQ(AnsiToWide("abc", wide, -1), 0);
    EXPECT_EQ(AnsiToWide(nullptr, wide, 3), 0);
    EXPECT_EQ(AnsiToWide("abc", nullptr, 3), 0);
    EXPECT_EQ(WideToAnsi(u"abc", narrow, 0), 0);
    EXPECT_EQ(WideToAnsi(u"abc", narrow, -1), 0);
    EXPECT_EQ(WideToAnsi(nullptr, narrow, 3), 0);
    EXPECT_EQ(WideToAnsi(u"abc", nullptr, 3), 0);
    EXPECT_EQ(StrToWide(nullptr, wide, 3), 0);
    EXPECT_EQ(WideToStr(nullptr, narrow, 3), 0);
    EXPECT_EQ(std::u16string(wide, 4), u"####");
    EXPECT_EQ(std::string(narrow, 4), "####");
}

TEST(StrHelpersTest, ForwardingConversionsRoundTripBytes) {
    const char text[] = "N\xe4me \x80\xff";
    char16_t wide[sizeof text] = {};
    char back[sizeof text] = {};
    EXPECT_EQ(StrToWide(text, wide, static_cast<int>(sizeof text)), 1);
    EXPECT_EQ(wide[1], u'\xffe4');
    EXPECT_EQ(WideToStr(wide, back, static_cast<int>(sizeof text)), 1);
    EXPECT_STREQ(back, text);
}

}  // namespace
