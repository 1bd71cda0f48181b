// The labs: every file of the lab folder with the lab suffix loads with the script key, as
// the game lists and opens them.
#include <strings.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "game/app/ScriptKey.h"
#include "game/app/WorldContent.h"
#include "game/flow/RODAGame.h"
#include "tools/datacheck/DataCheck_local.h"

namespace {

// The suffix is found without regard to case, as a folder search finds it.
bool HasSuffix(const std::string& name, const char* suffix) {
    const size_t length = strlen(suffix);
    return name.size() > length && strcasecmp(name.c_str() + name.size() - length, suffix) == 0;
}

}  // namespace

void CRootCheck::CheckLabs() {
    std::vector<std::string> labs;
    std::error_code failure;
    std::filesystem::directory_iterator entry(m_lookups.labFolder, failure);
    for (; !failure && entry != std::filesystem::directory_iterator(); entry.increment(failure)) {
        const std::string name = entry->path().filename().string();
        if (HasSuffix(name, m_lookups.labSuffix) && entry->is_regular_file(failure))
            labs.push_back(std::string(m_lookups.labFolder) + name);
    }
    std::sort(labs.begin(), labs.end());
    for (const std::string& path : labs) {
        FILE* file = fopen(path.c_str(), "rb");
        CWorldContent lab;
        char header[RODAGame::kHeaderSize];
        const int read = file ? lab.LoadFrom(file, header, sizeof header, kScriptKey) : 0;
        if (file)
            fclose(file);
        if (!read)
            m_problems.Add({path}, "does not load with the script key");
    }
}
