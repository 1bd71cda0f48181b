#include "tests/game/app/SceneObjectDrawTrace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace {

bool StartsWith(const std::string& line, const char* prefix) {
    return line.rfind(prefix, 0) == 0;
}

}  // namespace

std::vector<std::string> DrawTrace(const std::vector<std::string>& calls, size_t from) {
    std::vector<std::string> trace;
    for (size_t i = from; i < calls.size(); ++i) {
        const std::string& line = calls[i];
        if (StartsWith(line, "DrawIndexedPrimitive ")) {
            std::istringstream fields(line.substr(sizeof "DrawIndexedPrimitive"));
            unsigned type = 0;
            int baseVertex = 0;
            fields >> type >> baseVertex;
            trace.push_back("Draw " + std::to_string(baseVertex));
        } else if (StartsWith(line, "DrawPrimitive ")) {
            trace.push_back("Volume");
        } else if (StartsWith(line, "SetRenderState ") || StartsWith(line, "DrawBillboard ") ||
                   StartsWith(line, "DrawBox ") || StartsWith(line, "DrawSphere ")) {
            trace.push_back(line);
        }
    }
    return trace;
}

int CountCalls(const std::vector<std::string>& calls, size_t from, const std::string& line) {
    if (from >= calls.size())
        return 0;
    return static_cast<int>(std::count(calls.begin() + static_cast<std::ptrdiff_t>(from), calls.end(), line));
}

void ExpectSameMatrix(const CMatrix& actual, const CMatrix& expected) {
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(actual.m_f[i], expected.m_f[i], 1e-5f) << "entry " << i;
}
