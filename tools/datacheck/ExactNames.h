// Whether a file of the game root is there under exactly the name asked for, compared with its
// folders' listings. Value scripts, textures, models, fonts, sounds and the shader script open
// with plain fopen and fail at run time under another case; block scripts open without regard
// to case, so loading them alone would never show a wrong one.
#pragma once

#include <map>
#include <string>
#include <vector>

enum class ENameMatch {
    kExact,
    kOtherCase,  // found only without regard to case
    kMissing,
};

class CExactNames {
public:
    // A relative path with "/" between its names; found is the path on disk for kOtherCase.
    ENameMatch Find(const std::string& path, std::string* found);

private:
    // The names in a folder ("" for the working directory), read once.
    const std::vector<std::string>& Listing(const std::string& folder);

    std::map<std::string, std::vector<std::string>> m_listings;
};
