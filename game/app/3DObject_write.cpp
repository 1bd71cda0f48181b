// An object's definition in object-model script text: its name and the placement it has of
// its own. The model, shader and other values come back from the same-named template object
// when the text is read.
#include <cstdio>

#include "game/app/3DObject.h"
#include "game/app/ScriptFile.h"

void C3DObject::WriteWorldBlock(char** text, int indent) const {
    if (!text)
        return;
    char line[kNameSize + 8];
    snprintf(line, sizeof line, "3DO %s", m_szName);
    CScriptFile::AppendLine(text, line, indent);
    CScriptFile::AppendLine(text, "{", indent);
    const int inner = indent + 1;
    if (m_vPosRel.x != 0.0f || m_vPosRel.y != 0.0f || m_vPosRel.z != 0.0f)
        CScriptFile::AppendVectorLine(text, "%s %s", "POSREL", m_vPosRel, inner);
    if (m_vOwnRot.x != 0.0f || m_vOwnRot.y != 0.0f || m_vOwnRot.z != 0.0f)
        CScriptFile::AppendVectorLine(text, "%s xyz %s", "ROT", m_vOwnRot, inner);
    if (m_vOwnScale.x != 1.0f || m_vOwnScale.y != 1.0f || m_vOwnScale.z != 1.0f)
        CScriptFile::AppendVectorLine(text, "%s %s", "SCAL", m_vOwnScale, inner);
    if (m_nID != -1) {
        snprintf(line, sizeof line, "%s %d", "ID", m_nID);
        CScriptFile::AppendLine(text, line, inner);
    }
    CScriptFile::AppendLine(text, "}", indent);
}
