#include "tools/model/ModelText.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>

namespace {

// Coordinates, sizes and matrix entries beyond this are taken for typing errors.
constexpr double kMaxMagnitude = 1e6;

std::vector<std::string> Tokens(const std::string& line) {
    std::vector<std::string> tokens;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r'))
            ++i;
        if (i >= line.size() || line[i] == '#')
            break;
        const size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r' && line[i] != '#')
            ++i;
        tokens.push_back(line.substr(start, i - start));
    }
    return tokens;
}

enum class ENumber { kNumber, kNotNumber, kTooLarge };

// A plain decimal: an optional sign, digits and at most one point; no exponent, no hex.
bool IsPlainDecimal(const std::string& token) {
    size_t i = token.size() > 0 && (token[0] == '-' || token[0] == '+') ? 1 : 0;
    int digits = 0;
    bool point = false;
    for (; i < token.size(); ++i) {
        if (token[i] >= '0' && token[i] <= '9')
            ++digits;
        else if (token[i] == '.' && !point)
            point = true;
        else
            return false;
    }
    return digits > 0;
}

// Whether the token starts the way a number does, to tell a mistyped number from a name.
bool LooksLikeNumber(const std::string& token) {
    return !token.empty() && strchr("+-.0123456789", token[0]) != nullptr;
}

ENumber ParseNumber(const std::string& token, double* value) {
    if (!IsPlainDecimal(token))
        return ENumber::kNotNumber;
    // Range errors need no look: an overflow is infinite and an underflow is as good as 0.
    const double parsed = strtod(token.c_str(), nullptr);
    if (!std::isfinite(parsed) || std::fabs(parsed) > kMaxMagnitude)
        return ENumber::kTooLarge;
    *value = parsed;
    return ENumber::kNumber;
}

bool ParseWhole(const std::string& token, uint32_t limit, uint32_t* value) {
    if (token.empty() || token.size() > 9)
        return false;
    uint32_t parsed = 0;
    for (const char c : token) {
        if (c < '0' || c > '9')
            return false;
        parsed = parsed * 10 + static_cast<uint32_t>(c - '0');
    }
    if (parsed >= limit)
        return false;
    *value = parsed;
    return true;
}

class CParser {
public:
    CParser(CModelSource* source, std::string* error) : m_pSource(source), m_pError(error) {}

    bool Run(const std::string& text) {
        std::istringstream lines(text);
        std::string line;
        while (std::getline(lines, line)) {
            ++m_nLine;
            const std::vector<std::string> tokens = Tokens(line);
            if (tokens.empty())
                continue;
            if (!(m_eBlock == kNone ? TopLevel(tokens) : InBlock(tokens)))
                return false;
        }
        if (m_eBlock != kNone) {
            m_nLine = m_nBlockLine;
            return Fail(std::string(m_eBlock == kPart ? "part" : "tag") + " has no \"end\"");
        }
        return true;
    }

private:
    enum EBlock { kNone, kPart, kTag };

    bool Fail(const std::string& message) {
        *m_pError = "line " + std::to_string(m_nLine) + ": " + message;
        return false;
    }

    bool Numbers(const std::vector<std::string>& tokens, size_t first, size_t count, std::vector<double>* out) {
        if (tokens.size() != first + count)
            return Fail("\"" + tokens[0] + "\" takes " + std::to_string(count) + (count == 1 ? " number" : " numbers"));
        out->clear();
        for (size_t i = first; i < tokens.size(); ++i) {
            double value;
            if (!Number(tokens[i], &value))
                return false;
            out->push_back(value);
        }
        return true;
    }

    bool Number(const std::string& token, double* value) {
        switch (ParseNumber(token, value)) {
        case ENumber::kNumber:
            return true;
        case ENumber::kTooLarge:
            return Fail("\"" + token + "\" is larger than a million");
        default:
            return Fail("\"" + token + "\" is not a number (numbers are plain decimals)");
        }
    }

