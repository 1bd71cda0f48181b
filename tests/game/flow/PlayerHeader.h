// The player's lab header as the controller's tests expect it, laid out field by field: the
// name, the program version at byte 40, the lab format version at byte 50, zeros elsewhere.
#pragma once

#include <array>
#include <cstring>
#include <string>

#include "game/flow/RODAGame.h"

using PlayerHeader = std::array<char, RODAGame::kHeaderSize>;

inline PlayerHeader HeaderWithName(const std::string& name) {
    constexpr size_t kProgramVersionAt = 40;
    constexpr size_t kFormatVersionAt = 50;
    PlayerHeader header{};
    memcpy(header.data(), name.data(), name.size());
    memcpy(header.data() + kProgramVersionAt, "V1.00", 5);
    memcpy(header.data() + kFormatVersionAt, "0.03", 4);
    return header;
}

inline PlayerHeader HeaderOf(const RODAGame& controller) {
    PlayerHeader header{};
    memcpy(header.data(), controller.m_szPlayerHeader, header.size());
    return header;
}
