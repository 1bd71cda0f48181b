#include "tools/lab/LabText.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <set>

#include "game/app/3DOMScripter.h"
#include "game/app/ExperimentBody.h"
#include "game/app/ScriptFile.h"
#include "game/flow/SceneNames.h"
#include "tools/ToolWords.h"

namespace {

constexpr char kTemplatesNode[] = "TEMPLATES";
constexpr char kObjectWord[] = "3DO";
// Element indices and occurrences beyond these name nothing a level can hold.
constexpr uint32_t kMaxElementIndex = 99999;
constexpr uint32_t kMaxOccurrence = 9999;

struct CGravityWord {
    const char* word;
    uint32_t value;
};
const CGravityWord kGravityWords[] = {
    {"earth", CExperimentBody::kGravityEarth},
    {"moon", CExperimentBody::kGravityMoon},
    {"none", CExperimentBody::kGravityNone},
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string TrimmedRight(const std::string& text) {
    size_t end = text.size();
    while (end > 0 && IsBlank(text[end - 1]))
        --end;
    return text.substr(0, end);
}

// The words of a statement's arguments, split at spaces and tabs.
std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> words;
    for (size_t at = 0; at < text.size();) {
        while (at < text.size() && IsBlank(text[at]))
            ++at;
        size_t end = at;
        while (end < text.size() && !IsBlank(text[end]))
            ++end;
        if (end > at)
            words.push_back(text.substr(at, end - at));
        at = end;
    }
    return words;
}

// Digits only, at most the limit.
bool ParseWhole(const std::string& word, uint32_t limit, uint32_t* value) {
    uint64_t number = 0;
    if (!ReadWholeNumber(word, limit, &number))
        return false;
    *value = static_cast<uint32_t>(number);
    return true;
}

bool IsTagChar(char c) {
    return c > ' ' && c < 0x7F;
}

// "<tag>" or "<tag>@<n>": the last "@" followed by digits alone gives the occurrence.
bool ParseTag(const std::string& word, CLabPointRef* ref) {
    ref->tag = word;
    ref->occurrence = 1;
    const size_t at = word.rfind('@');
    if (at != std::string::npos && at > 0 && at + 1 < word.size() &&
        std::all_of(word.begin() + static_cast<std::ptrdiff_t>(at) + 1, word.end(),
                    [](char c) { return c >= '0' && c <= '9'; })) {
        if (!ParseWhole(word.substr(at + 1), kMaxOccurrence, &ref->occurrence) || ref->occurrence == 0)
            return false;
        ref->tag = word.substr(0, at);
    }
    return !ref->tag.empty() && std::all_of(ref->tag.begin(), ref->tag.end(), IsTagChar);
}

bool SamePoint(const CLabPointRef& a, const CLabPointRef& b) {
    return a.element == b.element && a.tag == b.tag && a.occurrence == b.occurrence;
}

// The tokens of object-model text as the scripter takes them, each with its line.
struct CToken {
    std::string text;
    int line;
};

std::vector<CToken> ScriptTokens(const std::string& text, int firstLine) {
    std::vector<CToken> tokens;
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    const char* pos = begin;
    const char* counted = begin;
    int line = firstLine;
    char token[CScriptFile::kTokenSize];
    while (const char* start = CScriptFile::GetNextToken(token, sizeof token, &pos, end)) {
        line += static_cast<int>(std::count(counted, start, '\n'));
        counted = start;
        tokens.push_back({token, line});
    }
    return tokens;
}

// The parser of one text: the statements in order, with the experiment and the multi-line
// text being read.
class CLabTextParser {
public:
    CLabTextParser(CLabSource* lab, int* line, std::string* error) : m_pLab(lab), m_pLine(line), m_pError(error) {}

    bool Parse(const std::string& text) {
        *m_pLab = CLabSource();
        if (text.find('\0') != std::string::npos) {
            m_nLine = 1 + static_cast<int>(std::count(text.begin(), text.begin() + text.find('\0'), '\n'));
            return Fail("a zero byte: a lab text is Windows-1252 text");
        }
        for (size_t at = 0; at < text.size();) {
            size_t end = text.find('\n', at);
            if (end == std::string::npos)
                end = text.size();
            std::string line = text.substr(at, end - at);
            at = end + 1;
            ++m_nLine;
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (line.find('\r') != std::string::npos)
                return Fail("a carriage return inside a line");
            if (!ParseLine(line))
                return false;
        }
        return Finish();
    }

private:
    enum class EBlock { kNone, kDescription, kLevel };

