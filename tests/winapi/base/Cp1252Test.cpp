#include "winapi/base/Cp1252.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace {

struct CharacterCase {
    unsigned char cp1252;
    const char* utf8;
};

// Every character of the code page outside ASCII that the program's texts use, and the
// whole 0x80-0x9F block, each with its UTF-8 form.
const CharacterCase kCharacters[] = {
    {0xE4, "\xC3\xA4"},      // ä
    {0xF6, "\xC3\xB6"},      // ö
    {0xFC, "\xC3\xBC"},      // ü
    {0xDF, "\xC3\x9F"},      // ß
    {0xE9, "\xC3\xA9"},      // é
    {0xC4, "\xC3\x84"},      // Ä
    {0xA0, "\xC2\xA0"},      // no-break space, first of the Latin-1 block
    {0xA9, "\xC2\xA9"},      // ©
    {0xFF, "\xC3\xBF"},      // ÿ, last byte
    {0x80, "\xE2\x82\xAC"},  // €
    {0x82, "\xE2\x80\x9A"},  // ‚
    {0x83, "\xC6\x92"},      // ƒ
    {0x84, "\xE2\x80\x9E"},  // „
    {0x85, "\xE2\x80\xA6"},  // …
    {0x86, "\xE2\x80\xA0"},  // †
    {0x87, "\xE2\x80\xA1"},  // ‡
    {0x88, "\xCB\x86"},      // ˆ
    {0x89, "\xE2\x80\xB0"},  // ‰
    {0x8A, "\xC5\xA0"},      // Š
    {0x8B, "\xE2\x80\xB9"},  // ‹
    {0x8C, "\xC5\x92"},      // Œ
    {0x8E, "\xC5\xBD"},      // Ž
    {0x91, "\xE2\x80\x98"},  // ‘
    {0x92, "\xE2\x80\x99"},  // ’
    {0x93, "\xE2\x80\x9C"},  // “
    {0x94, "\xE2\x80\x9D"},  // ”
    {0x95, "\xE2\x80\xA2"},  // •
    {0x96, "\xE2\x80\x93"},  // –
    {0x97, "\xE2\x80\x94"},  // —
    {0x98, "\xCB\x9C"},      // ˜
    {0x99, "\xE2\x84\xA2"},  // ™
    {0x9A, "\xC5\xA1"},      // š
    {0x9B, "\xE2\x80\xBA"},  // ›
    {0x9C, "\xC5\x93"},      // œ
    {0x9E, "\xC5\xBE"},      // ž
    {0x9F, "\xC5\xB8"},      // Ÿ
};

// The bytes of the 0x80-0x9F block that stand for no character.
const unsigned char kUndefinedBytes[] = {0x81, 0x8D, 0x8F, 0x90, 0x9D};

std::string Byte(unsigned char value) {
    return std::string(1, static_cast<char>(value));
}

TEST(Cp1252Test, AsciiPassesUnchangedBothWays) {
    std::string ascii;
    for (int c = 1; c < 0x80; ++c)
        ascii += static_cast<char>(c);
    EXPECT_EQ(winapi::Cp1252ToUtf8(ascii.c_str()), ascii);
    EXPECT_EQ(winapi::Utf8ToCp1252(ascii.c_str()), ascii);
}

TEST(Cp1252Test, EachCharacterConvertsToItsUtf8FormAndBack) {
    for (const CharacterCase& c : kCharacters) {
        SCOPED_TRACE(testing::Message() << "byte 0x" << std::hex << int{c.cp1252});
        EXPECT_EQ(winapi::Cp1252ToUtf8(Byte(c.cp1252).c_str()), c.utf8);
        EXPECT_EQ(winapi::Utf8ToCp1252(c.utf8), Byte(c.cp1252));
    }
}

TEST(Cp1252Test, EveryDefinedByteSurvivesTheRoundTrip) {
    std::string all;
    for (int c = 1; c < 0x100; ++c) {
        bool undefined = false;
        for (const unsigned char byte : kUndefinedBytes)
            undefined = undefined || byte == c;
        if (!undefined)
            all += static_cast<char>(c);
    }
    EXPECT_EQ(winapi::Utf8ToCp1252(winapi::Cp1252ToUtf8(all.c_str()).c_str()), all);
}

TEST(Cp1252Test, MixedTextKeepsItsOrder) {
    EXPECT_EQ(winapi::Cp1252ToUtf8("Gr\xFC\xDF" "e \x80" "5 \x84ja\x93"),
              "Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC" "5 \xE2\x80\x9Eja\xE2\x80\x9C");
    EXPECT_EQ(winapi::Utf8ToCp1252("Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC" "5 \xE2\x80\x9Eja\xE2\x80\x9C"),
              "Gr\xFC\xDF" "e \x80" "5 \x84ja\x93");
}

TEST(Cp1252Test, UndefinedBytesAreDropped) {
    for (const unsigned char byte : kUndefinedBytes) {
        SCOPED_TRACE(testing::Message() << "byte 0x" << std::hex << int{byte});
        const std::string text = "a" + Byte(byte) + "b";
        EXPECT_EQ(winapi::Cp1252ToUtf8(text.c_str()), "ab");
    }
}

