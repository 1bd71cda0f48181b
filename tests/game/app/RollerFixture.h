// Digit rollers for the counter's tests and picture, made by the model tool. For each counting
// direction an upper half, a lower half and a flap of ten frames, whose digit faces are
// seven-segment digits of raised bars, split at the hinge between the halves. They follow the
// roller data rule: frame k shows on the lower half and on the flap's back the digit that
// follows the one it shows on the upper half and on the flap's front. What a face of a frame
// shows can be read back from the model.
#pragma once

#include <cstdint>
#include <string>

class CModel;

enum class RollerPart { kUpper, kLower, kFlap };
// The flap's back is the face that shows once the flap has turned half a turn.
enum class RollerFace { kFront, kBack };

struct RollerModelNames {
    const char* upper;
    const char* lower;
    const char* flap;
};

// The names the roller scripts of that counting direction (+1 or -1) give their models.
RollerModelNames RollerModelsFor(int direction);
// The tool's text of one part's model for that counting direction.
std::string RollerModelText(RollerPart part, int direction);

// The digit's segments (bit 0 the top bar, then clockwise, bit 6 the middle bar) of the half
// above the hinge and of the half below it.
uint32_t TopSegments(int digit);
uint32_t BottomSegments(int digit);
// The segments a face of the model shows in the frame, read from its vertices: the upper
// half and the flap's front show segments of the top half, the lower half and the flap's
// back those of the bottom half. 0 for a frame the model lacks.
uint32_t ShownSegments(CModel* model, uint32_t frame, RollerPart part, RollerFace face);

// A roller node's objects, in the order the roller scripts give them.
enum RollerObject { kUpperHalf = 0, kLowerHalf = 1, kFlap = 2, kRollerObjects = 3 };

// Long enough for any roller to finish its turn in one update, at the turning speeds of the
// tests' counters and of the default data set's.
inline constexpr double kLongDt = 10.0;
// Each turn takes two updates (its start and its end), and a digit at most nine turns.
inline constexpr int kUpdatesToRest = 2 * 9 + 2;

// The digit after this one in the counting direction (+1 or -1). Worked out here rather than
// taken from the counter.
inline int Following(int direction, int digit) {
    return (digit + direction + 10) % 10;
}

// Roller scripts in the fixtures folder, plain files with the marker line.
inline constexpr const char* kRollerCountUpScript = "roller_count_up.fsc";
inline constexpr const char* kRollerCountDownScript = "roller_count_down.fsc";
// A roller that lacks its flap.
inline constexpr const char* kRollerTwoObjectsScript = "roller_two_objects.fsc";
// The picture's scene: a wall and the two counters' parent nodes.
inline constexpr const char* kRollerSceneScript = "roller_scene.fsc";
inline constexpr const char* kCountingUpNode = "CountingUp";
inline constexpr const char* kCountingDownNode = "CountingDown";