    bool Fail(const std::string& message) {
        *m_pLine = m_nLine;
        *m_pError = message;
        return false;
    }

    bool FailAt(int line, const std::string& message) {
        m_nLine = line;
        return Fail(message);
    }

    CLabExperiment* Current() { return m_pLab->experiments.empty() ? nullptr : &m_pLab->experiments.back(); }

    bool ParseLine(const std::string& line) {
        size_t start = 0;
        while (start < line.size() && IsBlank(line[start]))
            ++start;
        if (start < line.size() && line[start] == '|')
            return TextLine(line.substr(start + 1));
        if (!CloseBlock())
            return false;
        if (start == line.size() || line[start] == '#')
            return true;
        size_t end = start;
        while (end < line.size() && !IsBlank(line[end]))
            ++end;
        const std::string verb = line.substr(start, end - start);
        while (end < line.size() && IsBlank(line[end]))
            ++end;
        return Statement(verb, TrimmedRight(line.substr(end)));
    }

    bool TextLine(std::string text) {
        if (m_eBlock == EBlock::kNone)
            return Fail("a \"|\" line belongs under a description or level statement");
        if (!text.empty() && text[0] == ' ')
            text.erase(0, 1);
        m_lines.push_back(text);
        return true;
    }

    // Ends the multi-line text being read, if any.
    bool CloseBlock() {
        const EBlock block = m_eBlock;
        m_eBlock = EBlock::kNone;
        CLabExperiment* experiment = Current();
        if (block == EBlock::kDescription) {
            std::string joined;
            for (size_t i = 0; i < m_lines.size(); ++i)
                joined += (i > 0 ? "\r\n" : "") + m_lines[i];
            if (joined.size() > static_cast<size_t>(kLabDescriptionLength))
                return FailAt(m_nBlockLine, "the description holds " + std::to_string(joined.size()) +
                                                " characters; the game shows at most " +
                                                std::to_string(kLabDescriptionLength));
            experiment->description = joined;
        } else if (block == EBlock::kLevel) {
            for (const std::string& text : m_lines)
                experiment->level += text + "\r\n";
            const int line = m_nLine;
            if (!Outline(experiment))
                return false;
            m_nLine = line;
        }
        m_lines.clear();
        return true;
    }

    bool Once(const std::string& verb, std::set<std::string>* seen) {
        if (seen->insert(verb).second)
            return true;
        return Fail("\"" + verb + "\" comes once " + (seen == &m_labSeen ? "in a lab" : "in an experiment"));
    }

    bool Statement(const std::string& verb, const std::string& rest) {
        if (verb == "creator" || verb == "title")
            return LabStatement(verb, rest);
        if (verb == "experiment")
            return BeginExperiment(rest);
        if (verb == "passed" || verb == "time" || verb == "gravity" || verb == "description" || verb == "level" ||
            verb == "link") {
            if (!Current())
                return Fail("\"" + verb + "\" belongs to an experiment: an \"experiment\" line comes first");
            if (verb != "link" && !Once(verb, &m_experimentSeen))
                return false;
            return ExperimentStatement(verb, rest);
        }
        return Fail("\"" + verb +
                    "\" is not a statement (creator, title, experiment, passed, time, gravity, description, level, "
                    "link)");
    }

    bool LabStatement(const std::string& verb, const std::string& rest) {
        if (Current())
            return Fail("\"" + verb + "\" comes before the first experiment");
        if (!Once(verb, &m_labSeen))
            return false;
        const size_t limit = verb == "creator" ? kLabCreatorLength : kLabTitleLength;
        if (rest.empty())
            return Fail("\"" + verb + "\" takes a text");
        if (rest.size() > limit)
            return Fail("a " + verb + " has at most " + std::to_string(limit) + " characters");
        (verb == "creator" ? m_pLab->creator : m_pLab->title) = rest;
        return true;
    }

    bool BeginExperiment(const std::string& name) {
        if (!EndExperiment())
            return false;
        if (name.empty())
            return Fail("\"experiment\" takes a name");
        if (name.size() > static_cast<size_t>(kLabNameLength))
            return Fail("an experiment's name has at most " + std::to_string(kLabNameLength) + " characters");
        for (const CLabExperiment& other : m_pLab->experiments) {
            if (other.name == name)
                return Fail("the experiment \"" + name + "\" is named on line " + std::to_string(other.line) +
                            " already: the game finds experiments by name");
        }
        m_experimentSeen.clear();
        CLabExperiment experiment;
        experiment.line = m_nLine;
        experiment.name = name;
        m_pLab->experiments.push_back(experiment);
        return true;
    }

