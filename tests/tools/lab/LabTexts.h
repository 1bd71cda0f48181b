// Lab texts for the lab tool's tests, against the templates of LabFixtureRoot: one in the
// form the tool prints, and a table of texts it must refuse, each at its line.
#pragma once

#include <string>

#include "tests/support/ToolRun.h"

// Three experiments: two gears linked at both points, the first targeting a ball; two sockets
// and two levers, the sockets linked crosswise by their like-named points and the levers by
// their arms' points; an empty one without a background. Levels as the game writes them.
inline const std::string kLabText =
    "creator TOLP\n"
    "title The test lab\n"
    "\n"
    "experiment Gears\n"
    "passed yes\n"
    "time 300\n"
    "gravity moon\n"
    "description\n"
    "| Join the two gears # and reach the ball.\n"
    "|   An indented line.\n"
    "level\n"
    "| level\n"
    "| {\n"
    "| \tPOSREL 0, 0, 0\n"
    "| \tmo_background\n"
    "| \t{\n"
    "| \t\tPOSREL 0, 0, 0\n"
    "| \t\ttmo_background_plain\n"
    "| \t\t{\n"
    "| \t\t\tPOSREL 0, 0, 0\n"
    "| \t\t\t3DO o_background_plain\n"
    "| \t\t\t{\n"
    "| \t\t\t\tPOSREL 0, 0, 0.75000\n"
    "| \t\t\t}\n"
    "| \t\t}\n"
    "| \t}\n"
    "| \tlevel_elements\n"
    "| \t{\n"
    "| \t\tPOSREL 0, 0, 0\n"
    "| \t\ttmo_gear\n"
    "| \t\t{\n"
    "| \t\t\tPOSREL -1, 0, 0\n"
    "| \t\t\tID 5\n"
    "| \t\t\tBKS 3\n"
    "| \t\t\tCONNECTED_TO 2\n"
    "| \t\t\t3DO o_gear\n"
    "| \t\t\t{\n"
    "| \t\t\t\tID 0\n"
    "| \t\t\t}\n"
    "| \t\t}\n"
    "| \t\ttmo_gear\n"
    "| \t\t{\n"
    "| \t\t\tPOSREL 0, 0, 0\n"
    "| \t\t\tID 5\n"
    "| \t\t\tBKS 3\n"
    "| \t\t\t3DO o_gear\n"
    "| \t\t\t{\n"
    "| \t\t\t\tID 1\n"
    "| \t\t\t}\n"
    "| \t\t}\n"
    "| \t\ttmo_ball\n"
    "| \t\t{\n"
    "| \t\t\tPOSREL 2, 1.50000, 0\n"
    "| \t\t\tID 1\n"
    "| \t\t\tBKS 3\n"
    "| \t\t\tGOAL 1\n"
    "| \t\t\t3DO o_ball\n"
    "| \t\t\t{\n"
    "| \t\t\t}\n"
    "| \t\t}\n"
    "| \t}\n"
    "| \tlevel_bar\n"
    "| \t{\n"
    "| \t\tPOSREL 4, 2.20000, -0.10000\n"
    "| \t\tBKS 2\n"
    "| \t\ttmo_ball\n"
    "| \t\t{\n"
    "| \t\t\tID 1\n"
    "| \t\t\tBKS 3\n"
    "| \t\t\tCOUNT 2\n"
    "| \t\t\t3DO o_ball\n"
    "| \t\t\t{\n"
    "| \t\t\t}\n"
    "| \t\t}\n"
    "| \t}\n"
    "| }\n"
    "link 0 Gear 1 Gear\n"
    "link 0 Wheel 1 Wheel\n"
    "\n"
    "experiment Sockets and levers\n"
    "passed no\n"
    "time 60\n"
    "gravity earth\n"
    "description\n"
    "| Power flows where the plugs meet.\n"
    "|\n"
    "| The levers touch at their arms.\n"
    "level\n"
    "| level\n"
    "| {\n"
    "| \tPOSREL 0, 0, 0\n"
    "| \tlevel_elements\n"
    "| \t{\n"
    "| \t\tPOSREL 0, 0, 0\n"
    "| \t\ttmo_socket\n"
    "| \t\t{\n"
    "| \t\t\tPOSREL -2, 0, 0\n"
    "| \t\t\tID 30\n"
    "| \t\t\tBKS 3\n"
    "| \t\t\t3DO o_socket\n"
    "| \t\t\t{\n"
    "| \t\t\t\tID 0\n"
    "| \t\t\t}\n"
    "| \t\t}\n"
    "| \t\ttmo_socket\n"
    "| \t\t{\n"
    "| \t\t\tPOSREL -1, 0, 0\n"
    "| \t\t\tID 30\n"
    "| \t\t\tBKS 3\n"
    "| \t\t\t3DO o_socket\n"
    "| \t\t\t{\n"
    "| \t\t\t\tID 1\n"
    "| \t\t\t}\n"
    "| \t\t}\n"
    "| \t\ttmo_lever\n"
    "| \t\t{\n"
    "| \t\t\tPOSREL 1, 0, 0\n"
    "| \t\t\tID 12\n"
    "| \t\t\tBKS 3\n"
    "| \t\t\t3DO o_lever_base\n"
    "| \t\t\t{\n"
    "| \t\t\t}\n"
    "| \t\t\ttmo_lever_arm\n"
    "| \t\t\t{\n"
    "| \t\t\t\tPOSREL 0, 0.50000, 0\n"
    "| \t\t\t\t3DO o_lever_arm\n"
    "| \t\t\t\t{\n"
    "| \t\t\t\t\tID 2\n"
    "| \t\t\t\t}\n"
    "| \t\t\t}\n"
    "| \t\t}\n"
    "| \t\ttmo_lever\n"
    "| \t\t{\n"
    "| \t\t\tPOSREL 2, 0, 0\n"
    "| \t\t\tID 12\n"
    "| \t\t\tBKS 3\n"
    "| \t\t\t3DO o_lever_base\n"
    "| \t\t\t{\n"
    "| \t\t\t}\n"
    "| \t\t\ttmo_lever_arm\n"
    "| \t\t\t{\n"
    "| \t\t\t\tPOSREL 0, 0.50000, 0\n"
    "| \t\t\t\t3DO o_lever_arm\n"
    "| \t\t\t\t{\n"
    "| \t\t\t\t\tID 3\n"
    "| \t\t\t\t}\n"
    "| \t\t\t}\n"
    "| \t\t}\n"
    "| \t}\n"
    "| \tlevel_bar\n"
    "| \t{\n"
    "| \t\tPOSREL 4, 2.20000, -0.10000\n"
    "| \t\tBKS 2\n"
    "| \t}\n"
    "| }\n"
    "link 0 Power 1 Power@2\n"
    "link 0 Power@2 1 Power\n"
    "link 2 Mechanic 3 Mechanic\n"
    "\n"
    "experiment Nothing yet\n"
    "passed no\n"
    "time 0\n"
    "gravity none\n"
    "description\n"
    "level\n"
    "| level\n"
    "| {\n"
    "| \tPOSREL 0, 0, 0\n"
    "| \tlevel_elements\n"
    "| \t{\n"
    "| \t\tPOSREL 0, 0, 0\n"
    "| \t}\n"
    "| \tlevel_bar\n"
    "| \t{\n"
    "| \t\tPOSREL 4, 2.20000, -0.10000\n"
    "| \t\tBKS 2\n"
    "| \t}\n"
    "| }\n";

