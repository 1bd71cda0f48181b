// The lab list of both lab choosers, filled from the lab files found in any case with the
// built-in lab hidden from the editor's, and the lab chosen in the settings selected; the
// deletion of a lab answered yes, with the game's lab falling back to the built-in one; the
// answer ignored while the career lab is played, and codes the controller does not know set
// back.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "game/ui/DlgLabChoose.h"
#include "tests/game/flow/LabFixture.h"

namespace {

class LabListTest : public LabTest {
protected:
    void WriteLabFiles(const std::vector<std::string>& files) const {
        for (const std::string& file : files)
            WriteText(m_root.File("data/labs/" + file), "lab");
    }
    static std::string Selected(const CListBox* list) {
        const CListItem* item = list->GetSelectedItem();
        return item ? item->m_sText.GetText() : "<none>";
    }
    void AskToDelete(const char* lab) const {
        strcpy(Controller().m_szLabToDelete, lab);
        Controller().m_nQuestionCode = RODAGame::kDeleteLabQuestion;
    }
};

TEST_F(LabListTest, ListsTheLabFilesInAnyCaseCutAtTheirFirstDotAndHidesTheBuiltInLabFromTheEditor) {
    WriteLabFiles({"Sandbox.zql", "alpha.ZQL", "TOLP.zql", "Mein Labor.zql", "lab.v2.zql", "notes.txt", "zql"});
    std::filesystem::create_directories(m_root.File("data/labs/folder.zql"));

    Controller().ListLabs(1);
    EXPECT_EQ(ItemTexts(LabList(true)), (std::vector<std::string>{"alpha", "lab", "Mein Labor", "Sandbox"}));
    // "sandbox" in the settings: the file is found without regard to case, and so is the item.
    EXPECT_EQ(Selected(LabList(true)), "Sandbox");

    Controller().ListLabs(0);
    EXPECT_EQ(ItemTexts(LabList(false)), (std::vector<std::string>{"alpha", "lab", "Mein Labor", "Sandbox", "TOLP"}));
    EXPECT_EQ(Selected(LabList(false)), "TOLP");
}

TEST_F(LabListTest, SelectsTheExactNameFirstAndNothingForAnUnlistedOne) {
    WriteLabFiles({"Mein Labor.zql", "MEIN LABOR.zql", "other.zql"});
    strcpy(m_game->m_szLabNameEditor, "MEIN LABOR");
    Controller().ListLabs(1);
    EXPECT_EQ(Selected(LabList(true)), "MEIN LABOR");
    strcpy(m_game->m_szLabNameEditor, "gone");
    Controller().ListLabs(1);
    EXPECT_EQ(Selected(LabList(true)), "<none>");
    EXPECT_EQ(ItemTexts(LabList(true)).size(), 3u);
}

TEST_F(LabListTest, ADialogWithoutItsListIsLeftAlone) {
    WriteLabFiles({"alpha.zql"});
    m_game->m_pLabChooseEnhanced->DeleteChildren();
    Controller().ListLabs(1);
    Controller().ListLabs(0);
    EXPECT_EQ(ItemTexts(LabList(false)), (std::vector<std::string>{"alpha"}));
}

struct DeletionCase {
    std::vector<std::string> files;
    const char* deleted;
    const char* gameLab;
    std::vector<std::string> left;
    const char* gameLabAfter;
};

void PrintTo(const DeletionCase& c, std::ostream* out) {
    *out << "delete " << c.deleted << ", game lab " << c.gameLab;
}

class LabDeletion : public LabListTest, public ::testing::WithParamInterface<DeletionCase> {};

TEST_P(LabDeletion, DeletesTheFileRefillsTheEditorsListAndFallsBackToTheBuiltInLab) {
    const DeletionCase& param = GetParam();
    WriteLabFiles(param.files);
    strcpy(m_game->m_szLabNameGame, param.gameLab);
    AskToDelete(param.deleted);
    Controller().OnQuestionAnswer(1);
    EXPECT_FALSE(FileExists(LabPath(param.deleted)));
    EXPECT_EQ(Messages(), (std::vector<std::string>{lab_texts::kLabDeleted}));
    EXPECT_EQ(ItemTexts(LabList(true)), param.left);
    EXPECT_STREQ(m_game->m_szLabNameGame, param.gameLabAfter);
    EXPECT_EQ(Controller().m_nQuestionCode, RODAGame::kDeleteLabQuestion);
}

INSTANTIATE_TEST_SUITE_P(
    Labs, LabDeletion,
    ::testing::Values(
        // Another lab is the game's: it stays.
        DeletionCase{{"alpha.zql", "Mein Labor.zql", "tolp.zql"}, "Mein Labor", "alpha", {"alpha"}, "alpha"},
        // The game's lab is deleted.
        DeletionCase{{"alpha.zql", "beta.zql", "tolp.zql"}, "alpha", "alpha", {"beta"}, lab_texts::kBuiltInLab},
        // No own lab is left.
        DeletionCase{{"beta.zql", "tolp.zql"}, "beta", "gamma", {}, lab_texts::kBuiltInLab}));

TEST_F(LabListTest, TheAnswerDoesNothingInTheCareerOrWhenNo) {
    WriteLabFiles({"alpha.zql"});
    AskToDelete("alpha");
    Controller().GameMode = 1;
    Controller().OnQuestionAnswer(1);
    Controller().GameMode = 0;
    Controller().OnQuestionAnswer(0);
    EXPECT_TRUE(FileExists(LabPath("alpha")));
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(Controller().m_nQuestionCode, RODAGame::kDeleteLabQuestion);
}

struct CodeCase {
    int32_t code;
    int32_t afterYes;
};

void PrintTo(const CodeCase& c, std::ostream* out) {
    *out << "code " << c.code;
}

class QuestionCode : public LabListTest, public ::testing::WithParamInterface<CodeCase> {};

TEST_P(QuestionCode, AYesSetsBackTheCodesNoActionAnswers) {
    const CodeCase& param = GetParam();
    Controller().m_nQuestionCode = param.code;
    Controller().OnQuestionAnswer(0);
    EXPECT_EQ(Controller().m_nQuestionCode, param.code);
    Controller().OnQuestionAnswer(1);
    EXPECT_EQ(Controller().m_nQuestionCode, param.afterYes);
    EXPECT_TRUE(Messages().empty());
}

INSTANTIATE_TEST_SUITE_P(Codes, QuestionCode,
                         ::testing::Values(CodeCase{0, 0}, CodeCase{1, 1}, CodeCase{2, 2}, CodeCase{3, 3},
                                           CodeCase{4, 4}, CodeCase{5, 5}, CodeCase{6, 0}, CodeCase{7, 7},
                                           CodeCase{8, 0}, CodeCase{9, 9}, CodeCase{10, 10}, CodeCase{11, 11},
                                           CodeCase{12, 0}, CodeCase{14, 0}, CodeCase{-1, 0}));

}  // namespace
