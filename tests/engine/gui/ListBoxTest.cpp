#include "engine/gui/ListBox.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>


namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInfinity = std::numeric_limits<float>::infinity();
constexpr CListBox::Position kNoItem = {nullptr, nullptr};

// Named items, as the tests fill them: "item<n>" with ID 100 + n and value n.
constexpr intptr_t kFirstID = 100;

std::string ItemName(int index) {
    return "item" + std::to_string(index);
}

void Fill(CListBox& box, int count) {
    for (int i = 0; i < count; ++i)
        box.AddItem(kNoItem, ItemName(i).c_str(), kFirstID + i, i);
}

// The texts from the head; fails the test when the backward links or the count disagree.
std::vector<std::string> Texts(const CListBox& box) {
    std::vector<std::string> forward;
    for (auto* node = box.m_pItems->m_pHead; node; node = node->m_pNext)
        forward.push_back(node->m_data->m_sText.GetText());
    std::vector<std::string> backward;
    for (auto* node = box.m_pItems->m_pTail; node; node = node->m_pPrev)
        backward.insert(backward.begin(), node->m_data->m_sText.GetText());
    EXPECT_EQ(forward, backward) << "the list's links disagree";
    EXPECT_EQ(box.m_pItems->m_nCount, static_cast<int32_t>(forward.size()));
    return forward;
}

CListBox::Position PositionOf(CListBox& box, int index) {
    auto* node = box.m_pItems->m_pHead;
    for (int i = 0; i < index && node; ++i)
        node = node->m_pNext;
    return {box.m_pItems, node};
}

// The item's index from the head, or -1 for a position holding none.
int IndexOf(const CListBox& box, CListBox::Position position) {
    if (!position.pNode)
        return -1;
    EXPECT_EQ(position.pList, box.m_pItems);
    int index = 0;
    for (auto* node = box.m_pItems->m_pHead; node; node = node->m_pNext, ++index) {
        if (node == position.pNode)
            return index;
    }
    ADD_FAILURE() << "the position is not in the list";
    return -1;
}

void SetScreenHeight(CListBox& box, float top, float bottom) {
    box.m_rcScreen = {10.0f, top, 210.0f, bottom};
}

// Scrolls down until Scroll refuses, with a bound, and returns the top index reached.
int ScrollToTheEnd(CListBox& box) {
    for (int step = 0; step < 1000 && box.Scroll(1); ++step) {
    }
    return box.m_nTopIndex;
}

// Construction, class and destruction

TEST(ListBoxTest, StartsWithAnEmptyListNoSelectionAndTheWindowFlags) {
    CListBox box;
    ASSERT_NE(box.m_pItems, nullptr);
    EXPECT_TRUE(Texts(box).empty());
    EXPECT_EQ(box.GetSelectedItem(), nullptr);
    EXPECT_EQ(box.m_nFlags, 0u) << "neither focusable nor draggable";
    EXPECT_EQ(box.Scroll(0), 0) << "the top is the first row";
}

TEST(ListBoxTest, DestructionDeletesTheItemsWithTheirTexts) {
    // Leaks show under the sanitizer build: the items, their texts and the node blocks.
    auto* box = new CListBox;
    Fill(*box, 70);  // past the first block of nodes
    box->SelectFirst();
    delete box;
}

TEST(ListBoxTest, BaseDrawItemDrawsNothingAndLetsTheWalkGoOn) {
    CListBox box;
    box.AddItem(kNoItem, "only", 1, 0);
    const RECT row = {10, 0, 210, 16};
    EXPECT_EQ(box.DrawItem(nullptr, box.m_pItems->m_pHead->m_data, row, 1), 1);
}

// Items

TEST(ListBoxTest, AddItemAppendsACopyWithItsIdAndValue) {
    CListBox box;
    char text[] = "first";
    const CListBox::Position added = box.AddItem(kNoItem, text, 7, -3);
    strcpy(text, "gone!");
    box.AddItem(kNoItem, "second", 8, 4);

    EXPECT_EQ(Texts(box), (std::vector<std::string>{"first", "second"}));
    EXPECT_EQ(added.pList, box.m_pItems);
    EXPECT_STREQ(box.GetItemText(added).GetText(), "first");
    EXPECT_EQ(box.GetItemID(added), 7);
    EXPECT_EQ(added.pNode->m_data->m_nValue, -3);
}