TEST(Cp1252Test, CharactersOutsideTheCodePageAreDropped) {
    const struct {
        const char* utf8;
        const char* expected;
    } cases[] = {
        {"a\xD0\xB6z", "az"},                    // Cyrillic zhe
        {"\xD0\x9F\xD1\x80\xD0\xB8", ""},         // a Cyrillic word
        {"x\xF0\x9F\x98\x80y", "xy"},            // emoji, four bytes
        {"\xE4\xB8\xAD\xC3\xA4", "\xE4"},        // CJK then ä
        {"\xC2\x81\xC2\x9D", ""},                // C1 controls: the code page has other characters there
        {"\xC5\x81", ""},                        // Ł, Latin but not in this code page
        {"\xE2\x82\xAD", ""},                    // a neighbour of €
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.utf8);
        EXPECT_EQ(winapi::Utf8ToCp1252(c.utf8), c.expected);
    }
}

TEST(Cp1252Test, MalformedUtf8IsSkippedAndTheRestKept) {
    const struct {
        std::string utf8;
        std::string expected;
    } cases[] = {
        {"a\x80" "b", "ab"},                       // stray continuation byte
        {"a\xBF\xBF" "b", "ab"},                   // two stray continuation bytes
        {"a\xC3" "b", "ab"},                       // lead without continuation
        {"a\xE2\x82" "b", "ab"},                   // three-byte sequence cut short
        {"a\xF0\x9F\x98" "b", "ab"},               // four-byte sequence cut short
        {"a\xFF\xFE" "b", "ab"},                   // bytes that never occur
        {"a\xF8\x88\x80\x80\x80" "b", "ab"},       // five-byte form
        {"\xC3\xC3\xA4", "\xE4"},                  // a broken lead before a good ä
        {"a\xED\xA0\x80" "b", "ab"},               // surrogate half
        {"a\xF4\x90\x80\x80" "b", "ab"},           // beyond the last code point
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.utf8));
        EXPECT_EQ(winapi::Utf8ToCp1252(c.utf8.c_str()), c.expected);
    }
}

// A character written with more bytes than it needs is malformed, not that character.
TEST(Cp1252Test, OverlongFormsAreSkipped) {
    const struct {
        std::string utf8;
        std::string expected;
    } cases[] = {
        {"a\xC1\x81" "b", "ab"},          // 'A' in two bytes
        {"a\xE0\x83\xA4" "b", "ab"},      // ä in three bytes
        {"a\xF0\x80\x83\xA4" "b", "ab"},  // ä in four bytes
        {"a\xC0\xBC" "b", "ab"},          // '<' in two bytes
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.utf8));
        EXPECT_EQ(winapi::Utf8ToCp1252(c.utf8.c_str()), c.expected);
    }
}

TEST(Cp1252Test, TruncatedSequenceAtTheEndStopsAtTheTerminator) {
    // Each text ends inside a sequence; the buffer holds a marker right after the terminator
    // that must not leak into the result.
    const char* const tails[] = {"\xC3", "\xE2", "\xE2\x82", "\xF0", "\xF0\x9F", "\xF0\x9F\x98"};
    for (const char* tail : tails) {
        SCOPED_TRACE(testing::PrintToString(std::string(tail)));
        std::string buffer = std::string("ok") + tail;
        buffer += '\0';
        buffer += "\x80\x80\x80X";
        EXPECT_EQ(winapi::Utf8ToCp1252(buffer.c_str()), "ok");
    }
}

TEST(Cp1252Test, NullAndEmptyInputGiveEmptyText) {
    EXPECT_EQ(winapi::Cp1252ToUtf8(nullptr), "");
    EXPECT_EQ(winapi::Utf8ToCp1252(nullptr), "");
    EXPECT_EQ(winapi::Cp1252ToUtf8(""), "");
    EXPECT_EQ(winapi::Utf8ToCp1252(""), "");
}

// The checked conversion gives what the plain one gives whenever nothing would be dropped.
TEST(Cp1252Test, CheckedConversionOfConvertibleTextMatchesThePlainOne) {
    std::string all;
    for (const CharacterCase& c : kCharacters)
        all += c.utf8;
    for (int c = 1; c < 0x80; ++c)
        all += static_cast<char>(c);
    const std::string texts[] = {"", "plain", all, "Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC" "5"};
    for (const std::string& text : texts) {
        SCOPED_TRACE(testing::PrintToString(text));
        std::string out = "stale";
        size_t offset = 99;
        int32_t codePoint = 99;
        EXPECT_TRUE(winapi::Utf8ToCp1252Checked(text.c_str(), &out, &offset, &codePoint));
        EXPECT_EQ(out, winapi::Utf8ToCp1252(text.c_str()));
        EXPECT_EQ(offset, 99u);
        EXPECT_EQ(codePoint, 99);
    }
    std::string out = "stale";
    EXPECT_TRUE(winapi::Utf8ToCp1252Checked(nullptr, &out, nullptr, nullptr));
    EXPECT_EQ(out, "");
}

