// 12-bit LZW for the object-model text stored in experiment records. Codes are packed most
// significant bit first; 0-255 stand for single bytes, 256-4094 for learnt strings and 4095
// ends the stream. A codec is made for one call; its tables live in the object.
#pragma once

#include <cstdint>

class CLZWCodec {
public:
    // Expand refuses to produce more than this, so a small hostile stream cannot claim memory.
    static constexpr int kMaxExpandedSize = 64 * 1024 * 1024;

    CLZWCodec() = default;
    ~CLZWCodec();
    CLZWCodec(const CLZWCodec&) = delete;
    CLZWCodec& operator=(const CLZWCodec&) = delete;

    // Both return the output's byte count with *out a malloc'ed buffer the caller frees, or 0
    // with *out null: for no input, a failed allocation, and (Expand) an empty output or a
    // stream that lacks its end code, uses a code not learnt yet or expands past the limit.
    int Compress(uint8_t** out, const uint8_t* in, int length);
    int Expand(uint8_t** out, const uint8_t* in, int length);

private:
    static constexpr int kTableSize = 5021;  // a prime, so that probing reaches every slot
    static constexpr int kDecodeStackSize = 4000;

    int FindMatch(int prefix, uint8_t byte) const;
    int OutputCode(int code);
    // The next code, or -1 when its 12 bits are not all inside the input.
    int InputCode();
    // Appends one byte to m_pOutput, growing it; 0 when that fails or passes limit.
    int PutByte(uint8_t byte, int limit);
    // Pushes the string of code onto the decode stack above m_nStackDepth; 0 when it overflows.
    int PushString(int code);
    void ReleaseOutput();
    // Hands the output buffer to the caller: its size, the codec keeping nothing.
    int TakeOutput(uint8_t** out);

    int32_t m_codeValue[kTableSize];   // Compress: the code held in a slot, -1 for none
    int32_t m_prefixCode[kTableSize];  // the string's code without its last byte
    uint8_t m_appendByte[kTableSize];  // the string's last byte
    uint8_t m_decodeStack[kDecodeStackSize];
    int m_nStackDepth = 0;

    uint8_t* m_pOutput = nullptr;
    int m_nOutputSize = 0;
    int m_nOutputCapacity = 0;

    // Packed codes: Compress fills the top of the buffer, Expand drains it.
    uint32_t m_nBitBuffer = 0;
    int m_nBitCount = 0;

    const uint8_t* m_pInput = nullptr;
    int m_nInputLength = 0;
    int m_nInputPos = 0;          // the next byte the bit reader fetches
    int64_t m_nCodeBitsRead = 0;  // bits of the input taken by whole codes so far
};
