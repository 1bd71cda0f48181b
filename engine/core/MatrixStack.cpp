#include "engine/core/MatrixStack.h"

CMatrixStack::CMatrixStack() : m_entries(1, 1) {}

void CMatrixStack::Push() {
    m_entries.Append(GetTop());
}

void CMatrixStack::Pop() {
    m_entries.RemoveAt({&m_entries, m_entries.m_pTail});
}

const CMatrix& CMatrixStack::GetTop() const {
    return m_entries.m_pTail ? m_entries.m_pTail->m_data : CMatrix::Identity();
}

void CMatrixStack::SetTop(const CMatrix& m) {
    if (m_entries.m_pTail)
        m_entries.m_pTail->m_data = m;
}

void CMatrixStack::Translate(float x, float y, float z) {
    if (!m_entries.m_pTail)
        return;
    CMatrix translation;
    translation.SetTranslation(x, y, z);
    CMatrix::Multiply(&m_entries.m_pTail->m_data, m_entries.m_pTail->m_data, translation);
}
