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

// The shaders the game looks up by name in the shader script.
inline constexpr const char* kLookedUpShaders[] = {
    // Link materials and the controller's drawing.
    "drive_belt", "power_cable", "rope", "fuze", "selection_valid", "selection_invalid", "selected_element",
    "target_line", "lightning", "symbol_goal", "symbol_anti_goal", "symbol_unlock", "symbol_stretch_1",
    "symbol_stretch_2",
    // Elements that change their look, and the level bar by the level's gravity.
    "red", "green", "robot_green", "robot_red", "power_gravity_tube_on", "power_gravity_tube_off",
    "power_gravity_earth", "power_gravity_moon", "power_gravity_non", "element_bars_gravity_earth",
    "element_bars_gravity_moon", "element_bars_gravity_non", "flag",
    // The start screen's menu sheets, each with its look under the pointer.
    "clipboard_paper_new_game", "clipboard_paper_new_game_over", "clipboard_paper_start",
    "clipboard_paper_start_over", "clipboard_paper_continue", "clipboard_paper_continue_over",
    "clipboard_paper_select", "clipboard_paper_select_over", "clipboard_paper_editor",
    "clipboard_paper_editor_over", "clipboard_paper_options", "clipboard_paper_options_over",
    "clipboard_paper_exit", "clipboard_paper_exit_over",
};
