// The fixture of the controller's lab operations: a fresh game root with "data/labs/" as the
// working directory, an application object that is never started, holding the experiment
// choice dialog and both lab choosers with a plain list box as their list 3, the settings
// "LabNameEditor" "sandbox" and "LabNameGame" "tolp", and the controller with its lab's place,
// its message list and the string-table texts its messages use.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "engine/gui/ListBox.h"
#include "game/app/Game.h"
#include "game/app/WorldContent.h"
#include "game/app/WorldContentRecord.h"
#include "game/flow/RODAGame.h"
#include "tests/support/ExperimentBodyBuilder.h"
#include "tests/support/GameRoot.h"
#include "tests/support/LabFiles.h"

// The texts the fixture's string table gives the message keys.
namespace lab_texts {
inline constexpr char kCouldNotBeLoaded[] = "could not be loaded";
inline constexpr char kNewLab[] = "new lab made";
inline constexpr char kForbidden[] = "may not be changed";
inline constexpr char kExported[] = "exported";
inline constexpr char kExportFailed[] = "not exported";
inline constexpr char kImported[] = "imported";
inline constexpr char kImportFailed[] = "not imported";
inline constexpr char kLabDeleted[] = "lab deleted";
inline constexpr char kBuiltInLab[] = "tolp";
}  // namespace lab_texts

// One experiment of a lab file the tests write.
struct TestExperiment {
    std::string name;
    ExperimentBodyParts parts;
};

// A description's width before and after a change, each narrow or wide: all four pairs.
struct WidthCase {
    bool fromWide;
    bool toWide;
};
inline constexpr WidthCase kWidthCases[] = {{false, false}, {false, true}, {true, false}, {true, true}};
void PrintTo(const WidthCase& c, std::ostream* out);

// A body with a script, one link, the description, a time and a gravity.
ExperimentBodyParts BodyParts(const std::u16string& description, uint32_t time = 90, bool wide = false);
// The record's description as the body walk finds it, each character's low byte; "<no body>"
// when the body does not hold its fields.
std::string DescriptionOf(const CWorldContentRecord* record);
std::vector<uint8_t> DataOf(const CWorldContentRecord* record);
std::vector<std::string> NamesOf(const CWorldContent& lab);
std::vector<std::string> ItemTexts(const CListBox* list);
// Appends one record per experiment, in the container's width.
void AddExperiments(CWorldContent* lab, const std::vector<TestExperiment>& experiments);

class LabTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    RODAGame& Controller() const { return *m_controller; }
    CWorldContent& Lab() const { return *m_controller->m_pLab; }
    CListBox* ExperimentList() const;
    CListBox* LabList(bool editor) const;
    // The message list's texts, oldest first; the newest or "" when there is none.
    std::vector<std::string> Messages() const;
    std::string LastMessage() const;
    void ClearMessages() const;
    // The lab file of a name: its path and its bytes.
    std::string LabPath(const std::string& name) const { return m_root.File("data/labs/" + name + ".zql"); }
    std::vector<unsigned char> LabBytes(const std::string& name) const;
    // Writes the lab file with one record per experiment, in the width given.
    void WriteLab(const std::string& name, const CLabHeader& header, const std::vector<TestExperiment>& experiments,
                  bool wide = false) const;
    // The lab in memory holds these experiments (the editor's lab as loaded otherwise).
    void FillLab(const std::vector<TestExperiment>& experiments) const;
    // Selects the record's item in the experiment list, which is filled first.
    void SelectExperiment(const CWorldContentRecord* record) const;

    GameRoot m_root;
    std::unique_ptr<CGame> m_game;
    std::unique_ptr<RODAGame> m_controller;
};
