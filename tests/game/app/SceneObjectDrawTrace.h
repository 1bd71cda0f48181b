// What the drawing tests read from the recording device's call list: the render states and
// draws in order, each draw shortened to what tells it apart.
#pragma once

#include <string>
#include <vector>

#include "engine/core/Matrix.h"

// The calls from index `from` on, keeping render states and draws: a mesh draw becomes
// "Draw <base vertex>" (the frame times the vertex count, 0 for a blend), a shadow volume
// draw "Volume"; billboards, boxes and spheres stay as recorded.
std::vector<std::string> DrawTrace(const std::vector<std::string>& calls, size_t from);
// How often a call line occurs from index `from` on.
int CountCalls(const std::vector<std::string>& calls, size_t from, const std::string& line);
// All sixteen entries within a small tolerance.
void ExpectSameMatrix(const CMatrix& actual, const CMatrix& expected);
