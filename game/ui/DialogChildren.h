// The children each dialog of the game looks up by ID, with the window class each must be:
// one list, in the order start-up loads the dialogs, for the game and for the tools that
// check a game root. Labels (static texts of IDs from 100) are read by no code and are not
// listed.
#pragma once

#include <span>

struct CDialogChild {
    int id;
    const char* className;
};

namespace dialog_children {

inline constexpr const char* kButton = "CBtnMessageBox";
inline constexpr const char* kChooser = "CBtnChoose";
inline constexpr const char* kSlider = "CSlider";
inline constexpr const char* kLevelList = "CListBoxLevelChoose";
inline constexpr const char* kScroll = "CBtnScroll";

inline constexpr CDialogChild kOptionMenu[] = {
    {1, kButton},   {2, kButton},   {3, kButton},   {4, kChooser},  {5, kChooser},  {6, kChooser},
    {7, kChooser},  {8, kChooser},  {9, kChooser},  {10, kChooser}, {11, kChooser}, {12, kChooser},
    {40, kChooser}, {42, kChooser}, {44, kChooser}, {71, kChooser}, {41, kSlider},  {43, kSlider},
    {45, kSlider},  {75, kSlider},
};
// The first button ends the program, the second closes the credits.
inline constexpr CDialogChild kCreditsMenu[] = {{1, kButton}, {2, kButton}};
inline constexpr CDialogChild kChooseLevel[] = {
    {1, kButton},  {2, kButton},  {6, kButton},  {7, kButton}, {8, kButton}, {9, kButton},
    {10, kButton}, {11, kButton}, {12, kButton}, {3, kLevelList}, {4, kScroll}, {5, kScroll},
};
inline constexpr CDialogChild kLabChoose[] = {{1, kButton}, {2, kButton}, {3, kLevelList}, {4, kScroll}, {5, kScroll}};
inline constexpr CDialogChild kLabChooseEnhanced[] = {
    {1, kButton}, {2, kButton}, {3, kLevelList}, {4, kScroll}, {5, kScroll}, {6, kButton}, {7, kButton}, {8, kButton},
};
inline constexpr CDialogChild kFileOpen[] = {
    {1, kButton}, {2, kButton}, {5, "CStaticText"}, {6, kScroll}, {7, kScroll}, {8, kLevelList}, {10, "CEditString"},
};
inline constexpr CDialogChild kMemoBox[] = {{1, kButton}, {2, "CMemo"}, {3, kScroll}, {4, kScroll}};
inline constexpr CDialogChild kLevelProperty[] = {
    {1, kButton},       {2, "CMemo"},         {3, kScroll},   {4, kScroll},
    {5, "CEditNumber"}, {6, "CEditString"}, {7, kChooser}, {13, kChooser},
};
inline constexpr CDialogChild kLevelDone[] = {{1, kButton}, {2, kButton}, {3, kButton}, {5, kButton}, {4, "CStaticText"}};
inline constexpr CDialogChild kStartLevel[] = {{1, kButton}, {2, kButton}, {3, kLevelList}, {4, kScroll}, {5, kScroll}};

}  // namespace dialog_children

// In the order of the dialog scripts start-up loads (kDialogScripts).
inline constexpr std::span<const CDialogChild> kDialogChildren[] = {
    dialog_children::kOptionMenu,    dialog_children::kCreditsMenu, dialog_children::kChooseLevel,
    dialog_children::kLabChoose,     dialog_children::kLabChooseEnhanced, dialog_children::kFileOpen,
    dialog_children::kMemoBox,       dialog_children::kLevelProperty, dialog_children::kLevelDone,
    dialog_children::kStartLevel,
};
