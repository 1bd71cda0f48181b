#include "tools/lab/LabWriter.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "game/app/3DOMObject.h"
#include "game/app/3DOMScripter.h"
#include "game/app/3DOMTree.h"
#include "game/app/3DOMWorld.h"
#include "game/app/3DObject.h"
#include "game/app/NamedEntryList.h"
#include "game/app/WorldContentRecord.h"
#include "game/flow/ControllerFiles.h"
#include "game/flow/LevelRecord.h"
#include "game/flow/SceneNames.h"
#include "tools/lab/LabPoints.h"
#include "tools/lab/LabWorld.h"

namespace {

// The nodes a level holds, each once; those whose children are template instances.
const char* const kLevelChildren[] = {kBackgroundNode, kLevelElementsNode, kLevelBarNode};

M3DOMObject* ChildAt(const CPointerList::Node* node) {
    return static_cast<M3DOMObject*>(node->m_data);
}

std::string KindName(const CNamedEntry* kind) {
    return kind ? kind->m_szName : "none";
}

void CopyField(char* field, size_t size, const std::string& text) {
    memset(field, 0, size);
    memcpy(field, text.data(), std::min(text.size(), size - 1));
}

// The outline of a child node of mo, when the text names it: the n-th node of its name in both.
// A template's clone holds nodes the text need not name, so indices would not match.
const CLabNodeOutline* OutlineOf(const CLabNodeOutline* outline, const M3DOMObject* mo, const M3DOMObject* child) {
    if (!outline)
        return nullptr;
    int before = 0;
    for (CPointerList::Node* node = mo->m_pList->m_pHead; node && ChildAt(node) != child; node = node->m_pNext)
        before += strcmp(ChildAt(node)->m_szName, child->m_szName) == 0 ? 1 : 0;
    for (const CLabNodeOutline& named : outline->children) {
        if (named.name == child->m_szName && before-- == 0)
            return &named;
    }
    return nullptr;
}

// Reads one experiment into the world and writes its record.
class CExperimentWriter {
public:
    CExperimentWriter(CLabWorld* world, const CLabExperiment& experiment, int* line, std::string* error)
        : m_pWorld(world), m_experiment(experiment), m_pLine(line), m_pError(error) {}

    bool Write(CWorldContentRecord* record) {
        if (!ReadLevel() || !CheckLevelChildren() || !CheckContainers() || !SetTargets() || !SetLinks())
            return false;
        CLevelValues values;
        values.m_strDescription = m_experiment.description.c_str();
        values.m_nTime = m_experiment.time;
        values.m_nGravity = m_experiment.gravity;
        if (!StoreLevelRecord(record, m_pWorld->World(), m_nodes, &values, nullptr))
            return Fail(m_experiment.line, "the level could not be written into the experiment's record");
        CLevelRecordReader reader;
        if (!reader.Check(record))
            return Fail(m_experiment.line, "the record written does not read back");
        return true;
    }

private:
    bool Fail(int line, const std::string& message) {
        *m_pLine = line;
        *m_pError = message;
        return false;
    }

    int LineOf(const CLabNodeOutline* outline) const { return outline ? outline->line : m_experiment.levelLine; }

    // The last level goes; the text is read where it stood, same-named nodes and objects of the
    // templates' clones re-used as a body is read.
    bool ReadLevel() {
        M3DOMObject* parent = m_pWorld->LevelParent();
        if (M3DOMObject* old = m_pWorld->Level())
            (old->GetParent() ? old->GetParent() : m_pWorld->World()->m_pInstanceTree->m_pRoot)->RemoveChild(old, 1);
        m_pWorld->SetLevel(nullptr);
        const int before = parent->m_pList->m_nCount;
        const std::string& text = m_experiment.level;
        M3DOMScripter* scripter = m_pWorld->World()->m_pScripter;
        const int read = scripter->AddScriptMOsFromMemory(parent, text.data(), static_cast<int>(text.size()), 0);
        M3DOMObject* level = parent->m_pList->m_nCount == before + 1 ? parent->GetChild(before) : nullptr;
        m_pWorld->SetLevel(level);
        if (!read || !level || strcmp(level->m_szName, kLevelNode) != 0)
            return Fail(m_experiment.levelLine, "the level text does not read: it makes more than " +
                                                    std::to_string(M3DOMScripter::kMaxMadePerLoad) +
                                                    " nodes and objects");
        m_nodes.m_pLevelMO = level;
        return true;
    }

