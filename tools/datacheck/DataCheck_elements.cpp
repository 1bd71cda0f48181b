// The element scripts, read into one world as start-up reads them: each loads with the script
// key, keeps the line-end rule, draws no scripter error and no quit request, and names only
// models and shaders the game holds; then the scene nodes and objects and the templates the
// game finds, and the nodes the game fills itself left empty. A roller script is read on its
// own into a node of its own, as a score display reads it once per digit, and must give one
// roller of three parts whose models have a frame per digit.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <set>
#include <string>

#include "engine/graphics/Gfx.h"
#include "engine/graphics/Model.h"
#include "game/app/3DOMObject.h"
#include "game/app/3DOMScripter.h"
#include "game/app/3DOMTree.h"
#include "game/app/3DObject.h"
#include "game/app/3DObjectList.h"
#include "game/app/ScriptKey.h"
#include "game/flow/ConnectorKinds.h"
#include "tools/ToolQuitRequests.h"
#include "tools/datacheck/DataCheck_local.h"

namespace {

// The model word of a billboard, as the scripter reads it: no model to find.
constexpr char kBillboardModel[] = "BILLBOARD";

// A roller's objects: its upper half, its lower half and its flap, each with a frame per digit.
constexpr int kRollerObjects = 3;
constexpr uint32_t kRollerFrames = 10;
// The node a roller script is read into while it is checked, as a score display's node.
constexpr char kRollerHolder[] = "#roller_script";
// A 3D button's BKS value.
constexpr int32_t kButtonBKS = 5;

const M3DOMObject* ChildOf(const CPointerList::Node* node) {
    return static_cast<const M3DOMObject*>(node->m_data);
}

// The nodes of that name below mo.
int CountNamed(const M3DOMObject* mo, const char* name) {
    int count = 0;
    for (const CPointerList::Node* node = mo->m_pList->m_pHead; node; node = node->m_pNext)
        count += (strcmp(ChildOf(node)->m_szName, name) == 0 ? 1 : 0) + CountNamed(ChildOf(node), name);
    return count;
}

// The objects of that name in the tree.
int CountNamedOs(const M3DOMTree* tree, const char* name) {
    int count = 0;
    for (const CPointerList::Node* node = tree->m_pOList->m_pList->m_pHead; node; node = node->m_pNext)
        count += strcmp(static_cast<const C3DObject*>(node->m_data)->m_szName, name) == 0 ? 1 : 0;
    return count;
}

// The 3D buttons (BKS 5) and every node below one: a click on any of them is the button's.
void CollectClickable(const M3DOMObject* mo, bool inButton, std::set<std::string>* names) {
    for (const CPointerList::Node* node = mo->m_pList->m_pHead; node; node = node->m_pNext) {
        const bool clickable = inButton || ChildOf(node)->m_nBKS == kButtonBKS;
        if (clickable)
            names->insert(ChildOf(node)->m_szName);
        CollectClickable(ChildOf(node), clickable, names);
    }
}

void CollectNames(const M3DOMObject* mo, std::set<std::string>* names) {
    for (const CPointerList::Node* node = mo->m_pList->m_pHead; node; node = node->m_pNext) {
        names->insert(ChildOf(node)->m_szName);
        CollectNames(ChildOf(node), names);
    }
}

}  // namespace

void CRootCheck::CheckElementScripts() {
    const std::string scene = m_lookups.elementScripts.empty() ? "" : m_lookups.elementScripts.front().path;
    if (!m_log.Log())
        m_problems.Add({scene}, "no temporary log could be made: the scripter's errors go unseen");
    m_pWorld = std::make_unique<M3DOMWorld>(&Graphics(EGraphicsSet::kGame), &m_shaders, &m_device, m_log.Log(),
                                            &m_frameTime, &m_runTime);
    // Points built before the kinds are known get none.
    RegisterConnectorKinds(m_pWorld->m_pNamedEntries);
    M3DOMTree* tree = m_pWorld->m_pInstanceTree;
    for (const CLookedUpFile& script : m_lookups.elementScripts) {
        if (!Present(script, EOpen::kAnyCase))
            continue;
        if (script.path == scene) {
            m_bSceneLoaded = LoadElementScript(script.path, tree->m_pRoot);
            continue;
        }
        M3DOMObject* holder = tree->CreateMO(kRollerHolder);
        M3DOMTree::Reparent(tree->m_pRoot, holder);
        if (LoadElementScript(script.path, holder))
            CheckRoller(script.path, holder);
        tree->m_pRoot->RemoveChild(holder, 1);
    }
    CheckSceneNodes();
    CheckSceneObjects();
    CheckEmptyNodes();
    CheckTemplates();
    CheckNestedTemplates();
    AskNodeNames();
}

