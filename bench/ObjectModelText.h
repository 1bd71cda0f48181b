// An experiment's object-model text as the scripter writes it (tab indents, CR LF, vectors
// printed whole or with five decimals), with its terminating zero: what the LZW codec stores in
// an experiment record. The same seed gives the same bytes.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

inline std::vector<uint8_t> MakeObjectModelText(size_t minimumBytes, unsigned seed = 1) {
    static const char* const kElements[] = {"GEAR_SMALL", "GEAR_LARGE", "CONVEYOR", "BALL_STEEL",
                                            "BALL_RUBBER", "PIPE_BEND", "LEVER", "TRAMPOLINE",
                                            "CANDLE", "BALLOON", "RAMP_WOOD", "MOTOR"};
    static const char* const kParts[] = {"body", "axle", "belt_roll", "socket", "flame", "plate"};
    std::mt19937 random(seed);
    auto pick = [&random](int count) {
        return static_cast<int>(random() % static_cast<unsigned>(count));
    };
    // Whole numbers half of the time, like positions snapped to the grid.
    auto number = [&](char* out, size_t size) {
        const double value = pick(2) ? pick(41) - 20 : (pick(400001) - 200000) / 10000.0;
        snprintf(out, size, value == std::floor(value) ? "%.0f" : "%.5f", value);
    };
    auto vector = [&](const char* keyword, int tabs) {
        char x[32], y[32], z[32];
        number(x, sizeof x);
        number(y, sizeof y);
        number(z, sizeof z);
        return std::string(static_cast<size_t>(tabs), '\t') + keyword + " " + x + ", " + y + ", " + z + "\r\n";
    };

    std::string text = "level\r\n{\r\n";
    for (int element = 0; text.size() < minimumBytes; ++element) {
        text += std::string("\t") + kElements[pick(12)] + "\r\n\t{\r\n";
        text += vector("POSREL", 2);
        if (pick(2))
            text += vector("ROT xyz", 2);
        text += "\t\tID " + std::to_string(element + 1) + "\r\n";
        if (pick(4) == 0)
            text += "\t\tFIXED 1\r\n";
        if (pick(3) == 0)
            text += "\t\tCONNECTED_TO " + std::to_string(pick(element + 1)) + "\r\n";
        for (int part = pick(3) + 1; part > 0; --part) {
            text += std::string("\t\t3DO ") + kParts[pick(6)] + "\r\n\t\t{\r\n";
            text += vector("POSREL", 3);
            text += "\t\t\tID " + std::to_string(part) + "\r\n\t\t}\r\n";
        }
        text += "\t}\r\n";
    }
    text += "}\r\n";
    std::vector<uint8_t> bytes(text.begin(), text.end());
    bytes.push_back(0);
    return bytes;
}
