#include "engine/core/ScriptCipher.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

void CScriptCipher::ReverseBytes(uint8_t* buffer, int n) {
    std::reverse(buffer, buffer + n);
}

void CScriptCipher::KeyedPass1(int mode, uint8_t* buffer, int n, uint8_t keyByte) {
    for (int i = 0; i < n; ++i) {
        const uint8_t shift = static_cast<uint8_t>(static_cast<unsigned>(n) + static_cast<unsigned>(i) + keyByte);
        buffer[i] = static_cast<uint8_t>(mode == kEncipher ? buffer[i] + shift : buffer[i] - shift);
    }
}

void CScriptCipher::KeyedPass2(int mode, uint8_t* buffer, int n, uint8_t /*unused*/) {
    if (mode == kEncipher) {
        for (int i = 1; i < n; ++i)
            buffer[i] = static_cast<uint8_t>(buffer[i] + buffer[i - 1]);
    } else {
        // Undo from the end, so that each step still sees the enciphered predecessor.
        for (int i = n - 1; i >= 1; --i)
            buffer[i] = static_cast<uint8_t>(buffer[i] - buffer[i - 1]);
    }
}

void CScriptCipher::ApplyKeyPass(int mode, uint8_t* buffer, int n, uint8_t selector,
                                 uint8_t keyByte) {
    switch (selector % 3) {
    case 0:
        ReverseBytes(buffer, n);
        break;
    case 1:
        KeyedPass1(mode, buffer, n, keyByte);
        break;
    default:
        KeyedPass2(mode, buffer, n, keyByte);
        break;
    }
}

int CScriptCipher::Transform(int mode, const uint8_t* data, int length, uint8_t* out,
                             const char* key, int keyLength) {
    if (length < 0 || keyLength < 0 || (keyLength > 0 && !key) || (length > 0 && !data))
        return -1;
    const uint8_t* keyBytes = reinterpret_cast<const uint8_t*>(key);
    const int pairs = keyLength / 2;

    if (mode == kEncipher) {
        if (length > INT32_MAX - keyLength)
            return -1;
        const int n = keyLength + length;
        if (n > 0 && !out)
            return -1;
        std::vector<uint8_t> buffer(static_cast<size_t>(n));
        if (keyLength > 0)
            memcpy(buffer.data(), keyBytes, static_cast<size_t>(keyLength));
        if (length > 0)
            memcpy(buffer.data() + keyLength, data, static_cast<size_t>(length));
        for (int j = 0; j < pairs; ++j)
            ApplyKeyPass(kEncipher, buffer.data(), n, keyBytes[2 * j + 1], keyBytes[2 * j]);
        KeyedPass2(kEncipher, buffer.data(), n, 0);
        if (n > 0)
            memcpy(out, buffer.data(), static_cast<size_t>(n));
        return n;
    }

    if (mode != kDecipher || length < keyLength || (length > keyLength && !out))
        return -1;
    std::vector<uint8_t> buffer(data, data + length);
    KeyedPass2(kDecipher, buffer.data(), length, 0);
    for (int j = pairs - 1; j >= 0; --j)
        ApplyKeyPass(kDecipher, buffer.data(), length, keyBytes[2 * j + 1], keyBytes[2 * j]);
    if (keyLength > 0 && memcmp(buffer.data(), keyBytes, static_cast<size_t>(keyLength)) != 0)
        return -1;
    const int plainLength = length - keyLength;
    if (plainLength > 0)
        memcpy(out, buffer.data() + keyLength, static_cast<size_t>(plainLength));
    return plainLength;
}

int CScriptCipher::ReadAndDecipher(uint8_t* out, int plainLength, const char* key, int keyLength,
                                   FILE* file) {
    if (!file || plainLength < 0 || keyLength < 0 || plainLength > INT32_MAX - keyLength)
        return 0;
    const size_t total = static_cast<size_t>(plainLength) + static_cast<size_t>(keyLength);
    std::vector<uint8_t> enciphered(total);
    if (fread(enciphered.data(), 1, total, file) != total)
        return 0;
    const int result =
        Transform(kDecipher, enciphered.data(), static_cast<int>(total), out, key, keyLength);
    return result < 0 ? 0 : result;
}

int CScriptCipher::EncipherAndWrite(const uint8_t* data, int length, const char* key,
                                    int keyLength, FILE* file) {
    if (!file || length < 0 || keyLength < 0 || length > INT32_MAX - keyLength)
        return 0;
    std::vector<uint8_t> enciphered(static_cast<size_t>(length) + static_cast<size_t>(keyLength));
    const int n = Transform(kEncipher, data, length, enciphered.data(), key, keyLength);
    if (n < 0)
        return 0;
    if (fwrite(enciphered.data(), 1, enciphered.size(), file) != enciphered.size())
        return 0;
    return n;
}
