#include "tools/datacheck/DataProblems.h"

void CDataProblems::Add(const CDataPlace& place, const std::string& what) {
    std::string line = place.file;
    if (place.line > 0)
        line += ":" + std::to_string(place.line);
    if (!place.block.empty())
        line += " [" + place.block + "]";
    m_lines.push_back(line + ": " + what);
}