// A lab of one experiment whose level elements are the given "|" lines, from line 8; `after`
// follows the level text.
inline std::string LabWithElements(const std::string& elements, const std::string& after = "") {
    return "creator USER\n"          // 1
           "experiment One\n"        // 2
           "level\n"                 // 3
           "| level\n"               // 4
           "| {\n"                   // 5
           "| \tlevel_elements\n"    // 6
           "| \t{\n" +               // 7
           elements +                // 8 on
           "| \t}\n"
           "| \tlevel_bar\n"
           "| \t{\n"
           "| \t}\n"
           "| }\n" +
           after;
}

// Two gears and a lever, each element on two lines from line 8: 8, 10 and 12.
inline const std::string kThreeElements =
    "| \t\ttmo_gear\n| \t\t{ }\n"
    "| \t\ttmo_gear\n| \t\t{ }\n"
    "| \t\ttmo_lever\n| \t\t{ }\n";
// The line of the first statement after the level text of LabWithElements(kThreeElements).
inline constexpr int kAfterThreeElements = 19;

// Texts the tool refuses, each with its line and a part of its message.
inline const CBadRecipe kBadLabTexts[] = {
    {"no creator", "experiment One\nlevel\n| level\n| {\n| \tlevel_elements\n| \t{ }\n| \tlevel_bar\n| \t{ }\n| }\n", 9,
     "no \"creator\" line"},
    {"creator too long", "creator " + std::string(40, 'x') + "\n", 1, "at most 39 characters"},
    {"unknown statement", "creator USER\n# a comment\nauthor me\n", 3, "\"author\" is not a statement"},
    {"experiment statement first", "creator USER\ntime 3\n", 2, "belongs to an experiment"},
    {"title after an experiment", LabWithElements("", "title Late\n"), 13, "comes before the first experiment"},
    {"statement twice", LabWithElements("", "gravity moon\ngravity none\n"), 14, "\"gravity\" comes once"},
    {"gravity unknown", LabWithElements("", "gravity mars\n"), 13, "earth, moon or none"},
    {"time not whole", LabWithElements("", "time 1.5\n"), 13, "whole seconds"},
    {"time too large", LabWithElements("", "time 2147483648\n"), 13, "whole seconds"},
    {"passed neither yes nor no", LabWithElements("", "passed maybe\n"), 13, "yes or no"},
    {"text line without its statement", "creator USER\n\n| stray\n", 3, "belongs under a description or level"},
    {"experiment without a level", "creator USER\nexperiment One\ntime 3\nexperiment Two\n", 2,
     "\"One\" has no level"},
    {"experiment named twice", LabWithElements("", "experiment One\n"), 13, "named on line 2 already"},
    {"description too long", LabWithElements("", "description\n| " + std::string(5000, 'x') + "\n"), 13,
     "at most 4999"},
    {"zero byte", std::string("creator USER\ntitle a\0b\n", 23), 2, "zero byte"},
    {"level text of another node", "creator USER\nexperiment One\nlevel\n| board\n| {\n| }\n", 4,
     "the \"level\" node"},
    {"level block without its end", "creator USER\nexperiment One\nlevel\n| level\n| {\n| \tlevel_elements\n| \t{\n", 6,
     "\"level_elements\" has no end"},
    {"text behind the level", LabWithElements("") + "| extra\n", 13, "the level node alone"},
    {"block inside an object's block",
     LabWithElements("| \t\ttmo_gear\n| \t\t{\n| \t\t\t3DO o_gear\n| \t\t\t{\n| \t\t\t\tpart\n| \t\t\t\t{\n"
                     "| \t\t\t\t}\n| \t\t\t}\n| \t\t}\n"),
     12, "an object's block holds keywords only"},
    {"templates in a level", LabWithElements("| \t\tTEMPLATES\n| \t\t{\n| \t\t}\n"), 8,
     "templates come from the element script"},
    {"unknown template", LabWithElements("| \t\ttmo_gear\n| \t\t{ }\n| \t\ttmo_anvil\n| \t\t{ }\n"), 10,
     "\"tmo_anvil\" in level_elements is no template"},
    {"node no part of its template",
     LabWithElements("| \t\ttmo_lever\n| \t\t{\n| \t\t\ttmo_lever_handle\n| \t\t\t{\n| \t\t\t}\n| \t\t}\n"), 10,
     "\"tmo_lever_handle\" is no part of the template tmo_lever"},
    {"level without its level bar",
     "creator USER\nexperiment One\nlevel\n| level\n| {\n| \tlevel_elements\n| \t{ }\n| }\n", 4,
     "lacks its level_bar"},
    {"level holding another node",
     "creator USER\nexperiment One\nlevel\n| level\n| {\n| \tlevel_elements\n| \t{ }\n| \tlevel_bar\n| \t{ }\n"
     "| \tlevel_shelf\n| \t{ }\n| }\n",
     10, "\"level_shelf\" in the level"},
    {"target outside the level", LabWithElements("| \t\ttmo_gear\n| \t\t{\n| \t\t\tCONNECTED_TO 1\n| \t\t}\n"), 8,
     "CONNECTED_TO 1 names no element"},
    {"link of three words", LabWithElements(kThreeElements, "link 0 Gear 1\n"), kAfterThreeElements,
     "an element and a tag, twice"},
    {"link to a missing element", LabWithElements(kThreeElements, "link 0 Gear 3 Gear\n"), kAfterThreeElements,
     "no element 3: the level has 3"},
    {"link to a missing tag", LabWithElements(kThreeElements, "link 0 Gear 1 Gearbox\n"), kAfterThreeElements,
     "element 1 (tmo_gear) has no point Gearbox"},
    {"link to a missing second point", LabWithElements(kThreeElements, "link 0 Gear 1 Gear@2\n"),
     kAfterThreeElements, "has no point Gear@2"},
    {"link of a point with itself", LabWithElements(kThreeElements, "link 0 Gear 0 Gear@1\n"), kAfterThreeElements,
     "linked to itself"},
    {"point linked twice", LabWithElements(kThreeElements, "link 0 Gear 1 Gear\nlink 1 Wheel 0 Gear\n"),
     kAfterThreeElements + 1, "linked on line 19 already"},
    {"link of two kinds", LabWithElements(kThreeElements, "link 0 Gear 2 Mechanic\n"), kAfterThreeElements,
     "not of one connector kind (Gear, Mechanic)"},
    {"link with a bad tag", LabWithElements(kThreeElements, "link 0 Gear@0 1 Gear\n"), kAfterThreeElements,
     "is no tag"},
};
