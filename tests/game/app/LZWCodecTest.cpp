#include "game/app/LZWCodec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "bench/ObjectModelText.h"
#include "tests/support/RandomBytes.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Codes = std::vector<int>;

constexpr int kFirstFreeCode = 256;
constexpr int kLastCode = 4094;
constexpr int kEndCode = 4095;
// The longest string a code stands for: the last code learnt from a run of one byte.
constexpr int kLongestString = kLastCode - kFirstFreeCode + 2;

Bytes FromText(const char* text) {
    return Bytes(text, text + strlen(text));
}

// What one codec call gave: its count, its bytes, and whether it handed out a buffer.
struct Result {
    int size = 0;
    Bytes bytes;
    bool buffer = false;
};

// Runs the call and frees the buffer it hands out.
template <typename Call>
Result TakeOutput(Call call) {
    uint8_t* out = reinterpret_cast<uint8_t*>(&out);  // anything but null, to see it cleared
    Result result;
    result.size = call(&out);
    result.buffer = out != nullptr;
    if (out) {
        result.bytes.assign(out, out + (result.size > 0 ? result.size : 0));
        free(out);
    }
    return result;
}

Result Compress(CLZWCodec& codec, const Bytes& in) {
    const int length = static_cast<int>(in.size());
    return TakeOutput([&](uint8_t** out) { return codec.Compress(out, in.data(), length); });
}

Result Expand(CLZWCodec& codec, const uint8_t* in, size_t length) {
    return TakeOutput([&](uint8_t** out) { return codec.Expand(out, in, static_cast<int>(length)); });
}

// Each on a codec of its own, as the program makes one per call.
Result Compress(const Bytes& in) {
    CLZWCodec codec;
    return Compress(codec, in);
}

Result Expand(const uint8_t* in, size_t length) {
    CLZWCodec codec;
    return Expand(codec, in, length);
}

Result Expand(const Bytes& in) {
    return Expand(in.data(), in.size());
}

// The stream's format worked out here, apart from the codec: 12-bit codes, most significant
// bit first, the last byte filled with zeros.
Bytes Pack(const Codes& codes) {
    Bytes bytes;
    uint32_t buffer = 0;
    int bits = 0;
    for (int code : codes) {
        buffer = (buffer << 12) | static_cast<uint32_t>(code);
        bits += 12;
        while (bits >= 8) {
            bytes.push_back(static_cast<uint8_t>(buffer >> (bits - 8)));
            bits -= 8;
        }
    }
    if (bits > 0)
        bytes.push_back(static_cast<uint8_t>(buffer << (8 - bits)));
    return bytes;
}

// Every whole code in a stream.
Codes Unpack(const Bytes& bytes) {
    Codes codes;
    for (size_t bit = 0; bit + 12 <= bytes.size() * 8; bit += 12) {
        int code = 0;
        for (size_t i = bit; i < bit + 12; ++i)
            code = (code << 1) | ((bytes[i / 8] >> (7 - i % 8)) & 1);
        codes.push_back(code);
    }
    return codes;
}

// Plain LZW over a map, learning codes up to the last one and then none: the codes the
// compressed stream must hold before its end code.
Codes ReferenceCodes(const Bytes& in) {
    std::map<std::pair<int, uint8_t>, int> learnt;
    int next = kFirstFreeCode;
    Codes codes;
    int prefix = in[0];
    for (size_t i = 1; i < in.size(); ++i) {
        const auto found = learnt.find({prefix, in[i]});
        if (found != learnt.end()) {
            prefix = found->second;
            continue;
        }
        if (next <= kLastCode)
            learnt[{prefix, in[i]}] = next++;
        codes.push_back(prefix);
        prefix = in[i];
    }
    codes.push_back(prefix);
    return codes;
}

// A reader that meets the code it is learning right now: the code at index i (i >= 1) is
// then 255 + i, as long as the table is not full.
bool DecodesTheNextFreeCode(const Codes& codes) {
    for (size_t i = 1; i < codes.size() && kFirstFreeCode + i - 1 <= size_t{kLastCode}; ++i) {
        if (codes[i] == static_cast<int>(kFirstFreeCode + i - 1))
            return true;
    }
    return false;
}

// Codes 97 (a), then every learnt code in turn, each one more "a" than the one before.
Codes RunOfLearntCodes() {
    Codes codes{'a'};
    for (int code = kFirstFreeCode; code <= kLastCode; ++code)
        codes.push_back(code);
    return codes;
}