// Loads one element script into the node; false when it cannot be read.
bool CRootCheck::LoadElementScript(const std::string& path, M3DOMObject* into) {
    M3DOMScripter* scripter = m_pWorld->m_pScripter;
    m_log.TakeErrors();
    if (!scripter->LoadScript(into, path.c_str(), kScriptKey, kScriptKeyLength)) {
        m_problems.Add({path}, "cannot be read, or not deciphered with the script key");
        return false;
    }
    // A deciphered text is shorter than the file: zeros fill the rest.
    const char* text = scripter->GetText();
    const char* end = text + strnlen(text, static_cast<size_t>(scripter->GetTextLength()));
    CheckLineEnds(path, std::string_view(text, static_cast<size_t>(end - text)));
    for (const std::string& error : m_log.TakeErrors())
        m_problems.Add({path}, "the scripter says " + error);
    int code = 0;
    if (TakeQuitRequests(&code))
        m_problems.Add({path}, "the scripter asks the game to quit (code " + std::to_string(code) + ")");
    CheckWords(path, text, end);
    return true;
}

// The display reads the script once per digit and takes its n-th node for the n-th digit, whose
// objects 0, 1 and 2 it turns through the frames of the digits.
void CRootCheck::CheckRoller(const std::string& path, const M3DOMObject* holder) {
    CollectNames(holder, &m_rollerNodeNames);
    const int nodes = holder->CountMOs();
    if (nodes != 1) {
        m_problems.Add({path}, "holds " + std::to_string(nodes) +
                                   " nodes: a roller script holds one roller, read once per digit");
        return;
    }
    const M3DOMObject* roller = ChildOf(holder->m_pList->m_pHead);
    const int objects = roller->m_pOList->m_nCount;
    if (objects != kRollerObjects) {
        m_problems.Add({path, 0, roller->m_szName}, "holds " + std::to_string(objects) +
                                                        " objects: a roller needs its upper half, lower half and flap");
        return;
    }
    for (const CPointerList::Node* node = roller->m_pOList->m_pHead; node; node = node->m_pNext) {
        const auto* o = static_cast<const C3DObject*>(node->m_data);
        const CModel* model = o->GetModel();
        if (!model)
            m_problems.Add({path, 0, o->m_szName},
                           "has no model: a roller's parts need one of " + std::to_string(kRollerFrames) + " frames");
        else if (model->GetFrameCount() != kRollerFrames)
            m_problems.Add({path, 0, o->m_szName}, "its model has " + std::to_string(model->GetFrameCount()) +
                                                       " frames: a roller's parts need " +
                                                       std::to_string(kRollerFrames));
    }
}

// The scripter leaves an object without a model or a shader it cannot find.
void CRootCheck::CheckWords(const std::string& path, const char* text, const char* end) {
    int line = 1;
    const char* counted = text;
    const char* pos = text;
    char word[CScriptFile::kTokenSize];
    char value[CScriptFile::kTokenSize];
    while (CScriptFile::GetNextToken(word, sizeof word, &pos, end)) {
        const bool model = strcmp(word, "MODEL") == 0;
        if (!model && strcmp(word, "SHADER") != 0)
            continue;
        const char* valueStart = CScriptFile::GetNextToken(value, sizeof value, &pos, end);
        if (!valueStart)
            break;
        line += static_cast<int>(std::count(counted, valueStart, '\n'));
        counted = valueStart;
        if (model && strcmp(value, kBillboardModel) != 0) {
            const CGfx* gfx = Graphics(EGraphicsSet::kGame).Find(value);
            if (!gfx || !gfx->GetModel())
                m_problems.Add({path, line},
                               std::string("MODEL ") + value + " names no model of " + ScriptOf(EGraphicsSet::kGame));
        } else if (!model && !m_shaders.GetShader(value)) {
            m_problems.Add({path, line},
                           std::string("SHADER ") + value + " names no shader of " + m_lookups.shaderScript.path);
        }
    }
}

