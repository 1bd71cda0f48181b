// The names the game finds in the element script: the scene's nodes, which the controller looks
// up at set-up or dispatches by name, and the templates it clones. One list for the game and
// for the tools that check a game root: each scene node must occur exactly once there.
#pragma once

#include "game/flow/ControllerFiles.h"

// The nodes the set-up looks up, in the order of the controller's fields.
inline constexpr const char* kSetUpSceneNodes[] = {
    kGameSceneName, kMenuSceneName, "element_bars", "tmo_pult_buttonboard", "tmo_element_bars_oscillator",
    "tmo_element_bars_pult", "tmo_element_bars_signal", "mo_element_bars_plank_bottom", "mo_level_bar_plank",
    "element_bars_tabs", "mo_gui_menu_context", "mo_dummy_borders", "tmo_power_plug", "tmo_bonus_bird",
    "tmo_belt_flag", "mo_switch_editor_game", "mo_button_scroll_up", "mo_button_scroll_down", "mo_highscore",
    "mo_score_level", "mo_score_level_bonus", "mo_score", "mo_element_count", "mo_prof", "mo_certificate",
    "mo_element_symbol",
};

// The experiment's own nodes: what experiments are restored into, the background, the placed
// elements and the level bar.
inline constexpr char kLevelNode[] = "level";
inline constexpr char kBackgroundNode[] = "mo_background";
inline constexpr char kLevelElementsNode[] = "level_elements";
inline constexpr char kLevelBarNode[] = "level_bar";

// The pointer's mark, the held group, the camera's target and the small digit display.
inline constexpr char kCursorNode[] = "cursor";
inline constexpr char kSelectionNode[] = "selection";
inline constexpr char kCameraTargetNode[] = "camera_look_at";
inline constexpr char kSmallNumberNode[] = "mo_number_small";

// The start/stop switch and the two button groups of the mode button board.
inline constexpr char kStartStopSwitch[] = "mo_switch_start_stop";
inline constexpr char kGameButtonsNode[] = "mo_buttons_mode_game";
inline constexpr char kEditorButtonsNode[] = "mo_buttons_mode_editor";

// 3D buttons the clicks are dispatched to by name. The options button serves both modes.
inline constexpr const char* kEditorButtons[] = {
    "mo_button_clear", "mo_button_load", "mo_button_save", "mo_button_level_properties", "mo_button_exit",
    "mo_button_rename",
};
inline constexpr const char* kGameButtons[] = {"mo_button_reset", "mo_button_instructions", "mo_button_exit_game"};
inline constexpr char kOptionsButton[] = "mo_button_options";
// The palette's tab buttons hold this in their names.
inline constexpr char kTabButtonMark[] = "mo_tab";

// The element context menu: exactly these buttons, laid out on a ring.
inline constexpr const char* kContextButtons[] = {
    "mo_button_context_delete",  "mo_button_context_flip",    "mo_button_context_lock",
    "mo_button_context_turn_cc", "mo_button_context_turn_cw", "mo_button_context_goal",
    "mo_button_context_target",  "mo_button_context_on_off",
};

// The start screen: the menu sheets lie on the clipboard, among the desk's props.
inline constexpr char kStartMenuNode[] = "tmo_startscreen_menu_main";
inline constexpr char kClipboardNode[] = "mo_clipboard";
inline constexpr const char* kMenuSheets[] = {
    "clipboard_paper_new_game", "clipboard_paper_start",  "clipboard_paper_continue", "clipboard_paper_select",
    "clipboard_paper_editor",   "clipboard_paper_options", "clipboard_paper_exit",
};
inline constexpr const char* kDeskProps[] = {
    "tmo_screwdriver", "tmo_screwdriver_2", "tmo_startscreen_lineal", "tmo_startscreen_pen", "tmo_startscreen_eraser",
};

// Objects (not nodes) the set-up finds by name.
inline constexpr const char* kSceneObjects[] = {"to_level_bar_board"};

// The templates the set-up and the flow clone.
inline constexpr char kPowerPlugTemplate[] = "tmo_power_plug";
inline constexpr char kHammerTemplate[] = "tmo_hammer";
inline constexpr char kHammerHeadTemplate[] = "tmo_hammer_hammer";
inline constexpr char kBeltDummyTemplate[] = "tmo_belt_dummy";
inline constexpr char kPowerPlugDummyTemplate[] = "tmo_power_plug_dummy";
inline constexpr char kRopeDummyTemplate[] = "tmo_rope_dummy";
inline constexpr char kFuzeDummyTemplate[] = "tmo_fuze_dummy";

// The backgrounds by their index in the level's properties.
inline constexpr const char* kBackgroundTemplates[] = {
    "tmo_background_bricks",  "tmo_background_concrete",  "tmo_background_paper",     "tmo_background_wall_paper",
    "tmo_background_metal",   "tmo_background_schist",    "tmo_background_cork",      "tmo_background_flagstones",
    "tmo_background_dungeon", "tmo_background_concrete2", "tmo_background_marble",    "tmo_background_moon",
    "tmo_background_space",   "tmo_background_burlap",
};
