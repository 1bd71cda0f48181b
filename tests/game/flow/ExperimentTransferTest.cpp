// One experiment exported from a lab and imported into another: the selected experiment
// written with the player's header, a same-named one replaced in its place, the lab saved and
// its list refilled; an export of another format version refused with nothing changed; a
// picked file name used as it is; a wide lab's experiment converted to a narrow lab's width.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "game/app/ExperimentBody.h"
#include "game/app/ScriptKey.h"
#include "tests/game/flow/LabFixture.h"
#include "tests/game/flow/PlayerHeader.h"

namespace {

class ExperimentTransferTest : public LabTest {
protected:
    void SetUp() override {
        LabTest::SetUp();
        std::filesystem::create_directories(m_root.File("exports"));
    }

    // Exports the named experiment of the lab in memory.
    int Export(const char* experiment, const char* name) const {
        SelectExperiment(Lab().FindRecord(experiment, nullptr));
        return Controller().ExportExperiment(name, kScriptKey);
    }
    // The lab in memory becomes another with these experiments, in the width given.
    void SwitchLab(const std::vector<TestExperiment>& experiments, bool wide = false) const {
        Lab().Clear();
        Lab().m_bWide = wide ? 1 : 0;
        FillLab(experiments);
        ClearMessages();
    }
};

TEST_F(ExperimentTransferTest, ExportsTheSelectedExperimentAndImportsItInPlaceOfTheSameNamedOne) {
    FillLab({{"Lever", BodyParts(u"Lift it")}, {"Seesaw", BodyParts(u"Tip it", 45)}});
    EXPECT_EQ(Export("Seesaw", "exports/seesaw"), 1);
    EXPECT_EQ(Messages(), (std::vector<std::string>{std::string("'Seesaw' ") + lab_texts::kExported}));
    EXPECT_TRUE(FileExists(m_root.File("exports/seesaw.zqe")));

    SwitchLab({{"Seesaw", BodyParts(u"Old text")}, {"Pulley", BodyParts(u"Pull it")}});
    Lab().m_pCurrent = Lab().GetRecord(1);
    EXPECT_EQ(Controller().ImportExperiment("exports/seesaw", kScriptKey), 1);
    EXPECT_EQ(Messages(), (std::vector<std::string>{std::string("'Seesaw' ") + lab_texts::kImported}));
    EXPECT_EQ(NamesOf(Lab()), (std::vector<std::string>{"Seesaw", "Pulley"}));
    EXPECT_EQ(DescriptionOf(Lab().GetRecord(0)), "Tip it");
    EXPECT_EQ(Lab().m_pCurrent, nullptr);
    EXPECT_EQ(memcmp(Controller().m_szLabHeader, Controller().m_szPlayerHeader, RODAGame::kHeaderSize), 0);
    EXPECT_EQ(ItemTexts(ExperimentList()), (std::vector<std::string>{"1. Seesaw", "2. Pulley"}));

    // Saved as the editor's lab.
    CWorldContent saved;
    SetLabPlace(&saved);
    PlayerHeader header{};
    ASSERT_GT(saved.Load("sandbox", header.data(), RODAGame::kHeaderSize, kScriptKey), 0);
    EXPECT_EQ(header, HeaderOf(Controller()));
    EXPECT_EQ(NamesOf(saved), NamesOf(Lab()));
    EXPECT_EQ(DataOf(saved.GetRecord(0)), DataOf(Lab().GetRecord(0)));
}

TEST_F(ExperimentTransferTest, AnExperimentOfANewNameIsAddedAtTheEnd) {
    FillLab({{"Lever", BodyParts(u"Lift it")}});
    ASSERT_EQ(Export("Lever", "exports/lever"), 1);
    SwitchLab({{"Pulley", BodyParts(u"Pull it")}});
    EXPECT_EQ(Controller().ImportExperiment("exports/lever", kScriptKey), 1);
    EXPECT_EQ(NamesOf(Lab()), (std::vector<std::string>{"Pulley", "Lever"}));
}

TEST_F(ExperimentTransferTest, AnExportOfTheOlderVersionIsRefusedAndItsNamesakeStaysIntact) {
    CWorldContent older;
    AddExperiments(&older, {{"Seesaw", BodyParts(u"Older text")}});
    const CLabHeader header = LabHeader("USER", "0.02sp");
    ASSERT_GT(older.ExportRecord("exports/older.zqe", older.GetRecord(0), &header, sizeof header, kScriptKey), 0);

    FillLab({{"Lever", BodyParts(u"Lift it")}, {"Seesaw", BodyParts(u"Tip it")}});
    const std::vector<uint8_t> before = DataOf(Lab().GetRecord(1));
    EXPECT_EQ(Controller().ImportExperiment("exports/older", kScriptKey), 0);
    EXPECT_EQ(Messages(), (std::vector<std::string>{"Laboratory 'Seesaw' has wrong format: \"0.02sp\" !!!",
                                                    std::string("'exports/older' ") + lab_texts::kImportFailed}));
    EXPECT_EQ(NamesOf(Lab()), (std::vector<std::string>{"Lever", "Seesaw"}));
    EXPECT_EQ(DataOf(Lab().GetRecord(1)), before);
    EXPECT_EQ(Lab().m_pCurrent, nullptr);
    EXPECT_FALSE(FileExists(LabPath("sandbox")));
}

TEST_F(ExperimentTransferTest, AnUnreadableFileIsNotImported) {
    FillLab({{"Lever", BodyParts(u"Lift it")}});
    WriteText(m_root.File("exports/broken.zqe"), "no experiment");
    for (const char* name : {"exports/missing", "exports/broken"}) {
        EXPECT_EQ(Controller().ImportExperiment(name, kScriptKey), 0) << name;
        EXPECT_EQ(LastMessage(), "'" + std::string(name) + "' " + lab_texts::kImportFailed);
    }
    EXPECT_EQ(NamesOf(Lab()), (std::vector<std::string>{"Lever"}));
}

TEST_F(ExperimentTransferTest, APickedFileKeepsItsSuffixWhateverItsCase) {
    FillLab({{"Lever", BodyParts(u"Lift it")}});
    EXPECT_EQ(Export("Lever", "exports/Picked.ZQE"), 1);
    EXPECT_TRUE(FileExists(m_root.File("exports/Picked.ZQE")));
    EXPECT_FALSE(FileExists(m_root.File("exports/Picked.ZQE.zqe")));
    SwitchLab({});
    EXPECT_EQ(Controller().ImportExperiment("exports/Picked.ZQE", kScriptKey), 1);
    EXPECT_EQ(NamesOf(Lab()), (std::vector<std::string>{"Lever"}));
}

TEST_F(ExperimentTransferTest, WithoutASelectionNothingIsExportedAndAFailedWriteIsReported) {
    FillLab({{"Lever", BodyParts(u"Lift it")}});
    Controller().FillExperimentList();
    EXPECT_EQ(Controller().ExportExperiment("exports/none", kScriptKey), 0);
    EXPECT_TRUE(Messages().empty());
    EXPECT_FALSE(FileExists(m_root.File("exports/none.zqe")));
    EXPECT_EQ(Export("Lever", "missing/lever"), 0);
    EXPECT_EQ(Messages(), (std::vector<std::string>{std::string("'Lever' ") + lab_texts::kExportFailed}));
}

TEST_F(ExperimentTransferTest, TheExperimentListNamesEachRecordByNumberWithTheRecordAsID) {
    FillLab({{"Lever", BodyParts(u"Lift it")}, {"Mein Versuch", BodyParts(u"")}});
    Controller().FillExperimentList();
    Controller().FillExperimentList();
    EXPECT_EQ(ItemTexts(ExperimentList()), (std::vector<std::string>{"1. Lever", "2. Mein Versuch"}));
    const CItemList::Node* node = ExperimentList()->m_pItems->m_pHead;
    EXPECT_EQ(node->m_data->m_nID, reinterpret_cast<intptr_t>(Lab().GetRecord(0)));
    EXPECT_EQ(node->m_pNext->m_data->m_nID, reinterpret_cast<intptr_t>(Lab().GetRecord(1)));
}

class ImportWidth : public ExperimentTransferTest, public ::testing::WithParamInterface<WidthCase> {};

// The body's other fields come over unchanged; the description, with bytes above 0x7F, is
// rewritten in the importing lab's width.
TEST_P(ImportWidth, TheDescriptionTakesTheImportingLabsWidth) {
    const WidthCase& param = GetParam();
    const std::u16string description = u"Gr\u00FC\u00DFe \u00E4";
    SwitchLab({{"Umlaut", BodyParts(description, 77, param.fromWide)}}, param.fromWide);
    ASSERT_EQ(Export("Umlaut", "exports/umlaut"), 1);
    ExperimentBodyParts expected = BodyParts(description, 77, param.toWide);

    SwitchLab({}, param.toWide);
    ASSERT_EQ(Controller().ImportExperiment("exports/umlaut", kScriptKey), 1);
    const CWorldContentRecord* record = Lab().GetRecord(0);
    EXPECT_EQ(record->m_bWide, param.toWide ? 1 : 0);
    EXPECT_EQ(DataOf(record), BuildExperimentBody(expected).bytes);
    EXPECT_EQ(DescriptionOf(record), "Gr\xFC\xDF" "e \xE4");
}

INSTANTIATE_TEST_SUITE_P(Widths, ImportWidth, ::testing::ValuesIn(kWidthCases));

}  // namespace
