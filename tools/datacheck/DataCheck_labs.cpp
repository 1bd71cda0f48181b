// The labs: every file of the lab folder with the lab suffix loads with the script key, as
// the game lists and opens them, and every experiment's body reads with the game's body
// reader: its fields fit, its level text expands and, once the scene is loaded, reads into a
// whole level against the scene's templates without a scripter error.
#include <strings.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "game/app/3DOMObject.h"
#include "game/app/3DOMTree.h"
#include "game/app/ScriptKey.h"
#include "game/app/WorldContent.h"
#include "game/app/WorldContentRecord.h"
#include "game/flow/LevelRecord.h"
#include "game/flow/RODAGame.h"
#include "tools/ToolQuitRequests.h"
#include "tools/datacheck/DataCheck_local.h"

namespace {

// The suffix is found without regard to case, as a folder search finds it.
bool HasSuffix(const std::string& name, const char* suffix) {
    const size_t length = strlen(suffix);
    return name.size() > length && strcasecmp(name.c_str() + name.size() - length, suffix) == 0;
}

}  // namespace

// Runs last: a body read into the scene adds its level to the instance tree, which is removed
// again, but the scene's objects lose their IDs.
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
        if (!read) {
            m_problems.Add({path}, "does not load with the script key");
            continue;
        }
        for (int i = 0; i < lab.GetCount(); ++i) {
            const CWorldContentRecord* record = lab.GetRecord(i);
            const CDataPlace place{path, 0, record->m_szName};
            CLevelRecordReader reader;
            if (!reader.Check(record)) {
                m_problems.Add(place, "the experiment's body does not read: a field runs past its data, or its "
                                      "level text does not expand");
                continue;
            }
            // Without the scene there are no templates to read the level against.
            if (!m_bSceneLoaded)
                continue;
            m_log.TakeErrors();
            CLevelNodes level;
            CLevelValues values;
            const int nodes = reader.Apply(m_pWorld.get(), &level, &values);
            if (level.m_pLevelMO)
                m_pWorld->m_pInstanceTree->m_pRoot->RemoveChild(level.m_pLevelMO, 1);
            for (const std::string& error : m_log.TakeErrors())
                m_problems.Add(place, "reading the experiment's level, the scripter says " + error);
            int code = 0;
            if (TakeQuitRequests(&code))
                m_problems.Add(place, "the experiment's level text asks the game to quit (code " +
                                          std::to_string(code) + ")");
            if (!nodes)
                m_problems.Add(place, "the experiment's body does not read: its level text holds no level with " +
                                          std::string("level_elements and level_bar"));
        }
    }
}
