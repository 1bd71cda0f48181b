#include "engine/core/DynString.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <string>

namespace {

// Distinct letters, so that a copy from the wrong offset shows.
std::string Letters(size_t n) {
    std::string text;
    for (size_t i = 0; i < n; ++i)
        text += static_cast<char>('a' + i % 26);
    return text;
}

// Every byte from the terminator up to `bytes` must be zero.
::testing::AssertionResult ZeroTail(const CDynString& s, uint32_t bytes) {
    const char* text = s.GetText();
    const size_t length = strlen(text);
    if (length >= bytes)
        return ::testing::AssertionFailure() << "text of " << length << " fills " << bytes << " bytes";
    for (size_t i = length; i < bytes; ++i)
        if (text[i] != 0)
            return ::testing::AssertionFailure() << "byte " << i << " is " << int(text[i]);
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult ZeroTail(const CDynString& s) {
    return ZeroTail(s, s.GetCapacity());
}

TEST(DynStringTest, DefaultStringHoldsZeroedStepBeforeFirstReservation) {
    CDynString s;
    EXPECT_STREQ(s.GetText(), "");
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_EQ(s.GetLength(), 0);
    EXPECT_EQ(s.GetCapacity(), 0u);
    EXPECT_TRUE(ZeroTail(s, CDynString::kDefaultGrowStep));

    EXPECT_EQ(s.AppendChar('x'), 0);
    EXPECT_STREQ(s.GetText(), "x");
    EXPECT_EQ(s.GetCapacity(), 20u);
    EXPECT_TRUE(ZeroTail(s));

    // Its unrecorded buffer still counts as its own when it is the source.
    CDynString fresh;
    fresh.Assign(fresh.GetText(), 5);
    EXPECT_STREQ(fresh.GetText(), "");
    EXPECT_EQ(fresh.GetCapacity(), 20u);
    EXPECT_TRUE(ZeroTail(fresh));
}

TEST(DynStringTest, ConstructsFromTextAndLength) {
    const std::string long25 = Letters(25);
    struct Case { const char* text; int length; const char* expected; uint32_t capacity; };
    const Case cases[] = {
        {"abc", 0, "abc", 20},        {"abcdef", 3, "abc", 20},
        {nullptr, 0, "", 20},         {long25.c_str(), 0, long25.c_str(), 40},
        {"abc", -1, "", 0},  // a negative length assigns nothing, leaving no buffer
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.text ? c.text : "(null)") << " / " << c.length);
        CDynString s(c.text, c.length);
        EXPECT_STREQ(s.GetText(), c.expected);
        EXPECT_EQ(s.GetCapacity(), c.capacity);
        s += "!";
        EXPECT_EQ(std::string(s.GetText()), std::string(c.expected) + "!");
        EXPECT_TRUE(ZeroTail(s));
    }
}

TEST(DynStringTest, CopiesOwnTheirBuffer) {
    const std::string long25 = Letters(25);
    CDynString original(long25.c_str(), 0);
    CDynString copy(original);
    EXPECT_STREQ(copy.GetText(), long25.c_str());
    EXPECT_NE(copy.GetText(), original.GetText());
    EXPECT_EQ(copy.GetCapacity(), 40u);

    const CDynString empty;
    CDynString fromDefault(empty);
    EXPECT_STREQ(fromDefault.GetText(), "");
    EXPECT_EQ(fromDefault.GetCapacity(), 20u);

    CDynString assigned;
    assigned = original;
    original = "changed";
    EXPECT_STREQ(assigned.GetText(), long25.c_str());

    assigned = assigned;
    EXPECT_STREQ(assigned.GetText(), long25.c_str());
    EXPECT_TRUE(ZeroTail(assigned));

    assigned = static_cast<const char*>(nullptr);
    EXPECT_STREQ(assigned.GetText(), "");
    EXPECT_EQ(assigned.GetCapacity(), 20u);
    EXPECT_TRUE(ZeroTail(assigned));
}