    bool CheckLevelChildren() {
        const M3DOMObject* level = m_nodes.m_pLevelMO;
        for (CPointerList::Node* node = level->m_pList->m_pHead; node; node = node->m_pNext) {
            M3DOMObject* child = ChildAt(node);
            const CLabNodeOutline* outline = OutlineOf(&m_experiment.outline, level, child);
            bool known = false;
            for (const char* name : kLevelChildren)
                known = known || strcmp(child->m_szName, name) == 0;
            if (!known)
                return Fail(LineOf(outline), std::string("\"") + child->m_szName + "\" in the level: it holds " +
                                                 kBackgroundNode + ", " + kLevelElementsNode + " and " +
                                                 kLevelBarNode + ", each once");
            M3DOMObject*& slot = strcmp(child->m_szName, kLevelElementsNode) == 0 ? m_nodes.m_pElements
                                 : strcmp(child->m_szName, kLevelBarNode) == 0    ? m_nodes.m_pLevelBar
                                                                                  : m_pBackground;
            if (slot)
                return Fail(LineOf(outline), std::string("a second \"") + child->m_szName + "\" in the level");
            slot = child;
            m_outlines[child] = outline;
        }
        if (!m_nodes.m_pElements || !m_nodes.m_pLevelBar)
            return Fail(LineOf(&m_experiment.outline), std::string("the level lacks its ") +
                                                           (m_nodes.m_pElements ? kLevelBarNode : kLevelElementsNode));
        return true;
    }

    // Every child of the background, the elements and the level bar is a template's instance,
    // and every node below one a node of that template.
    bool CheckContainers() {
        for (M3DOMObject* container : {m_pBackground, m_nodes.m_pElements, m_nodes.m_pLevelBar}) {
            if (!container)
                continue;
            const CLabNodeOutline* outline = m_outlines[container];
            for (CPointerList::Node* node = container->m_pList->m_pHead; node; node = node->m_pNext) {
                const M3DOMObject* instance = ChildAt(node);
                const CLabNodeOutline* instanceOutline = OutlineOf(outline, container, instance);
                const M3DOMObject* pattern = m_pWorld->World()->m_pTemplateTree->FindByName(instance->m_szName);
                if (!pattern)
                    return Fail(LineOf(instanceOutline ? instanceOutline : outline),
                                std::string("\"") + instance->m_szName + "\" in " + container->m_szName +
                                    " is no template of " + kElementScriptPath);
                const int line = LineOf(instanceOutline ? instanceOutline : outline);
                if (!CheckParts(instance, pattern, instanceOutline, line))
                    return false;
            }
        }
        return true;
    }

    // Nodes the text does not name come from the template's clone: their parts' lines are
    // the nearest named node's.
    bool CheckParts(const M3DOMObject* mo, const M3DOMObject* pattern, const CLabNodeOutline* outline, int line) {
        for (CPointerList::Node* node = mo->m_pList->m_pHead; node; node = node->m_pNext) {
            const M3DOMObject* part = ChildAt(node);
            const CLabNodeOutline* partOutline = OutlineOf(outline, mo, part);
            const int partLine = partOutline ? partOutline->line : line;
            if (!pattern->FindByName(part->m_szName, 0))
                return Fail(partLine,
                            std::string("\"") + part->m_szName + "\" is no part of the template " + pattern->m_szName);
            if (!CheckParts(part, pattern, partOutline, partLine))
                return false;
        }
        return true;
    }