    // "all", or numbers and ranges joined by commas, each below the frame count.
    bool FrameList(const std::string& token, std::vector<uint8_t>* flags) {
        flags->assign(m_pSource->frames, 0);
        if (token == "all") {
            flags->assign(m_pSource->frames, 1);
            return true;
        }
        size_t start = 0;
        while (start <= token.size()) {
            const size_t comma = token.find(',', start);
            const size_t length = comma == std::string::npos ? std::string::npos : comma - start;
            const std::string item = token.substr(start, length);
            const size_t dash = item.find('-');
            uint32_t first;
            uint32_t last;
            const bool parsed = dash == std::string::npos
                                    ? ParseWhole(item, m_pSource->frames, &first) && ((last = first), true)
                                    : ParseWhole(item.substr(0, dash), m_pSource->frames, &first) &&
                                          ParseWhole(item.substr(dash + 1), m_pSource->frames, &last) && first <= last;
            if (!parsed)
                return Fail("\"" + token + "\" is not a list of frames from 0 to " +
                            std::to_string(m_pSource->frames - 1));
            for (uint32_t f = first; f <= last; ++f)
                (*flags)[f] = 1;
            if (comma == std::string::npos)
                break;
            start = comma + 1;
        }
        return true;
    }

    // One placement step from the tokens starting at `first`.
    bool Step(const std::vector<std::string>& tokens, size_t first, CMat4* step) {
        const std::string& verb = tokens[first];
        std::vector<double> v;
        if (verb == "translate") {
            if (!Numbers(tokens, first + 1, 3, &v))
                return false;
            *step = CMat4::Translation(v[0], v[1], v[2]);
            return true;
        }
        if (verb == "rotate") {
            static const char* const kAxes[3] = {"x", "y", "z"};
            int axis = -1;
            for (int a = 0; a < 3; ++a)
                axis = tokens.size() > first + 1 && tokens[first + 1] == kAxes[a] ? a : axis;
            if (axis < 0)
                return Fail("\"rotate\" takes an axis (x, y or z) and degrees");
            if (!Numbers(tokens, first + 2, 1, &v))
                return false;
            *step = CMat4::Rotation(axis, v[0]);
            return true;
        }
        if (verb == "scale") {
            if (tokens.size() == first + 2) {
                if (!Numbers(tokens, first + 1, 1, &v))
                    return false;
                *step = CMat4::Scale(v[0], v[0], v[0]);
                return true;
            }
            if (!Numbers(tokens, first + 1, 3, &v))
                return false;
            *step = CMat4::Scale(v[0], v[1], v[2]);
            return true;
        }
        if (verb == "matrix") {
            if (!Numbers(tokens, first + 1, 16, &v))
                return false;
            *step = CMat4::FromRows(v.data());
            return true;
        }
        return Fail("\"" + verb + "\" is not a placement (translate, rotate, scale, matrix)");
    }

    CPlacement& Placement() {
        return m_eBlock == kPart ? m_pSource->parts.back().placement : m_pSource->tags.back().placement;
    }

    bool InBlock(const std::vector<std::string>& tokens) {
        const std::string& verb = tokens[0];
        if (verb == "end") {
            if (tokens.size() != 1)
                return Fail("\"end\" takes nothing");
            m_eBlock = kNone;
            return true;
        }
        if (verb == "frame") {
            if (tokens.size() < 3)
                return Fail("\"frame\" takes frames and a placement");
            CPlacement::FrameStep step;
            if (!FrameList(tokens[1], &step.frames) || !Step(tokens, 2, &step.matrix))
                return false;
            Placement().frameSteps.push_back(step);
            return true;
        }
        if (m_eBlock == kPart && verb == "hide") {
            if (tokens.size() != 2)
                return Fail("\"hide\" takes one list of frames");
            std::vector<uint8_t> frames;
            if (!FrameList(tokens[1], &frames))
                return false;
            CPartSource& part = m_pSource->parts.back();
            for (size_t f = 0; f < frames.size(); ++f)
                part.hidden[f] = part.hidden[f] || frames[f];
            return true;
        }
        if (m_eBlock == kPart && !IsPlacementVerb(verb))
            return Parameters(tokens, 0);
        CMat4 step;
        if (!Step(tokens, 0, &step))
            return false;
        Placement().base = Placement().base.Then(step);
        return true;
    }

    static bool IsPlacementVerb(const std::string& verb) {
        return verb == "translate" || verb == "rotate" || verb == "scale" || verb == "matrix";
    }