TEST(DynStringTest, ReserveRoundsUpToWholeGrowSteps) {
    struct Case { uint32_t request; uint32_t capacity; };
    for (const Case c : {Case{0, 20}, Case{1, 20}, Case{20, 20}, Case{21, 40}, Case{40, 40}, Case{41, 60}}) {
        CDynString s("abc", 0);
        const char* buffer = s.Reserve(c.request);
        EXPECT_EQ(buffer, s.GetText());
        EXPECT_EQ(s.GetCapacity(), c.capacity) << "request " << c.request;
        EXPECT_STREQ(s.GetText(), "abc");
        EXPECT_TRUE(ZeroTail(s));
    }

    // Shrinking keeps as much of the text as fits before the terminator.
    const std::string text = Letters(30);
    CDynString s(text.c_str(), 0);
    s.Reserve(5);
    EXPECT_EQ(s.GetCapacity(), 20u);
    EXPECT_EQ(std::string(s.GetText()), text.substr(0, 19));
    EXPECT_TRUE(ZeroTail(s));
}

TEST(DynStringTest, AssignSizesBufferForTextAndTerminator) {
    // One string through growing and shrinking, so stale bytes of longer texts would show.
    const std::string source = Letters(40);
    struct Case { uint32_t count; uint32_t capacity; };
    CDynString s;
    for (const Case c : {Case{25, 40}, Case{3, 20}, Case{40, 60}, Case{19, 20}, Case{20, 40}, Case{0, 20}}) {
        s.Assign(source.c_str(), c.count);
        EXPECT_EQ(std::string(s.GetText()), source.substr(0, c.count));
        EXPECT_EQ(s.GetCapacity(), c.capacity) << "count " << c.count;
        EXPECT_TRUE(ZeroTail(s)) << "count " << c.count;
    }
    s.Assign("abc", 3);
    s.Assign(nullptr, 5);
    EXPECT_STREQ(s.GetText(), "");
    EXPECT_EQ(s.GetCapacity(), 20u);
}

TEST(DynStringTest, AssignWithNegativeCountChangesNothing) {
    CDynString s("hello", 0);
    for (uint32_t count : {0xFFFFFFFFu, 0x80000000u}) {
        s.Assign("xyz", count);
        EXPECT_STREQ(s.GetText(), "hello");
        EXPECT_EQ(s.GetCapacity(), 20u);
    }
}

TEST(DynStringTest, AssignOfBytesWithInnerZeroEndsTextAtIt) {
    const std::string earlier = Letters(10);
    CDynString s(earlier.c_str(), 0);
    s.Assign("ab\0cd", 5);
    EXPECT_STREQ(s.GetText(), "ab");
    EXPECT_EQ(s.GetCapacity(), 20u);
    EXPECT_TRUE(ZeroTail(s));

    EXPECT_EQ(s.AppendChar('x'), 2);
    EXPECT_STREQ(s.GetText(), "abx");
    EXPECT_TRUE(ZeroTail(s));
}

TEST(DynStringTest, AssignTakesPartOfItsOwnText) {
    struct Case { size_t length; size_t offset; uint32_t count; size_t expectedLength; uint32_t capacity; };
    const Case cases[] = {
        {30, 25, 5, 5, 20},    // the buffer shrinks under the source
        {45, 10, 30, 30, 40},  // shrinks from three steps to two
        {10, 2, 5, 5, 20},
        {10, 0, 10, 10, 20},   // the whole text onto itself
        {10, 4, 20, 6, 40},    // the count runs past the terminator and grows the buffer
        {30, 30, 1, 0, 20},    // only the terminator
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.length << " chars, offset " << c.offset
                                        << ", count " << c.count);
        const std::string text = Letters(c.length);
        CDynString s(text.c_str(), 0);
        s.Assign(s.GetText() + c.offset, c.count);
        EXPECT_EQ(std::string(s.GetText()), text.substr(c.offset, c.expectedLength));
        EXPECT_EQ(s.GetCapacity(), c.capacity);
        EXPECT_TRUE(ZeroTail(s));
    }
}

