// The node keywords of object-model scripts, with the placement of a node by two tags.
#include <cstring>

#include "game/app/3DOMObject.h"
#include "game/app/3DOMScripter.h"
#include "game/app/3DOMTree.h"
#include "game/app/3DObject.h"
#include "game/app/3DObjectList.h"

namespace {

constexpr char kNoTag[] = "NULL";
constexpr int kBitFieldLength = 8;

// A keyword whose one argument is an integer stored in a field of the node.
struct IntKeyword {
    const char* keyword;
    int32_t M3DOMObject::*field;
    const char* missing;
};

const IntKeyword kIntKeywords[] = {
    {"ID", &M3DOMObject::m_nTypeID, "M3DOMScripter::AddScriptMOs - ERROR: while getting ID!\n"},
    {"BKS", &M3DOMObject::m_nBKS, "M3DOMScripter::AddScriptMOs - ERROR: while getting 3D Value!\n"},
    {"VALN", &M3DOMObject::m_nValN, "M3DOMScripter::AddScriptMOs - ERROR: while getting INT Value!\n"},
    {"COUNT", &M3DOMObject::m_nCount, "M3DOMScripter::AddScriptMOs - ERROR: while getting a count value\n"},
    {"TAGSNAP", &M3DOMObject::m_nTagSnap, "M3DOMScripter::AddScriptMOs - ERROR: while getting a snap value\n"},
    {"CONNECTED_TO", &M3DOMObject::m_nConnectedTo,
     "M3DOMScripter::AddScriptMOs - ERROR: while getting a connected ID value\n"},
    {"FIXED", &M3DOMObject::m_nFixed, "M3DOMScripter::AddScriptMOs - ERROR: while getting a FIXED value\n"},
    {"UNLOCKED", &M3DOMObject::m_nUnlocked, "M3DOMScripter::AddScriptMOs - ERROR: while getting a UNLOCKED value\n"},
    {"VALB", &M3DOMObject::m_nBits, "M3DOMScripter::AddScriptMOs - ERROR: while getting a BYTE value\n"},
};

const char kMissingVector[] = "M3DOMScripter::AddScriptMOs - ERROR: while getting 3D Value!\n";

CVector3 Minus(const CVector3& a, const CVector3& b) {
    return CVector3(a.x - b.x, a.y - b.y, a.z - b.z);
}

// The tree's placements and object matrices brought up to date, so that tags stand where
// they will be drawn.
void PlaceTree(M3DOMTree* tree) {
    tree->UpdateTransforms(nullptr);
    tree->m_pOList->UpdateMatrices();
}

}  // namespace

void M3DOMScripter::ReadMOKeyword(M3DOMObject* mo, const char* keyword, const char** pos, const char* end) {
    char value[kTokenSize];
    for (const IntKeyword& entry : kIntKeywords) {
        if (strcmp(keyword, entry.keyword) != 0)
            continue;
        if (GetNextToken(value, sizeof value, pos, end))
            mo->*entry.field = ParseInt(value);
        else
            Log(entry.missing);
        return;
    }
    CVector3 vec;
    if (strcmp(keyword, "VALF") == 0) {
        if (GetNextToken(value, sizeof value, pos, end))
            mo->m_fValF = ParseFloat(value);
        else
            Log("M3DOMScripter::AddScriptMOs - ERROR: while getting FLOAT Value!\n");
    } else if (strcmp(keyword, "VELOCITY") == 0) {
        if (GetNextToken(value, sizeof value, pos, end))
            mo->m_fVelocity = ParseFloat(value);
        else
            Log("M3DOMScripter::AddScriptMOs - ERROR: while getting VELOCITY Value!\n");
    } else if (strcmp(keyword, "GOAL") == 0) {
        if (GetNextToken(value, sizeof value, pos, end))
            mo->m_nGoal = static_cast<uint8_t>(ParseInt(value) & 0xFF);
        else
            Log("M3DOMScripter::AddScriptMOs - ERROR: while getting a Goal value\n");
    } else if (strcmp(keyword, "NAME") == 0) {
        if (GetNextToken(value, sizeof value, pos, end))
            mo->SetName(value);
        else
            Log("M3DOMScripter::AddScriptMOs - ERROR: while getting a Name\n");
    } else if (strcmp(keyword, "POS") == 0) {
        mo->m_bRelative = 0;
        if (ReadVector(&vec, pos, end)) {
            mo->m_vPos = vec;
            mo->m_vTarget = mo->m_vPos;
        } else {
            Log(kMissingVector);
        }
    } else if (strcmp(keyword, "POSREL") == 0) {
        ReadPosRel(mo, pos, end);
    } else if (strcmp(keyword, "ROT") == 0 || strcmp(keyword, "ROTREL") == 0) {
        const bool bRelative = keyword[3] == 'R';
        if (bRelative)
            mo->m_bRotRel = 1;
        // The axis-order word ("xyz") is read and not used; without it the item ends.
        if (!GetNextToken(value, sizeof value, pos, end))
            return;
        if (ReadVector(&vec, pos, end))
            (bRelative ? mo->m_vRotRel : mo->m_vRot) = vec;
        else
            Log(kMissingVector);
    } else if (strcmp(keyword, "SCAL") == 0) {
        if (ReadVector(&vec, pos, end))
            mo->m_vScale = vec;
        else
            Log(kMissingVector);
    } else if (strcmp(keyword, "BITS") == 0) {
        ReadBits(mo, pos, end);
    }
    // Anything else is no keyword of a node and is passed over.
}

