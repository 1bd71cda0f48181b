// make_lab run as a user runs it, on a small game root of test templates with tool-made
// models: a lab of several experiments with links and targets goes into a lab file the game's
// container reads, and comes back as the same text; its link entries stand at both ends; the
// shipped labs carry their headers.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "game/app/ExperimentBody.h"
#include "game/app/ScriptKey.h"
#include "game/app/WorldContent.h"
#include "game/app/WorldContentRecord.h"
#include "tests/support/LabFiles.h"
#include "tests/support/TempDir.h"
#include "tests/support/ToolRun.h"
#include "tests/tools/lab/LabFixtureRoot.h"
#include "tests/tools/lab/LabTexts.h"

namespace {

// A header field up to its zero.
template <size_t N>
std::string Field(const char (&field)[N]) {
    return std::string(field, strnlen(field, N));
}

class MakeLabTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(WriteLabFixtureRoot(m_root.Path(), &error)) << error;
    }

    int Make(const std::string& text, const std::string& out) {
        WriteText(m_dir.File("lab.txt"), text);
        return RunProgram(MAKE_LAB, Quoted(m_root.Path()) + " " + Quoted(m_dir.File("lab.txt")) + " " + Quoted(out),
                          m_dir.File("messages"));
    }

    // The program's text of a lab file, or the messages when it fails.
    std::string Dump(const std::string& lab, int* status) {
        const std::string out = m_dir.File("dump");
        *status = ExitStatusOf(Quoted(MAKE_LAB) + " dump " + Quoted(m_root.Path()) + " " + Quoted(lab) + " >" +
                               Quoted(out) + " 2>" + Quoted(m_dir.File("messages")));
        const std::string text = *status == 0 ? ReadText(out) : ReadText(m_dir.File("messages"));
        std::remove(out.c_str());
        return text;
    }

    // Loads a lab file with the game's container under the key given: its byte count.
    int Load(const std::string& name, const char* key, CWorldContent* lab, CLabHeader* header) {
        SetLabPlace(lab, m_out.Path());
        return lab->Load(name.c_str(), header, sizeof *header, key);
    }

    TempDir m_root;
    TempDir m_dir;
    TempDir m_out;
};

TEST_F(MakeLabTest, ALabComesBackAsItsText) {
    const std::string lab = m_out.File("test.zql");
    ASSERT_EQ(Make(kLabText, lab), 0) << ReadText(m_dir.File("messages"));

    CWorldContent content;
    CLabHeader header;
    ASSERT_GT(Load("test", kScriptKey, &content, &header), 0);
    EXPECT_EQ(Field(header.szCreator), "TOLP");
    EXPECT_EQ(Field(header.szProgramVersion), "V1.00");
    EXPECT_EQ(Field(header.szFormatVersion), "0.03");
    EXPECT_EQ(header.nReserved, 0u);
    EXPECT_EQ(Field(content.m_szTitle), "The test lab");
    ASSERT_EQ(content.GetCount(), 3);
    const std::vector<std::pair<std::string, uint32_t>> records = {
        {"Gears", 1}, {"Sockets and levers", 0}, {"Nothing yet", 0}};
    for (int i = 0; i < content.GetCount(); ++i) {
        EXPECT_EQ(content.GetRecord(i)->m_szName, records[static_cast<size_t>(i)].first);
        EXPECT_EQ(content.GetRecord(i)->m_nType, records[static_cast<size_t>(i)].second);
    }

    int status = 0;
    EXPECT_EQ(Dump(lab, &status), kLabText);
    EXPECT_EQ(status, 0);

    // The same text gives the same bytes.
    const std::string again = m_out.File("again.zql");
    ASSERT_EQ(Make(kLabText, again), 0);
    EXPECT_EQ(ReadBytes(again), ReadBytes(lab));
}

TEST_F(MakeLabTest, LinkEntriesStandAtBothEnds) {
    ASSERT_EQ(Make(kLabText, m_out.File("test.zql")), 0) << ReadText(m_dir.File("messages"));
    CWorldContent content;
    CLabHeader header;
    ASSERT_GT(Load("test", kScriptKey, &content, &header), 0);
    // Links of the text per experiment.
    const uint32_t links[] = {2, 3, 0};
    ASSERT_EQ(content.GetCount(), 3);
    for (int i = 0; i < content.GetCount(); ++i) {
        SCOPED_TRACE(content.GetRecord(i)->m_szName);
        CExperimentBody body;
        ASSERT_TRUE(body.Read(content.GetRecord(i)->GetData(), content.GetRecord(i)->GetSize(), false));
        EXPECT_EQ(body.GetLinkCount(), 2 * links[i]);
        std::set<std::tuple<uint32_t, uint32_t, uint32_t, uint32_t>> entries;
        for (uint32_t e = 0; e < body.GetLinkCount(); ++e) {
            CExperimentLink link;
            ASSERT_TRUE(body.GetLink(e, &link));
            EXPECT_EQ(link.m_fValue, 0.0f);
            entries.emplace(link.m_nObjectID, link.m_nPoint, link.m_nPartnerObjectID, link.m_nPartnerPoint);
        }
        EXPECT_EQ(entries.size(), body.GetLinkCount()) << "no entry twice";
        for (const auto& [object, point, partner, partnerPoint] : entries)
            EXPECT_EQ(entries.count({partner, partnerPoint, object, point}), 1u);
    }
}

