// The readable form of a lab, one statement a line; a line whose first visible character is
// "#" is a comment. Multi-line texts follow their statement as lines beginning with "|" (one
// space after it is dropped); the first line that does not ends them.
//   creator <text>               the header's creator, at most 39 characters; required
//   title <text>                 the lab's title, at most 79 characters; none when absent
//   experiment <name>            begins an experiment (a name of at most 79 characters, used once)
//   passed yes|no                its record type, 1 or 0; no when absent
//   time <seconds>               0 to 2147483647; 0 when absent
//   gravity earth|moon|none      earth when absent
//   description                  then its lines ("|"), at most 4999 characters joined by CR LF
//   level                        then the "level" node's object-model text ("|"); required
//   link <element> <tag> <element> <tag>   two connection points linked to each other: an
//                                element by its index among the level's elements, a point by
//                                its tag name, "<tag>@<n>" for the n-th point of that name
// Statements but link come at most once in their place: creator and title before the first
// experiment, the others inside one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One end of a link: an element of the level and a point on it.
struct CLabPointRef {
    uint32_t element = 0;
    std::string tag;
    uint32_t occurrence = 1;  // the n-th point of that tag name on the element, from 1
};

struct CLabLink {
    int line = 0;
    CLabPointRef ends[2];
};

// A node of the level text as its blocks nest, with the line its name stands on.
struct CLabNodeOutline {
    std::string name;
    int line = 0;
    std::vector<CLabNodeOutline> children;
};

struct CLabExperiment {
    int line = 0;
    std::string name;
    bool passed = false;
    uint32_t time = 0;
    uint32_t gravity = 0;  // CExperimentBody::kGravityEarth, kGravityMoon or kGravityNone
    std::string description;  // lines joined by CR LF
    int levelLine = 0;        // the line of the "level" statement
    std::string level;        // the object-model text, each line ended by CR LF
    CLabNodeOutline outline;  // the "level" node and the nodes below it
    std::vector<CLabLink> links;
};

struct CLabSource {
    std::string creator;
    std::string title;
    std::vector<CLabExperiment> experiments;
};

inline constexpr int kLabCreatorLength = 39;
inline constexpr int kLabTitleLength = 79;
inline constexpr int kLabNameLength = 79;
inline constexpr int kLabDescriptionLength = 4999;

// false with the offending line (the last line for something missing at the end) and a
// message when the text is not a well-formed lab. The level text is checked for its shape: one
// "level" node whose blocks close, no templates and no blocks inside an object's block.
bool ParseLabText(const std::string& text, CLabSource* lab, int* line, std::string* error);
// The text that parses back into the same lab: statements in the order above, every one of an
// experiment written, one empty line before each experiment.
std::string FormatLabText(const CLabSource& lab);
// "<tag>" for the first point of its name, "<tag>@<n>" for another.
std::string PointRefTag(const CLabPointRef& ref);