    bool ExperimentStatement(const std::string& verb, const std::string& rest) {
        CLabExperiment* experiment = Current();
        const std::vector<std::string> words = Words(rest);
        if (verb == "description" || verb == "level") {
            if (!words.empty())
                return Fail("\"" + verb + "\" takes nothing: its lines follow, each beginning with \"|\"");
            m_eBlock = verb == "level" ? EBlock::kLevel : EBlock::kDescription;
            m_nBlockLine = m_nLine;
            if (verb == "level")
                experiment->levelLine = m_nLine;
            return true;
        }
        if (verb == "link")
            return Link(words);
        if (words.size() != 1)
            return Fail("\"" + verb + "\" takes one value");
        const std::string& word = words[0];
        if (verb == "passed") {
            if (word != "yes" && word != "no")
                return Fail("\"passed\" is yes or no");
            experiment->passed = word == "yes";
            return true;
        }
        if (verb == "time") {
            if (!ParseWhole(word, INT32_MAX, &experiment->time))
                return Fail("\"time\" is whole seconds, 0 to " + std::to_string(INT32_MAX));
            return true;
        }
        for (const CGravityWord& gravity : kGravityWords) {
            if (word == gravity.word) {
                experiment->gravity = gravity.value;
                return true;
            }
        }
        return Fail("\"gravity\" is earth, moon or none");
    }

    bool Link(const std::vector<std::string>& words) {
        if (words.size() != 4)
            return Fail("\"link\" takes an element and a tag, twice");
        CLabLink link;
        link.line = m_nLine;
        for (int end = 0; end < 2; ++end) {
            CLabPointRef& ref = link.ends[end];
            if (!ParseWhole(words[2 * end], kMaxElementIndex, &ref.element))
                return Fail("\"" + words[2 * end] + "\" is no element index (0 to " +
                            std::to_string(kMaxElementIndex) + ")");
            if (!ParseTag(words[2 * end + 1], &ref))
                return Fail("\"" + words[2 * end + 1] + "\" is no tag: visible ASCII characters, \"@<n>\" from 1 " +
                            "to " + std::to_string(kMaxOccurrence) + " for the n-th of its name");
        }
        if (SamePoint(link.ends[0], link.ends[1]))
            return Fail("a point cannot be linked to itself");
        for (const CLabLink& other : Current()->links) {
            for (const CLabPointRef& end : link.ends) {
                if (SamePoint(end, other.ends[0]) || SamePoint(end, other.ends[1]))
                    return Fail("the point " + PointRefTag(end) + " of element " + std::to_string(end.element) +
                                " is linked on line " + std::to_string(other.line) +
                                " already: a point has one partner");
            }
        }
        Current()->links.push_back(link);
        return true;
    }

    bool EndExperiment() {
        const CLabExperiment* experiment = Current();
        if (experiment && experiment->levelLine == 0)
            return FailAt(experiment->line, "the experiment \"" + experiment->name + "\" has no level");
        return true;
    }

    bool Finish() {
        if (!CloseBlock() || !EndExperiment())
            return false;
        m_nLine = std::max(m_nLine, 1);
        if (m_pLab->creator.empty())
            return Fail("no \"creator\" line: the header names the lab's creator");
        return true;
    }

