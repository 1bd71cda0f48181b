#include "tools/texture/TextureRecipe.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>
#include <utility>

namespace {

constexpr uint32_t kMaxSide = 4096;
constexpr int kMaxTextPixels = 1024;

// The parameters a kind may take.
enum EParameter : unsigned {
    kColour = 1,
    kAccent = 2,
    kScale = 4,
    kBorder = 8,
    kRadius = 16,
    kTeeth = 32,
    kHole = 64,
    kDirection = 128,
    kPressed = 256,
    kBox = 512,
};

struct CKind {
    const char* name;
    unsigned parameters;
    unsigned required;
    bool bAlpha;
};

constexpr unsigned kMaterial = kColour | kAccent | kScale;
constexpr unsigned kFramePiece = kColour | kAccent | kBorder | kRadius | kBox;

const CKind kKinds[] = {
    {"solid", kColour, kColour, false},
    {"gradient", kColour | kAccent | kDirection, kColour | kAccent, false},
    {"wood", kMaterial, 0, false},
    {"stone", kMaterial, 0, false},
    {"brick", kMaterial, 0, false},
    {"concrete", kMaterial, 0, false},
    {"paper", kMaterial, 0, false},
    {"cork", kMaterial, 0, false},
    {"metal", kMaterial, 0, false},
    {"marble", kMaterial, 0, false},
    {"fabric", kMaterial, 0, false},
    {"gridpaper", kMaterial, 0, false},
    {"glow", kColour | kAccent, 0, true},
    {"spark", kColour | kAccent, 0, true},
    {"flame", kColour | kAccent, 0, true},
    {"smoke", kColour | kAccent, 0, true},
    {"edge", kFramePiece, 0, true},
    {"corner", kFramePiece, 0, true},
    {"plate", kFramePiece, 0, true},
    {"button", kFramePiece | kPressed, 0, true},
    {"arrow", kColour | kAccent | kBorder | kBox, 0, true},
    {"gear", kColour | kTeeth | kHole, 0, true},
    {"text", kColour, 0, true},
};

const CKind* FindKind(const std::string& name) {
    for (const CKind& kind : kKinds) {
        if (name == kind.name)
            return &kind;
    }
    return nullptr;
}

const struct {
    const char* word;
    EParameter parameter;
} kParameterWords[] = {
    {"colour", kColour}, {"accent", kAccent}, {"scale", kScale},         {"border", kBorder},   {"radius", kRadius},
    {"teeth", kTeeth},   {"hole", kHole},     {"direction", kDirection}, {"pressed", kPressed},
    {"box", kBox},
};

// Words split at blanks; a token in double quotes is taken whole (it may hold blanks and "#")
// and keeps its quotes, so the parser can tell it was quoted. false for a quote left open.
bool Tokens(const std::string& line, std::vector<std::string>* tokens) {
    tokens->clear();
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r'))
            ++i;
        if (i >= line.size() || line[i] == '#')
            break;
        const size_t start = i;
        if (line[i] == '"') {
            const size_t close = line.find('"', i + 1);
            if (close == std::string::npos)
                return false;
            i = close + 1;
        } else {
            while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r' && line[i] != '#' &&
                   line[i] != '"')
                ++i;
        }
        tokens->push_back(line.substr(start, i - start));
    }
    return true;
}

bool IsQuoted(const std::string& token) {
    return token.size() >= 2 && token.front() == '"' && token.back() == '"';
}

// A whole number of at most nine digits, or false.
bool ParseWhole(const std::string& token, long long* value) {
    if (token.empty() || token.size() > 10)
        return false;
    long long parsed = 0;
    for (const char c : token) {
        if (c < '0' || c > '9')
            return false;
        parsed = parsed * 10 + (c - '0');
    }
    *value = parsed;
    return true;
}

// A plain decimal: digits with at most one point; no sign, exponent or hex.
bool ParseDecimal(const std::string& token, double* value) {
    int digits = 0;
    bool point = false;
    for (const char c : token) {
        if (c >= '0' && c <= '9')
            ++digits;
        else if (c == '.' && !point)
            point = true;
        else
            return false;
    }
    if (digits == 0 || token.size() > 12)
        return false;
    *value = strtod(token.c_str(), nullptr);
    return true;
}

