// The keys the game asks of the string table by name (dialog captions and labels are asked
// by their dialogs' scripts): one list for the game and for the tools that check a game root.
// Each must find its own entry, never a shorter key that lies inside it.
#pragma once

inline constexpr const char* kAskedStringKeys[] = {
    // Messages.
    "could_not_be_load", "new_lab_created", "changing_lab_forbidden", "successfully_exported", "exporting_failed",
    "successfully_imported", "importing_failed", "lab_deleted", "lab_saved", "saved", "loaded", "new_experiment",
    "experiment_deleted", "experiment_reset", "no_experiments_in_lab", "no_goal_defined", "no_more_elements",
    "elements_are_the_maximum", "task_failed", "task_solved", "bonus_bird_activated", "experiment_named",
    "already_exsists", "already_exsists_overwrite_q", "name_already_exsists",
    // Questions and their captions.
    "rename", "new_experiment_name_q", "new_lab_name_q", "save_experiment_as", "want_to_save_experiment_as_q",
    "clearing_experiement_q", "clearing_q", "want_to_leave_your_lab_q", "want_to_exit_q", "exit_q",
    "want_to_delete_level_q", "delete_experiment_q", "want_to_delete_lab_q", "delete_lab_q", "Importing_experiment",
    "Import", "Exporting_experiment", "Export",
    // Answers, the solution's sources and the end of an experiment.
    "Yes", "No", "OK", "Cancel", "Own_solution", "Spoiler", "level_done_0", "level_done_1", "level_done_2",
    // Links fixed in an experiment.
    "fixed_cable", "fixed_belt", "fixed_rope",
    // The career lab's file name and the prefix of new labs' names.
    "professors_lab", "my_lab",
    // The certificate: its two texts and the ranks.
    "certificate_common_1", "certificate_common_2", "certificate_status_trainee", "certificate_status_assistant",
    "certificate_status_doctor", "certificate_status_professor",
    // The headings of the credits.
    "participants", "idea", "concept_and_game_design", "producer", "programming", "graphics", "Music", "sound",
    "speech_samples", "level_design", "quality_assurance", "product_uses_ogg_vorbis_technology", "forum",
    // The level properties' choosers: backgrounds and gravity.
    "Brick", "Sandstone", "Scale_paper", "Wall_paper", "Metal", "Granite", "Cork", "Flagstones", "Dungeon", "Basement",
    "Marble", "Moon", "Space", "Burlap", "Earth", "None",
    // The options' music themes.
    "Game_music_1", "Game_music_2", "Game_music_3", "Game_music_4",
};
