#include "tools/strings/StringSource.h"

#include <cstdint>
#include <cstdio>

#include "winapi/base/Cp1252.h"

namespace {

constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";

// The column of a byte offset in a UTF-8 line: the characters before it, plus one.
size_t Column(const std::string& line, size_t offset) {
    size_t column = 1;
    for (size_t i = 0; i < offset && i < line.size(); ++i)
        column += (static_cast<unsigned char>(line[i]) & 0xC0) != 0x80 ? 1 : 0;
    return column;
}

std::string Hex(uint32_t value, int digits) {
    char text[16];
    snprintf(text, sizeof text, "%0*X", digits, static_cast<unsigned>(value));
    return text;
}

// Whether the line holds "}" as a token of its own: the game's reader splits tokens at blanks,
// tabs, commas and CR LF, and ends a text at the first such "}".
bool HoldsClosingToken(const std::string& line) {
    auto separator = [](char c) { return c == ' ' || c == '\t' || c == ','; };
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '}' && (i == 0 || separator(line[i - 1])) && (i + 1 == line.size() || separator(line[i + 1])))
            return true;
    }
    return false;
}

// A Windows-1252 key quoted for a message, which is UTF-8.
std::string Shown(const std::string& key) {
    return "\"" + winapi::Cp1252ToUtf8(key.c_str()) + "\"";
}

bool BlankOnly(const std::string& line) {
    return line.find_first_not_of(' ') == std::string::npos;
}

class CSourceParser {
public:
    CSourceParser(std::vector<CStringSourceEntry>* entries, std::string* error)
        : m_pEntries(entries), m_pError(error) {}

    bool Run(const std::string& source) {
        size_t start = source.compare(0, 3, kUtf8Mark) == 0 ? 3 : 0;
        while (start < source.size()) {
            size_t lineEnd = source.find('\n', start);
            if (lineEnd == std::string::npos)
                lineEnd = source.size();
            std::string line = source.substr(start, lineEnd - start);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            start = lineEnd + 1;
            ++m_nLine;
            std::string converted;
            if (!Convert(line, &converted) || !Take(converted))
                return false;
        }
        if (m_eState == kAfterKey) {
            m_nLine = m_Entry.line;
            return Fail("the key " + Shown(m_Entry.key) + " has no text (a \"{\" line must follow it)");
        }
        if (m_eState == kInText) {
            m_nLine = m_nOpenLine;
            return Fail("the text of " + Shown(m_Entry.key) + " has no closing \"}\" line");
        }
        return true;
    }

private:
    enum EState { kOutside, kAfterKey, kInText };

    bool Fail(const std::string& message) {
        *m_pError = "line " + std::to_string(m_nLine) + ": " + message;
        return false;
    }

    // Every line, comments too, holds only Windows-1252 characters and no control characters.
    bool Convert(const std::string& line, std::string* converted) {
        for (size_t i = 0; i < line.size(); ++i) {
            const auto byte = static_cast<unsigned char>(line[i]);
            if (byte < 0x20 || byte == 0x7F)
                return Fail("control character 0x" + Hex(byte, 2) + " at column " +
                            std::to_string(Column(line, i)) + " (only line breaks may be used)");
        }
        size_t offset = 0;
        int32_t code = 0;
        if (winapi::Utf8ToCp1252Checked(line.c_str(), converted, &offset, &code))
            return true;
        const std::string column = std::to_string(Column(line, offset));
        if (code < 0)
            return Fail("malformed UTF-8 at column " + column);
        return Fail("U+" + Hex(static_cast<uint32_t>(code), 4) + " at column " + column +
                    " is not a Windows-1252 character");
    }

    bool Take(const std::string& line) {
        switch (m_eState) {
            case kOutside:
                return Outside(line);
            case kAfterKey:
                if (line != "{")
                    return Fail("a \"{\" line must follow the key " + Shown(m_Entry.key));
                m_eState = kInText;
                m_nOpenLine = m_nLine;
                return true;
            default:
                return InText(line);
        }
    }

    bool Outside(const std::string& line) {
        if (BlankOnly(line) || line[0] == '#')
            return true;
        if (line == "{")
            return Fail("a text without a key (the key goes on the line before the \"{\")");
        if (!Key(line))
            return false;
        m_Entry = CStringSourceEntry{};
        m_Entry.key = line;
        m_Entry.line = m_nLine;
        m_nTextLines = 0;
        m_eState = kAfterKey;
        return true;
    }

    // What the reader takes for a key: one token of at most 127 characters, not a comment and
    // not a brace.
    bool Key(const std::string& key) {
        if (key.size() > kMaxStringKeyLength)
            return Fail("the key is " + std::to_string(key.size()) + " characters long; at most " +
                        std::to_string(kMaxStringKeyLength) + " are kept");
        if (key.find_first_of(" ,") != std::string::npos)
            return Fail("a key may not hold a blank or a comma");
        if (key.compare(0, 2, "//") == 0)
            return Fail("a key may not begin with \"//\" (the game reads a comment there)");
        if (key == "}")
            return Fail("a key may not be \"}\"");
        // The file begins with the longest key, and a file that begins with FF FE is read as
        // UTF-16.
        if (key.compare(0, 2, "\xFF\xFE") == 0)
            return Fail("a key may not begin with the characters 0xFF 0xFE (a file beginning so reads as UTF-16)");
        return true;
    }

    bool InText(const std::string& line) {
        if (line == "}") {
            if (m_nTextLines == 0)
                return Fail("the text of " + Shown(m_Entry.key) + " is empty (the game drops it)");
            m_pEntries->push_back(m_Entry);
            m_eState = kOutside;
            return true;
        }
        if (HoldsClosingToken(line))
            return Fail("the text holds \"}\" as a word of its own, where the game ends it (\"}\" closes a text only "
                        "on a line of its own)");
        // The reader skips blanks, commas, line breaks and comments before a text.
        if (m_nTextLines == 0) {
            if (line.empty())
                return Fail("a text may not begin with an empty line (the game skips it)");
            if (line[0] == ' ' || line[0] == ',')
                return Fail("a text may not begin with a blank or a comma (the game skips it)");
            if (line.compare(0, 2, "//") == 0)
                return Fail("a text may not begin with \"//\" (the game skips the line as a comment)");
        }
        if (m_nTextLines++ > 0)
            m_Entry.text += "\r\n";
        m_Entry.text += line;
        return true;
    }

    std::vector<CStringSourceEntry>* m_pEntries;
    std::string* m_pError;
    EState m_eState = kOutside;
    int m_nLine = 0;
    int m_nOpenLine = 0;  // of the "{" of the text being read
    int m_nTextLines = 0;
    CStringSourceEntry m_Entry;  // the entry being read
};

}  // namespace

bool ParseStringSource(const std::string& source, std::vector<CStringSourceEntry>* entries, std::string* error) {
    std::vector<CStringSourceEntry> parsed;
    CSourceParser parser(&parsed, error);
    if (!parser.Run(source))
        return false;
    entries->insert(entries->end(), parsed.begin(), parsed.end());
    return true;
}
