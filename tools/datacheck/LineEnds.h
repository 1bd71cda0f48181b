// The line-end rule of block scripts, the string table and the shader script: their readers
// split tokens only at CR LF, so a line must end in CR LF, and the last one too, or its last
// token is lost.
#pragma once

#include <string>
#include <string_view>

// The first break of the rule: its line (from 1) and what is wrong, or line 0 when the text
// keeps it. An empty text keeps it.
struct CLineEndFault {
    int line = 0;
    std::string what;
};

CLineEndFault FindLineEndFault(std::string_view text);