    // Parameter names each followed by their numbers, from `first` on.
    bool Parameters(const std::vector<std::string>& tokens, size_t first) {
        CPrimitiveDescription& description = m_pSource->parts.back().primitive;
        size_t i = first;
        while (i < tokens.size()) {
            const std::string& name = tokens[i++];
            std::vector<double> values;
            // The numbers run to the next name; a token that starts like a number is one.
            for (; i < tokens.size() && LooksLikeNumber(tokens[i]); ++i) {
                double value;
                if (!Number(tokens[i], &value))
                    return false;
                values.push_back(value);
            }
            // A second value would silently replace the first.
            const auto given = m_PartParameterLines.find(name);
            if (given != m_PartParameterLines.end())
                return Fail("\"" + name + "\" is given twice in one part (first at line " +
                            std::to_string(given->second) + ")");
            std::string message;
            if (!SetPrimitiveParameter(&description, name, values, &message))
                return Fail(message);
            m_PartParameterLines[name] = m_nLine;
        }
        return true;
    }

    bool TopLevel(const std::vector<std::string>& tokens) {
        const std::string& verb = tokens[0];
        std::vector<double> v;
        if (verb == "frames") {
            if (m_bFramesSet || !m_pSource->parts.empty() || !m_pSource->tags.empty())
                return Fail("\"frames\" comes once, before any part or tag");
            uint32_t frames;
            if (tokens.size() != 2 || !ParseWhole(tokens[1], kMaxFrames + 1, &frames) || frames == 0)
                return Fail("\"frames\" takes a whole number from 1 to " + std::to_string(kMaxFrames));
            m_pSource->frames = frames;
            m_bFramesSet = true;
            return true;
        }
        if (verb == "part") {
            EPrimitive kind;
            if (tokens.size() < 2 || !FindPrimitive(tokens[1], &kind))
                return Fail("\"part\" takes a primitive: box, plank, sphere, cylinder, cone, torus, gear or arrow");
            CPartSource part;
            part.primitive = DefaultPrimitive(kind);
            part.hidden.assign(m_pSource->frames, 0);
            part.line = m_nLine;
            m_pSource->parts.push_back(part);
            m_PartParameterLines.clear();
            m_eBlock = kPart;
            m_nBlockLine = m_nLine;
            return Parameters(tokens, 2);
        }
        if (verb == "tag") {
            if (tokens.size() != 2)
                return Fail("\"tag\" takes one name");
            const std::string& name = tokens[1];
            if (name.size() > kMaxTagNameLength)
                return Fail("a tag name has at most " + std::to_string(kMaxTagNameLength) + " characters");
            for (const char c : name) {
                if (c < '!' || c > '~')
                    return Fail("a tag name is made of visible ASCII characters");
            }
            m_pSource->tags.push_back(CTagSource{name, CPlacement{}});
            m_eBlock = kTag;
            m_nBlockLine = m_nLine;
            return true;
        }
        if (verb == "sphere") {
            if (!Numbers(tokens, 1, 4, &v))
                return false;
            if (!(v[3] > 0.0))
                return Fail("a sphere's radius must be above 0");
            m_pSource->spheres.push_back(CSphereSource{{v[0], v[1], v[2]}, v[3]});
            return true;
        }
        if (verb == "box") {
            if (tokens.size() != 7 && tokens.size() != 8)
                return Fail("\"box\" takes 6 numbers and, if turned, the degrees");
            if (tokens.size() == 7) {
                if (!Numbers(tokens, 1, 6, &v))
                    return false;
                v.push_back(0.0);
            } else if (!Numbers(tokens, 1, 7, &v)) {
                return false;
            }
            if (!(v[3] > 0.0 && v[4] > 0.0 && v[5] > 0.0))
                return Fail("a box's half extents must be above 0");
            m_pSource->boxes.push_back(CBoxSource{{v[0], v[1], v[2]}, {v[3], v[4], v[5]}, v[6]});
            return true;
        }
        return Fail("\"" + verb + "\" is not a statement (frames, part, tag, sphere, box)");
    }

    CModelSource* m_pSource;
    std::string* m_pError;
    int m_nLine = 0;
    int m_nBlockLine = 0;
    EBlock m_eBlock = kNone;
    bool m_bFramesSet = false;
    std::map<std::string, int> m_PartParameterLines;  // the open part's parameters, by the line that gave them
};

}  // namespace

bool ParseModelText(const std::string& text, CModelSource* source, std::string* error) {
    *source = CModelSource{};
    CParser parser(source, error);
    return parser.Run(text);
}
