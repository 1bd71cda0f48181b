// A list of text items with an ID and a value each, a top row for scrolling, a selection and
// a row height. The base list box draws no rows: subclasses draw one row in DrawItem.
#pragma once

#include <cstdint>

#include "engine/core/DynString.h"
#include "engine/core/PooledList.h"
#include "engine/gui/Wnd.h"
#include "winapi/base/WinTypes.h"

// One item. The ID is wide enough to hold a record pointer (the experiment lists keep one).
struct CListItem {
    CDynString m_sText;
    intptr_t m_nID = 0;
    int m_nValue = 0;
};

// The nodes hold owned items: the pooled list keeps only trivially copyable payloads.
class CItemList : public CPooledList<CListItem*> {
public:
    CItemList();
    ~CItemList() { DeleteAll(); }
    // Deletes every item and frees every block of nodes.
    void DeleteAll();
};

class CListBox : public CWnd {
    DECLARE_RUNTIME_CLASS(CListBox)

public:
    // An item's place: the list and the node; (null, null) holds no item.
    typedef CItemList::Position Position;

    CListBox();
    ~CListBox() override;

    // Draws one row; the row rectangle is in whole screen pixels. The base draws nothing.
    virtual int DrawItem(CBaseGame* game, CListItem* item, const RECT& row, int selected);

    // A copy of `text` behind the item at `after`, or at the end when `after` holds none.
    Position AddItem(Position after, const char* text, intptr_t id, int value);
    // Deletes every item; top index 0, no selection.
    void Clear();
    // The first item at or after `start` (the first item when `start` holds none) whose text
    // equals `text` exactly, or whose ID equals `id`; (null, null) when none. An item without
    // text never matches.
    Position FindItemByText(Position start, const char* text) const;
    Position FindItemByID(Position start, intptr_t id) const;
    // The item at a position. A position holding no item of this list gives ID 0 and a shared
    // empty string, emptied again on each such call.
    intptr_t GetItemID(Position position) const;
    CDynString& GetItemText(Position position) const;
    // The selected item; none when nothing is selected.
    CListItem* GetSelectedItem() const;
    void SelectFirst();
    // One item down (down set: while more items remain from the top than whole rows fit and
    // the top is not the last item) or up (while above 0); 1 when the top index changed.
    int Scroll(int down);
    // Moves the top index so that the selected row lies wholly inside the list box.
    void EnsureSelectionVisible();

    int m_nTopIndex = 0;
    Position m_Selection = {nullptr, nullptr};
    CItemList* m_pItems = nullptr;
    // Pixels per row; the geometry takes a value below 1 as 1.
    int m_nRowHeight = 16;

private:
    // The node of an item of this list; none for an empty position or another list's.
    CItemList::Node* NodeAt(Position position) const;
    // The row height used for geometry: at least one pixel.
    int RowHeight() const;
    // Rows that fit wholly between the screen rectangle's top and bottom, in whole pixels.
    int WholeRowCount() const;
};
