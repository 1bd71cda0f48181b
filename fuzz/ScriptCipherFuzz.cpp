// Enciphered data from anywhere: deciphering with the program's keys and with a key taken
// from the input must stay inside the buffers, and enciphering must always invert.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/core/ScriptCipher.h"

namespace {

void DecipherWith(const uint8_t* data, int size, const char* key, int keyLength) {
    CScriptCipher cipher;
    std::vector<uint8_t> out(size > keyLength ? static_cast<size_t>(size - keyLength) : 0);
    const int result = cipher.Transform(CScriptCipher::kDecipher, data, size, out.data(), key, keyLength);
    if (result != -1 && result != size - keyLength)
        abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 20))
        return 0;
    const int length = static_cast<int>(size);
    DecipherWith(data, length, "pv263918", 8);
    DecipherWith(data, length, "5k2$&r/8QXVTRZ=?w!t%", 20);

    // The first byte chooses how much of the input is the key.
    if (size == 0)
        return 0;
    const int keyLength = std::min<int>((data[0] % 32) & ~1, length - 1) & ~1;
    const char* key = reinterpret_cast<const char*>(data + 1);
    const uint8_t* plain = data + 1 + keyLength;
    const int plainLength = length - 1 - keyLength;
    DecipherWith(plain, plainLength, key, keyLength);

    CScriptCipher cipher;
    std::vector<uint8_t> enciphered(static_cast<size_t>(plainLength + keyLength));
    std::vector<uint8_t> deciphered(static_cast<size_t>(plainLength));
    if (cipher.Transform(CScriptCipher::kEncipher, plain, plainLength, enciphered.data(), key, keyLength) !=
            plainLength + keyLength ||
        cipher.Transform(CScriptCipher::kDecipher, enciphered.data(), plainLength + keyLength,
                         deciphered.data(), key, keyLength) != plainLength ||
        (plainLength > 0 && memcmp(deciphered.data(), plain, static_cast<size_t>(plainLength)) != 0))
        abort();
    return 0;
}
