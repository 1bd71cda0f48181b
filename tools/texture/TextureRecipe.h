// The readable recipe of one texture, one statement a line ("#" starts a comment):
//   size <width> <height>        powers of two from 1 to 4096; required
//   kind <kind>                  what to paint (the README lists the kinds); required
//   depth 24|32                  bits per pixel; by default 32 for kinds with alpha, else 24
//   encoding plain|runlength|smaller   the TGA form; "smaller" (the default) takes the
//                                smaller file, plain on a tie
//   seed <whole number>          the random generator's start; 1 when absent
//   colour <r> <g> <b> [<a>]     the kind's main colour, 0 to 255 each
//   accent <r> <g> <b> [<a>]     its second colour
//   scale <number>               how many features across the image (1 to 256)
//   border <pixels>  radius <pixels>  teeth <count>  hole <fraction>
//   direction down|right|radial  pressed yes|no
//   box <left> <top> <right> <bottom>   the rectangle a frame piece or the arrow is laid in,
//                                in pixels; it may reach past the image's sides
//   background <r> <g> <b> [<a>]  laid under everything painted
//   font "<path>"                the TrueType font text is drawn with; DejaVu Sans if absent
//   text <x> <y> <pixels> <r> <g> <b> [<a>] "<text>"   text over the kind, its line's top
//                                left at x, y; any number of these
// Each kind takes only some of the parameters and gives defaults for those it does not need.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct CColour {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
    uint8_t a = 255;
};

enum class ETextureEncoding { kSmaller, kPlain, kRunLength };

struct CTextLine {
    int line = 0;  // the recipe line, for messages
    int x = 0;
    int y = 0;
    int pixels = 0;
    CColour colour;
    std::string text;  // UTF-8
};

struct CTextureRecipe {
    uint32_t width = 0;
    uint32_t height = 0;
    std::string kind;
    int kindLine = 0;
    uint32_t depth = 0;  // 0 until given: the kind decides
    ETextureEncoding encoding = ETextureEncoding::kSmaller;
    uint32_t seed = 1;
    // Parameters; the `b...` flags tell given from default.
    bool bColour = false;
    CColour colour;
    bool bAccent = false;
    CColour accent;
    double scale = 0.0;  // 0: the kind's default
    int border = -1;     // -1: the kind's default
    int radius = -1;
    int teeth = 0;
    double hole = -1.0;
    std::string direction;
    bool bPressed = false;
    bool bBox = false;
    double box[4] = {0.0, 0.0, 0.0, 0.0};  // left, top, right, bottom
    bool bBackground = false;
    CColour background;
    std::string font;  // empty: the default font
    int fontLine = 0;
    std::vector<CTextLine> texts;
};

// The kinds a recipe may name, in the README's order.
const std::vector<std::string>& TextureKinds();
// Whether a kind paints alpha of its own (sprites, frame pieces, silhouettes, text).
bool KindHasAlpha(const std::string& kind);

// false with the offending line (or the last line for a missing statement) and a message
// when the text is not a well-formed recipe.
bool ParseTextureRecipe(const std::string& text, CTextureRecipe* recipe, int* line, std::string* error);
