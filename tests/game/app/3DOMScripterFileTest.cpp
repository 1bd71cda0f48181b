// Script files: a plain element script and its enciphered copy build the same world, a file
// that cannot be read builds nothing, and a saved level reads back.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "engine/core/ScriptCipher.h"
#include "game/app/3DOMObject.h"
#include "game/app/3DOMTree.h"
#include "game/app/ScriptKey.h"
#include "tests/game/app/ScripterFixture.h"
#include "tests/support/TempDir.h"

namespace {

// An enciphered copy of the bytes, as the game ships its scripts.
void WriteEnciphered(const std::string& path, const std::vector<unsigned char>& plain, const char* key,
                     int keyLength) {
    FILE* file = fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    CScriptCipher cipher;
    EXPECT_EQ(cipher.EncipherAndWrite(plain.data(), static_cast<int>(plain.size()), key, keyLength, file),
              static_cast<int>(plain.size()) + keyLength);
    fclose(file);
}

class ScripterFileTest : public ScripterTest {
protected:
    // Both trees, to compare the worlds two loads built.
    std::string DescribeWorld() const {
        return DescribeTree(m_pWorld->m_pTemplateTree) + "--\n" + DescribeTree(m_pWorld->m_pInstanceTree);
    }

    int Load(const std::string& path) {
        return Scripter().LoadScript(nullptr, path.c_str(), kScriptKey, kScriptKeyLength);
    }
};

TEST_F(ScripterFileTest, PlainScriptAndItsEncipheredCopyBuildTheSameWorld) {
    const std::string plainPath = ScriptFixturePath("elements.fsc");
    const std::vector<unsigned char> plain = ReadBytes(plainPath);
    ASSERT_FALSE(plain.empty());
    const int size = static_cast<int>(plain.size());

    // The base's result: the bytes of the text.
    ASSERT_EQ(Load(plainPath), size);
    const std::string world = DescribeWorld();
    ASSERT_NE(Instance("Level"), nullptr);
    EXPECT_EQ(Scripter().m_bTemplateMode, 0);

    const std::string enciphered = m_Dir.File("elements.enc");
    WriteEnciphered(enciphered, plain, kScriptKey, kScriptKeyLength);
    ASSERT_NE(ReadBytes(enciphered), plain);
    MakeWorld();
    ASSERT_EQ(Load(enciphered), size);
    EXPECT_EQ(DescribeWorld(), world);

    // Under a parent, the definitions become its children.
    MakeWorld();
    M3DOMObject* holder = AddNode("Holder");
    ASSERT_EQ(Scripter().LoadScript(holder, enciphered.c_str(), kScriptKey, kScriptKeyLength), size);
    ASSERT_EQ(holder->m_pList->m_nCount, 1u);
    EXPECT_STREQ(holder->GetChild(0)->m_szName, "Level");
    EXPECT_EQ(holder->GetChild(0)->m_pParent, holder);
}

TEST_F(ScripterFileTest, FileThatCannotBeReadBuildsNothing) {
    const std::vector<unsigned char> plain = ReadBytes(ScriptFixturePath("elements.fsc"));
    ASSERT_FALSE(plain.empty());
    const char kOtherKey[] = "another key of twenty";
    struct Case {
        const char* name;
        std::function<std::string()> make;
    };
    const Case cases[] = {
        {"missing", [&] { return m_Dir.File("missing.fsc"); }},
        {"a folder", [&] { return m_Dir.Path(); }},
        {"empty",
         [&] {
             const std::string path = m_Dir.File("empty.fsc");
             WriteText(path, "");
             return path;
         }},
        {"enciphered with another key",
         [&] {
             const std::string path = m_Dir.File("other.enc");
             WriteEnciphered(path, plain, kOtherKey, 20);
             return path;
         }},
        {"shorter than the key",
         [&] {
             const std::string path = m_Dir.File("short.enc");
             WriteText(path, "0123456789");
             return path;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MakeWorld();
        EXPECT_EQ(Load(c.make()), 0);
        EXPECT_EQ(WorldSize(), 0);
        EXPECT_EQ(Scripter().GetText(), nullptr);
    }
    EXPECT_EQ(Scripter().LoadScript(nullptr, nullptr, kScriptKey, kScriptKeyLength), 0);
    EXPECT_EQ(WorldSize(), 0);
    EXPECT_EQ(TakeQuitRequest(), -1);
}

TEST_F(ScripterFileTest, SavedLevelReadsBackWithItsTemplates) {
    ASSERT_GT(Load(ScriptFixturePath("elements.fsc")), 0);
    const M3DOMObject* level = Instance("Level");
    ASSERT_NE(level, nullptr);
    const std::string world = DescribeTree(m_pWorld->m_pInstanceTree);
    const std::string written = Write(level);

    const std::string path = m_Dir.File("level.fsc");
    ASSERT_EQ(Scripter().SaveScript(level, path.c_str()), static_cast<int>(written.size()));
    const std::string saved = ReadText(path);
    EXPECT_EQ(saved, written);
    EXPECT_EQ(m_Dir.Names(), std::vector<std::string>({"level.fsc", "scripter.log"}));

    // Read back as lab data is, re-using what each clone brings: the same level again. The
    // count takes the re-used nodes too: Level, Wheel, Hub, Crane, and twice Arm, Wheel, Hub.
    m_pWorld->m_pInstanceTree->DeleteAll();
    ASSERT_EQ(Read(saved, nullptr, 0), 10);
    EXPECT_EQ(DescribeTree(m_pWorld->m_pInstanceTree), world);
    EXPECT_EQ(Write(Instance("Level")), saved);
}

}  // namespace