// A plain decimal with an optional minus sign in front.
bool ParseSignedDecimal(const std::string& token, double* value) {
    const bool negative = !token.empty() && token[0] == '-';
    if (!ParseDecimal(negative ? token.substr(1) : token, value))
        return false;
    if (negative)
        *value = -*value;
    return true;
}

class CParser {
public:
    CParser(CTextureRecipe* recipe, int* line, std::string* error)
        : m_pRecipe(recipe), m_pLine(line), m_pError(error) {}

    bool Run(const std::string& text) {
        std::istringstream lines(text);
        std::string line;
        std::vector<std::string> tokens;
        while (std::getline(lines, line)) {
            ++m_nLine;
            if (!Tokens(line, &tokens))
                return Fail("a quote is not closed");
            if (!tokens.empty() && !Statement(tokens))
                return false;
        }
        return Complete();
    }

private:
    bool Fail(const std::string& message) {
        *m_pLine = m_nLine;
        *m_pError = message;
        return false;
    }

    // Statements other than "text" come once.
    bool Once(const std::string& word) {
        const auto found = m_lines.find(word);
        if (found != m_lines.end())
            return Fail("\"" + word + "\" is given twice (first on line " + std::to_string(found->second) + ")");
        m_lines[word] = m_nLine;
        return true;
    }

    bool Count(const std::vector<std::string>& tokens, size_t count, const char* what) {
        if (tokens.size() != count + 1)
            return Fail("\"" + tokens[0] + "\" takes " + what);
        return true;
    }

    bool Whole(const std::string& token, long long low, long long high, long long* value) {
        if (!ParseWhole(token, value) || *value < low || *value > high)
            return Fail("\"" + token + "\" is not a whole number from " + std::to_string(low) + " to " +
                        std::to_string(high));
        return true;
    }

    bool Decimal(const std::string& token, double low, double high, double* value) {
        if (!ParseDecimal(token, value) || *value < low || *value > high) {
            std::ostringstream range;
            range << low << " to " << high;
            return Fail("\"" + token + "\" is not a number from " + range.str());
        }
        return true;
    }

    bool Box(const std::vector<std::string>& tokens) {
        if (!Count(tokens, 4, "left, top, right and bottom in pixels"))
            return false;
        const double low = -static_cast<double>(kMaxSide);
        const double high = 2.0 * kMaxSide;
        for (int i = 0; i < 4; ++i) {
            double& value = m_pRecipe->box[i];
            if (!ParseSignedDecimal(tokens[i + 1], &value) || value < low || value > high) {
                std::ostringstream range;
                range << low << " to " << high;
                return Fail("\"" + tokens[i + 1] + "\" is not a number from " + range.str());
            }
        }
        const double* box = m_pRecipe->box;
        if (box[2] <= box[0] || box[3] <= box[1])
            return Fail("the box's right must lie right of its left, its bottom below its top");
        m_pRecipe->bBox = true;
        return true;
    }

    bool Side(const std::string& token, uint32_t* side) {
        long long value;
        if (!Whole(token, 1, kMaxSide, &value))
            return false;
        if (value & (value - 1))
            return Fail("the side " + token + " is not a power of two");
        *side = static_cast<uint32_t>(value);
        return true;
    }

    // <r> <g> <b> [<a>] from `first` up to `end`.
    bool Colour(const std::vector<std::string>& tokens, size_t first, size_t end, CColour* colour) {
        if (end - first != 3 && end - first != 4)
            return Fail("\"" + tokens[0] + "\" takes a colour: red, green, blue and an optional alpha, 0 to 255");
        uint8_t* channels[4] = {&colour->r, &colour->g, &colour->b, &colour->a};
        colour->a = 255;
        for (size_t i = first; i < end; ++i) {
            long long value;
            if (!Whole(tokens[i], 0, 255, &value))
                return false;
            *channels[i - first] = static_cast<uint8_t>(value);
        }
        return true;
    }

    bool Word(const std::vector<std::string>& tokens, const std::vector<const char*>& words, std::string* out) {
        std::string list;
        for (const char* word : words) {
            list += list.empty() ? word : std::string(", ") + word;
            if (tokens.size() == 2 && tokens[1] == word) {
                *out = word;
                return true;
            }
        }
        return Fail("\"" + tokens[0] + "\" takes one of " + list);
    }