TEST(DynStringTest, AppendAddsAtMostNCharactersAndReservesForThem) {
    const std::string s15 = Letters(15), s16 = Letters(16);
    struct Case { const char* initial; const char* source; int n; std::string expected; uint32_t capacity; };
    const Case cases[] = {
        {"abc", "defgh", 2, "abcde", 20},
        {"abc", "de", 100, "abcde", 20},       // stops at the source's terminator
        {s15.c_str(), "xyz", 3, s15 + "xyz", 20},
        {s16.c_str(), "xyz", 3, s16 + "xyz", 40},  // 19 characters need 21 bytes
        {"abc", "xyz", 0, "abc", 20},
        {"abc", "xyz", -5, "abc", 20},
        {"abc", nullptr, 3, "abc", 20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.initial << " + " << (c.source ? c.source : "(null)")
                                        << " / " << c.n);
        CDynString s(c.initial, 0);
        const char* end = s.Append(c.source, c.n);
        EXPECT_EQ(std::string(s.GetText()), c.expected);
        EXPECT_EQ(end, s.GetText() + s.GetLength());
        EXPECT_EQ(s.GetCapacity(), c.capacity);
        EXPECT_TRUE(ZeroTail(s));
    }
}

TEST(DynStringTest, AppendShrinksBufferAfterDeletion) {
    const std::string text = Letters(45);
    CDynString s(text.c_str(), 0);
    s.Delete(3, 100);
    EXPECT_EQ(s.GetCapacity(), 60u);
    EXPECT_TRUE(ZeroTail(s));
    s.Append("d", 1);
    EXPECT_STREQ(s.GetText(), "abcd");
    EXPECT_EQ(s.GetCapacity(), 20u);
    EXPECT_TRUE(ZeroTail(s));
}

TEST(DynStringTest, AppendFromOwnTextSurvivesReallocation) {
    struct Case { size_t length; size_t offset; int n; uint32_t capacity; };
    for (const Case c : {Case{18, 1, 3, 40}, Case{5, 0, 5, 20}, Case{19, 0, 19, 40}, Case{30, 25, 10, 40}}) {
        SCOPED_TRACE(testing::Message() << c.length << " chars, offset " << c.offset << ", n " << c.n);
        const std::string text = Letters(c.length);
        CDynString s(text.c_str(), 0);
        s.Append(s.GetText() + c.offset, c.n);
        EXPECT_EQ(std::string(s.GetText()), text + text.substr(c.offset, static_cast<size_t>(c.n)));
        EXPECT_EQ(s.GetCapacity(), c.capacity);
        EXPECT_TRUE(ZeroTail(s));
    }

    const std::string text = Letters(15);
    CDynString s(text.c_str(), 0);
    s += s;
    EXPECT_EQ(std::string(s.GetText()), text + text);
    EXPECT_EQ(s.GetCapacity(), 40u);
}

TEST(DynStringTest, AppendCharWritesAtEndAndReturnsIndex) {
    CDynString s;
    std::string expected;
    for (int i = 0; i < 45; ++i) {
        const char c = static_cast<char>('a' + i % 26);
        EXPECT_EQ(s.AppendChar(c), i);
        expected += c;
        ASSERT_EQ(std::string(s.GetText()), expected);
        // Room for the new character, a terminator and one more character.
        const uint32_t capacity = i < 19 ? 20u : i < 39 ? 40u : 60u;
        EXPECT_EQ(s.GetCapacity(), capacity) << "after " << i + 1 << " characters";
        ASSERT_TRUE(ZeroTail(s));
    }
}

TEST(DynStringTest, OperatorsChainAppends) {
    CDynString s("ab", 0);
    (s += "cd") += CDynString("ef", 0);
    (s += 'g') += static_cast<const char*>(nullptr);
    EXPECT_STREQ(s.GetText(), "abcdefg");
    EXPECT_EQ(s.GetLength(), 7);
    EXPECT_FALSE(s.IsEmpty());
}

