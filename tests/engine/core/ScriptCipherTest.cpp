#include "engine/core/ScriptCipher.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/RandomBytes.h"
#include "tests/support/TempDir.h"

namespace {

using Bytes = std::vector<uint8_t>;

// The keys the program uses for value scripts and for block, element and lab files.
constexpr char kValueScriptKey[] = "pv263918";
constexpr char kScriptKey[] = "5k2$&r/8QXVTRZ=?w!t%";

struct Key {
    const char* name;
    const char* bytes;
    int length;
};

const Key kKeys[] = {
    {"value script key", kValueScriptKey, 8},
    {"script key", kScriptKey, 20},
    {"empty key", "", 0},
};

Bytes FromText(const char* text) {
    return Bytes(text, text + strlen(text));
}

Bytes Encipher(const Bytes& data, const char* key, int keyLength) {
    CScriptCipher cipher;
    Bytes out(data.size() + static_cast<size_t>(keyLength));
    const int n = cipher.Transform(CScriptCipher::kEncipher, data.data(), static_cast<int>(data.size()),
                                   out.data(), key, keyLength);
    EXPECT_EQ(n, static_cast<int>(out.size()));
    return out;
}

TEST(ScriptCipherTest, RoundTripsEmptyAndRandomDataWithEveryKey) {
    CScriptCipher cipher;
    for (const Key& key : kKeys) {
        // 300 bytes makes the buffer length pass 256, so its low byte wraps.
        for (size_t size : {size_t{0}, size_t{1}, size_t{7}, size_t{255}, size_t{300}}) {
            SCOPED_TRACE(std::string(key.name) + ", " + std::to_string(size) + " bytes");
            const Bytes plain = RandomBytes(size, static_cast<unsigned>(size) + 17u);
            const Bytes enciphered = Encipher(plain, key.bytes, key.length);
            ASSERT_EQ(enciphered.size(), size + static_cast<size_t>(key.length));
            if (size >= 7 && key.length > 0) {
                EXPECT_NE(Bytes(enciphered.end() - static_cast<long>(size), enciphered.end()), plain);
            }

            Bytes decoded(size + 1, 0xEE);
            const int n = cipher.Transform(CScriptCipher::kDecipher, enciphered.data(),
                                           static_cast<int>(enciphered.size()), decoded.data(),
                                           key.bytes, key.length);
            ASSERT_EQ(n, static_cast<int>(size));
            EXPECT_EQ(Bytes(decoded.begin(), decoded.begin() + static_cast<long>(size)), plain);
            EXPECT_EQ(decoded[size], 0xEE) << "wrote past the plain length";
        }
    }
}

TEST(ScriptCipherTest, EmptyDataEnciphersToTheScrambledKeyAlone) {
    // Value-script key pairs: (p, 'v' % 3 = 1) adds n + i + 'p'; ('2','6') and ('3','9')
    // reverse twice; ('1','8') is a running sum; then the final running sum.
    const Bytes enciphered = Encipher({}, kValueScriptKey, 8);
    EXPECT_EQ(enciphered, (Bytes{232, 191, 66, 118, 89, 242, 58, 57}));
}

TEST(ScriptCipherTest, MatchesHandComputedVectors) {
    struct Case {
        const char* key;
        const char* data;
        Bytes expected;
    };
    const Case cases[] = {
        // Key byte 'a', selector 'b' % 3 = 2: two running sums over {a, b, x, y}.
        {"ab", "xy", {97, 36, 95, 19}},
        // ('a','0'): reverse; ('b','1'): add 8 + i + 'b'; ('c','2'): running sum; final sum.
        {"a0b1c2", "xy", {227, 169, 13, 65, 20, 184, 252, 18}},
        // Without a key only the final running sum remains.
        {"", "\x01\x02\x03\xff", {1, 3, 6, 5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(Encipher(FromText(c.data), c.key, static_cast<int>(strlen(c.key))), c.expected);

        CScriptCipher cipher;
        Bytes out(c.expected.size(), 0);
        const int n = cipher.Transform(CScriptCipher::kDecipher, c.expected.data(),
                                       static_cast<int>(c.expected.size()), out.data(), c.key,
                                       static_cast<int>(strlen(c.key)));
        ASSERT_EQ(n, static_cast<int>(strlen(c.data)));
        EXPECT_EQ(Bytes(out.begin(), out.begin() + n), FromText(c.data));
    }
}

TEST(ScriptCipherTest, WrongKeyOfTheSameLengthIsRefusedAndLeavesOutputUntouched) {
    struct Case {
        const char* right;
        const char* wrong;
    };
    const Case cases[] = {
        {kValueScriptKey, "pv263919"},
        {kValueScriptKey, "vp263918"},
        {kValueScriptKey, "\0\0\0\0\0\0\0\0"},
        {kScriptKey, "5k2$&r/8QXVTRZ=?w!t&"},
        {kScriptKey, "6k2$&r/8QXVTRZ=?w!t%"},
        {"ab", "ba"},
    };
    CScriptCipher cipher;
    const Bytes plain = RandomBytes(64, 3);
    for (const Case& c : cases) {
        const int keyLength = static_cast<int>(strlen(c.right));
        SCOPED_TRACE(c.right);
        const Bytes enciphered = Encipher(plain, c.right, keyLength);
        Bytes out(plain.size(), 0x5A);
        EXPECT_EQ(cipher.Transform(CScriptCipher::kDecipher, enciphered.data(),
                                   static_cast<int>(enciphered.size()), out.data(), c.wrong, keyLength),
                  -1);
        EXPECT_EQ(out, Bytes(plain.size(), 0x5A));
    }
}

TEST(ScriptCipherTest, DataShorterThanTheKeyIsRefusedWithoutReadingOutside) {
    CScriptCipher cipher;
    for (int length = 0; length < 8; ++length) {
        SCOPED_TRACE(length);
        // Exactly sized, so a read past the end lands outside the allocation.
        std::unique_ptr<uint8_t[]> data(new uint8_t[static_cast<size_t>(length) + (length == 0)]);
        for (int i = 0; i < length; ++i)
            data[static_cast<size_t>(i)] = static_cast<uint8_t>(i * 37);
        uint8_t out[16];
        memset(out, 0x77, sizeof out);
        EXPECT_EQ(cipher.Transform(CScriptCipher::kDecipher, data.get(), length, out, kValueScriptKey, 8), -1);
        for (uint8_t value : out)
            EXPECT_EQ(value, 0x77);
    }

    // Exactly the key's length deciphers to nothing.
    const Bytes keyOnly = Encipher({}, kScriptKey, 20);
    std::unique_ptr<uint8_t[]> exact(new uint8_t[keyOnly.size()]);
    memcpy(exact.get(), keyOnly.data(), keyOnly.size());
    uint8_t out[1] = {0x77};
    EXPECT_EQ(cipher.Transform(CScriptCipher::kDecipher, exact.get(), 20, out, kScriptKey, 20), 0);
    EXPECT_EQ(out[0], 0x77);
}

TEST(ScriptCipherTest, EncipheredFormDependsOnTheLength) {
    const Bytes shortText = FromText("the same beginning");
    Bytes longer = shortText;
    longer.push_back('!');
    for (const Key& key : {kKeys[0], kKeys[1]}) {
        SCOPED_TRACE(key.name);
        const Bytes a = Encipher(shortText, key.bytes, key.length);
        const Bytes b = Encipher(longer, key.bytes, key.length);
        // Not even the key prefix comes out the same.
        EXPECT_NE(Bytes(a.begin(), a.begin() + key.length), Bytes(b.begin(), b.begin() + key.length));
    }

    // Lengths 256 apart share the low byte of the buffer length.
    const Bytes small = RandomBytes(10, 9);
    Bytes big = small;
    big.resize(266, 0);
    const Bytes a = Encipher(small, kValueScriptKey, 8);
    const Bytes b = Encipher(big, kValueScriptKey, 8);
    EXPECT_EQ(a, Bytes(b.begin(), b.begin() + 18));
}

TEST(ScriptCipherTest, PrimitivePassesMatchTheirDefinitionsAndInvert) {
    CScriptCipher cipher;

    uint8_t reversed[] = {1, 2, 3, 4};
    cipher.ReverseBytes(reversed, 4);
    EXPECT_EQ(Bytes(reversed, reversed + 4), (Bytes{4, 3, 2, 1}));

    // Adds n + i + k.
    uint8_t shifted[] = {0, 0, 250};
    cipher.KeyedPass1(CScriptCipher::kEncipher, shifted, 3, 10);
    EXPECT_EQ(Bytes(shifted, shifted + 3), (Bytes{13, 14, 9}));

    // Running sum forward; differences of the original values backward.
    uint8_t summed[] = {1, 2, 3, 250};
    cipher.KeyedPass2(CScriptCipher::kEncipher, summed, 4, 99);
    EXPECT_EQ(Bytes(summed, summed + 4), (Bytes{1, 3, 6, 0}));
    uint8_t differences[] = {1, 3, 6, 10};
    cipher.KeyedPass2(CScriptCipher::kDecipher, differences, 4, 99);
    EXPECT_EQ(Bytes(differences, differences + 4), (Bytes{1, 2, 3, 4}));

    for (int n : {0, 1, 2, 255, 256, 300}) {
        SCOPED_TRACE(n);
        const Bytes original = RandomBytes(static_cast<size_t>(n), static_cast<unsigned>(n));
        Bytes buffer = original;
        cipher.ReverseBytes(buffer.data(), n);
        cipher.ReverseBytes(buffer.data(), n);
        EXPECT_EQ(buffer, original);

        cipher.KeyedPass1(CScriptCipher::kEncipher, buffer.data(), n, 0xC3);
        if (n > 0) {
            EXPECT_NE(buffer, original);
        }
        cipher.KeyedPass1(CScriptCipher::kDecipher, buffer.data(), n, 0xC3);
        EXPECT_EQ(buffer, original);

        cipher.KeyedPass2(CScriptCipher::kEncipher, buffer.data(), n, 0);
        cipher.KeyedPass2(CScriptCipher::kDecipher, buffer.data(), n, 0);
        EXPECT_EQ(buffer, original);
    }
}

class ScriptCipherFileTest : public ::testing::Test {
protected:
    TempDir m_dir;
};

TEST_F(ScriptCipherFileTest, WritesTheEncipheredBytesAndReadsConsecutiveRecordsBack) {
    const std::string path = m_dir.File("lab.bin");
    const Bytes first = RandomBytes(40, 1);
    const Bytes second = FromText("second record");
    CScriptCipher cipher;

    FILE* file = fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(cipher.EncipherAndWrite(first.data(), 40, kScriptKey, 20, file), 60);
    EXPECT_EQ(cipher.EncipherAndWrite(second.data(), 13, kScriptKey, 20, file), 33);
    fclose(file);

    Bytes expected = Encipher(first, kScriptKey, 20);
    const Bytes secondEnciphered = Encipher(second, kScriptKey, 20);
    expected.insert(expected.end(), secondEnciphered.begin(), secondEnciphered.end());
    EXPECT_EQ(ReadBytes(path), expected);

    file = fopen(path.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    Bytes out(40);
    EXPECT_EQ(cipher.ReadAndDecipher(out.data(), 40, kScriptKey, 20, file), 40);
    EXPECT_EQ(out, first);
    out.assign(13, 0);
    EXPECT_EQ(cipher.ReadAndDecipher(out.data(), 13, kScriptKey, 20, file), 13);
    EXPECT_EQ(out, second);
    // Nothing is left for a third record.
    EXPECT_EQ(cipher.ReadAndDecipher(out.data(), 0, kScriptKey, 20, file), 0);
    fclose(file);
}

TEST_F(ScriptCipherFileTest, ShortReadAndWrongKeyGiveZero) {
    const std::string path = m_dir.File("values.bin");
    const Bytes plain = FromText("value = 1\n");
    const Bytes enciphered = Encipher(plain, kValueScriptKey, 8);
    WriteBytes(path, enciphered.data(), enciphered.size());
    CScriptCipher cipher;

    struct Case {
        const char* what;
        int plainLength;
        const char* key;
    };
    const Case cases[] = {
        {"one byte more than the file holds", 11, kValueScriptKey},
        {"wrong key", 10, "pv263981"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FILE* file = fopen(path.c_str(), "rb");
        ASSERT_NE(file, nullptr);
        Bytes out(static_cast<size_t>(c.plainLength), 0x11);
        EXPECT_EQ(cipher.ReadAndDecipher(out.data(), c.plainLength, c.key, 8, file), 0);
        EXPECT_EQ(out, Bytes(static_cast<size_t>(c.plainLength), 0x11));
        fclose(file);
    }

    FILE* file = fopen(path.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    Bytes out(10);
    EXPECT_EQ(cipher.ReadAndDecipher(out.data(), 10, kValueScriptKey, 8, file), 10);
    EXPECT_EQ(out, plain);
    fclose(file);
}

TEST_F(ScriptCipherFileTest, FailedWriteGivesZero) {
    const Bytes plain = RandomBytes(32, 5);
    CScriptCipher cipher;

    const std::string path = m_dir.File("readonly.bin");
    WriteText(path, "");
    FILE* readOnly = fopen(path.c_str(), "rb");
    ASSERT_NE(readOnly, nullptr);
    EXPECT_EQ(cipher.EncipherAndWrite(plain.data(), 32, kScriptKey, 20, readOnly), 0);
    fclose(readOnly);

    FILE* full = fopen("/dev/full", "wb");
    if (!full)
        GTEST_SKIP() << "no /dev/full";
    setvbuf(full, nullptr, _IONBF, 0);
    EXPECT_EQ(cipher.EncipherAndWrite(plain.data(), 32, kScriptKey, 20, full), 0);
    fclose(full);
}

}  // namespace