    bool Text(const std::vector<std::string>& tokens) {
        if (tokens.size() < 8 || tokens.size() > 9 || !IsQuoted(tokens.back()))
            return Fail("\"text\" takes x, y, a height in pixels, a colour and the text in double quotes");
        CTextLine text;
        text.line = m_nLine;
        long long value;
        // The place is checked against the size once the whole recipe is read.
        if (!Whole(tokens[1], 0, kMaxSide - 1, &value))
            return false;
        text.x = static_cast<int>(value);
        if (!Whole(tokens[2], 0, kMaxSide - 1, &value))
            return false;
        text.y = static_cast<int>(value);
        if (!Whole(tokens[3], 4, kMaxTextPixels, &value))
            return false;
        text.pixels = static_cast<int>(value);
        if (!Colour(tokens, 4, tokens.size() - 1, &text.colour))
            return false;
        text.text = tokens.back().substr(1, tokens.back().size() - 2);
        if (text.text.empty())
            return Fail("the text is empty");
        m_pRecipe->texts.push_back(text);
        return true;
    }

    bool Parameter(const std::vector<std::string>& tokens, EParameter parameter) {
        CTextureRecipe& r = *m_pRecipe;
        long long value;
        switch (parameter) {
        case kColour:
            r.bColour = true;
            return Colour(tokens, 1, tokens.size(), &r.colour);
        case kAccent:
            r.bAccent = true;
            return Colour(tokens, 1, tokens.size(), &r.accent);
        case kScale:
            return Count(tokens, 1, "a number") && Decimal(tokens[1], 1.0, 256.0, &r.scale);
        case kBorder:
            if (!Count(tokens, 1, "a width in pixels") || !Whole(tokens[1], 0, kMaxSide / 2, &value))
                return false;
            r.border = static_cast<int>(value);
            return true;
        case kRadius:
            if (!Count(tokens, 1, "a radius in pixels") || !Whole(tokens[1], 0, kMaxSide, &value))
                return false;
            r.radius = static_cast<int>(value);
            return true;
        case kTeeth:
            if (!Count(tokens, 1, "a count") || !Whole(tokens[1], 3, 64, &value))
                return false;
            r.teeth = static_cast<int>(value);
            return true;
        case kHole:
            return Count(tokens, 1, "a fraction of the radius") && Decimal(tokens[1], 0.0, 0.9, &r.hole);
        case kDirection:
            return Word(tokens, {"down", "right", "radial"}, &r.direction);
        case kBox:
            return Box(tokens);
        case kPressed: {
            std::string word;
            if (!Word(tokens, {"yes", "no"}, &word))
                return false;
            r.bPressed = word == "yes";
            return true;
        }
        }
        return Fail("unknown parameter");
    }

    bool Statement(const std::vector<std::string>& tokens) {
        CTextureRecipe& r = *m_pRecipe;
        const std::string& word = tokens[0];
        if (word == "text")
            return Text(tokens);
        for (const auto& entry : kParameterWords) {
            if (word == entry.word)
                return Once(word) && Parameter(tokens, entry.parameter);
        }
        if (word == "size")
            return Once(word) && Count(tokens, 2, "a width and a height") && Side(tokens[1], &r.width) &&
                   Side(tokens[2], &r.height);
        if (word == "kind") {
            if (!Once(word) || !Count(tokens, 1, "a kind's name"))
                return false;
            if (!FindKind(tokens[1]))
                return Fail("unknown kind \"" + tokens[1] + "\"");
            r.kind = tokens[1];
            r.kindLine = m_nLine;
            return true;
        }
        if (word == "depth") {
            std::string depth;
            if (!Once(word) || !Word(tokens, {"24", "32"}, &depth))
                return false;
            r.depth = depth == "24" ? 24 : 32;
            return true;
        }
        if (word == "encoding") {
            std::string encoding;
            if (!Once(word) || !Word(tokens, {"plain", "runlength", "smaller"}, &encoding))
                return false;
            r.encoding = encoding == "plain"       ? ETextureEncoding::kPlain
                         : encoding == "runlength" ? ETextureEncoding::kRunLength
                                                   : ETextureEncoding::kSmaller;
            return true;
        }
        if (word == "seed") {
            long long value;
            if (!Once(word) || !Count(tokens, 1, "a whole number") || !Whole(tokens[1], 0, 4294967295LL, &value))
                return false;
            r.seed = static_cast<uint32_t>(value);
            return true;
        }
        if (word == "background") {
            r.bBackground = true;
            return Once(word) && Colour(tokens, 1, tokens.size(), &r.background);
        }
        if (word == "font") {
            if (!Once(word) || !Count(tokens, 1, "a path in double quotes") || !IsQuoted(tokens[1]) ||
                tokens[1].size() == 2)
                return Fail("\"font\" takes a path in double quotes");
            r.font = tokens[1].substr(1, tokens[1].size() - 2);
            r.fontLine = m_nLine;
            return true;
        }
        return Fail("unknown statement \"" + word + "\"");
    }

