// The problems a data check finds, one line each, naming the file and the line or block:
// "<file>:<line>: <what>", "<file> [<block>]: <what>" or "<file>: <what>".
#pragma once

#include <string>
#include <utility>
#include <vector>

// Where a problem lies; a line of 0 and an empty block name none.
struct CDataPlace {
    // Not explicit: a file's path alone is a place.
    CDataPlace(std::string fileName, int lineNumber = 0, std::string blockName = std::string())
        : file(std::move(fileName)), line(lineNumber), block(std::move(blockName)) {}

    std::string file;
    int line;
    std::string block;
};

class CDataProblems {
public:
    void Add(const CDataPlace& place, const std::string& what);
    const std::vector<std::string>& Lines() const { return m_lines; }

private:
    std::vector<std::string> m_lines;
};
