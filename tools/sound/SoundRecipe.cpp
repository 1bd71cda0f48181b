#include "tools/sound/SoundRecipe.h"

#include <map>
#include <sstream>
#include <utility>

#include "tools/sound/SoundRecipeWords.h"

namespace {

using Words = std::vector<std::string>;

// Pitches and cut-offs stay well below half the rate, where a tone would alias.
constexpr double kMinHertz = 20.0;
constexpr double kMaxHertz = 10000.0;

// Which layer kinds take a statement.
enum EKinds : unsigned {
    kNoise = 1,
    kTone = 2,
    kFm = 4,
    kPitched = kTone | kFm,
    kAnyKind = kNoise | kTone | kFm,
};

unsigned KindBit(ESoundLayerKind kind) {
    return kind == ESoundLayerKind::kNoise ? kNoise : kind == ESoundLayerKind::kTone ? kTone : kFm;
}

const char* KindName(ESoundLayerKind kind) {
    return kind == ESoundLayerKind::kNoise ? "noise" : kind == ESoundLayerKind::kTone ? "tone" : "fm";
}

class CParser;
using Handler = bool (CParser::*)(const Words&);

struct CStatement {
    const char* word;
    unsigned kinds;  // 0: a statement of the whole recipe, before the first layer
    bool bRepeats;
    Handler handler;
};

class CParser {
public:
    CParser(CSoundRecipe* recipe, int* line, std::string* error) : m_pRecipe(recipe), m_pLine(line), m_pError(error) {}

    bool Run(const std::string& text);

private:
    bool Fail(const std::string& message) { return FailAt(m_nLine, message); }
    bool FailAt(int line, const std::string& message) {
        *m_pLine = line;
        *m_pError = message;
        return false;
    }

    bool Statement(const Words& words);
    bool StartLayer(const Words& words);
    bool CompleteLayer();
    bool Complete();

    // The words after the statement's own, between `fewest` and `most` of them.
    bool Takes(const Words& words, size_t fewest, size_t most, const char* what) {
        if (words.size() - 1 < fewest || words.size() - 1 > most)
            return Fail("\"" + words[0] + "\" takes " + what);
        return true;
    }
    bool Number(const std::string& word, double low, double high, double* value) {
        if (!ReadPlainDecimal(word, value) || *value < low || *value > high)
            return Fail("\"" + word + "\" is not a number from " + ShortNumber(low) + " to " + ShortNumber(high));
        return true;
    }
    bool Pitch(const std::string& word, double* hertz) {
        if (ReadNoteName(word, hertz) || ReadPlainDecimal(word, hertz)) {
            if (*hertz >= kMinHertz && *hertz <= kMaxHertz)
                return true;
        }
        return Fail("\"" + word + "\" is not a pitch from " + ShortNumber(kMinHertz) + " to " + ShortNumber(kMaxHertz) +
                    " hertz nor a note name in that range (A4, C#5, Bb3)");
    }
    bool Choice(const Words& words, const std::vector<const char*>& choices, size_t* chosen) {
        for (size_t i = 0; i < choices.size(); ++i) {
            if (words.size() >= 2 && words[1] == choices[i]) {
                *chosen = i;
                return true;
            }
        }
        std::string list;
        for (const char* choice : choices)
            list += (list.empty() ? "" : ", ") + std::string(choice);
        return Fail("\"" + words[0] + "\" takes one of " + list);
    }

