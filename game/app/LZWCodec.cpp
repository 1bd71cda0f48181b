#include "game/app/LZWCodec.h"

#include <climits>
#include <cstdlib>

namespace {

constexpr int kCodeBits = 12;
constexpr int kFirstFreeCode = 256;
constexpr int kLastCode = 4094;  // the last code a string can get
constexpr int kEndCode = 4095;
constexpr int kFlushCode = 0;    // written after the end code to push out its last bits
constexpr int kEmptySlot = -1;
constexpr int kFirstCapacity = 100;

}  // namespace

CLZWCodec::~CLZWCodec() {
    ReleaseOutput();
}

void CLZWCodec::ReleaseOutput() {
    free(m_pOutput);
    m_pOutput = nullptr;
    m_nOutputSize = 0;
    m_nOutputCapacity = 0;
}

int CLZWCodec::PutByte(uint8_t byte, int limit) {
    if (m_nOutputSize == m_nOutputCapacity) {
        if (m_nOutputCapacity >= limit)
            return 0;
        // Doubling: growing by a fixed step copies the output once per step, which a 64 MiB
        // expansion turns into terabytes wherever realloc cannot grow in place.
        const int capacity = m_nOutputCapacity == 0 ? kFirstCapacity
                             : m_nOutputCapacity > limit / 2 ? limit
                                                             : m_nOutputCapacity * 2;
        auto* grown = static_cast<uint8_t*>(realloc(m_pOutput, static_cast<size_t>(capacity)));
        if (!grown)
            return 0;
        m_pOutput = grown;
        m_nOutputCapacity = capacity;
    }
    m_pOutput[m_nOutputSize++] = byte;
    return 1;
}

int CLZWCodec::FindMatch(int prefix, uint8_t byte) const {
    int index = (byte << 4) ^ prefix;
    const int step = index == 0 ? 1 : kTableSize - index;
    for (;;) {
        if (m_codeValue[index] == kEmptySlot)
            return index;
        if (m_prefixCode[index] == prefix && m_appendByte[index] == byte)
            return index;
        index -= step;
        if (index < 0)
            index += kTableSize;
    }
}

int CLZWCodec::OutputCode(int code) {
    m_nBitBuffer |= static_cast<uint32_t>(code) << (32 - kCodeBits - m_nBitCount);
    m_nBitCount += kCodeBits;
    while (m_nBitCount >= 8) {
        if (!PutByte(static_cast<uint8_t>(m_nBitBuffer >> 24), INT_MAX))
            return 0;
        m_nBitBuffer <<= 8;
        m_nBitCount -= 8;
    }
    return 1;
}

int CLZWCodec::InputCode() {
    // The reader runs up to three bytes ahead of the code it returns; past the input it reads
    // zeros, which only the end code's flush ever needs.
    while (m_nBitCount <= 24) {
        const uint32_t next = m_nInputPos < m_nInputLength ? m_pInput[m_nInputPos++] : 0u;
        m_nBitBuffer |= next << (24 - m_nBitCount);
        m_nBitCount += 8;
    }
    const int code = static_cast<int>(m_nBitBuffer >> (32 - kCodeBits));
    m_nBitBuffer <<= kCodeBits;
    m_nBitCount -= kCodeBits;
    m_nCodeBitsRead += kCodeBits;
    if (m_nCodeBitsRead > int64_t{8} * m_nInputLength)
        return -1;
    return code;
}

int CLZWCodec::PushString(int code) {
    while (code >= kFirstFreeCode) {
        if (m_nStackDepth == kDecodeStackSize)
            return 0;
        m_decodeStack[m_nStackDepth++] = m_appendByte[code];
        code = m_prefixCode[code];
    }
    if (m_nStackDepth == kDecodeStackSize)
        return 0;
    m_decodeStack[m_nStackDepth++] = static_cast<uint8_t>(code);
    return 1;
}

int CLZWCodec::Compress(uint8_t** out, const uint8_t* in, int length) {
    if (!out)
        return 0;
    *out = nullptr;
    // Each input byte costs at most one code, plus the end and flush codes: the count must
    // stay an int.
    if (!in || length <= 0 || (int64_t{length} + 2) * kCodeBits / 8 > INT_MAX)
        return 0;

    ReleaseOutput();
    m_nBitBuffer = 0;
    m_nBitCount = 0;
    for (int32_t& code : m_codeValue)
        code = kEmptySlot;
    int nextCode = kFirstFreeCode;

    int prefix = in[0];
    for (int i = 1; i < length; ++i) {
        const uint8_t byte = in[i];
        const int index = FindMatch(prefix, byte);
        if (m_codeValue[index] != kEmptySlot) {
            prefix = m_codeValue[index];
            continue;
        }
        // A full table stays as it is; the codes learnt so far go on being used.
        if (nextCode <= kLastCode) {
            m_codeValue[index] = nextCode++;
            m_prefixCode[index] = prefix;
            m_appendByte[index] = byte;
        }
        if (!OutputCode(prefix)) {
            ReleaseOutput();
            return 0;
        }
        prefix = byte;
    }
    if (!OutputCode(prefix) || !OutputCode(kEndCode) || !OutputCode(kFlushCode)) {
        ReleaseOutput();
        return 0;
    }

    return TakeOutput(out);
}

int CLZWCodec::TakeOutput(uint8_t** out) {
    const int size = m_nOutputSize;
    *out = m_pOutput;
    m_pOutput = nullptr;
    m_nOutputSize = 0;
    m_nOutputCapacity = 0;
    return size;
}

int CLZWCodec::Expand(uint8_t** out, const uint8_t* in, int length) {
    if (!out)
        return 0;
    *out = nullptr;
    if (!in || length <= 0)
        return 0;

    ReleaseOutput();
    m_pInput = in;
    m_nInputLength = length;
    m_nInputPos = 0;
    m_nCodeBitsRead = 0;
    m_nBitBuffer = 0;
    m_nBitCount = 0;
    int nextCode = kFirstFreeCode;

    int ok = 1;
    int oldCode = InputCode();
    // A stream of no bytes is the end code alone; any other first code is a single byte.
    if (oldCode < 0 || oldCode == kEndCode || oldCode >= kFirstFreeCode)
        ok = 0;
    uint8_t lastByte = static_cast<uint8_t>(oldCode);
    if (ok)
        ok = PutByte(lastByte, kMaxExpandedSize);

    while (ok) {
        const int code = InputCode();
        if (code == kEndCode)
            break;
        if (code < 0 || code > nextCode) {
            ok = 0;
            break;
        }
        m_nStackDepth = 0;
        if (code == nextCode) {
            // The string learnt from this very code: the old string and its own first byte.
            m_decodeStack[m_nStackDepth++] = lastByte;
            ok = PushString(oldCode);
        } else {
            ok = PushString(code);
        }
        if (!ok)
            break;
        lastByte = m_decodeStack[m_nStackDepth - 1];
        while (ok && m_nStackDepth > 0)
            ok = PutByte(m_decodeStack[--m_nStackDepth], kMaxExpandedSize);
        if (nextCode <= kLastCode) {
            m_prefixCode[nextCode] = oldCode;
            m_appendByte[nextCode] = lastByte;
            ++nextCode;
        }
        oldCode = code;
    }
    m_pInput = nullptr;
    m_nInputLength = 0;
    if (!ok) {
        ReleaseOutput();
        return 0;
    }

    return TakeOutput(out);
}
