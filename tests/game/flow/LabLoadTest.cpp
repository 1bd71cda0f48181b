// Loading and saving the editor's and the game's lab: the versions accepted, the editor's lab
// written anew for any other, the game's lab only emptied, the creator tag's warning, the
// headers each save writes, and a missing text key shown as itself.
#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "game/app/ScriptKey.h"
#include "game/ui/MessageList.h"
#include "tests/game/flow/LabFixture.h"
#include "tests/game/flow/PlayerHeader.h"

namespace {

using LabLoadTest = LabTest;

const std::vector<TestExperiment> kTwoExperiments = {{"Lever", BodyParts(u"Lift it")},
                                                     {"Seesaw", BodyParts(u"Tip it")}};

// The header a lab file holds, read with a fresh container.
PlayerHeader HeaderInFile(const std::string& name, int* records) {
    CWorldContent lab;
    SetLabPlace(&lab);
    PlayerHeader header{};
    EXPECT_GT(lab.Load(name.c_str(), header.data(), static_cast<int>(header.size()), kScriptKey), 0) << name;
    *records = lab.GetCount();
    return header;
}

struct VersionCase {
    const char* version;
    bool accepted;
};

void PrintTo(const VersionCase& c, std::ostream* out) {
    *out << '"' << c.version << '"';
}

class EditorLabVersion : public LabLoadTest, public ::testing::WithParamInterface<VersionCase> {};

TEST_P(EditorLabVersion, LoadsTheAcceptedOnesAndWritesANewLabForAnyOther) {
    const VersionCase& param = GetParam();
    WriteLab("sandbox", LabHeader("USER", param.version), kTwoExperiments);
    EXPECT_EQ(Controller().LoadLab(), 1);
    if (param.accepted) {
        EXPECT_EQ(NamesOf(Lab()), (std::vector<std::string>{"Lever", "Seesaw"}));
        EXPECT_TRUE(Messages().empty());
        return;
    }
    // The version as read, a full field of ten characters included.
    const std::string shown(param.version, strnlen(param.version, 10));
    EXPECT_EQ(Messages(), (std::vector<std::string>{"Laboratory \"sandbox\" has wrong format: \"" + shown + "\" !!!",
                                                    lab_texts::kNewLab}));
    EXPECT_EQ(Lab().GetCount(), 0);
    int records = -1;
    EXPECT_EQ(HeaderInFile("sandbox", &records), HeaderOf(Controller()));
    EXPECT_EQ(records, 0);
}

INSTANTIATE_TEST_SUITE_P(Versions, EditorLabVersion,
                         ::testing::Values(VersionCase{"0.03", true}, VersionCase{"0.02sp", true},
                                           VersionCase{"0.02", false}, VersionCase{"0.03 ", false},
                                           VersionCase{"0.03456789AB", false}, VersionCase{"", false}));

TEST_F(LabLoadTest, AMissingLabIsReportedByItsNameWithSpaces) {
    strcpy(m_game->m_szLabNameEditor, "Mein Labor");
    EXPECT_EQ(Controller().LoadLab(), 0);
    EXPECT_EQ(Messages(), (std::vector<std::string>{std::string("'Mein Labor' ") + lab_texts::kCouldNotBeLoaded}));
    EXPECT_EQ(Controller().LoadGameLab(), 0);
    EXPECT_EQ(LastMessage(), std::string("'tolp' ") + lab_texts::kCouldNotBeLoaded);

    WriteLab("Mein Labor", LabHeader("USER", "0.03"), kTwoExperiments);
    EXPECT_EQ(Controller().LoadLab(), 1);
    EXPECT_EQ(Lab().GetCount(), 2);
}

struct CreatorCase {
    std::string creator;
    std::string player;
    bool warned;
};

void PrintTo(const CreatorCase& c, std::ostream* out) {
    *out << "creator " << c.creator << ", player " << c.player;
}

class CreatorTag : public LabLoadTest, public ::testing::WithParamInterface<CreatorCase> {};

TEST_P(CreatorTag, WarnsWhenTheLabCarriesTheTagAndThePlayerDoesNot) {
    const CreatorCase& param = GetParam();
    memset(Controller().m_szPlayerHeader, 0, RODAGame::kPlayerNameSize);
    memcpy(Controller().m_szPlayerHeader, param.player.data(), param.player.size());
    WriteLab("sandbox", LabHeader(param.creator, "0.03"), kTwoExperiments);
    EXPECT_EQ(Controller().LoadLab(), 1);
    EXPECT_EQ(Messages(), param.warned ? std::vector<std::string>{lab_texts::kForbidden} : std::vector<std::string>{});
    EXPECT_EQ(Lab().GetCount(), 2);
}

INSTANTIATE_TEST_SUITE_P(
    Creators, CreatorTag,
    ::testing::Values(CreatorCase{"TOLP", "USER", true}, CreatorCase{"the TOLP team", "Anna", true},
                      CreatorCase{"TOLP", "TOLP tester", false}, CreatorCase{"tolp", "USER", false},
                      CreatorCase{"USER", "USER", false},
                      // A full creator field, unterminated, with the tag in its last bytes.
                      CreatorCase{std::string(36, 'x') + "TOLP", "USER", true},
                      CreatorCase{std::string(38, 'x') + "TOLP", "USER", false}));

TEST_F(LabLoadTest, TheGameLabOfAnotherVersionIsOnlyEmptied) {
    WriteLab("tolp", LabHeader("TOLP", "0.01"), kTwoExperiments);
    const std::vector<unsigned char> before = LabBytes("tolp");
    FillLab(kTwoExperiments);
    EXPECT_EQ(Controller().LoadGameLab(), 0);
    EXPECT_EQ(Messages(), (std::vector<std::string>{"Laboratory 'tolp' has wrong format: \"0.01\" !!!"}));
    EXPECT_EQ(Lab().GetCount(), 0);
    EXPECT_EQ(LabBytes("tolp"), before);
    EXPECT_FALSE(FileExists(LabPath("sandbox")));
}

TEST_F(LabLoadTest, TheGameLabLoadsEitherAcceptedVersionWithoutTheTagWarning) {
    for (const char* version : {"0.03", "0.02sp"}) {
        WriteLab("tolp", LabHeader("TOLP", version), kTwoExperiments);
        EXPECT_EQ(Controller().LoadGameLab(), 1) << version;
        EXPECT_EQ(Lab().GetCount(), 2) << version;
    }
    EXPECT_TRUE(Messages().empty());
}

TEST_F(LabLoadTest, TheEditorLabIsSavedWithThePlayersHeaderAndTheGameLabWithTheOneRead) {
    const CLabHeader professors = LabHeader("TOLP", "0.02sp");
    WriteLab("tolp", professors, kTwoExperiments);
    ASSERT_EQ(Controller().LoadGameLab(), 1);
    EXPECT_GT(Controller().SaveLab(), 0);
    EXPECT_GT(Controller().SaveGameLab(), 0);
    int records = 0;
    EXPECT_EQ(HeaderInFile("sandbox", &records), HeaderOf(Controller()));
    EXPECT_EQ(records, 2);
    PlayerHeader expected{};
    memcpy(expected.data(), &professors, sizeof professors);
    EXPECT_EQ(HeaderInFile("tolp", &records), expected);
    EXPECT_EQ(records, 2);
}

TEST_F(LabLoadTest, AKeyMissingFromTheStringTableIsShownAsItself) {
    RODAGame bare(m_game.get());
    SetLabPlace(bare.m_pLab);
    bare.CreateMessageList();
    EXPECT_EQ(bare.LoadLab(), 0);
    const CPointerList::Node* newest = bare.m_pMessageList->m_Messages.m_pTail;
    ASSERT_NE(newest, nullptr);
    EXPECT_STREQ(static_cast<const CMessage*>(newest->m_data)->m_sText.GetText(), "'sandbox' could_not_be_load");
}

}  // namespace
