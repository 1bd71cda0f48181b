// The keyed scrambling of enciphered scripts and lab files. The key is put in front of the
// data before scrambling, so deciphering with a wrong key is detected. Keys are byte strings
// of even length, read in pairs (selector byte, key byte) = (key[2j+1], key[2j]).
#pragma once

#include <cstdint>
#include <cstdio>

class CScriptCipher {
public:
    enum { kDecipher = 0, kEncipher = 1 };

    virtual ~CScriptCipher() = default;

    // Encipher: out receives length + keyLength bytes, returns that count. Decipher: out
    // receives length - keyLength bytes, returns that count, or -1 when the key does not match
    // or the data is shorter than the key (out untouched). The caller sizes out.
    int Transform(int mode, const uint8_t* data, int length, uint8_t* out, const char* key,
                  int keyLength);
    // Reads plainLength + keyLength bytes and deciphers them into out: the plain length, or 0
    // after a short read or for a wrong key.
    int ReadAndDecipher(uint8_t* out, int plainLength, const char* key, int keyLength, FILE* file);
    // Enciphers and writes length + keyLength bytes: that count, or 0 when the write fell short.
    int EncipherAndWrite(const uint8_t* data, int length, const char* key, int keyLength,
                         FILE* file);

    // The primitive passes, in place on n bytes, in the direction `mode` gives.
    void ReverseBytes(uint8_t* buffer, int n);
    void KeyedPass1(int mode, uint8_t* buffer, int n, uint8_t keyByte);
    // A running sum; the byte argument is not used.
    void KeyedPass2(int mode, uint8_t* buffer, int n, uint8_t unused);

private:
    void ApplyKeyPass(int mode, uint8_t* buffer, int n, uint8_t selector, uint8_t keyByte);
};
