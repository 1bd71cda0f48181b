// Writing a node and its subtree as object-model script text: the values that differ from a
// new node's, its objects, then its children, tab-indented with CR LF line ends. The text is
// gathered in one growing string and appended once, so that writing a level stays linear.
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "game/app/3DOMObject.h"
#include "game/app/3DOMScripter.h"
#include "game/app/3DObject.h"
#include "game/app/ListNodes_local.h"

namespace {

bool IsZero(const CVector3& v) {
    return v.x == 0.0f && v.y == 0.0f && v.z == 0.0f;
}

bool IsOne(const CVector3& v) {
    return v.x == 1.0f && v.y == 1.0f && v.z == 1.0f;
}

class CLineWriter {
public:
    explicit CLineWriter(std::string* text) : m_pText(text) {}

    void Line(int tabs, const char* format, ...) __attribute__((format(printf, 3, 4))) {
        char line[CScriptFile::kFormattedVectorSize + CScriptFile::kTokenSize];
        va_list arguments;
        va_start(arguments, format);
        vsnprintf(line, sizeof line, format, arguments);
        va_end(arguments);
        m_pText->append(static_cast<size_t>(tabs > 0 ? tabs : 0), '\t');
        m_pText->append(line);
        m_pText->append("\r\n");
    }

    void VectorLine(int tabs, const char* format, const char* keyword, const CVector3& v) {
        char formatted[CScriptFile::kFormattedVectorSize];
        CScriptFile::FormatVector(formatted, sizeof formatted, v);
        Line(tabs, format, keyword, formatted);
    }

    // "KEYWORD value" for an integer that differs from the value a new node has.
    void IntLine(int tabs, const char* format, const char* keyword, int32_t value, int32_t usual) {
        if (value != usual)
            Line(tabs, format, keyword, value);
    }

    void Object(const C3DObject* o, int tabs) {
        char* block = nullptr;
        o->WriteWorldBlock(&block, tabs);
        if (block)
            m_pText->append(block);
        free(block);
    }

private:
    std::string* m_pText;
};

void WriteNode(const M3DOMObject* mo, CLineWriter* out, int indent) {
    out->Line(indent, "%s", mo->m_szName);
    out->Line(indent, "{");
    const int inner = indent + 1;
    if (mo->m_bRelative)
        out->VectorLine(inner, "%s %s", "POSREL", mo->m_vPosRel);
    else if (!IsZero(mo->m_vPos))
        out->VectorLine(inner, "%s %s", "POS", mo->m_vPos);
    if (mo->m_bRotRel)
        out->VectorLine(inner, "%s xyz %s", "ROTREL", mo->m_vRotRel);
    else if (!IsZero(mo->m_vRot))
        out->VectorLine(inner, "%s xyz %s", "ROT", mo->m_vRot);
    if (!IsOne(mo->m_vScale))
        out->VectorLine(inner, "%s %s", "SCAL", mo->m_vScale);
    out->IntLine(inner, "%s %i", "ID", mo->m_nTypeID, 0);
    out->IntLine(inner, "%s %d", "BKS", mo->m_nBKS, 0);
    if (mo->m_fValF != 0.0f)
        out->Line(inner, "%s %f", "VALF", static_cast<double>(mo->m_fValF));
    out->IntLine(inner, "%s %d", "VALN", mo->m_nValN, 0);
    out->IntLine(inner, "%s %d", "GOAL", mo->m_nGoal, 0);
    out->IntLine(inner, "%s %d", "COUNT", mo->m_nCount, 1);
    out->IntLine(inner, "%s %d", "TAGSNAP", mo->m_nTagSnap, 0);
    out->IntLine(inner, "%s %d", "CONNECTED_TO", mo->m_nConnectedTo, -1);
    out->IntLine(inner, "%s %d", "FIXED", mo->m_nFixed, 0);
    out->IntLine(inner, "%s %d", "UNLOCKED", mo->m_nUnlocked, 0);
    out->IntLine(inner, "%s %d", "VALB", mo->m_nBits, 0);
    for (CPointerList::Node* node = mo->m_pOList->m_pHead; node; node = node->m_pNext)
        out->Object(ObjectOf(node), inner);
    for (CPointerList::Node* node = mo->m_pList->m_pHead; node; node = node->m_pNext)
        WriteNode(ChildOf(node), out, inner);
    out->Line(indent, "}");
}

}  // namespace

void M3DOMScripter::WriteMO(const M3DOMObject* mo, char** text, int indent) {
    if (!mo || !text)
        return;
    std::string written;
    CLineWriter out(&written);
    WriteNode(mo, &out, indent);
    AppendString(text, written.c_str());
}

int M3DOMScripter::SaveScript(const M3DOMObject* mo, const char* path) {
    char* text = nullptr;
    WriteMO(mo, &text, 0);
    const int written = WriteScript(path, text ? text : "");
    free(text);
    return written;
}