// The byte count RunOfLearntCodes expands to.
size_t RunOfLearntCodesSize() {
    size_t size = 1;
    for (int code = kFirstFreeCode; code <= kLastCode; ++code)
        size += static_cast<size_t>(code - kFirstFreeCode + 2);
    return size;
}

// A stream of exactly `size` "a" bytes (size above the learnt run), ended.
Bytes StreamOfAs(size_t size) {
    Codes codes = RunOfLearntCodes();
    size_t left = size - RunOfLearntCodesSize();
    for (; left >= kLongestString; left -= kLongestString)
        codes.push_back(kLastCode);
    if (left == 1)
        codes.push_back('a');
    else if (left > 1)
        codes.push_back(static_cast<int>(left) + kFirstFreeCode - 2);
    codes.push_back(kEndCode);
    return Pack(codes);
}

TEST(LZWCodecTest, CompressesAbcToTheKnownSevenBytes) {
    const Result compressed = Compress(FromText("abc"));
    const Bytes expected{0x06, 0x10, 0x62, 0x06, 0x3F, 0xFF, 0x00};
    ASSERT_EQ(compressed.size, 7);
    EXPECT_EQ(compressed.bytes, expected);
    EXPECT_EQ(Unpack(expected), (Codes{'a', 'b', 'c', kEndCode}));

    const Result expanded = Expand(expected);
    EXPECT_EQ(expanded.size, 3);
    EXPECT_EQ(expanded.bytes, FromText("abc"));
}

struct RoundTrip {
    const char* name;
    Bytes bytes;
    bool decodesTheNextFreeCode;
    bool fillsTheTable;
};

TEST(LZWCodecTest, RoundTripsAndWritesTheCodesOfPlainLzw) {
    Bytes everyByte(512);
    for (size_t i = 0; i < everyByte.size(); ++i)
        everyByte[i] = static_cast<uint8_t>(255 - i % 256);
    const RoundTrip cases[] = {
        {"one byte", {0xE9}, false, false},
        {"two equal bytes", {0x80, 0x80}, false, false},
        {"a run", FromText("aaaaaaaaaa"), true, false},
        {"every byte value, high ones first", everyByte, false, false},
        {"an object-model text with its zero", MakeObjectModelText(40000), true, true},
        {"200 KB of random bytes", RandomBytes(200 * 1024, 7), false, true},
    };
    for (const RoundTrip& c : cases) {
        SCOPED_TRACE(c.name);
        const Result compressed = Compress(c.bytes);
        ASSERT_GT(compressed.size, 0);
        ASSERT_TRUE(compressed.buffer);

        Codes expected = ReferenceCodes(c.bytes);
        const size_t codeCount = expected.size();
        EXPECT_EQ(compressed.bytes.size(), (codeCount + 2) * 12 / 8) << "the end and flush codes";
        expected.push_back(kEndCode);
        Codes written = Unpack(compressed.bytes);
        if (written.size() == codeCount + 2) {
            EXPECT_EQ(written.back(), 0);
            written.pop_back();
        }
        EXPECT_EQ(written, expected);
        EXPECT_EQ(DecodesTheNextFreeCode(written), c.decodesTheNextFreeCode);
        // Every code written but the last teaches the reader one new code.
        EXPECT_EQ(codeCount - 1 >= size_t{kLastCode - kFirstFreeCode + 1}, c.fillsTheTable) << codeCount;

        const Result expanded = Expand(compressed.bytes);
        EXPECT_EQ(expanded.size, static_cast<int>(c.bytes.size()));
        EXPECT_TRUE(expanded.bytes == c.bytes);
    }
}

TEST(LZWCodecTest, OneCodecServesManyCallsAndTwoWorkSideBySide) {
    const Bytes text = MakeObjectModelText(30000, 2);
    const Bytes random = RandomBytes(30000, 3);
    const Result textAlone = Compress(text);
    const Result randomAlone = Compress(random);

    CLZWCodec first;
    CLZWCodec second;
    EXPECT_EQ(Compress(first, text).bytes, textAlone.bytes);
    EXPECT_EQ(Compress(second, random).bytes, randomAlone.bytes);
    EXPECT_EQ(Expand(first, randomAlone.bytes.data(), randomAlone.bytes.size()).bytes, random);
    EXPECT_EQ(Compress(first, random).bytes, randomAlone.bytes);
    EXPECT_EQ(Expand(second, textAlone.bytes.data(), textAlone.bytes.size()).bytes, text);
    EXPECT_EQ(Expand(first, textAlone.bytes.data(), textAlone.bytes.size()).bytes, text);
}