TEST(ListBoxTest, AddItemAfterAnItemInsertsBehindIt) {
    struct Case {
        const char* name;
        int after;  // index, -1 for no item
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"after the first", 0, {"item0", "new", "item1", "item2"}},
        {"after a middle item", 1, {"item0", "item1", "new", "item2"}},
        {"after the last", 2, {"item0", "item1", "item2", "new"}},
        {"after no item", -1, {"item0", "item1", "item2", "new"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CListBox box;
        Fill(box, 3);
        const CListBox::Position after = c.after < 0 ? kNoItem : PositionOf(box, c.after);
        const CListBox::Position added = box.AddItem(after, "new", 1, 0);
        EXPECT_EQ(Texts(box), c.expected);
        EXPECT_EQ(IndexOf(box, added), (c.after < 0 ? 3 : c.after + 1));
    }
}

TEST(ListBoxTest, AddItemWithoutTextGivesAnEmptyText) {
    CListBox box;
    const CListBox::Position added = box.AddItem(kNoItem, nullptr, 5, 0);
    EXPECT_STREQ(box.GetItemText(added).GetText(), "");
    EXPECT_EQ(box.GetItemID(added), 5);
}

TEST(ListBoxTest, PositionsOfAnotherListAreTakenAsHoldingNoItem) {
    CListBox box;
    CListBox other;
    Fill(box, 2);
    const CListBox::Position foreign = other.AddItem(kNoItem, "item0", kFirstID, 0);

    const CListBox::Position added = box.AddItem(foreign, "new", 1, 0);
    EXPECT_EQ(Texts(box), (std::vector<std::string>{"item0", "item1", "new"}));
    EXPECT_EQ(Texts(other), (std::vector<std::string>{"item0"}));
    EXPECT_EQ(IndexOf(box, added), 2);
    EXPECT_EQ(box.GetItemID(foreign), 0);
    EXPECT_STREQ(box.GetItemText(foreign).GetText(), "");
    EXPECT_EQ(IndexOf(box, box.FindItemByText(foreign, "item0")), 0) << "searched from the first";
}

TEST(ListBoxTest, AnEmptyPositionHasIdZeroAndAnEmptyTextEvenAfterAWrite) {
    CListBox box;
    Fill(box, 1);
    EXPECT_EQ(box.GetItemID(kNoItem), 0);
    CDynString& text = box.GetItemText(kNoItem);
    EXPECT_STREQ(text.GetText(), "");
    text = "scribbled";
    EXPECT_STREQ(box.GetItemText(kNoItem).GetText(), "");
    EXPECT_EQ(Texts(box), (std::vector<std::string>{"item0"})) << "no item changed";
}

TEST(ListBoxTest, FindItemByTextIsExactAndStartsAtTheGivenItem) {
    struct Case {
        const char* name;
        int start;  // index, -1 for no item
        const char* text;
        int expected;  // index, -1 for none
    };
    // 0 "lab", 1 "Lab", 2 (no text), 3 "Lab", 4 "Lab 2"
    const Case cases[] = {
        {"exact case", -1, "Lab", 1},
        {"lower case is another text", -1, "lab", 0},
        {"from a later item", 2, "Lab", 3},
        {"the start item itself", 3, "Lab", 3},
        {"not before the start", 4, "lab", -1},
        {"no prefix match", -1, "La", -1},
        {"no trailing match", -1, "Lab 2 ", -1},
        {"the longer text", -1, "Lab 2", 4},
        {"an item without text never matches", -1, "", -1},
        {"no text to search", -1, nullptr, -1},
    };
    CListBox box;
    for (const char* text : {"lab", "Lab", "", "Lab", "Lab 2"})
        box.AddItem(kNoItem, text, 0, 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CListBox::Position start = c.start < 0 ? kNoItem : PositionOf(box, c.start);
        const CListBox::Position found = box.FindItemByText(start, c.text);
        EXPECT_EQ(IndexOf(box, found), c.expected);
        if (c.expected < 0) {
            EXPECT_EQ(found.pList, nullptr);
        }
    }
}

TEST(ListBoxTest, FindItemByIdStartsAtTheGivenItem) {
    struct Case {
        const char* name;
        int start;
        intptr_t id;
        int expected;
    };
    // IDs: 0 -> 5, 1 -> 0, 2 -> 5, 3 -> -1
    const Case cases[] = {
        {"first of two", -1, 5, 0},
        {"from a later item", 1, 5, 2},
        {"an ID of zero", -1, 0, 1},
        {"negative", -1, -1, 3},
        {"absent", -1, 6, -1},
        {"not before the start", 3, 5, -1},
    };
    CListBox box;
    for (intptr_t id : {5, 0, 5, -1})
        box.AddItem(kNoItem, "x", id, 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CListBox::Position start = c.start < 0 ? kNoItem : PositionOf(box, c.start);
        EXPECT_EQ(IndexOf(box, box.FindItemByID(start, c.id)), c.expected);
    }
}

TEST(ListBoxTest, ARecordAddressKeptAsIdComesBackWhole) {
    struct LabRecord {
        int levelNumber;
        char name[16];
    };
    LabRecord records[2] = {{3, "Seesaw"}, {9, "Pendulum"}};
    CListBox box;
    for (LabRecord& record : records)
        box.AddItem(kNoItem, record.name, reinterpret_cast<intptr_t>(&record), record.levelNumber);

    const CListBox::Position found = box.FindItemByID(kNoItem, reinterpret_cast<intptr_t>(&records[1]));
    ASSERT_EQ(IndexOf(box, found), 1);
    auto* record = reinterpret_cast<LabRecord*>(box.GetItemID(found));
    ASSERT_EQ(record, &records[1]);
    EXPECT_EQ(record->levelNumber, 9);
    EXPECT_STREQ(record->name, "Pendulum");
}

// Selection

TEST(ListBoxTest, TheSelectedItemIsNoneUntilSelectFirst) {
    CListBox box;
    box.SelectFirst();
    EXPECT_EQ(box.GetSelectedItem(), nullptr) << "empty list";

    Fill(box, 3);
    EXPECT_EQ(box.GetSelectedItem(), nullptr) << "items but no selection";
    box.SelectFirst();
    ASSERT_NE(box.GetSelectedItem(), nullptr);
    EXPECT_STREQ(box.GetSelectedItem()->m_sText.GetText(), "item0");

    box.m_Selection = PositionOf(box, 2);
    EXPECT_EQ(box.GetSelectedItem()->m_nID, kFirstID + 2);
}

TEST(ListBoxTest, ClearEmptiesTheListResetsSelectionAndTopAndKeepsTheBoxUsable) {
    CListBox box;
    SetScreenHeight(box, 0.0f, 100.0f);
    Fill(box, 70);
    box.m_Selection = PositionOf(box, 40);
    box.EnsureSelectionVisible();
    ASSERT_GT(box.m_nTopIndex, 0);

    box.Clear();
    EXPECT_TRUE(Texts(box).empty());
    EXPECT_EQ(box.m_nTopIndex, 0);
    EXPECT_EQ(box.GetSelectedItem(), nullptr);
    EXPECT_EQ(box.m_Selection.pNode, nullptr);
    EXPECT_EQ(box.Scroll(0), 0);

    Fill(box, 2);
    box.SelectFirst();
    EXPECT_EQ(Texts(box), (std::vector<std::string>{"item0", "item1"}));
    EXPECT_STREQ(box.GetSelectedItem()->m_sText.GetText(), "item0");
}

// Scrolling and the row geometry

TEST(ListBoxTest, ScrollWithTenItemsInAHundredPixelsStopsWithSixWholeRowsShown) {
    CListBox box;
    SetScreenHeight(box, 0.0f, 100.0f);
    Fill(box, 10);
    for (int top = 1; top <= 4; ++top) {
        EXPECT_EQ(box.Scroll(1), 1);
        EXPECT_EQ(box.m_nTopIndex, top);
    }
    EXPECT_EQ(box.Scroll(1), 0);
    EXPECT_EQ(box.m_nTopIndex, 4);
    for (int top = 3; top >= 0; --top) {
        EXPECT_EQ(box.Scroll(0), 1);
        EXPECT_EQ(box.m_nTopIndex, top);
    }
    EXPECT_EQ(box.Scroll(0), 0);
    EXPECT_EQ(box.m_nTopIndex, 0);
}

TEST(ListBoxTest, ScrollStopsWhereTheWholeRowsShowTheLastItems) {
    struct Case {
        const char* name;
        int items;
        float top;
        float bottom;
        int rowHeight;
        int lastTop;
    };
    const Case cases[] = {
        {"height a multiple of the row", 10, 0.0f, 96.0f, 16, 4},
        {"fractional edges truncated", 10, 0.9f, 96.9f, 16, 4},
        {"one pixel short of six rows", 10, 0.0f, 95.0f, 16, 5},
        {"fewer items than rows", 3, 0.0f, 100.0f, 16, 0},
        {"no items", 0, 0.0f, 100.0f, 16, 0},
        {"lower than one row: the last item on top", 10, 0.0f, 10.0f, 16, 9},
        {"bottom above top", 10, 100.0f, 0.0f, 16, 9},
        {"row height 0 counts as 1", 10, 0.0f, 5.0f, 0, 5},
        {"negative row height counts as 1", 10, 0.0f, 5.0f, -16, 5},
        {"huge row height", 10, 0.0f, 100.0f, INT_MAX, 9},
        {"NaN rectangle", 10, kNaN, kNaN, 16, 9},
        {"infinite rectangle", 10, -kInfinity, kInfinity, 1, 0},
        {"huge rectangle", 10, -3e38f, 3e38f, 16, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CListBox box;
        SetScreenHeight(box, c.top, c.bottom);
        box.m_nRowHeight = c.rowHeight;
        Fill(box, c.items);
        EXPECT_EQ(ScrollToTheEnd(box), c.lastTop);
    }
}

TEST(ListBoxTest, EnsureSelectionVisibleBringsTheSelectionIntoTheWholeRows) {
    struct Case {
        const char* name;
        float bottom;  // the top is at 20.0
        int top;
        int selected;  // index, -1 for none
        int expectedTop;
    };
    // Rows of 16 pixels from y 20: 96 pixels hold six whole rows, 100 pixels six and a cut one.
    const Case cases[] = {
        {"no selection", 116.0f, 5, -1, 5},
        {"above the top row", 116.0f, 5, 2, 2},
        {"the top row", 116.0f, 5, 5, 5},
        {"the last whole row", 116.0f, 5, 10, 5},
        {"one below the rows", 116.0f, 5, 11, 6},
        {"far below the rows", 116.0f, 5, 19, 14},
        {"uneven: the last whole row", 120.0f, 0, 5, 0},
        {"uneven: the cut row", 120.0f, 0, 6, 1},
        {"uneven: far below", 120.0f, 0, 19, 14},
        {"uneven: above", 120.0f, 8, 0, 0},
        {"lower than one row", 30.0f, 0, 3, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CListBox box;
        SetScreenHeight(box, 20.0f, c.bottom);
        Fill(box, 20);
        box.m_nTopIndex = c.top;
        if (c.selected >= 0)
            box.m_Selection = PositionOf(box, c.selected);
        box.EnsureSelectionVisible();
        EXPECT_EQ(box.m_nTopIndex, c.expectedTop);

        // Wherever a whole row fits, the selected row now is one of the whole rows.
        if (c.selected >= 0 && c.bottom - 20.0f >= box.m_nRowHeight) {
            const int rowTop = 20 + (c.selected - box.m_nTopIndex) * box.m_nRowHeight;
            EXPECT_GE(rowTop, 20);
            EXPECT_LE(rowTop + box.m_nRowHeight, static_cast<int>(c.bottom));
        }
    }
}

TEST(ListBoxTest, EnsureSelectionVisibleIgnoresASelectionOfAnotherList) {
    CListBox box;
    CListBox other;
    SetScreenHeight(box, 0.0f, 96.0f);
    Fill(box, 20);
    Fill(other, 20);
    box.m_nTopIndex = 3;
    box.m_Selection = PositionOf(other, 15);
    box.EnsureSelectionVisible();
    EXPECT_EQ(box.m_nTopIndex, 3);
    EXPECT_EQ(box.GetSelectedItem(), nullptr);
}

}  // namespace
