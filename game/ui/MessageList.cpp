#include "game/ui/MessageList.h"

#include <cstring>

namespace {

constexpr int kMessageNodesPerBlock = 20;

CMessage* MessageOf(const CPointerList::Node* node) {
    return static_cast<CMessage*>(node->m_data);
}

}  // namespace

CMessageList::CMessageList(int maxCount, float duration, const double* clock)
    : m_Messages(0, kMessageNodesPerBlock), m_fDuration(duration), m_pClock(clock), m_nMaxCount(maxCount) {}

CMessageList::~CMessageList() {
    Clear();
}

double CMessageList::Now() const {
    return m_pClock ? *m_pClock : 0.0;
}

void CMessageList::RemoveOldest() {
    delete MessageOf(m_Messages.m_pHead);
    m_Messages.RemoveAt(CPointerList::Position{&m_Messages, m_Messages.m_pHead});
}

CMessage* CMessageList::Add(const char* text, int noRepeat) {
    if (m_nMaxCount < 1)
        return nullptr;
    const char* newText = text ? text : "";
    const CPointerList::Node* newest = m_Messages.m_pTail;
    if (noRepeat && newest && strcmp(MessageOf(newest)->m_sText.GetText(), newText) == 0)
        return nullptr;
    // A loop, so that a maximum lowered since the last Add is honoured at once.
    while (m_Messages.m_nCount >= m_nMaxCount)
        RemoveOldest();
    auto* message = new CMessage;
    message->m_sText = CDynString(newText, 0);
    message->m_fTime = Now();
    m_Messages.Append(message);
    return message;
}

void CMessageList::Update() {
    if (m_Messages.m_pHead && Now() - MessageOf(m_Messages.m_pHead)->m_fTime >= m_fDuration)
        RemoveOldest();
}

void CMessageList::Clear() {
    while (m_Messages.m_pHead)
        RemoveOldest();
}