    bool Seed(const Words& words) {
        uint64_t seed = 0;
        if (!Takes(words, 1, 1, "a whole number") || !ReadWholeNumber(words[1], 4294967295u, &seed))
            return Fail("\"seed\" takes a whole number from 0 to 4294967295");
        m_pRecipe->seed = static_cast<uint32_t>(seed);
        return true;
    }
    bool Volume(const Words& words) {
        return Takes(words, 1, 1, "a fraction of full scale") && Number(words[1], 0.01, 0.95, &m_pRecipe->volume);
    }
    bool Loop(const Words& words) {
        return Takes(words, 1, 1, "a length in seconds") && Number(words[1], 0.01, 30.0, &m_pRecipe->loop);
    }
    bool Input(const Words& words) {
        if (words.size() != 2 || !ReadQuoted(words[1], &m_pRecipe->input) || m_pRecipe->input.empty())
            return Fail("\"input\" takes a WAV file's path in double quotes");
        m_pRecipe->inputLine = m_nLine;
        return true;
    }
    bool Start(const Words& words) {
        return Takes(words, 1, 1, "seconds") && Number(words[1], 0.0, kMaxSoundSeconds, &m_pLayer->start);
    }
    bool Length(const Words& words) {
        return Takes(words, 1, 1, "seconds") && Number(words[1], 0.001, kMaxSoundSeconds, &m_pLayer->length);
    }
    bool Gain(const Words& words) {
        return Takes(words, 1, 1, "a fraction") && Number(words[1], 0.01, 1.0, &m_pLayer->gain);
    }
    bool Envelope(const Words& words) {
        CSoundLayer& layer = *m_pLayer;
        return Takes(words, 2, 3, "an attack and a release in seconds and an optional curve") &&
               Number(words[1], 0.0, 10.0, &layer.attack) && Number(words[2], 0.001, 10.0, &layer.release) &&
               (words.size() == 3 || Number(words[3], 1.0, 8.0, &layer.curve));
    }
    bool Wave(const Words& words) {
        size_t chosen = 0;
        if (!Takes(words, 1, 1, "a wave's name") || !Choice(words, {"sine", "square", "saw", "triangle"}, &chosen))
            return false;
        m_pLayer->wave = static_cast<ESoundWave>(chosen);
        return true;
    }
    bool PitchStatement(const Words& words) {
        return Takes(words, 1, 2, "a pitch and an optional end pitch") && Pitch(words[1], &m_pLayer->pitch) &&
               (words.size() == 2 || Pitch(words[2], &m_pLayer->endPitch));
    }
    bool Ratio(const Words& words) {
        return Takes(words, 1, 1, "a number") && Number(words[1], 0.05, 20.0, &m_pLayer->ratio);
    }
    bool Index(const Words& words) {
        return Takes(words, 1, 1, "a number") && Number(words[1], 0.0, 50.0, &m_pLayer->index);
    }
    bool Filter(const Words& words) {
        size_t chosen = 0;
        CSoundLayer& layer = *m_pLayer;
        if (!Takes(words, 2, 3, "a filter's name, a cut-off and an optional end cut-off in hertz") ||
            !Choice(words, {"lowpass", "highpass", "bandpass"}, &chosen) ||
            !Number(words[2], kMinHertz, kMaxHertz, &layer.cutoff) ||
            (words.size() == 4 && !Number(words[3], kMinHertz, kMaxHertz, &layer.endCutoff)))
            return false;
        layer.filter = static_cast<ESoundFilter>(chosen + 1);
        return true;
    }
    bool Tempo(const Words& words) {
        return Takes(words, 1, 1, "beats a minute") && Number(words[1], 20.0, 600.0, &m_pLayer->tempo);
    }
    bool Note(const Words& words) {
        CSoundNote note;
        if (!Takes(words, 2, 2, "a pitch or \"rest\", and beats") ||
            (words[1] != "rest" && !Pitch(words[1], &note.hertz)) || !Number(words[2], 0.01, 64.0, &note.beats))
            return false;
        m_pLayer->notes.push_back(note);
        return true;
    }

    static const CStatement kStatements[];

