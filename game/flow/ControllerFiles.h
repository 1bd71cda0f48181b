// What the controller's set-up reads from the game root and looks up in it: one list for the
// game and for the tools that check a game root.
#pragma once

#include <cstdint>

#include "game/flow/RODAGame.h"

inline constexpr char kStringTablePath[] = "scripts/strings/main.txt";
inline constexpr char kElementScriptPath[] = "scripts/elements/elements.fsc";
inline constexpr char kGameSceneName[] = "mo_game";
inline constexpr char kMenuSceneName[] = "mo_menu";
inline constexpr char kLabDirectory[] = "data/labs/";
inline constexpr char kLabSuffix[] = ".zql";

// The digit rollers of the score displays: small for the high score, counting down for the
// experiment's scores and the element count, large for the score.
inline constexpr char kSmallRollerScript[] = "scripts/elements/flipcounternumber_small.fsc";
inline constexpr char kCountDownRollerScript[] = "scripts/elements/flipcounternumber_r.fsc";
inline constexpr char kRollerScript[] = "scripts/elements/flipcounternumber.fsc";

// A score display: the node its rollers hang under, their number and spacing, how fast a
// flap turns, the counting direction and the roller script.
struct CounterSpec {
    RODAGame::ECounter slot;
    const char* parent;
    int32_t digits;
    float step;
    float turnSpeed;
    int32_t countUp;
    const char* rollerScript;
};

inline constexpr CounterSpec kCounterSpecs[] = {
    {RODAGame::kHighScore, "mo_highscore", 6, 0.125f, 10.0f, 1, kSmallRollerScript},
    {RODAGame::kExperimentScore, "mo_score_level", 4, 0.25f, 10.0f, 0, kCountDownRollerScript},
    {RODAGame::kExperimentBonus, "mo_score_level_bonus", 4, 0.25f, 10.0f, 0, kCountDownRollerScript},
    {RODAGame::kScore, "mo_score", 6, 0.25f, 10.0f, 1, kRollerScript},
    {RODAGame::kElementCount, "mo_element_count", 2, 0.25f, 20.0f, 0, kCountDownRollerScript},
};