TEST_F(MakeLabTest, ALabOfAnotherKeyDoesNotLoad) {
    ASSERT_EQ(Make(kLabText, m_out.File("test.zql")), 0) << ReadText(m_dir.File("messages"));
    CWorldContent content;
    CLabHeader header;
    EXPECT_EQ(Load("test", "another key", &content, &header), 0);

    // Nor does the program read one.
    ASSERT_TRUE(WriteLabFile(m_out.Path(), "other", LabHeader("USER", "0.03"), {{"an experiment", {}}}, "another key"));
    int status = 0;
    const std::string messages = Dump(m_out.File("other.zql"), &status);
    EXPECT_EQ(status, 1);
    EXPECT_NE(messages.find(m_out.File("other.zql") + ": does not load with the script key"), std::string::npos)
        << messages;
}

TEST_F(MakeLabTest, BadLabTextsAreRefusedAtTheirLine) {
    const std::string text = m_dir.File("lab.txt");
    const std::string out = m_out.File("bad.zql");
    for (const CBadRecipe& bad : kBadLabTexts) {
        SCOPED_TRACE(bad.name);
        const int status = Make(bad.recipe, out);
        ExpectRefusal(status, m_dir.File("messages"), "make_lab: " + text + ":" + std::to_string(bad.line) + ": ",
                      bad.message);
        EXPECT_EQ(m_out.Names(), std::vector<std::string>{}) << "nothing written";
    }
}

TEST_F(MakeLabTest, AnUnreadableGameRootIsRefusedNamingTheFile) {
    const std::string messages = m_dir.File("messages");
    std::remove((m_root.Path() + "/" + labfixture::kGraphicsScript).c_str());
    ExpectRefusal(Make(kLabText, m_out.File("test.zql")), messages,
                  m_root.Path() + "/" + labfixture::kGraphicsScript + ": cannot be read", "");
    EXPECT_FALSE(FileExists(m_root.Path() + "/" + labfixture::kGraphicsScript)) << "the root is not written";

    const std::string missing = m_dir.File("no-root");
    WriteText(m_dir.File("lab.txt"), kLabText);
    EXPECT_EQ(RunProgram(MAKE_LAB, Quoted(missing) + " " + Quoted(m_dir.File("lab.txt")) + " " +
                                        Quoted(m_out.File("test.zql")),
                         messages),
              1);
    EXPECT_NE(ReadText(messages).find("cannot enter the game root " + missing), std::string::npos);
    EXPECT_EQ(Make(kLabText, m_out.File("no/such/folder/test.zql")), 1);
    EXPECT_EQ(m_out.Names(), std::vector<std::string>{});
}

TEST_F(MakeLabTest, ABadCommandLineGivesTwo) {
    WriteText(m_dir.File("lab.txt"), kLabText);
    const std::string root = Quoted(m_root.Path());
    const std::string text = Quoted(m_dir.File("lab.txt"));
    const std::string out = Quoted(m_out.File("test.zql"));
    for (const std::string& arguments :
         {std::string(""), root, root + " " + text, root + " " + text + " " + out + " extra", "'' " + text + " " + out,
          root + " '' " + out, root + " " + text + " ''", std::string("dump ") + root, "dump " + root + " ''"})
        EXPECT_EQ(RunProgram(MAKE_LAB, arguments), 2) << arguments;
    EXPECT_EQ(m_out.Names(), std::vector<std::string>{});
}

// The data set's labs: the career lab of the game's creator with one experiment, the editor's
// lab of the player's, empty.
TEST(ShippedLabs, CarryTheirCreatorsAndVersions) {
    const struct {
        const char* name;
        const char* creator;
        int experiments;
    } labs[] = {{"tolp", "TOLP", 1}, {"sandbox", "USER", 0}};
    for (const auto& expected : labs) {
        SCOPED_TRACE(expected.name);
        CWorldContent lab;
        SetLabPlace(&lab, std::string(BRENLOW_DATA_DIR "/") + kGameLabFolder);
        CLabHeader header;
        ASSERT_GT(lab.Load(expected.name, &header, sizeof header, kScriptKey), 0);
        const char creator[sizeof header.szCreator] = {};
        EXPECT_EQ(Field(header.szCreator), expected.creator);
        EXPECT_EQ(memcmp(header.szCreator + strlen(expected.creator), creator,
                         sizeof header.szCreator - strlen(expected.creator)),
                  0)
            << "zero-padded";
        EXPECT_EQ(Field(header.szProgramVersion), "V1.00");
        EXPECT_EQ(Field(header.szFormatVersion), "0.03");
        EXPECT_EQ(lab.GetCount(), expected.experiments);
    }
}

}  // namespace
