#include "tools/lab/LabReader.h"

#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

#include "game/app/3DOMObject.h"
#include "game/app/3DObject.h"
#include "game/app/ExperimentBody.h"
#include "game/app/WorldContentRecord.h"
#include "game/flow/LevelRecord.h"
#include "tools/ToolQuitRequests.h"
#include "tools/lab/LabPoints.h"
#include "tools/lab/LabWorld.h"

namespace {

// Up to its first zero or its size.
template <size_t N>
std::string FieldText(const char (&field)[N]) {
    return std::string(field, strnlen(field, N));
}

// Line breaks of any kind as CR LF, the one a lab text's lines are joined by.
std::string CrLfLines(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        if (text[i] == '\r' || text[i] == '\n')
            out += "\r\n";
        else
            out += text[i];
    }
    return out;
}

bool EndsLinesInCrLfOnly(const std::string& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        const bool pairStart = text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n';
        const bool pairEnd = text[i] == '\n' && i > 0 && text[i - 1] == '\r';
        if ((text[i] == '\r' && !pairStart) || (text[i] == '\n' && !pairEnd))
            return false;
    }
    return true;
}

// The body's level text as stored, up to its zero.
bool StoredLevelText(const CWorldContentRecord* record, std::string* text) {
    CExperimentBody body;
    if (!body.Read(record->GetData(), record->GetSize(), record->m_bWide != 0))
        return false;
    uint8_t* expanded = nullptr;
    const int size = body.ExpandScript(&expanded);
    if (size > 0)
        text->assign(reinterpret_cast<const char*>(expanded), strnlen(reinterpret_cast<const char*>(expanded),
                                                                      static_cast<size_t>(size)));
    free(expanded);
    return size > 0;
}

// Every pair of partners among the elements once, from the end the game walks first.
bool CollectLinks(const M3DOMObject* elements, std::vector<CLabLink>* links, std::string* error) {
    std::map<const ConnectionPoint*, size_t> order;
    std::vector<std::pair<uint32_t, ConnectionPoint*>> points;
    uint32_t index = 0;
    for (CPointerList::Node* node = elements->m_pList->m_pHead; node; node = node->m_pNext, ++index) {
        for (ConnectionPoint* point : ElementPoints(static_cast<const M3DOMObject*>(node->m_data))) {
            order[point] = points.size();
            points.emplace_back(index, point);
        }
    }
    for (const auto& [elementIndex, point] : points) {
        const ConnectionPoint* partner = point->m_pPartner;
        if (!partner)
            continue;
        const auto found = order.find(partner);
        if (found == order.end()) {
            *error = std::string("the point ") + point->m_szName + " of element " + std::to_string(elementIndex) +
                     " is linked to a point outside the level's elements";
            return false;
        }
        if (found->second < order[point])
            continue;
        const uint32_t partnerIndex = points[found->second].first;
        CLabLink link;
        link.ends[0] = PointRefOf(elements->GetChild(static_cast<int>(elementIndex)), elementIndex, point);
        link.ends[1] = PointRefOf(elements->GetChild(static_cast<int>(partnerIndex)), partnerIndex, partner);
        links->push_back(link);
    }
    return true;
}

bool ReadExperiment(CLabWorld* world, const CWorldContentRecord* record, CLabExperiment* experiment,
                    std::string* error) {
    experiment->name = record->m_szName;
    experiment->passed = record->m_nType != 0;
    CLevelRecordReader reader;
    if (!reader.Check(record) || !StoredLevelText(record, &experiment->level)) {
        *error = "its body does not read: a field runs past the data, or the level text does not expand";
        return false;
    }
    CLevelNodes nodes;
    nodes.m_pLevelMO = world->Level();
    CLevelValues values;
    const int read = reader.Apply(world->World(), &nodes, &values);
    // Not the game's end: a stray token of the level text posted it.
    int quitCode = 0;
    TakeQuitRequests(&quitCode);
    if (!read) {
        *error = "its level text holds no level with level_elements and level_bar";
        return false;
    }
    world->SetLevel(nodes.m_pLevelMO);
    if (!EndsLinesInCrLfOnly(experiment->level)) {
        *error = "its level text has line ends other than CR LF, which a lab text does not hold";
        return false;
    }
    experiment->description = CrLfLines(values.m_strDescription.GetText());
    experiment->time = values.m_nTime;
    experiment->gravity = values.m_nGravity;
    return CollectLinks(nodes.m_pElements, &experiment->links, error);
}

}  // namespace

bool ReadLabRecords(CLabWorld* world, const CWorldContent& lab, const CLabHeader& header, CLabSource* source,
                    std::string* error) {
    *source = CLabSource();
    source->creator = FieldText(header.szCreator);
    source->title = FieldText(lab.m_szTitle);
    for (int i = 0; i < lab.GetCount(); ++i) {
        const CWorldContentRecord* record = lab.GetRecord(i);
        CLabExperiment experiment;
        if (!ReadExperiment(world, record, &experiment, error)) {
            *error = "experiment \"" + std::string(record->m_szName) + "\": " + *error;
            return false;
        }
        source->experiments.push_back(experiment);
    }
    return true;
}
