#include "engine/gui/ListBox.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>

#include "engine/core/SaturatingCast.h"

namespace {

// The block sizes of an item list: room for a typical list at once, then one node at a time.
constexpr int kInitialItemNodes = 64;
constexpr int kItemNodesPerBlock = 1;

}  // namespace

CItemList::CItemList() : CPooledList(kInitialItemNodes, kItemNodesPerBlock) {}

void CItemList::DeleteAll() {
    for (Node* node = m_pHead; node; node = node->m_pNext)
        delete node->m_data;
    RemoveAll();
}

CListBox::CListBox() : m_pItems(new CItemList) {}

CListBox::~CListBox() {
    delete m_pItems;
    m_pItems = nullptr;
    m_Selection = {nullptr, nullptr};
}

int CListBox::DrawItem(CBaseGame* /*game*/, CListItem* /*item*/, const RECT& /*row*/, int /*selected*/) {
    return 1;
}

CItemList::Node* CListBox::NodeAt(Position position) const {
    // A position of another list would relink or read that list's nodes: it holds no item here.
    return position.pList == m_pItems ? position.pNode : nullptr;
}

CListBox::Position CListBox::AddItem(Position after, const char* text, intptr_t id, int value) {
    auto* item = new CListItem;
    item->m_sText = CDynString(text, 0);
    item->m_nID = id;
    item->m_nValue = value;
    Position added;
    m_pItems->Insert(&added, item, Position{m_pItems, NodeAt(after)}, 1);
    return added;
}

void CListBox::Clear() {
    m_pItems->DeleteAll();
    m_nTopIndex = 0;
    m_Selection = {nullptr, nullptr};
}

CListBox::Position CListBox::FindItemByText(Position start, const char* text) const {
    // An item without text never matches, so neither does a search for no text.
    if (!text || !text[0])
        return {nullptr, nullptr};
    CItemList::Node* from = NodeAt(start);
    for (CItemList::Node* node = from ? from : m_pItems->m_pHead; node; node = node->m_pNext) {
        if (strcmp(node->m_data->m_sText.GetText(), text) == 0)
            return {m_pItems, node};
    }
    return {nullptr, nullptr};
}

CListBox::Position CListBox::FindItemByID(Position start, intptr_t id) const {
    CItemList::Node* from = NodeAt(start);
    for (CItemList::Node* node = from ? from : m_pItems->m_pHead; node; node = node->m_pNext) {
        if (node->m_data->m_nID == id)
            return {m_pItems, node};
    }
    return {nullptr, nullptr};
}

intptr_t CListBox::GetItemID(Position position) const {
    const CItemList::Node* node = NodeAt(position);
    return node ? node->m_data->m_nID : 0;
}

CDynString& CListBox::GetItemText(Position position) const {
    if (CItemList::Node* node = NodeAt(position))
        return node->m_data->m_sText;
    // Emptied on every such call, so a caller that wrote into it last time reads "" again.
    static CDynString s_noText;
    s_noText.Empty();
    return s_noText;
}

CListItem* CListBox::GetSelectedItem() const {
    const CItemList::Node* node = NodeAt(m_Selection);
    return node ? node->m_data : nullptr;
}

void CListBox::SelectFirst() {
    if (m_pItems->m_pHead)
        m_Selection = {m_pItems, m_pItems->m_pHead};
}

int CListBox::WholeRowCount() const {
    // The rows' edges are whole pixels; a row whose bottom meets the screen bottom is whole.
    const int64_t top = SaturatingTruncate(m_rcScreen.top);
    const int64_t bottom = SaturatingTruncate(m_rcScreen.bottom);
    const int64_t rows = std::max<int64_t>(0, bottom - top) / RowHeight();
    return static_cast<int>(std::min<int64_t>(rows, INT_MAX));
}

int CListBox::RowHeight() const {
    // Below one pixel no row would ever reach the bottom edge.
    return std::max(1, m_nRowHeight);
}

int CListBox::Scroll(int down) {
    if (down) {
        const int64_t belowTop = int64_t{m_pItems->m_nCount} - m_nTopIndex;
        const bool topIsLast = m_nTopIndex >= m_pItems->m_nCount - 1;
        if (belowTop <= WholeRowCount() || topIsLast)
            return 0;
        ++m_nTopIndex;
        return 1;
    }
    if (m_nTopIndex <= 0)
        return 0;
    --m_nTopIndex;
    return 1;
}

void CListBox::EnsureSelectionVisible() {
    const CItemList::Node* selected = NodeAt(m_Selection);
    if (!selected)
        return;
    int index = 0;
    const CItemList::Node* node = m_pItems->m_pHead;
    for (; node && node != selected; node = node->m_pNext)
        ++index;
    if (!node)
        return;
    if (index < m_nTopIndex) {
        m_nTopIndex = index;
        return;
    }
    // The selection becomes the last whole row; a box lower than one row shows it on top.
    const int rows = std::max(1, WholeRowCount());
    if (int64_t{index} - m_nTopIndex >= rows)
        m_nTopIndex = index - rows + 1;
}
