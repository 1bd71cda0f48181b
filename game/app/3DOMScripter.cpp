// Reading object-model scripts: node definitions, templates and the bounds of a load.
#include "game/app/3DOMScripter.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "engine/core/LogFile.h"
#include "game/app/3DOMObject.h"
#include "game/app/3DOMTree.h"
#include "game/app/3DOMWorld.h"
#include "game/app/3DObject.h"
#include "game/app/3DObjectList.h"
#include "game/app/ListNodes_local.h"
#include "winapi/window/WinWindow.h"

namespace {

constexpr int kProgressEvery = 5;

// Nodes and objects of a subtree: what cloning it makes.
int SubtreeSize(const M3DOMObject* mo) {
    int size = 1 + static_cast<int>(mo->m_pOList->m_nCount);
    for (CPointerList::Node* node = mo->m_pList->m_pHead; node; node = node->m_pNext)
        size += SubtreeSize(ChildOf(node));
    return size;
}

}  // namespace

M3DOMScripter::M3DOMScripter(M3DOMWorld* world)
    : CScriptFile(world && world->m_pInstanceTree ? world->m_pInstanceTree->m_pLog : nullptr), m_pWorld(world) {}

M3DOMScripter::~M3DOMScripter() = default;

void M3DOMScripter::LogF(const char* format, ...) const {
    char line[512];
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(line, sizeof line, format, arguments);
    va_end(arguments);
    Log(line);
}

M3DOMTree* M3DOMScripter::TargetTree() const {
    return m_bTemplateMode ? m_pWorld->m_pTemplateTree : m_pWorld->m_pInstanceTree;
}

void M3DOMScripter::StopLoad(const char* message) {
    if (!m_bStopped)
        Log(message);
    m_bStopped = true;
}

bool M3DOMScripter::Reserve(int count) {
    if (m_nMade > kMaxMadePerLoad - count) {
        StopLoad("M3DOMScripter::AddScriptMOs - ERROR: more than 50000 objects in one load!\n");
        return false;
    }
    m_nMade += count;
    return true;
}

int M3DOMScripter::LoadScript(M3DOMObject* parent, const char* path, const char* key, int keyLength) {
    const int loaded = CScriptFile::LoadScript(path, key, keyLength);
    if (loaded) {
        CScriptRange range{GetText(), GetTextEnd()};
        AddScriptMOs(parent, &range, 1);
    }
    return loaded;
}

int M3DOMScripter::AddScriptMOsFromMemory(M3DOMObject* parent, const char* text, int length, int createNew) {
    if (!SetText(text, length))
        return 0;
    CScriptRange range{GetText(), GetTextEnd()};
    return AddScriptMOs(parent, &range, createNew);
}

int M3DOMScripter::AddScriptMOs(M3DOMObject* parent, CScriptRange* range, int createNew) {
    if (!m_pWorld || !range || !range->pStart || !range->pEnd)
        return 0;
    const bool bLoad = m_nDepth == 0;
    if (bLoad) {
        m_nMade = 0;
        m_bStopped = false;
    }
    if (m_nCallCount % kProgressEvery == 0 && m_pfnProgress && m_pProgressArg)
        m_pfnProgress(m_pProgressArg);
    ++m_nCallCount;

    ++m_nDepth;
    int result = ReadItems(parent, range, createNew);
    --m_nDepth;
    if (bLoad) {
        // Whatever stopped the text, the next load starts outside the templates.
        m_bTemplateMode = 0;
        if (m_bStopped)
            result = 0;
    }
    return m_bStopped ? 0 : result;
}

int M3DOMScripter::ReadItems(M3DOMObject* parent, CScriptRange* range, int createNew) {
    const char*& pos = range->pStart;
    const char* const end = range->pEnd;
    char token[kTokenSize];
    char next[kTokenSize];
    int childIndex = 0;
    int oIndex = 0;
    int result = 0;
    while (!m_bStopped && pos < end) {
        if (!GetNextToken(token, sizeof token, &pos, end))
            break;
        const char* const afterToken = pos;
        const char* const nextStart = GetNextToken(next, sizeof next, &pos, end);

        if (nextStart && strcmp(next, "{") == 0) {
            // The text read is level m_nDepth - 1; a block at level 256 is still read.
            if (m_nDepth > kMaxBlockDepth) {
                StopLoad("M3DOMScripter::AddScriptMOs - ERROR: blocks nested deeper than 256 levels!\n");
                break;
            }
            CScriptRange block{};
            pos = nextStart;
            if (!GetNextBlock(&block, &pos, end)) {
                StopLoad("M3DOMScripter::AddScriptMOs - ERROR: block without its end!\n");
                break;
            }
            if (strcmp(token, "TEMPLATES") == 0) {
                const int32_t wasTemplateMode = m_bTemplateMode;
                m_bTemplateMode = 1;
                AddScriptMOs(nullptr, &block, createNew);
                m_bTemplateMode = wasTemplateMode;
                continue;
            }
            M3DOMObject* mo = ObtainMO(parent, token, childIndex, createNew);
            if (!mo)
                break;
            ++childIndex;
            ++result;
            result += AddScriptMOs(mo, &block, createNew);
            continue;
        }

        // An object belongs to a node: at the top level "3DO" is as stray as any other token.
        if (strcmp(token, "3DO") == 0 && parent) {
            if (nextStart) {
                CScriptRange rest{pos, end};
                AddScriptOs(parent, next, &rest, oIndex, createNew == 0);
                pos = rest.pStart;
                ++oIndex;
            }
            continue;
        }

        pos = afterToken;
        if (strcmp(token, "}") == 0) {
            if (m_bTemplateMode && !parent)
                m_bTemplateMode = 0;
            continue;
        }
        // An opening brace at the top level is passed over.
        if (!parent && strcmp(token, "{") != 0) {
            LogF("M3DOMScripter::AddScriptMOs - ERROR: \"%s\" in block expected!", token);
            PostQuitMessage(kMalformedQuitCode);
            return 0;
        }
        if (parent)
            ReadMOKeyword(parent, token, &pos, end);
    }
    return result;
}

M3DOMObject* M3DOMScripter::ObtainMO(M3DOMObject* parent, const char* name, int childIndex, int createNew) {
    if (parent && !createNew) {
        if (M3DOMObject* existing = parent->FindByName(name, childIndex))
            return existing;
    }
    M3DOMTree* target = TargetTree();
    const M3DOMObject* pattern = m_pWorld->m_pTemplateTree->FindByName(name);
    if (!Reserve(pattern ? SubtreeSize(pattern) : 1))
        return nullptr;
    M3DOMObject* mo = pattern ? pattern->Clone(target, parent) : target->CreateMO(name);
    if (parent) {
        mo->m_pParent = parent;
        parent->m_pList->Append(mo);
    } else {
        // Top-level nodes hang in the root's list without a parent.
        mo->m_pParent = nullptr;
        target->m_pRoot->m_pList->Append(mo);
    }
    return mo;
}
