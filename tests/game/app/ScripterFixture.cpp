#include "tests/game/app/ScripterFixture.h"

#include <cstdlib>
#include <sstream>

#include "engine/core/DynString.h"
#include "engine/graphics/Gfx.h"
#include "game/app/3DOMObject.h"
#include "game/app/3DOMTree.h"
#include "game/app/3DObject.h"
#include "game/app/3DObjectList.h"
#include "game/app/ListNodes_local.h"
#include "game/flow/ConnectorKinds.h"
#include "winapi/window/WinWindow.h"

namespace {

std::ostream& operator<<(std::ostream& out, const CVector3& v) {
    return out << '(' << v.x << ' ' << v.y << ' ' << v.z << ')';
}

void DescribeO(std::ostream& out, const C3DObject* o, int depth) {
    out << std::string(static_cast<size_t>(depth), ' ') << "3DO " << o->m_szName
        << " gfx=" << (o->m_pGfx ? o->m_pGfx->m_sName.GetText() : "-") << " shader=" << (o->m_pShader ? 1 : 0)
        << " billboard=" << o->m_bBillboard << ' ' << o->m_fBillboardWidth << ' ' << o->m_fBillboardHeight
        << " id=" << o->m_nID << " posrel=" << o->m_vPosRel << " rot=" << o->m_vOwnRot << " scale=" << o->m_vOwnScale
        << " points=" << o->m_nPoints << " pass=" << o->m_nRenderPass << " visible=" << o->m_bVisible
        << " hit=" << o->m_bHit << " z=" << o->m_bZEnable << " shadow=" << o->m_bCastShadow << ' ' << o->m_bDynShadow
        << ' ' << o->m_fShadowLength << " frame=" << o->m_fFrameBlend << ' ' << o->m_nFrameA << ' ' << o->m_nFrameB
        << " value=" << o->m_fValue << '\n';
}

void DescribeMO(std::ostream& out, const M3DOMObject* mo, int depth) {
    out << std::string(static_cast<size_t>(depth), ' ') << mo->m_szName << " id=" << mo->m_nTypeID
        << " bks=" << mo->m_nBKS << " valf=" << mo->m_fValF << " valn=" << mo->m_nValN << " pos=" << mo->m_vPos
        << " target=" << mo->m_vTarget << " relative=" << mo->m_bRelative << " posrel=" << mo->m_vPosRel
        << " targetrel=" << mo->m_vTargetRel << " rot=" << mo->m_vRot << " rotrel=" << mo->m_bRotRel << ' '
        << mo->m_vRotRel << " velocity=" << mo->m_fVelocity << " scale=" << mo->m_vScale
        << " goal=" << static_cast<int>(mo->m_nGoal) << " count=" << mo->m_nCount << " tagsnap=" << mo->m_nTagSnap
        << " connected=" << mo->m_nConnectedTo << " fixed=" << mo->m_nFixed << " unlocked=" << mo->m_nUnlocked
        << " bits=" << mo->m_nBits << '\n';
    for (CPointerList::Node* node = mo->m_pOList->m_pHead; node; node = node->m_pNext)
        DescribeO(out, ObjectOf(node), depth + 1);
    for (CPointerList::Node* node = mo->m_pList->m_pHead; node; node = node->m_pNext)
        DescribeMO(out, ChildOf(node), depth + 1);
}

}  // namespace

void ScripterTest::SetUp() {
    ObjectModelTest::SetUp();
    if (HasFatalFailure())
        return;
    m_Shaders.Init(&m_Device);
    const std::string shaders = std::string(kGlowShader) + " { pass { } }\r\n";
    ASSERT_EQ(m_Shaders.LoadScriptFromMemory(shaders.data(), shaders.size(), nullptr), 1);
    MakeWorld();
}

void ScripterTest::TearDown() {
    m_pWorld.reset();
    m_pLog.reset();
    // A test that failed half-way leaves no quit request to the next one.
    TakeQuitRequest();
    ObjectModelTest::TearDown();
}

void ScripterTest::MakeWorld() {
    // The trees hold the log: the world goes first.
    m_pWorld.reset();
    m_pLog = std::make_unique<CLogFile>(m_Dir.File("scripter.log").c_str());
    ASSERT_TRUE(m_pLog->IsOpen());
    m_nLogRead = 0;
    m_pWorld = std::make_unique<M3DOMWorld>(&m_Gfx, &m_Shaders, &m_Device, m_pLog.get(), &m_FrameTime, &m_RunTime);
    ASSERT_NE(m_pWorld->m_pScripter, nullptr);
    ASSERT_EQ(RegisterConnectorKinds(m_pWorld->m_pNamedEntries), 1);
}

int ScripterTest::Read(const std::string& text, M3DOMObject* parent, int createNew) {
    // A buffer of exactly the text's bytes, so that a read past them is seen by the sanitizers.
    std::unique_ptr<char[]> bytes(new char[text.size() ? text.size() : 1]);
    text.copy(bytes.get(), text.size());
    return Scripter().AddScriptMOsFromMemory(parent, bytes.get(), static_cast<int>(text.size()), createNew);
}

std::string ScripterTest::TakeLog() {
    const std::string log = ReadText(m_Dir.File("scripter.log"));
    const std::string fresh = log.size() > m_nLogRead ? log.substr(m_nLogRead) : std::string();
    m_nLogRead = log.size();
    return fresh;
}

M3DOMObject* ScripterTest::AddNode(const char* name, M3DOMObject* parent) {
    M3DOMTree* tree = m_pWorld->m_pInstanceTree;
    M3DOMObject* mo = tree->CreateMO(name);
    // As the scripter links them: a top-level node hangs in the root's list without a parent.
    if (parent)
        M3DOMTree::Reparent(parent, mo);
    else
        tree->m_pRoot->m_pList->Append(mo);
    return mo;
}

M3DOMObject* ScripterTest::Instance(const char* name) const {
    return m_pWorld->m_pInstanceTree->FindByName(name);
}

M3DOMObject* ScripterTest::Template(const char* name) const {
    return m_pWorld->m_pTemplateTree->FindByName(name);
}

int ScripterTest::WorldSize() const {
    int size = 0;
    for (const M3DOMTree* tree : {m_pWorld->m_pInstanceTree, m_pWorld->m_pTemplateTree})
        size += tree->m_pRoot->CountMOs() + static_cast<int>(tree->m_pOList->m_pList->m_nCount);
    return size;
}

std::string ScripterTest::Write(const M3DOMObject* mo) const {
    char* text = nullptr;
    Scripter().WriteMO(mo, &text, 0);
    std::string written = text ? text : "";
    free(text);
    return written;
}

std::string DescribeTree(const M3DOMTree* tree) {
    std::ostringstream out;
    for (CPointerList::Node* node = tree->m_pRoot->m_pList->m_pHead; node; node = node->m_pNext)
        DescribeMO(out, ChildOf(node), 0);
    return out.str();
}

std::string ScriptFixturePath(const char* name) {
    return std::string(SCRIPTER_FIXTURES_DIR) + "/" + name;
}

int TakeQuitRequest() {
    MSG message{};
    int code = -1;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT)
            code = static_cast<int>(message.wParam);
    }
    return code;
}