    // What only the whole recipe shows: the required statements, the kind's parameters, and
    // places and sizes against the image.
    bool Complete() {
        const CTextureRecipe& r = *m_pRecipe;
        if (!m_lines.count("size"))
            return Fail("no \"size\" line");
        if (!m_lines.count("kind"))
            return Fail("no \"kind\" line");
        const CKind* kind = FindKind(r.kind);
        for (const auto& entry : kParameterWords) {
            const auto given = m_lines.find(entry.word);
            if (given != m_lines.end() && !(kind->parameters & entry.parameter)) {
                m_nLine = given->second;
                return Fail("kind " + r.kind + " takes no \"" + entry.word + "\"");
            }
            if (given == m_lines.end() && (kind->required & entry.parameter)) {
                m_nLine = r.kindLine;
                return Fail("kind " + r.kind + " needs a \"" + entry.word + "\" line");
            }
        }
        const uint32_t smaller = r.width < r.height ? r.width : r.height;
        const auto limit = [&](const char* word, int value, uint32_t most) {
            if (value <= static_cast<int>(most))
                return true;
            m_nLine = m_lines[word];
            return Fail(std::string("the ") + word + " " + std::to_string(value) + " is more than " +
                        std::to_string(most) + " pixels, half the image's smaller side");
        };
        if (!limit("border", r.border, smaller / 2) || !limit("radius", r.radius, smaller / 2))
            return false;
        if (r.bBox) {
            // The shape lies in the box: its rim and corners must fit there too.
            const double boxSmaller = std::min(r.box[2] - r.box[0], r.box[3] - r.box[1]);
            const std::pair<const char*, int> sizes[] = {{"border", r.border}, {"radius", r.radius}};
            for (const auto& [word, value] : sizes) {
                if (value > boxSmaller / 2) {
                    m_nLine = m_lines[word];
                    std::ostringstream half;
                    half << boxSmaller / 2;
                    return Fail(std::string("the ") + word + " " + std::to_string(value) + " is more than " +
                                half.str() + " pixels, half the box's smaller side");
                }
            }
        }
        for (const CTextLine& text : r.texts) {
            if (static_cast<uint32_t>(text.x) >= r.width || static_cast<uint32_t>(text.y) >= r.height) {
                m_nLine = text.line;
                return Fail("the text starts outside the " + std::to_string(r.width) + " x " +
                            std::to_string(r.height) + " image");
            }
        }
        return true;
    }

    CTextureRecipe* m_pRecipe;
    int* m_pLine;
    std::string* m_pError;
    int m_nLine = 0;
    std::map<std::string, int> m_lines;  // where each once-only statement was given
};

}  // namespace

const std::vector<std::string>& TextureKinds() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> list;
        for (const CKind& kind : kKinds)
            list.push_back(kind.name);
        return list;
    }();
    return names;
}

bool KindHasAlpha(const std::string& kind) {
    const CKind* found = FindKind(kind);
    return found && found->bAlpha;
}

bool ParseTextureRecipe(const std::string& text, CTextureRecipe* recipe, int* line, std::string* error) {
    *recipe = CTextureRecipe();
    CParser parser(recipe, line, error);
    return parser.Run(text);
}
