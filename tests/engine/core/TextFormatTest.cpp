#include "engine/core/TextFormat.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "engine/core/DynString.h"

namespace {

constexpr char kSentinel = '#';

int Measure(const char* format, ...) __attribute__((format(printf, 1, 2)));
int Measure(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    const int count = FormattedLength(format, arguments);
    va_end(arguments);
    return count;
}

int ToBuffer(char* buffer, const char* format, ...) __attribute__((format(printf, 2, 3)));
int ToBuffer(char* buffer, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    const int count = FormatToBuffer(buffer, format, arguments);
    va_end(arguments);
    return count;
}

// What both entry points make of one format and its arguments.
struct Outcome {
    std::string text;  // the characters written, up to the count
    int written = 0;   // FormatToBuffer's count
    int measured = 0;  // FormattedLength's count
    bool terminated = false;
};

Outcome FormatBoth(const char* format, ...) __attribute__((format(printf, 1, 2)));
Outcome FormatBoth(const char* format, ...) {
    static std::vector<char> buffer(kFormatBufferLimit + 16);
    std::fill(buffer.begin(), buffer.end(), kSentinel);
    Outcome outcome;
    va_list arguments;
    va_start(arguments, format);
    outcome.measured = FormattedLength(format, arguments);
    va_end(arguments);
    va_start(arguments, format);
    outcome.written = FormatToBuffer(buffer.data(), format, arguments);
    va_end(arguments);
    const size_t stored = static_cast<size_t>(std::clamp(outcome.written, 0, kFormatBufferLimit));
    outcome.text.assign(buffer.data(), stored);
    outcome.terminated = buffer[stored] == 0;
    return outcome;
}

std::string Snprintf(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Snprintf(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    const int length = vsnprintf(nullptr, 0, format, arguments);
    va_end(arguments);
    std::vector<char> text(static_cast<size_t>(length) + 1);
    va_start(arguments, format);
    vsnprintf(text.data(), text.size(), format, arguments);
    va_end(arguments);
    return std::string(text.data(), static_cast<size_t>(length));
}

::testing::AssertionResult Produces(const Outcome& outcome, const std::string& expected) {
    const int size = static_cast<int>(expected.size());
    if (outcome.text != expected)
        return ::testing::AssertionFailure() << "wrote \"" << outcome.text << "\", expected \"" << expected << '"';
    if (outcome.written != size || outcome.measured != size)
        return ::testing::AssertionFailure() << "counts " << outcome.written << " (written) and " << outcome.measured
                                             << " (measured), expected " << size;
    if (!outcome.terminated)
        return ::testing::AssertionFailure() << "no terminator behind the text";
    return ::testing::AssertionSuccess();
}

// The format and its arguments go to both the formatter and the C library.
#define EXPECT_LIKE_SNPRINTF(...) EXPECT_TRUE(Produces(FormatBoth(__VA_ARGS__), Snprintf(__VA_ARGS__))) << #__VA_ARGS__

TEST(TextFormatTest, DirectivesMatchTheCLibrary) {
    int local = 0;
    const long big = 1L << 40;

    EXPECT_LIKE_SNPRINTF("plain text, no directives");
    const std::string empty;
    EXPECT_TRUE(Produces(FormatBoth(empty.c_str()), ""));
    EXPECT_LIKE_SNPRINTF("%d", 42);
    EXPECT_LIKE_SNPRINTF("%d|%d|%d", -17, INT_MIN, INT_MAX);
    EXPECT_LIKE_SNPRINTF("%i", -123456);
    EXPECT_LIKE_SNPRINTF("%+d % d %05d %-5d|", 3, 3, -3, 3);
    EXPECT_LIKE_SNPRINTF("%5.2f|%d", 3.14159, 7);
    EXPECT_LIKE_SNPRINTF("%f %.0f %#.0f %F", -0.5, 2.5, 2.0, 1e10);
    EXPECT_LIKE_SNPRINTF("%x %x", 0xbeefu, 0xFFFFFFFFu);
    EXPECT_LIKE_SNPRINTF("%08X", 0xbeefu);
    EXPECT_LIKE_SNPRINTF("%#x %#o", 255u, 8u);
    EXPECT_LIKE_SNPRINTF("%-10s|%d", "abc", 5);
    EXPECT_LIKE_SNPRINTF("%10s|%.2s|%-4.1s|", "abc", "abcdef", "xyz");
    EXPECT_LIKE_SNPRINTF("%c", 'A');
    EXPECT_LIKE_SNPRINTF("[%5c][%-3c]%c", 'z', 'y', 'x');
    EXPECT_LIKE_SNPRINTF("%e", 12345.678);
    EXPECT_LIKE_SNPRINTF("%E %.3e", -0.000123, 6.02214076e23);
    EXPECT_LIKE_SNPRINTF("%g %g %g", 0.0001234, 100000.0, 1e-10);
    EXPECT_LIKE_SNPRINTF("%G %10.4g|", 1e20, 3.14159265);
    EXPECT_LIKE_SNPRINTF("%a", 1.0);
    EXPECT_LIKE_SNPRINTF("%f %f", DBL_MAX, -DBL_MIN);
    EXPECT_LIKE_SNPRINTF("%u %u", 4000000000u, 0u);
    EXPECT_LIKE_SNPRINTF("%o", 8u);
    EXPECT_LIKE_SNPRINTF("%p %p", static_cast<void*>(&local), static_cast<void*>(nullptr));
    EXPECT_LIKE_SNPRINTF("%ld %lu %lx", big, static_cast<unsigned long>(big) * 3, -1UL);
    EXPECT_LIKE_SNPRINTF("%lld %llu %llX", LLONG_MIN, ULLONG_MAX, 0x123456789ABCDEFULL);
    EXPECT_LIKE_SNPRINTF("%zu %zx", SIZE_MAX, static_cast<size_t>(1) << 40);
    EXPECT_LIKE_SNPRINTF("%zd", static_cast<ptrdiff_t>(-5) << 40);
    EXPECT_LIKE_SNPRINTF("%jd %ju", INTMAX_MIN, UINTMAX_MAX);
    EXPECT_LIKE_SNPRINTF("%td", static_cast<ptrdiff_t>(-7) << 35);
    EXPECT_LIKE_SNPRINTF("%Lf %Lg %Le", 1.5L, 1e400L, -LDBL_MAX);
    EXPECT_LIKE_SNPRINTF("%hd %hhd %hu", 70000, 300, 65537);
    EXPECT_LIKE_SNPRINTF("%*d|%-*d|", 6, 42, 6, 42);
    EXPECT_LIKE_SNPRINTF("%.*f|%*.*f|", 3, 2.5, 9, 2, 3.14159);
    EXPECT_LIKE_SNPRINTF("%*s|%.*s|%-*.*s|", 5, "ab", 2, "abcdef", 6, 3, "uvwxyz");
    EXPECT_LIKE_SNPRINTF("%*c|", -4, 'q');
    EXPECT_LIKE_SNPRINTF("%%");
    EXPECT_LIKE_SNPRINTF("%i. %s", 7, "abc");
    EXPECT_LIKE_SNPRINTF("%s=%d, %s=%.1f, %s=%c (%x)", "a", 1, "b", 2.25, "c", 'C', 'C');
    EXPECT_LIKE_SNPRINTF("%lld then %d then %Lf then %s", -1LL, 2, 3.0L, "four");
}

TEST(TextFormatTest, CountsAreStableAcrossCallsAndEntryPoints) {
    const Outcome first = FormatBoth("%i. %s", 7, "abc");
    EXPECT_TRUE(Produces(first, "7. abc"));
    for (int call = 0; call < 5; ++call) {
        EXPECT_EQ(Measure("%i. %s", 7, "abc"), 6) << call;
        // Something longer in between must not leave anything behind.
        EXPECT_EQ(Measure("%500d %s %2000f", call, "xyz", 1.0), 500 + 1 + 3 + 1 + 2000) << call;
    }
    EXPECT_TRUE(Produces(FormatBoth("%i. %s", 7, "abc"), "7. abc"));
}

TEST(TextFormatTest, DoubledPercentIsOnePercentAndTakesNoArgument) {
    EXPECT_TRUE(Produces(FormatBoth("100%%"), "100%"));
    EXPECT_TRUE(Produces(FormatBoth("%%"), "%"));
    EXPECT_TRUE(Produces(FormatBoth("%%%%"), "%%"));
    EXPECT_TRUE(Produces(FormatBoth("%%d"), "%d"));
    EXPECT_TRUE(Produces(FormatBoth("%%s"), "%s"));
    // The argument goes to the first real directive.
    EXPECT_TRUE(Produces(FormatBoth("%%d %d", 5), "%d 5"));
    EXPECT_TRUE(Produces(FormatBoth("%%%d%%", 9), "%9%"));
    EXPECT_TRUE(Produces(FormatBoth("%%s%s", "t"), "%st"));
}

TEST(TextFormatTest, FormatEndingInsideDirectiveStopsThere) {
    struct Case {
        std::string format;
        std::string expected;
    };
    // Built at run time: the compiler rightly refuses these as literals.
    const Case cases[] = {
        {std::string("abc") + '%', "abc"},
        {std::string("%"), ""},
        {std::string("x%5"), "x"},
        {std::string("x%-08.3"), "x"},
        {std::string("a%ll"), "a"},
        {std::string("a% "), "a"},
        {std::string("%d and %"), "4 and "},
    };
    for (const Case& c : cases)
        EXPECT_TRUE(Produces(FormatBoth(c.format.c_str(), 4), c.expected)) << '"' << c.format << '"';
}

TEST(TextFormatTest, NullStringPrintsAsEmpty) {
    const char* volatile none = nullptr;
    const Outcome bare = FormatBoth("[%s]", none);
    EXPECT_TRUE(Produces(bare, "[]"));

    // With padding or precision it is an empty string run through the directive.
    EXPECT_TRUE(Produces(FormatBoth("[%-3s]", none), "[   ]"));
    EXPECT_TRUE(Produces(FormatBoth("[%3s]", none), "[   ]"));
    EXPECT_TRUE(Produces(FormatBoth("[%.2s]", none), "[]"));
    // The arguments behind it are still found.
    EXPECT_TRUE(Produces(FormatBoth("%s%d%-2s%d", none, 1, none, 2), "1  2"));
}

TEST(TextFormatTest, UpperCaseStringLetterTakesByteStrings) {
    struct Case {
        std::string format;  // built at run time: the compiler would want wide strings
        const char* first;
        const char* second;
        std::string expected;
    };
    const char* none = nullptr;
    const Case cases[] = {
        {"%S|", "abc", none, "abc|"},
        {"%S|", none, none, "|"},
        {"%5S|%-5S|", "abc", "de", "  abc|de   |"},
        // A long string letter takes byte strings too.
        {"%ls|", "abc", none, "abc|"},
        {"%lS|", "abc", none, "abc|"},
        {"%ls|%lS|", none, none, "||"},
        {"%5ls|%-5lS|", "abc", "de", "  abc|de   |"},
        {"%.2ls|%3.1lS|", "abc", "de", "ab|  d|"},
        {"%ls|%s|", "abc", "de", "abc|de|"},
    };
    for (const Case& c : cases) {
        const char* volatile first = c.first;
        const char* volatile second = c.second;
        EXPECT_TRUE(Produces(FormatBoth(c.format.c_str(), first, second), c.expected)) << '"' << c.format << '"';
    }
}

TEST(TextFormatTest, EveryByteValuePassesThrough) {
    std::string bytes;
    std::string format;
    for (int value = 1; value < 256; ++value) {
        const char c = static_cast<char>(value);
        bytes += c;
        format += c;
        if (c == '%')
            format += '%';
    }
    EXPECT_TRUE(Produces(FormatBoth(format.c_str(), 0), bytes));
    EXPECT_TRUE(Produces(FormatBoth("%s", bytes.c_str()), bytes));
    EXPECT_TRUE(Produces(FormatBoth("<%300s>", bytes.c_str()), "<" + std::string(45, ' ') + bytes + ">"));
}

TEST(TextFormatTest, CountDirectiveConsumesItsPointerAndWritesNothing) {
    int count = -1;
    short shortCount = -1;
    EXPECT_TRUE(Produces(FormatBoth("ab%ncd%d", &count, 5), "abcd5"));
    EXPECT_EQ(count, -1);
    EXPECT_TRUE(Produces(FormatBoth("%s%hn|%s", "xy", &shortCount, "z"), "xy|z"));
    EXPECT_EQ(shortCount, -1);
}

TEST(TextFormatTest, DirectiveLongerThanScratchBufferIsEmittedWhole) {
    EXPECT_TRUE(Produces(FormatBoth("%2000d", 7), std::string(1999, ' ') + "7"));
    EXPECT_TRUE(Produces(FormatBoth("%-1500s|", "x"), "x" + std::string(1499, ' ') + "|"));
    EXPECT_TRUE(Produces(FormatBoth("%.1200f", 1.0), "1." + std::string(1200, '0')));
    // One byte either side of the scratch size.
    EXPECT_TRUE(Produces(FormatBoth("%1023d", 1), std::string(1022, ' ') + "1"));
    EXPECT_TRUE(Produces(FormatBoth("%1024d", 1), std::string(1023, ' ') + "1"));
    EXPECT_LIKE_SNPRINTF("%3000.1500e|%*x", 2.0, 1100, 0xabcu);
}

TEST(TextFormatTest, ResultBeyondBufferLimitIsCutWhileCountStaysFull) {
    std::vector<char> buffer(kFormatBufferLimit + 64);
    struct Case {
        int length;
        bool terminated;
    };
    const Case cases[] = {
        {kFormatBufferLimit - 1, true},
        {kFormatBufferLimit, false},
        {kFormatBufferLimit + 1, false},
        {kFormatBufferLimit + 40, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        std::string text(static_cast<size_t>(c.length), 'a');
        for (size_t i = 0; i < text.size(); i += 1000)
            text[i] = 'b';  // marks, so that a shifted copy shows
        std::fill(buffer.begin(), buffer.end(), kSentinel);

        EXPECT_EQ(ToBuffer(buffer.data(), "%s", text.c_str()), c.length);
        EXPECT_EQ(Measure("%s", text.c_str()), c.length);
        const size_t stored = std::min<size_t>(text.size(), kFormatBufferLimit);
        EXPECT_EQ(std::string(buffer.data(), stored), text.substr(0, stored));
        EXPECT_EQ(buffer[stored], c.terminated ? '\0' : kSentinel);
        for (size_t i = kFormatBufferLimit + 1; i < buffer.size(); ++i)
            ASSERT_EQ(buffer[i], kSentinel) << "byte " << i;
    }

    // Directives behind the cut are still counted.
    const std::string text(kFormatBufferLimit - 2, 'c');
    std::fill(buffer.begin(), buffer.end(), kSentinel);
    EXPECT_EQ(ToBuffer(buffer.data(), "%s%d|%5.1f", text.c_str(), 12345, 2.0), kFormatBufferLimit + 9);
    EXPECT_EQ(Measure("%s%d|%5.1f", text.c_str(), 12345, 2.0), kFormatBufferLimit + 9);
    EXPECT_EQ(std::string(buffer.data() + kFormatBufferLimit - 2, 3), std::string("12") + kSentinel);
}

// Every byte from the terminator up to the capacity must be zero.
::testing::AssertionResult ZeroTail(const CDynString& s) {
    const char* text = s.GetText();
    const size_t length = strlen(text);
    if (length >= s.GetCapacity())
        return ::testing::AssertionFailure() << "text of " << length << " fills " << s.GetCapacity() << " bytes";
    for (size_t i = length; i < s.GetCapacity(); ++i)
        if (text[i] != 0)
            return ::testing::AssertionFailure() << "byte " << i << " is " << int(text[i]);
    return ::testing::AssertionSuccess();
}

std::string Letters(size_t n) {
    std::string text;
    for (size_t i = 0; i < n; ++i)
        text += static_cast<char>('a' + i % 26);
    return text;
}

TEST(DynStringFormatTest, CapacityIsSmallestStepMultipleHoldingTheText) {
    struct Case {
        size_t length;
        uint32_t capacity;
    };
    // One string through all of them, so the capacity grows and shrinks along the way.
    const Case cases[] = {
        {100, 120}, {19, 20}, {20, 40}, {1000, 1020}, {0, 20}, {39, 40},
        {40, 60},   {1, 20},  {59, 60}, {60, 80},     {21, 40}, {79, 80},
    };
    CDynString s;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        const std::string text = Letters(c.length);
        s.Format("%s", text.c_str());
        EXPECT_STREQ(s.GetText(), text.c_str());
        EXPECT_EQ(s.GetLength(), static_cast<int>(c.length));
        EXPECT_EQ(s.GetCapacity(), c.capacity);
        EXPECT_TRUE(ZeroTail(s));
    }

    CDynString fresh;
    fresh.Format("%d-%05.1f-%c", -12, 2.5, 'z');
    EXPECT_STREQ(fresh.GetText(), "-12-002.5-z");
    EXPECT_EQ(fresh.GetCapacity(), 20u);
    fresh.Format("%25d", 1);
    EXPECT_EQ(fresh.GetLength(), 25);
    EXPECT_EQ(fresh.GetCapacity(), 40u);
}

TEST(DynStringFormatTest, ShorterTextInSameCapacityLeavesZeroTail) {
    CDynString s;
    s.Format("%s", Letters(35).c_str());
    ASSERT_EQ(s.GetCapacity(), 40u);
    s.Format("%d:%s", 7, Letters(19).c_str());
    EXPECT_STREQ(s.GetText(), ("7:" + Letters(19)).c_str());
    EXPECT_EQ(s.GetCapacity(), 40u);
    EXPECT_TRUE(ZeroTail(s));

    s.Format("%s", "");
    EXPECT_STREQ(s.GetText(), "");
    EXPECT_EQ(s.GetCapacity(), 20u);
    EXPECT_TRUE(ZeroTail(s));

    // Appending char by char relies on that tail.
    s.Format("%s", Letters(15).c_str());
    s += 'X';
    EXPECT_STREQ(s.GetText(), (Letters(15) + "X").c_str());
}

TEST(DynStringFormatTest, ArgumentsMayPointIntoTheStringItself) {
    CDynString s;
    s.Format("%s", "abc");
    s.Format("%s-%s", s.GetText(), s.GetText());
    EXPECT_STREQ(s.GetText(), "abc-abc");

    // Growing: the old text is read while the buffer is reallocated.
    s.Format("%s", Letters(15).c_str());
    ASSERT_EQ(s.GetCapacity(), 20u);
    s.Format("%s-%s", s.GetText(), s.GetText());
    EXPECT_STREQ(s.GetText(), (Letters(15) + "-" + Letters(15)).c_str());
    EXPECT_EQ(s.GetCapacity(), 40u);
    EXPECT_TRUE(ZeroTail(s));

    // Shrinking to part of its own middle.
    s.Format("%s", Letters(50).c_str());
    ASSERT_EQ(s.GetCapacity(), 60u);
    s.Format("<%.3s>", s.GetText() + 10);
    EXPECT_STREQ(s.GetText(), "<klm>");
    EXPECT_EQ(s.GetCapacity(), 20u);
    EXPECT_TRUE(ZeroTail(s));
}

TEST(DynStringFormatTest, NullArgumentAndBufferLimit) {
    const char* volatile none = nullptr;
    CDynString s;
    s.Format("[%s|%-2s]", none, none);
    EXPECT_STREQ(s.GetText(), "[|  ]");
    EXPECT_EQ(s.GetCapacity(), 20u);

    // The capacity follows the full length; the text holds what the formatter writes.
    const std::string text(kFormatBufferLimit + 30, 'q');
    s.Format("%s", text.c_str());
    EXPECT_EQ(s.GetLength(), kFormatBufferLimit);
    EXPECT_EQ(s.GetCapacity(), static_cast<uint32_t>(kFormatBufferLimit + 48));
    EXPECT_EQ(std::string(s.GetText()), text.substr(0, kFormatBufferLimit));
    EXPECT_TRUE(ZeroTail(s));
}

}  // namespace
