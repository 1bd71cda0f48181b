// A search pattern and a name from anywhere, split at the first line break: the matcher
// must agree with a plain table of which pattern prefixes match which name prefixes, and
// must give the same answer when both sides are folded to lower case.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "winapi/base/Cp1252.h"
#include "winapi/base/WinPath.h"

namespace {

unsigned char Fold(char c) {
    return winapi::Cp1252FoldCase(static_cast<unsigned char>(c));
}

// Row i of the table says which name prefixes the first i bytes of the pattern match.
bool MatchesByTable(std::string_view pattern, std::string_view name) {
    std::vector<char> row(name.size() + 1, 0);
    row[0] = 1;
    for (const char p : pattern) {
        std::vector<char> next(name.size() + 1, 0);
        for (size_t j = 0; j <= name.size(); ++j) {
            if (p == '*')
                next[j] = row[j] || (j > 0 && next[j - 1]);
            else if (j > 0)
                next[j] = row[j - 1] && (p == '?' || Fold(p) == Fold(name[j - 1]));
        }
        row.swap(next);
    }
    return row[name.size()];
}

bool Expected(std::string_view pattern, std::string_view name) {
    if (MatchesByTable(pattern, name))
        return true;
    return pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*" &&
           name.find('.') == std::string_view::npos && MatchesByTable(pattern.substr(0, pattern.size() - 2), name);
}

std::string Folded(std::string_view text) {
    std::string folded(text);
    for (char& c : folded)
        c = static_cast<char>(Fold(c));
    return folded;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The table takes time in the product of the lengths; real names are far shorter.
    if (size > 2048)
        return 0;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t lineBreak = input.find('\n');
    const std::string_view pattern = input.substr(0, lineBreak);
    const std::string_view name =
        lineBreak == std::string_view::npos ? std::string_view() : input.substr(lineBreak + 1);
    const bool matches = winapi::MatchesWildcard(pattern, name);
    if (matches != Expected(pattern, name) || matches != winapi::MatchesWildcard(Folded(pattern), Folded(name)))
        abort();
    return 0;
}
