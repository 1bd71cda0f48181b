// The connection points of an object: built from its model's tags, sorted by name, placed in
// the world and matched with other objects' points.
#include "game/app/3DObject.h"

#include <cstring>

#include "engine/graphics/Model.h"
#include "game/app/NamedEntryList.h"

namespace {

// Kinds whose points connect when their directions are at least this opposed.
constexpr float kFacing = -0.9f;

unsigned char FoldCase(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

// Names without regard to case, A-Z only, as unsigned bytes.
int CompareNames(const char* a, const char* b) {
    for (;; ++a, ++b) {
        const unsigned char ca = FoldCase(static_cast<unsigned char>(*a));
        const unsigned char cb = FoldCase(static_cast<unsigned char>(*b));
        if (ca != cb || ca == 0)
            return ca < cb ? -1 : (ca > cb ? 1 : 0);
    }
}

// Stable, so that names equal but for case keep their tag order: files store point indices.
// Tag counts are small, and the sort allocates nothing.
void SortByName(ConnectionPoint* points, int count) {
    for (int i = 1; i < count; ++i) {
        const ConnectionPoint moving = points[i];
        int j = i;
        for (; j > 0 && CompareNames(points[j - 1].m_szName, moving.m_szName) > 0; --j)
            points[j] = points[j - 1];
        points[j] = moving;
    }
}

}  // namespace

void C3DObject::FreePoints() {
    ClearConnections();
    delete[] m_pPoints;
    m_pPoints = nullptr;
    m_nPoints = 0;
}

int C3DObject::BuildConnectionPoints(CNamedEntryList* entries) {
    // The shadow volume is created by the shadow pass at its first use.
    UpdateMatrix();
    FreePoints();
    const CModel* model = m_bBillboard ? nullptr : GetModel();
    if (!model || !model->IsValid() || model->GetTagCount() == 0)
        return 0;

    const int count = static_cast<int>(model->GetTagCount());
    m_pPoints = new ConnectionPoint[count]{};
    m_nPoints = count;
    for (int i = 0; i < count; ++i) {
        ConnectionPoint& point = m_pPoints[i];
        point.m_nIndex = i;
        point.m_nTag = i;
        strncpy(point.m_szName, model->GetTagName(static_cast<uint32_t>(i)), sizeof point.m_szName - 1);
        point.m_pO = this;
        point.m_pKind = entries ? entries->Find(point.m_szName) : nullptr;
        if (const CMatrix* tag = model->GetTagMatrix(0, static_cast<uint32_t>(i)))
            tag->TransformPoint(&point.m_vWorldPos, CVector3(0.0f, 0.0f, 0.0f));
    }
    SortByName(m_pPoints, count);
    UpdateConnectionPoints();
    return count;
}

void C3DObject::UpdateConnectionPoints() {
    const CModel* model = GetModel();
    for (int i = 0; i < m_nPoints; ++i) {
        ConnectionPoint& point = m_pPoints[i];
        point.m_nIndex = i;
        const CMatrix* tag = model ? model->GetTagMatrix(0, static_cast<uint32_t>(point.m_nTag)) : nullptr;
        if (!tag)
            continue;
        CMatrix placed;
        CMatrix::Multiply(&placed, *tag, m_mWorld);
        placed.TransformPoint(&point.m_vWorldPos, CVector3(0.0f, 0.0f, 0.0f));
        placed.TransformVector(&point.m_vWorldDir, CVector3(0.0f, 0.0f, 1.0f));
    }
}

ConnectionPoint* C3DObject::GetConnectionPoint(int index) const {
    if (index < 0 || index >= m_nPoints)
        return nullptr;
    return &m_pPoints[index];
}

void C3DObject::ClearConnections() {
    for (int i = 0; i < m_nPoints; ++i) {
        ConnectionPoint& point = m_pPoints[i];
        if (!point.m_pPartner)
            continue;
        point.m_pPartner->m_pPartner = nullptr;
        point.m_pPartner = nullptr;
    }
}

float C3DObject::ConnectionDistance(const ConnectionPoint* a, const ConnectionPoint* b) {
    if (!a || !b || !a->m_pKind || a->m_pKind != b->m_pKind || a->m_pPartner || b->m_pPartner)
        return kNoConnection;
    const CVector3& da = a->m_vWorldDir;
    const CVector3& db = b->m_vWorldDir;
    if (a->m_pKind->m_nValue == 0 && da.x * db.x + da.y * db.y + da.z * db.z > kFacing)
        return kNoConnection;
    CVector3 between;
    a->m_vWorldPos.Subtract(&between, b->m_vWorldPos);
    return between.Length();
}

float C3DObject::NearestConnectionPoint(ConnectionPoint** nearest, const ConnectionPoint* query) const {
    float best = kNoConnection;
    ConnectionPoint* found = nullptr;
    for (int i = 0; i < m_nPoints; ++i) {
        const float distance = ConnectionDistance(&m_pPoints[i], query);
        if (distance < best) {
            best = distance;
            found = &m_pPoints[i];
        }
    }
    if (nearest)
        *nearest = found;
    return best;
}
