// Experiment record bodies from anywhere, read into a small world (element templates with
// tool-made models on the recording device) that holds a level already. The first byte is the
// record's wide flag, the rest its data. A refused body leaves the scene as it was; an accepted
// one leaves a whole level whose partners name each other and whose targets are its elements.
// The level read is stored and read back, which must succeed, and stored once more, which
// must give the same bytes: what the writer writes, the reader takes.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "game/app/3DOMObject.h"
#include "game/app/3DOMTree.h"
#include "game/app/3DOMWorld.h"
#include "game/app/3DObject.h"
#include "game/app/3DObjectList.h"
#include "game/app/WorldContentRecord.h"
#include "game/flow/LevelRecord.h"
#include "tests/game/flow/RecordBodyWorld.h"
#include "winapi/window/WinWindow.h"

namespace {

// Larger inputs add nothing a small compressed script cannot reach.
constexpr size_t kMaxInput = 1 << 16;
// Only levels up to this many nodes and objects are written back: bigger ones add time, not
// paths.
constexpr int kMaxWritten = 1000;

void Check(bool holds) {
    if (!holds)
        abort();
}

// A stray top-level token posts a quit request; it is taken here, as the program's main loop
// would, so that it does not pile up.
void DrainMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
}

int CountMade(const M3DOMTree* tree) {
    return tree->m_pRoot->CountMOs() + static_cast<int>(tree->m_pOList->m_pList->m_nCount);
}

void CheckLevel(M3DOMWorld* world, const CLevelNodes& level) {
    Check(level.m_pLevelMO && level.m_pElements && level.m_pLevelBar);
    Check(level.m_pElements->m_pParent == level.m_pLevelMO && level.m_pLevelBar->m_pParent == level.m_pLevelMO);
    Check(world->m_pInstanceTree->m_pRoot->IndexOfChild(level.m_pLevelMO) >= 0);
    for (CPointerList::Node* node = world->m_pInstanceTree->m_pOList->m_pList->m_pHead; node; node = node->m_pNext) {
        const auto* o = static_cast<const C3DObject*>(node->m_data);
        for (int i = 0; i < o->m_nPoints; ++i) {
            const ConnectionPoint* partner = o->m_pPoints[i].m_pPartner;
            Check(!partner || (partner->m_pPartner == &o->m_pPoints[i] && partner != &o->m_pPoints[i]));
        }
    }
    for (CPointerList::Node* node = level.m_pElements->m_pList->m_pHead; node; node = node->m_pNext) {
        const auto* element = static_cast<const M3DOMObject*>(node->m_data);
        Check(element->m_pTarget ? level.m_pElements->IndexOfChild(element->m_pTarget) == element->m_nConnectedTo
                                 : element->m_nConnectedTo == -1);
    }
}

std::vector<uint8_t> Store(RecordBodyWorld* stage, CLevelNodes* level, CLevelValues* values, int wide) {
    CWorldContentRecord record(nullptr);
    record.m_bWide = wide;
    Check(StoreLevelRecord(&record, stage->World(), *level, values, nullptr) != 0);
    return std::vector<uint8_t>(record.GetData(), record.GetData() + record.GetSize());
}

void RestoreStored(RecordBodyWorld* stage, CLevelNodes* level, const std::vector<uint8_t>& bytes, int wide) {
    CWorldContentRecord record(nullptr);
    record.m_bWide = wide;
    Check(record.Append(bytes.data(), static_cast<uint32_t>(bytes.size())) != 0);
    CLevelValues values;
    Check(RestoreLevelRecord(&record, stage->World(), level, &values, nullptr) != 0);
    DrainMessages();
    CheckLevel(stage->World(), *level);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > kMaxInput)
        return 0;
    static RecordBodyWorld stage;
    static const bool ready = [] {
        std::string error;
        return stage.Init(&error);
    }();
    Check(ready);
    std::string error;
    Check(stage.NewWorld(&error));
    CLevelNodes level;
    Check(stage.ReadLevel(FixtureLevelText(), &level));
    M3DOMWorld* world = stage.World();

    const int wide = data[0] & 1;
    CWorldContentRecord record(nullptr);
    record.m_bWide = wide;
    if (size > 1)
        Check(record.Append(data + 1, static_cast<uint32_t>(size - 1)) != 0);
    const CLevelNodes before = level;
    const int made = CountMade(world->m_pInstanceTree);
    const int topLevel = world->m_pInstanceTree->m_pRoot->m_pList->m_nCount;
    CLevelValues values;
    int links = 0;
    const int result = RestoreLevelRecord(&record, world, &level, &values, &links);
    DrainMessages();
    if (result == 0) {
        Check(level.m_pLevelMO == before.m_pLevelMO && level.m_pElements == before.m_pElements &&
              level.m_pLevelBar == before.m_pLevelBar);
        Check(CountMade(world->m_pInstanceTree) == made);
        Check(world->m_pInstanceTree->m_pRoot->m_pList->m_nCount == topLevel);
        return 0;
    }
    CheckLevel(world, level);
    Check(links >= 0 && static_cast<size_t>(links) <= record.GetSize() / 20);
    Check(values.m_nGravity <= 2 && strlen(values.m_strDescription.GetText()) <= record.GetSize());
    if (CountMade(world->m_pInstanceTree) > kMaxWritten)
        return 0;

    const std::vector<uint8_t> first = Store(&stage, &level, &values, wide);
    RestoreStored(&stage, &level, first, wide);
    const std::vector<uint8_t> second = Store(&stage, &level, &values, wide);
    RestoreStored(&stage, &level, second, wide);
    const std::vector<uint8_t> third = Store(&stage, &level, &values, wide);
    Check(second == third);
    return 0;
}
