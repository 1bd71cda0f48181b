#include "game/ui/MessageList.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

// What the game's controller sets up: ten messages of five seconds each.
constexpr int kMaxCount = 10;
constexpr float kDuration = 5.0f;

// The texts from the oldest; fails the test when the backward links or the count disagree.
std::vector<std::string> Texts(const CMessageList& list) {
    std::vector<std::string> forward;
    for (auto* node = list.m_Messages.m_pHead; node; node = node->m_pNext)
        forward.push_back(static_cast<CMessage*>(node->m_data)->m_sText.GetText());
    std::vector<std::string> backward;
    for (auto* node = list.m_Messages.m_pTail; node; node = node->m_pPrev)
        backward.insert(backward.begin(), static_cast<CMessage*>(node->m_data)->m_sText.GetText());
    EXPECT_EQ(forward, backward) << "the list's links disagree";
    EXPECT_EQ(list.m_Messages.m_nCount, static_cast<int32_t>(forward.size()));
    return forward;
}

class MessageListTest : public ::testing::Test {
protected:
    double now = 1000.0;
    CMessageList list{kMaxCount, kDuration, &now};
};

TEST_F(MessageListTest, NoRepeatRefusesOnlyTheSameTextAsTheNewest) {
    struct Case {
        const char* name;
        std::vector<std::pair<const char*, int>> added;  // text, noRepeat
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases = {
        {"twice in a row", {{"lab_saved", 1}, {"lab_saved", 1}}, {"lab_saved"}},
        {"another between", {{"lab_saved", 1}, {"lab_deleted", 1}, {"lab_saved", 1}},
         {"lab_saved", "lab_deleted", "lab_saved"}},
        {"repeats allowed", {{"lab_saved", 0}, {"lab_saved", 0}}, {"lab_saved", "lab_saved"}},
        {"only the second asks", {{"lab_saved", 0}, {"lab_saved", 1}}, {"lab_saved"}},
        {"case counts", {{"Saved", 1}, {"saved", 1}}, {"Saved", "saved"}},
        {"no text is the empty text", {{nullptr, 1}, {"", 1}}, {""}},
        {"into an empty list", {{"first", 1}}, {"first"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CMessageList messages(kMaxCount, kDuration, &now);
        for (const auto& [text, noRepeat] : c.added) {
            const size_t before = Texts(messages).size();
            CMessage* added = messages.Add(text, noRepeat);
            const bool kept = Texts(messages).size() > before;
            EXPECT_EQ(added != nullptr, kept);
            if (added) {
                EXPECT_EQ(added, messages.m_Messages.m_pTail->m_data) << "the newest";
            }
        }
        EXPECT_EQ(Texts(messages), c.expected);
    }
}

TEST_F(MessageListTest, AddKeepsACopyStampedWithTheClock) {
    char text[] = "lab_saved";
    now = 12.25;
    const CMessage* added = list.Add(text, 0);
    strcpy(text, "overwrite");
    ASSERT_NE(added, nullptr);
    EXPECT_STREQ(added->m_sText.GetText(), "lab_saved");
    EXPECT_EQ(added->m_fTime, 12.25);
}

TEST_F(MessageListTest, WithoutAClockTheTimeIsZero) {
    CMessageList unclocked(kMaxCount, kDuration, nullptr);
    const CMessage* added = unclocked.Add("hello", 0);
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->m_fTime, 0.0);
    unclocked.Update();
    EXPECT_EQ(Texts(unclocked).size(), 1u) << "time stands still at 0";
}

TEST_F(MessageListTest, AnEleventhMessagePushesOutTheOldestOfTen) {
    std::vector<std::string> expected;
    for (int i = 1; i <= kMaxCount + 1; ++i) {
        const std::string text = "message " + std::to_string(i);
        list.Add(text.c_str(), 1);
        if (i > 1)
            expected.push_back(text);
    }
    EXPECT_EQ(Texts(list), expected);
}

TEST_F(MessageListTest, ALoweredMaximumTakesEffectAtTheNextAdd) {
    for (const char* text : {"a", "b", "c", "d"})
        list.Add(text, 0);
    list.m_nMaxCount = 2;
    list.Add("e", 0);
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"d", "e"}));
}

TEST_F(MessageListTest, AMaximumBelowOneKeepsNothing) {
    for (int maxCount : {0, -1, -2147483647 - 1}) {
        SCOPED_TRACE(maxCount);
        CMessageList none(maxCount, kDuration, &now);
        EXPECT_EQ(none.Add("lab_saved", 0), nullptr);
        EXPECT_EQ(none.Add("lab_saved", 1), nullptr);
        none.Update();
        EXPECT_TRUE(Texts(none).empty());
    }
}

TEST_F(MessageListTest, FiveAddedInOneFrameExpireOnePerUpdateOnceTheirTimeIsUp) {
    for (const char* text : {"a", "b", "c", "d", "e"})
        list.Add(text, 0);
    const double added = now;

    now = added + kDuration - 0.01;
    list.Update();
    EXPECT_EQ(Texts(list).size(), 5u) << "not yet";

    now = added + kDuration;
    const std::vector<std::vector<std::string>> afterEachFrame = {
        {"b", "c", "d", "e"}, {"c", "d", "e"}, {"d", "e"}, {"e"}, {},
    };
    for (const auto& expected : afterEachFrame) {
        list.Update();
        EXPECT_EQ(Texts(list), expected);
    }
    list.Update();
    EXPECT_TRUE(Texts(list).empty()) << "an empty list stays empty";
}

TEST_F(MessageListTest, EachMessageExpiresByItsOwnTime) {
    list.Add("old", 0);
    now += 3.0;
    list.Add("new", 0);
    now += 2.5;
    list.Update();
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"new"}));
    list.Update();
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"new"})) << "shown 2.5 s only";
    now += 2.5;
    list.Update();
    EXPECT_TRUE(Texts(list).empty());
}

TEST_F(MessageListTest, ClearRemovesEveryMessageAndTheListGoesOn) {
    for (int i = 0; i < 25; ++i)  // more than one block of nodes
        list.Add(std::to_string(i).c_str(), 0);
    list.Clear();
    EXPECT_TRUE(Texts(list).empty());
    list.Clear();
    list.Add("after", 1);
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"after"}));
}

TEST_F(MessageListTest, DestructionFreesTheMessagesStillShown) {
    // Leaks show under the sanitizer build.
    auto* messages = new CMessageList(kMaxCount, kDuration, &now);
    for (int i = 0; i < 30; ++i)
        messages->Add(std::to_string(i).c_str(), 0);
    delete messages;
}

}  // namespace