TEST(LZWCodecTest, RefusesNoInput) {
    CLZWCodec codec;
    const uint8_t byte = 'a';
    struct Call {
        const char* name;
        int (CLZWCodec::*function)(uint8_t**, const uint8_t*, int);
        const uint8_t* in;
        int length;
    };
    const Call calls[] = {
        {"compress 0 bytes", &CLZWCodec::Compress, &byte, 0},
        {"compress a negative length", &CLZWCodec::Compress, &byte, -1},
        {"compress no buffer", &CLZWCodec::Compress, nullptr, 1},
        {"expand 0 bytes", &CLZWCodec::Expand, &byte, 0},
        {"expand a negative length", &CLZWCodec::Expand, &byte, -1},
        {"expand no buffer", &CLZWCodec::Expand, nullptr, 1},
    };
    for (const Call& call : calls) {
        SCOPED_TRACE(call.name);
        const Result result =
            TakeOutput([&](uint8_t** out) { return (codec.*call.function)(out, call.in, call.length); });
        EXPECT_EQ(result.size, 0);
        EXPECT_FALSE(result.buffer);
    }
    EXPECT_EQ(codec.Compress(nullptr, &byte, 1), 0);
    EXPECT_EQ(codec.Expand(nullptr, &byte, 1), 0);
}

// The end code lies inside the input even when the flush byte is cut off: the reader fills
// with zeros behind the input. Any cut into the end code itself is a missing end.
TEST(LZWCodecTest, ExpandsUpToItsEndCodeAndRefusesEveryCutBeforeIt) {
    for (const Bytes& original : {FromText("abc"), FromText("ab"), MakeObjectModelText(3000, 4)}) {
        SCOPED_TRACE(std::to_string(original.size()) + " bytes");
        const Result compressed = Compress(original);
        const size_t codesWithEnd = ReferenceCodes(original).size() + 1;
        const size_t endCodeEnds = (codesWithEnd * 12 + 7) / 8;
        ASSERT_LE(endCodeEnds, compressed.bytes.size());
        for (size_t length = 1; length <= compressed.bytes.size(); ++length) {
            const Result expanded = Expand(compressed.bytes.data(), length);
            if (length < endCodeEnds) {
                ASSERT_EQ(expanded.size, 0) << "cut to " << length;
                ASSERT_FALSE(expanded.buffer) << "cut to " << length;
            } else {
                ASSERT_TRUE(expanded.bytes == original) << "cut to " << length;
            }
        }
    }
}

TEST(LZWCodecTest, RefusesHostileStreams) {
    const struct {
        const char* name;
        Bytes stream;
    } cases[] = {
        {"no end code, codes filling whole bytes", Pack({'a', 'b'})},
        {"no end code, the last byte half used", Pack({'a', 'b', 'c'})},
        {"an end code cut in half", Bytes{0x06, 0x10, 0x62, 0x06, 0x3F}},
        {"a code above the next free one", Pack({'a', kFirstFreeCode + 1, kEndCode})},
        {"a code far above the next free one", Pack({'a', 'b', kLastCode, kEndCode})},
        {"a first code that is learnt", Pack({kFirstFreeCode, kEndCode})},
        {"a first code that is the last", Pack({kLastCode, kEndCode})},
        {"the end code first, so nothing to give", Pack({kEndCode, 0})},
        {"one byte more than the limit", StreamOfAs(size_t{CLZWCodec::kMaxExpandedSize} + 1)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Result expanded = Expand(c.stream);
        EXPECT_EQ(expanded.size, 0);
        EXPECT_FALSE(expanded.buffer);
    }
}

TEST(LZWCodecTest, ExpandsExactlyToTheLimit) {
    const Result expanded = Expand(StreamOfAs(CLZWCodec::kMaxExpandedSize));
    ASSERT_EQ(expanded.size, CLZWCodec::kMaxExpandedSize);
    EXPECT_EQ(std::count(expanded.bytes.begin(), expanded.bytes.end(), 'a'), CLZWCodec::kMaxExpandedSize);
}

}  // namespace