// Where the plain conversion drops a character, the checked one stops there and tells which.
TEST(Cp1252Test, CheckedConversionStopsAtTheFirstCharacterItCannotConvert) {
    const struct {
        std::string utf8;
        std::string before;  // converted, in Windows-1252
        size_t offset;
        int32_t codePoint;  // -1: malformed
    } cases[] = {
        {"a\xD0\xB6z", "a", 1, 0x0436},                    // Cyrillic zhe
        {"\xC3\xA4\xC5\x81", "\xE4", 2, 0x0141},            // ä, then Ł
        {"x\xF0\x9F\x98\x80y", "x", 1, 0x1F600},           // emoji, four bytes
        {"\xE2\x82\xAC\xE2\x82\xAD", "\x80", 3, 0x20AD},  // €, then its neighbour
        {"ab\xC2\x81", "ab", 2, 0x81},                      // a C1 control
        {"\xD0\xB6\xD0\xB7", "", 0, 0x0436},               // only the first is told
        {"a\x80" "b", "a", 1, -1},                         // stray continuation byte
        {"a\xC3" "b", "a", 1, -1},                         // lead without continuation
        {"ok\xE2\x82", "ok", 2, -1},                        // cut short by the end
        {"a\xC1\x81", "a", 1, -1},                         // overlong 'A'
        {"a\xED\xA0\x80", "a", 1, -1},                     // surrogate half
        {"a\xF4\x90\x80\x80", "a", 1, -1},                 // beyond the last code point
        {"a\xFF", "a", 1, -1},                             // a byte that never occurs
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.utf8));
        std::string out;
        size_t offset = 0;
        int32_t codePoint = 0;
        EXPECT_FALSE(winapi::Utf8ToCp1252Checked(c.utf8.c_str(), &out, &offset, &codePoint));
        EXPECT_EQ(out, c.before);
        EXPECT_EQ(offset, c.offset);
        EXPECT_EQ(codePoint, c.codePoint);
        // The plain conversion gives the same text before that character.
        EXPECT_EQ(winapi::Utf8ToCp1252(c.utf8.c_str()).compare(0, c.before.size(), c.before), 0);
        std::string unreported;
        EXPECT_FALSE(winapi::Utf8ToCp1252Checked(c.utf8.c_str(), &unreported, nullptr, nullptr));
    }
}

// Every letter pair of the code page, upper case first: ASCII, the Latin-1 block (but for
// the multiplication and division signs) and the four of the 0x80-0x9F block.
using LetterPair = std::pair<unsigned char, unsigned char>;

std::vector<LetterPair> LetterPairs() {
    std::vector<LetterPair> pairs = {{0x8A, 0x9A}, {0x8C, 0x9C}, {0x8E, 0x9E}, {0x9F, 0xFF}};
    for (int c = 'A'; c <= 'Z'; ++c)
        pairs.emplace_back(c, c - 'A' + 'a');
    for (int c = 0xC0; c <= 0xDE; ++c) {
        if (c != 0xD7)
            pairs.emplace_back(c, c + 0x20);
    }
    return pairs;
}

TEST(Cp1252Test, CaseFoldTakesLettersToLowerCase) {
    const struct {
        unsigned char byte;
        unsigned char folded;
    } cases[] = {
        {'A', 'a'},   {'Z', 'z'},   {'a', 'a'},   {'@', '@'},   {'[', '['},   {'`', '`'},   {'{', '{'},
        {'0', '0'},   {0xC0, 0xE0}, {0xC4, 0xE4}, {0xDE, 0xFE}, {0xE4, 0xE4}, {0xD7, 0xD7}, {0xF7, 0xF7},
        {0xDF, 0xDF}, {0x8A, 0x9A}, {0x8C, 0x9C}, {0x8E, 0x9E}, {0x9F, 0xFF}, {0x9A, 0x9A}, {0xFF, 0xFF},
        {0x80, 0x80}, {0x8B, 0x8B}, {0x9B, 0x9B}, {0xBF, 0xBF}, {0x00, 0x00},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "byte 0x" << std::hex << int{c.byte});
        EXPECT_EQ(winapi::Cp1252FoldCase(c.byte), c.folded);
    }
}

TEST(Cp1252Test, CaseFoldChangesExactlyTheUpperCaseLetters) {
    unsigned char expected[256];
    for (int c = 0; c < 256; ++c)
        expected[c] = static_cast<unsigned char>(c);
    for (const auto& [upper, lower] : LetterPairs())
        expected[upper] = lower;
    for (int c = 0; c < 256; ++c) {
        SCOPED_TRACE(testing::Message() << "byte 0x" << std::hex << c);
        EXPECT_EQ(winapi::Cp1252FoldCase(static_cast<unsigned char>(c)), expected[c]);
    }
}

}  // namespace