void M3DOMScripter::ReadPosRel(M3DOMObject* mo, const char** pos, const char* end) {
    mo->m_bRelative = 1;
    char word[kTokenSize];
    const char* const afterKeyword = *pos;
    const char* const wordStart = GetNextToken(word, sizeof word, pos, end);
    if (wordStart && strcmp(word, "CONNECT") == 0) {
        char ownTag[kTokenSize];
        char path[kTokenSize];
        char otherTag[kTokenSize];
        if (GetNextToken(ownTag, sizeof ownTag, pos, end) && GetNextToken(path, sizeof path, pos, end) &&
            GetNextToken(otherTag, sizeof otherTag, pos, end))
            ConnectByTags(mo, ownTag, path, otherTag);
        return;
    }
    const bool bAdd = wordStart && strcmp(word, "ADD") == 0;
    if (!bAdd)
        *pos = afterKeyword;
    CVector3 vec;
    if (!ReadVector(&vec, pos, end)) {
        Log("M3DOMScripter::AddScriptMOs - ERROR: while getting VALUE!\n");
        return;
    }
    mo->m_vPosRel = bAdd ? CVector3(vec.x + mo->m_vPosRel.x, vec.y + mo->m_vPosRel.y, vec.z + mo->m_vPosRel.z) : vec;
    mo->m_vTargetRel = mo->m_vPosRel;
}

void M3DOMScripter::ConnectByTags(M3DOMObject* mo, const char* ownTag, const char* path, const char* otherTag) {
    mo->m_bRelative = 1;
    const ConnectionPoint* own = nullptr;
    if (strcmp(ownTag, kNoTag) != 0) {
        own = mo->FindTag(ownTag);
        if (!own)
            LogF("M3DOMScripter::AddScriptMOs - ERROR: Tag after CONNECT not found: %s", ownTag);
    }
    M3DOMObject* first = nullptr;
    M3DOMObject* other = mo->FindByPath(&first, path);
    if (!other)
        return;
    M3DOMTree* tree = first ? first->m_pTree : mo->m_pTree;
    PlaceTree(tree);
    const ConnectionPoint* meeting = other->FindTag(otherTag);
    if (!meeting)
        return;
    // The own tag's position is read after the placement, which moved it too.
    const CVector3 from = own ? own->m_vWorldPos : CVector3(0.0f, 0.0f, 0.0f);
    mo->m_vPosRel = Minus(meeting->m_vWorldPos, from);
    mo->ResetMoveTarget();
    PlaceTree(tree);
}

void M3DOMScripter::ReadBits(M3DOMObject* mo, const char** pos, const char* end) {
    char field[kTokenSize];
    if (!GetNextToken(field, sizeof field, pos, end)) {
        Log("M3DOMScripter::AddScriptMOs - ERROR: no bit field");
        return;
    }
    if (strlen(field) != kBitFieldLength) {
        Log("M3DOMScripter::AddScriptMOs - ERROR: while getting a 8 bit field\n");
        return;
    }
    int32_t bits = 0;
    for (int i = 0; i < kBitFieldLength; ++i) {
        const char c = field[i];
        if (c == '1')
            bits |= 1 << (kBitFieldLength - 1 - i);
        else if (c != '0')
            LogF("M3DOMScripter::AddScriptMOs - ERROR: %d is not a bit\n", c - '0');
    }
    mo->m_nBits = bits;
}