    CSoundRecipe* m_pRecipe;
    int* m_pLine;
    std::string* m_pError;
    int m_nLine = 0;
    CSoundLayer* m_pLayer = nullptr;           // the layer statements go to; none before the first
    std::map<std::string, int> m_recipeLines;  // where each statement of the recipe was given
    std::map<std::string, int> m_layerLines;   // the same for the current layer (a note's last)
};

const CStatement CParser::kStatements[] = {
    {"seed", 0, false, &CParser::Seed},
    {"volume", 0, false, &CParser::Volume},
    {"loop", 0, false, &CParser::Loop},
    {"input", 0, false, &CParser::Input},
    {"start", kAnyKind, false, &CParser::Start},
    {"length", kAnyKind, false, &CParser::Length},
    {"gain", kAnyKind, false, &CParser::Gain},
    {"envelope", kAnyKind, false, &CParser::Envelope},
    {"wave", kTone, false, &CParser::Wave},
    {"pitch", kPitched, false, &CParser::PitchStatement},
    {"ratio", kFm, false, &CParser::Ratio},
    {"index", kFm, false, &CParser::Index},
    {"filter", kNoise, false, &CParser::Filter},
    {"tempo", kPitched, false, &CParser::Tempo},
    {"note", kPitched, true, &CParser::Note},
};

bool CParser::Run(const std::string& text) {
    std::istringstream lines(text);
    std::string line;
    Words words;
    while (std::getline(lines, line)) {
        ++m_nLine;
        if (!SplitRecipeLine(line, &words))
            return Fail("a quote is not closed");
        if (!words.empty() && !Statement(words))
            return false;
    }
    return (!m_pLayer || CompleteLayer()) && Complete();
}

bool CParser::Statement(const Words& words) {
    const std::string& word = words[0];
    if (word == "layer")
        return (!m_pLayer || CompleteLayer()) && StartLayer(words);
    const CStatement* statement = nullptr;
    for (const CStatement& known : kStatements) {
        if (word == known.word)
            statement = &known;
    }
    if (!statement)
        return Fail("unknown statement \"" + word + "\"");
    if (!statement->kinds && m_pLayer)
        return Fail("\"" + word + "\" belongs before the first layer");
    if (statement->kinds && !m_pLayer)
        return Fail("\"" + word + "\" belongs to a layer: start one with \"layer noise|tone|fm\"");
    if (m_pLayer && !(statement->kinds & KindBit(m_pLayer->kind)))
        return Fail(std::string("a ") + KindName(m_pLayer->kind) + " layer takes no \"" + word + "\"");
    std::map<std::string, int>& given = m_pLayer ? m_layerLines : m_recipeLines;
    const auto first = given.find(word);
    if (first != given.end() && !statement->bRepeats)
        return Fail("\"" + word + "\" is given twice (first on line " + std::to_string(first->second) + ")");
    given[word] = m_nLine;
    return (this->*statement->handler)(words);
}

bool CParser::StartLayer(const Words& words) {
    size_t chosen = 0;
    if (!Takes(words, 1, 1, "a kind: noise, tone or fm") || !Choice(words, {"noise", "tone", "fm"}, &chosen))
        return false;
    m_pRecipe->layers.emplace_back();
    m_pLayer = &m_pRecipe->layers.back();
    m_pLayer->line = m_nLine;
    m_pLayer->kind = static_cast<ESoundLayerKind>(chosen);
    m_layerLines.clear();
    return true;
}

// What only the whole layer shows: the statements its kind needs, those a melody or a loop
// rules out, and its end within the longest sound.
bool CParser::CompleteLayer() {
    CSoundLayer& layer = *m_pLayer;
    const auto given = [&](const char* word) { return m_layerLines.count(word) != 0; };
    const auto at = [&](const char* word) { return m_layerLines.at(word); };
    if (m_pRecipe->loop > 0) {
        for (const char* word : {"start", "length", "envelope", "tempo", "note"}) {
            if (given(word))
                return FailAt(at(word), std::string("a loop's layers take no \"") + word + "\": they span the loop");
        }
        if (layer.endPitch > 0)
            return FailAt(at("pitch"), "a loop's pitch cannot slide");
        if (layer.endCutoff > 0)
            return FailAt(at("filter"), "a loop's filter cannot sweep");
    }
    double seconds = layer.length;
    if (!layer.notes.empty()) {
        if (given("length"))
            return FailAt(at("length"), "a layer with notes takes no \"length\": the notes make it");
        if (given("pitch"))
            return FailAt(at("pitch"), "a layer with notes takes no \"pitch\": the notes give it");
        seconds = 0.0;
        for (const CSoundNote& note : layer.notes)
            seconds += note.beats * 60.0 / layer.tempo;
    } else {
        if (given("tempo"))
            return FailAt(at("tempo"), "\"tempo\" without notes");
        if (layer.kind != ESoundLayerKind::kNoise && !given("pitch"))
            return FailAt(layer.line, std::string("a ") + KindName(layer.kind) + " layer needs a \"pitch\" line");
        if (m_pRecipe->loop == 0 && !given("length"))
            return FailAt(layer.line, "the layer needs a \"length\" line");
    }
    if (layer.start + seconds > kMaxSoundSeconds)
        return FailAt(layer.line, "the layer ends after " + ShortNumber(kMaxSoundSeconds) + " seconds");
    return true;
}

bool CParser::Complete() {
    const CSoundRecipe& r = *m_pRecipe;
    if (!r.input.empty()) {
        if (!r.layers.empty())
            return FailAt(r.layers[0].line, "a recipe with an \"input\" takes no layers");
        // The first other statement of the recipe, by line.
        const std::pair<const std::string, int>* other = nullptr;
        for (const auto& entry : m_recipeLines) {
            if (entry.first != "input" && (!other || entry.second < other->second))
                other = &entry;
        }
        if (other)
            return FailAt(other->second, "\"" + other->first + "\" does not go with \"input\"");
    } else if (r.layers.empty()) {
        return Fail("no \"layer\" and no \"input\"");
    }
    return true;
}

}  // namespace

bool ParseSoundRecipe(const std::string& text, CSoundRecipe* recipe, int* line, std::string* error) {
    *recipe = CSoundRecipe();
    CParser parser(recipe, line, error);
    return parser.Run(text);
}
