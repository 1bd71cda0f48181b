// Scene-object definitions in object-model scripts: "3DO name" with an optional block of
// object keywords; a name defined in the template tree makes a clone of that object.
#include <cstring>

#include "engine/graphics/Gfx.h"
#include "engine/graphics/GfxHandler.h"
#include "engine/graphics/ShaderHandler.h"
#include "game/app/3DOMObject.h"
#include "game/app/3DOMScripter.h"
#include "game/app/3DOMTree.h"
#include "game/app/3DOMWorld.h"
#include "game/app/3DObject.h"
#include "game/app/3DObjectList.h"

namespace {

constexpr char kBillboardModel[] = "BILLBOARD";

// An object keyword whose one argument is an integer stored in a field of the object.
struct IntKeyword {
    const char* keyword;
    int32_t C3DObject::*field;
    const char* missing;
};

const IntKeyword kIntKeywords[] = {
    {"ID", &C3DObject::m_nID, "M3DOMScripter::AddScriptOs - ERROR: ID value expecetd!\n"},
    {"VISIBLE", &C3DObject::m_bVisible, "M3DOMScripter::AddScriptOs - ERROR: visible BOOL value expecetd!\n"},
    {"HIT", &C3DObject::m_bHit, "M3DOMScripter::AddScriptOs - ERROR: hit BOOL value expecetd!\n"},
    {"ZENABLE", &C3DObject::m_bZEnable, "M3DOMScripter::AddScriptOs - ERROR: BOOL value expecetd!\n"},
};

}  // namespace

C3DObject* M3DOMScripter::AddScriptOs(M3DOMObject* parent, const char* name, CScriptRange* range, int oIndex,
                                      int reuse) {
    if (!parent || !name || !range || !range->pStart || !range->pEnd)
        return nullptr;
    C3DObjectList* target = TargetTree()->m_pOList;
    C3DObject* o = reuse ? parent->GetO(oIndex) : nullptr;
    // With no object at that index the definition makes one, as without re-use.
    if (!o) {
        if (!Reserve(1))
            return nullptr;
        const C3DObject* pattern = m_pWorld->m_pTemplateTree->m_pOList->FindByName(name);
        o = pattern ? pattern->Clone(parent, m_pWorld->m_pNamedEntries) : new C3DObject(target->m_pDevice, parent);
        strncpy(o->m_szName, name, sizeof o->m_szName - 1);
        o->m_szName[sizeof o->m_szName - 1] = '\0';
        parent->m_pOList->Append(o);
        target->m_pList->Append(o);
    }

    const char*& pos = range->pStart;
    const char* const afterName = pos;
    char token[kTokenSize];
    const char* const tokenStart = GetNextToken(token, sizeof token, &pos, range->pEnd);
    if (!tokenStart || strcmp(token, "{") != 0) {
        pos = afterName;
        return o;
    }
    CScriptRange block{};
    pos = tokenStart;
    if (!GetNextBlock(&block, &pos, range->pEnd)) {
        StopLoad("M3DOMScripter::AddScriptOs - ERROR: block without its end!\n");
        return o;
    }
    ReadOKeywords(o, &block.pStart, block.pEnd);
    return o;
}