void CRootCheck::CheckSceneNodes() {
    if (!m_bSceneLoaded)
        return;
    for (const char* name : m_lookups.sceneNodes)
        ReportOccurrences(name, CountNamed(m_pWorld->m_pInstanceTree->m_pRoot, name), "scene node");
}

void CRootCheck::CheckSceneObjects() {
    if (!m_bSceneLoaded)
        return;
    for (const char* name : m_lookups.sceneObjects)
        ReportOccurrences(name, CountNamedOs(m_pWorld->m_pInstanceTree, name), "scene object");
}

// The game finds the first of a name: it must be there, and alone.
void CRootCheck::ReportOccurrences(const char* name, int count, const char* what) {
    const char* scene = m_lookups.elementScripts.front().path;
    if (count == 0)
        m_problems.Add({scene, 0, name}, std::string("missing: the game looks this ") + what + " up");
    else if (count > 1)
        m_problems.Add({scene, 0, name},
                       "occurs " + std::to_string(count) + " times in the scene: the game finds only the first");
}

// A node missing is said by the scene nodes' rows; here only what the game finds.
void CRootCheck::CheckEmptyNodes() {
    if (!m_bSceneLoaded)
        return;
    for (const CEmptyNodeLookup& node : m_lookups.emptyNodes) {
        const M3DOMObject* mo = m_pWorld->m_pInstanceTree->FindByName(node.name);
        if (mo && mo->m_pList->m_nCount > 0)
            m_problems.Add({m_lookups.elementScripts.front().path, 0, node.name},
                           std::string("has children: ") + node.why);
    }
}

void CRootCheck::CheckTemplates() {
    if (!m_bSceneLoaded)
        return;
    for (const char* name : m_lookups.templates) {
        if (!m_pWorld->m_pTemplateTree->FindByName(name))
            m_problems.Add({m_lookups.elementScripts.front().path, 0, name},
                           "missing from the templates: the game clones this name");
    }
}

// Where either template is missing the templates' rows say so.
void CRootCheck::CheckNestedTemplates() {
    if (!m_bSceneLoaded)
        return;
    const M3DOMTree* templates = m_pWorld->m_pTemplateTree;
    for (const CNestedTemplate& nested : m_lookups.nestedTemplates) {
        const M3DOMObject* parent = templates->FindByName(nested.parent);
        if (!parent || !templates->FindByName(nested.child))
            continue;
        bool child = false;
        for (const CPointerList::Node* node = parent->m_pList->m_pHead; node; node = node->m_pNext)
            child = child || strcmp(ChildOf(node)->m_szName, nested.child) == 0;
        if (!child)
            m_problems.Add({m_lookups.elementScripts.front().path, 0, nested.child},
                           std::string("not a child of the template ") + nested.parent +
                               ": the game finds it only there");
    }
}

// The game asks the string table for nodes by their names too, and shows the text over what
// can be clicked.
void CRootCheck::AskNodeNames() {
    std::set<std::string> names;
    CollectNames(m_pWorld->m_pInstanceTree->m_pRoot, &names);
    CollectNames(m_pWorld->m_pTemplateTree->m_pRoot, &names);
    names.insert(m_rollerNodeNames.begin(), m_rollerNodeNames.end());
    std::set<std::string> clickable(m_lookups.hoverNodes.begin(), m_lookups.hoverNodes.end());
    CollectClickable(m_pWorld->m_pInstanceTree->m_pRoot, false, &clickable);
    for (const std::string& name : names)
        AskKey(name, clickable.count(name) ? "the hover text of a clickable scene node" : "a scene node's name",
               clickable.count(name) > 0);
}