TEST(DynStringTest, FindReturnsIndexInWholeText) {
    const CDynString s("abcabc", 0);
    struct Case { const char* pattern; int start; int expected; };
    const Case cases[] = {
        {"b", 1, 1},   {"b", 2, 4},     {"abc", 1, 3},  {"cab", 0, 2}, {"", 0, 0},  {"", 3, 3},
        {"x", 0, -1},  {"abcd", 3, -1}, {"b", 6, -1},   {"b", -1, -1}, {nullptr, 0, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(s.Find(c.pattern, c.start), c.expected)
            << (c.pattern ? c.pattern : "(null)") << " from " << c.start;
    EXPECT_EQ(CDynString().Find("", 0), -1);
}

TEST(DynStringTest, DeleteRemovesCharactersAndCutsAtEnd) {
    struct Case { int index; int count; const char* expected; };
    const Case cases[] = {
        {2, 3, "abfgh"},   {0, 1, "bcdefgh"},   {7, 1, "abcdefg"},  {5, 3, "abcde"},
        {5, 100, "abcde"}, {0, 8, ""},          {1, INT_MAX, "a"},
        {8, 1, "abcdefgh"}, {100, 1, "abcdefgh"}, {-1, 2, "abcdefgh"},
        {3, 0, "abcdefgh"}, {3, -2, "abcdefgh"},
    };
    for (const Case& c : cases) {
        CDynString s("abcdefgh", 0);
        s.Delete(c.index, c.count);
        EXPECT_STREQ(s.GetText(), c.expected) << "index " << c.index << ", count " << c.count;
        EXPECT_EQ(s.GetCapacity(), 20u);
        EXPECT_TRUE(ZeroTail(s));
    }
}

TEST(DynStringTest, InsertPlacesTextAtIndex) {
    struct Case { int index; const char* text; const char* expected; };
    const Case cases[] = {
        {0, "XY", "XYabcdef"}, {3, "XY", "abcXYdef"},  {6, "XY", "abcdefXY"},
        {7, "XY", "abcdef"},   {-1, "XY", "abcdef"},   {2, "", "abcdef"},  {2, nullptr, "abcdef"},
    };
    for (const Case& c : cases) {
        CDynString s("abcdef", 0);
        s.Insert(c.index, c.text);
        EXPECT_STREQ(s.GetText(), c.expected) << "index " << c.index;
        EXPECT_EQ(s.GetCapacity(), 20u);
        EXPECT_TRUE(ZeroTail(s));
    }
}

TEST(DynStringTest, InsertGrowsBufferInGrowSteps) {
    CDynString empty;
    empty.Insert(0, "abc");
    EXPECT_STREQ(empty.GetText(), "abc");
    EXPECT_EQ(empty.GetCapacity(), 20u);
    EXPECT_TRUE(ZeroTail(empty));

    std::string expected = Letters(18);
    CDynString s(expected.c_str(), 0);
    struct Case { int index; const char* text; uint32_t capacity; };
    const std::string long25 = Letters(25);
    for (const Case c : {Case{5, "x", 20}, Case{0, "y", 40}, Case{10, long25.c_str(), 60}}) {
        s.Insert(c.index, c.text);
        expected.insert(static_cast<size_t>(c.index), c.text);
        EXPECT_EQ(std::string(s.GetText()), expected);
        EXPECT_EQ(s.GetCapacity(), c.capacity);
        EXPECT_TRUE(ZeroTail(s));
    }
}

TEST(DynStringTest, InsertOfOwnTextSurvivesReallocation) {
    struct Case { size_t length; int index; size_t offset; uint32_t capacity; };
    for (const Case c : {Case{10, 0, 0, 40}, Case{10, 10, 0, 40}, Case{15, 5, 10, 40}, Case{6, 3, 1, 20}}) {
        SCOPED_TRACE(testing::Message() << c.length << " chars at " << c.index << " from " << c.offset);
        std::string expected = Letters(c.length);
        CDynString s(expected.c_str(), 0);
        s.Insert(c.index, s.GetText() + c.offset);
        expected.insert(static_cast<size_t>(c.index), expected.substr(c.offset));
        EXPECT_EQ(std::string(s.GetText()), expected);
        EXPECT_EQ(s.GetCapacity(), c.capacity);
        EXPECT_TRUE(ZeroTail(s));
    }
}

TEST(DynStringTest, EmptyReturnsToOneZeroedStep) {
    const std::string long45 = Letters(45);
    for (const char* text : {long45.c_str(), "abc"}) {
        CDynString s(text, 0);
        s.Empty();
        EXPECT_TRUE(s.IsEmpty());
        EXPECT_EQ(s.GetCapacity(), 20u);
        EXPECT_TRUE(ZeroTail(s));
    }
    CDynString fresh;
    fresh.Empty();
    EXPECT_EQ(fresh.GetCapacity(), 20u);
    EXPECT_TRUE(ZeroTail(fresh));
}

}  // namespace