    // The level text's shape, as the scripter will read it: a single "level" node whose
    // blocks close, object blocks holding keywords only, and no templates.
    bool Outline(CLabExperiment* experiment) {
        const std::vector<CToken> tokens = ScriptTokens(experiment->level, m_nBlockLine + 1);
        const int lastLine = m_nBlockLine + static_cast<int>(m_lines.size());
        if (tokens.empty() || tokens[0].text != kLevelNode || tokens.size() < 2 || tokens[1].text != "{")
            return FailAt(tokens.empty() ? m_nBlockLine : tokens[0].line,
                          "the level text is the \"level\" node: its name, then its block");
        struct COpen {
            CLabNodeOutline* node;  // none for an object's block
            int line;
            std::string name;
        };
        experiment->outline = CLabNodeOutline{kLevelNode, tokens[0].line, {}};
        std::vector<COpen> open = {{&experiment->outline, tokens[0].line, kLevelNode}};
        for (size_t i = 2; i < tokens.size(); ++i) {
            const CToken& token = tokens[i];
            if (open.empty())
                return FailAt(token.line, "\"" + token.text + "\" after the level node's block: the text holds the " +
                                              "level node alone");
            const bool inObject = open.back().node == nullptr;
            const bool opens = i + 1 < tokens.size() && tokens[i + 1].text == "{";
            // In the scripter's order: a name with a block behind it is a node, even "3DO".
            if (token.text == "}") {
                open.pop_back();
            } else if (token.text == "{") {
                return FailAt(token.line, "a block without a name in front of it");
            } else if (opens) {
                if (inObject)
                    return FailAt(token.line, "a block inside the block of \"" + open.back().name +
                                                  "\": an object's block holds keywords only");
                if (token.text == kTemplatesNode)
                    return FailAt(token.line, "templates come from the element script, not from a lab");
                if (static_cast<int>(open.size()) >= M3DOMScripter::kMaxBlockDepth)
                    return FailAt(token.line, "blocks nested deeper than " +
                                                  std::to_string(M3DOMScripter::kMaxBlockDepth) + " levels");
                CLabNodeOutline* parent = open.back().node;
                parent->children.push_back(CLabNodeOutline{token.text, token.line, {}});
                open.push_back({&parent->children.back(), token.line, token.text});
                ++i;
            } else if (token.text == kObjectWord && !inObject && i + 1 < tokens.size()) {
                // "3DO <name>", with the object's block when one follows.
                if (i + 2 < tokens.size() && tokens[i + 2].text == "{") {
                    open.push_back({nullptr, token.line, std::string(kObjectWord) + " " + tokens[i + 1].text});
                    ++i;
                }
                ++i;
            }
        }
        if (!open.empty())
            return FailAt(open.back().line, "the block of \"" + open.back().name + "\" has no end by line " +
                                                std::to_string(lastLine));
        return true;
    }

    CLabSource* m_pLab;
    int* m_pLine;
    std::string* m_pError;
    int m_nLine = 0;
    EBlock m_eBlock = EBlock::kNone;
    int m_nBlockLine = 0;
    std::vector<std::string> m_lines;
    std::set<std::string> m_labSeen;
    std::set<std::string> m_experimentSeen;
};

// The lines of a text joined by CR LF, as "|" lines.
void AppendTextLines(std::string* out, const std::string& text, bool endsEachLine) {
    if (text.empty())
        return;
    std::vector<std::string> lines;
    for (size_t at = 0;;) {
        const size_t end = text.find("\r\n", at);
        if (end == std::string::npos) {
            if (!endsEachLine || at < text.size())
                lines.push_back(text.substr(at));
            break;
        }
        lines.push_back(text.substr(at, end - at));
        at = end + 2;
    }
    for (const std::string& line : lines)
        *out += line.empty() ? "|\n" : "| " + line + "\n";
}

}  // namespace

bool ParseLabText(const std::string& text, CLabSource* lab, int* line, std::string* error) {
    *line = 0;
    error->clear();
    return CLabTextParser(lab, line, error).Parse(text);
}

std::string PointRefTag(const CLabPointRef& ref) {
    return ref.occurrence == 1 ? ref.tag : ref.tag + "@" + std::to_string(ref.occurrence);
}

std::string FormatLabText(const CLabSource& lab) {
    std::string out = "creator " + lab.creator + "\n";
    if (!lab.title.empty())
        out += "title " + lab.title + "\n";
    for (const CLabExperiment& experiment : lab.experiments) {
        out += "\nexperiment " + experiment.name + "\n";
        out += std::string("passed ") + (experiment.passed ? "yes" : "no") + "\n";
        out += "time " + std::to_string(experiment.time) + "\n";
        const char* gravity = kGravityWords[0].word;
        for (const CGravityWord& word : kGravityWords) {
            if (word.value == experiment.gravity)
                gravity = word.word;
        }
        out += std::string("gravity ") + gravity + "\n";
        out += "description\n";
        AppendTextLines(&out, experiment.description, false);
        out += "level\n";
        AppendTextLines(&out, experiment.level, true);
        for (const CLabLink& link : experiment.links) {
            out += "link " + std::to_string(link.ends[0].element) + " " + PointRefTag(link.ends[0]) + " " +
                   std::to_string(link.ends[1].element) + " " + PointRefTag(link.ends[1]) + "\n";
        }
    }
    return out;
}
