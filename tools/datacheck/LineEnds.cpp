#include "tools/datacheck/LineEnds.h"

CLineEndFault FindLineEndFault(std::string_view text) {
    int line = 1;
    int bare = 0;  // line feeds and carriage returns alone
    CLineEndFault first;
    for (size_t i = 0; i < text.size(); ++i) {
        const bool pair = text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n';
        if (pair) {
            ++i;
        } else if (text[i] == '\n' || text[i] == '\r') {
            if (bare++ == 0)
                first = {line, text[i] == '\n' ? "a line feed without a carriage return before it"
                                               : "a carriage return without a line feed behind it"};
        } else {
            continue;
        }
        ++line;
    }
    if (bare > 1)
        first.what += " (" + std::to_string(bare) + " line ends of the file are so)";
    if (first.line == 0 && !text.empty() && !text.ends_with("\r\n"))
        first = {line, "the last line has no CR LF behind it: its last token is lost"};
    return first;
}
