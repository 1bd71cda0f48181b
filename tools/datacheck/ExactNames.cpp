#include "tools/datacheck/ExactNames.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "winapi/base/WinPath.h"

ENameMatch CExactNames::Find(const std::string& path, std::string* found) {
    std::string folder;
    bool exact = true;
    for (size_t start = 0; start <= path.size() && exact;) {
        size_t end = path.find('/', start);
        if (end == std::string::npos)
            end = path.size();
        const std::string name = path.substr(start, end - start);
        start = end + 1;
        if (name.empty())
            continue;
        const std::vector<std::string>& names = Listing(folder);
        exact = std::find(names.begin(), names.end(), name) != names.end();
        folder += folder.empty() ? name : "/" + name;
    }
    if (exact && !folder.empty())
        return ENameMatch::kExact;
    // The platform layer's own rule for a name found without regard to case.
    if (!folder.empty() && winapi::ResolvePath(path.c_str(), winapi::PathUse::kExisting, found))
        return ENameMatch::kOtherCase;
    return ENameMatch::kMissing;
}

const std::vector<std::string>& CExactNames::Listing(const std::string& folder) {
    auto known = m_listings.find(folder);
    if (known != m_listings.end())
        return known->second;
    std::vector<std::string>& names = m_listings[folder];
    std::error_code failure;
    std::filesystem::directory_iterator entry(folder.empty() ? "." : folder, failure);
    for (; !failure && entry != std::filesystem::directory_iterator(); entry.increment(failure))
        names.push_back(entry->path().filename().string());
    return names;
}