    // The script carries each target as its index; the writer numbers targets from the nodes.
    bool SetTargets() {
        M3DOMObject* elements = m_nodes.m_pElements;
        const CLabNodeOutline* outline = m_outlines[elements];
        int index = 0;
        for (CPointerList::Node* node = elements->m_pList->m_pHead; node; node = node->m_pNext, ++index) {
            M3DOMObject* element = ChildAt(node);
            element->m_pTarget = nullptr;
            if (element->m_nConnectedTo == -1)
                continue;
            element->m_pTarget = elements->GetChild(element->m_nConnectedTo);
            if (!element->m_pTarget) {
                const CLabNodeOutline* elementOutline = OutlineOf(outline, elements, element);
                return Fail(LineOf(elementOutline ? elementOutline : outline),
                            "element " + std::to_string(index) + " (" + element->m_szName + "): CONNECTED_TO " +
                                std::to_string(element->m_nConnectedTo) + " names no element of the level, which has " +
                                std::to_string(elements->m_pList->m_nCount));
            }
        }
        return true;
    }

    bool SetLinks() {
        const M3DOMObject* elements = m_nodes.m_pElements;
        for (const CLabLink& link : m_experiment.links) {
            ConnectionPoint* points[2] = {};
            for (int end = 0; end < 2; ++end) {
                const CLabPointRef& ref = link.ends[end];
                const M3DOMObject* element = elements->GetChild(static_cast<int>(ref.element));
                if (!element)
                    return Fail(link.line, "no element " + std::to_string(ref.element) + ": the level has " +
                                               std::to_string(elements->m_pList->m_nCount));
                points[end] = FindElementPoint(element, ref);
                if (!points[end])
                    return Fail(link.line, "element " + std::to_string(ref.element) + " (" + element->m_szName +
                                               ") has no point " + PointRefTag(ref));
            }
            if (points[0] == points[1])
                return Fail(link.line, "both ends name the same point");
            // The game joins only points of one connector kind, snapped or hung with a link.
            const CNamedEntry* kinds[2] = {points[0]->m_pKind, points[1]->m_pKind};
            if (!kinds[0] || !kinds[1] || kinds[0]->m_nID != kinds[1]->m_nID)
                return Fail(link.line, "the points " + PointRefTag(link.ends[0]) + " and " + PointRefTag(link.ends[1]) +
                                           " are not of one connector kind (" + KindName(kinds[0]) + ", " +
                                           KindName(kinds[1]) + ")");
            points[0]->m_pPartner = points[1];
            points[1]->m_pPartner = points[0];
        }
        return true;
    }

    CLabWorld* m_pWorld;
    const CLabExperiment& m_experiment;
    int* m_pLine;
    std::string* m_pError;
    CLevelNodes m_nodes;
    M3DOMObject* m_pBackground = nullptr;
    std::map<const M3DOMObject*, const CLabNodeOutline*> m_outlines;
};

}  // namespace

CLabHeader LabHeaderOf(const CLabSource& source) {
    CLabHeader header;
    CopyField(header.szCreator, sizeof header.szCreator, source.creator);
    CopyField(header.szProgramVersion, sizeof header.szProgramVersion, kLabProgramVersion);
    CopyField(header.szFormatVersion, sizeof header.szFormatVersion, kLabFormatVersion);
    header.nReserved = 0;
    return header;
}

bool WriteLabRecords(CLabWorld* world, const CLabSource& source, CWorldContent* lab, int* line, std::string* error) {
    CopyField(lab->m_szTitle, sizeof lab->m_szTitle, source.title);
    for (const CLabExperiment& experiment : source.experiments) {
        CWorldContentRecord* record = lab->AddRecord(experiment.name.c_str());
        record->SetType(experiment.passed ? 1 : 0);
        if (!CExperimentWriter(world, experiment, line, error).Write(record))
            return false;
    }
    lab->m_pCurrent = nullptr;
    return true;
}