void M3DOMScripter::ReadOKeywords(C3DObject* o, const char** pos, const char* end) {
    C3DObjectList* objects = TargetTree()->m_pOList;
    char keyword[kTokenSize];
    char value[kTokenSize];
    CVector3 vec;
    while (GetNextToken(keyword, sizeof keyword, pos, end)) {
        bool bInt = false;
        for (const IntKeyword& entry : kIntKeywords) {
            if (strcmp(keyword, entry.keyword) != 0)
                continue;
            bInt = true;
            if (GetNextToken(value, sizeof value, pos, end))
                o->*entry.field = ParseInt(value);
            else
                Log(entry.missing);
        }
        if (bInt)
            continue;

        if (strcmp(keyword, "POSREL") == 0) {
            // A bad position ends the object's block.
            if (!ReadVector(&vec, pos, end))
                return;
            o->m_vPosRel = vec;
        } else if (strcmp(keyword, "MODEL") == 0) {
            if (!GetNextToken(value, sizeof value, pos, end))
                return;
            if (strcmp(value, kBillboardModel) == 0) {
                char size[kTokenSize];
                o->m_bBillboard = 1;
                o->m_pGfx = nullptr;
                if (GetNextToken(size, sizeof size, pos, end))
                    o->m_fBillboardWidth = ParseFloat(size);
                if (GetNextToken(size, sizeof size, pos, end))
                    o->m_fBillboardHeight = ParseFloat(size);
                o->BuildConnectionPoints(m_pWorld->m_pNamedEntries);
            } else {
                // Only a model counts: a texture or font of that name is unknown here.
                CGfx* gfx = objects->m_pGfxHandler ? objects->m_pGfxHandler->Find(value) : nullptr;
                if (gfx && gfx->GetModel()) {
                    o->m_bBillboard = 0;
                    o->m_pGfx = gfx;
                    o->BuildConnectionPoints(m_pWorld->m_pNamedEntries);
                }
            }
        } else if (strcmp(keyword, "SHADER") == 0) {
            if (GetNextToken(value, sizeof value, pos, end) && objects->m_pShaderHandler) {
                if (CShader* shader = objects->m_pShaderHandler->GetShader(value))
                    o->SetShader(shader);
            }
        } else if (strcmp(keyword, "ROT") == 0) {
            // The axis-order word is read and not used.
            if (!GetNextToken(value, sizeof value, pos, end))
                return;
            if (ReadVector(&vec, pos, end))
                o->m_vOwnRot = vec;
            else
                Log("M3DOMScripter::AddScriptOs - ERROR: while getting 3D Value!\n");
        } else if (strcmp(keyword, "SCAL") == 0) {
            if (ReadVector(&vec, pos, end))
                o->m_vOwnScale = vec;
        } else if (strcmp(keyword, "DYN_SHADOW") == 0) {
            o->m_bDynShadow = 1;
        } else if (strcmp(keyword, "NO_SHADOW") == 0) {
            o->m_bCastShadow = 0;
        } else if (strcmp(keyword, "SV_LEN") == 0) {
            if (GetNextToken(value, sizeof value, pos, end))
                o->m_fShadowLength = ParseFloat(value);
            else
                Log("M3DOMScripter::AddScriptOs - ERROR: SVLen FLOAT value expecetd!\n");
        } else if (strcmp(keyword, "FRAME") == 0) {
            char frameA[kTokenSize];
            char frameB[kTokenSize];
            if (GetNextToken(value, sizeof value, pos, end) && GetNextToken(frameA, sizeof frameA, pos, end) &&
                GetNextToken(frameB, sizeof frameB, pos, end)) {
                o->m_fFrameBlend = ParseFloat(value);
                o->m_nFrameA = static_cast<uint32_t>(ParseInt(frameA));
                o->m_nFrameB = static_cast<uint32_t>(ParseInt(frameB));
            } else {
                Log("M3DOMScripter::AddScriptOs - ERROR: Frame FLOAT value expecetd!\n");
            }
        } else if (strcmp(keyword, "RENDER_PASS_ID") == 0) {
            if (GetNextToken(value, sizeof value, pos, end))
                o->m_nRenderPass = static_cast<uint32_t>(ParseInt(value));
            else
                Log("M3DOMScripter::AddScriptOs - ERROR: RenderID DWORD value expecetd!\n");
        } else if (strcmp(keyword, "VALUE") == 0) {
            if (GetNextToken(value, sizeof value, pos, end))
                o->m_fValue = ParseFloat(value);
            else
                Log("M3DOMScripter::AddScriptOs - ERROR: FLOAT value expecetd!\n");
        }
        // Other tokens, the block's closing brace among them, are passed over.
    }
}
