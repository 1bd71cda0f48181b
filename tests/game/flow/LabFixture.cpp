#include "tests/game/flow/LabFixture.h"

#include <cstring>
#include <filesystem>

#include "game/app/ExperimentBody.h"
#include "game/app/ScriptKey.h"
#include "game/ui/DlgChooseLevel.h"
#include "game/ui/DlgLabChoose.h"
#include "game/ui/MessageList.h"

namespace {

constexpr int kListControl = 3;

void SetSetting(char (&field)[RODAGame::kLabNameSize], const char* text) {
    memset(field, 0, sizeof field);
    strncpy(field, text, sizeof field - 1);
}

template <class Dialog>
Dialog* DialogWithList() {
    auto* dialog = new Dialog;
    dialog->AddChild(new CListBox, kListControl);
    return dialog;
}

// The lab file's records of the experiments, each body built from its parts.
std::vector<LabFileRecord> RecordsOf(const std::vector<TestExperiment>& experiments) {
    std::vector<LabFileRecord> records;
    for (const TestExperiment& experiment : experiments)
        records.push_back({experiment.name, BuildExperimentBody(experiment.parts).bytes});
    return records;
}

}  // namespace

ExperimentBodyParts BodyParts(const std::u16string& description, uint32_t time, bool wide) {
    ExperimentBodyParts parts;
    parts.script = "MO level\n{\n}\n";
    parts.links = {CExperimentLink{1, 2, 3, 4, 5.0f}};
    parts.description = description;
    parts.wide = wide;
    parts.time = time;
    parts.gravity = CExperimentBody::kGravityMoon;
    return parts;
}

std::string DescriptionOf(const CWorldContentRecord* record) {
    CExperimentBody body;
    if (!body.Read(record->GetData(), record->GetSize(), record->m_bWide != 0))
        return "<no body>";
    std::string text;
    for (uint32_t i = 0; i < body.GetDescLength() && body.GetDescriptionChar(i); ++i)
        text.push_back(static_cast<char>(body.GetDescriptionChar(i) & 0xFF));
    return text;
}

std::vector<uint8_t> DataOf(const CWorldContentRecord* record) {
    return std::vector<uint8_t>(record->GetData(), record->GetData() + record->GetSize());
}

std::vector<std::string> NamesOf(const CWorldContent& lab) {
    std::vector<std::string> names;
    for (int i = 0; i < lab.GetCount(); ++i)
        names.emplace_back(lab.GetRecord(i)->m_szName);
    return names;
}

std::vector<std::string> ItemTexts(const CListBox* list) {
    std::vector<std::string> texts;
    for (const CItemList::Node* node = list->m_pItems->m_pHead; node; node = node->m_pNext)
        texts.emplace_back(node->m_data->m_sText.GetText());
    return texts;
}

void PrintTo(const WidthCase& c, std::ostream* out) {
    *out << (c.fromWide ? "wide" : "narrow") << " to " << (c.toWide ? "wide" : "narrow");
}

void AddExperiments(CWorldContent* lab, const std::vector<TestExperiment>& experiments) {
    ASSERT_TRUE(AddLabRecords(lab, RecordsOf(experiments)));
}

void LabTest::SetUp() {
    std::filesystem::create_directories(m_root.File("data/labs"));
    m_game = std::make_unique<CGame>();
    m_game->m_pChooseLevel = DialogWithList<CDlgChooseLevel>();
    m_game->m_pLabChoose = DialogWithList<CDlgLabChoose>();
    m_game->m_pLabChooseEnhanced = DialogWithList<CDlgLabChooseEnhanced>();
    SetSetting(m_game->m_szLabNameEditor, "sandbox");
    SetSetting(m_game->m_szLabNameGame, "tolp");

    m_controller = std::make_unique<RODAGame>(m_game.get());
    SetLabPlace(m_controller->m_pLab);
    m_controller->GameMode = 0;
    m_controller->CreateMessageList();
    const std::pair<const char*, const char*> texts[] = {
        {"could_not_be_load", lab_texts::kCouldNotBeLoaded},
        {"new_lab_created", lab_texts::kNewLab},
        {"changing_lab_forbidden", lab_texts::kForbidden},
        {"successfully_exported", lab_texts::kExported},
        {"exporting_failed", lab_texts::kExportFailed},
        {"successfully_imported", lab_texts::kImported},
        {"importing_failed", lab_texts::kImportFailed},
        {"lab_deleted", lab_texts::kLabDeleted},
        {"professors_lab", lab_texts::kBuiltInLab},
    };
    for (const auto& [key, text] : texts)
        ASSERT_NE(m_controller->m_StringTable.AddString(key, text, static_cast<int>(strlen(text))), nullptr);
}

void LabTest::TearDown() {
    m_controller.reset();
    m_game.reset();
}

CListBox* LabTest::ExperimentList() const {
    return dynamic_cast<CListBox*>(m_game->m_pChooseLevel->GetChildByID(kListControl));
}

CListBox* LabTest::LabList(bool editor) const {
    CWnd* dialog = editor ? static_cast<CWnd*>(m_game->m_pLabChooseEnhanced) : m_game->m_pLabChoose;
    return dynamic_cast<CListBox*>(dialog->GetChildByID(kListControl));
}

std::vector<std::string> LabTest::Messages() const {
    std::vector<std::string> texts;
    for (const CPointerList::Node* node = m_controller->m_pMessageList->m_Messages.m_pHead; node; node = node->m_pNext)
        texts.emplace_back(static_cast<const CMessage*>(node->m_data)->m_sText.GetText());
    return texts;
}

std::string LabTest::LastMessage() const {
    const std::vector<std::string> texts = Messages();
    return texts.empty() ? std::string() : texts.back();
}

void LabTest::ClearMessages() const {
    m_controller->m_pMessageList->Clear();
}

std::vector<unsigned char> LabTest::LabBytes(const std::string& name) const {
    return ReadBytes(LabPath(name));
}

void LabTest::WriteLab(const std::string& name, const CLabHeader& header,
                       const std::vector<TestExperiment>& experiments, bool wide) const {
    ASSERT_TRUE(WriteLabFile(m_root.File(kGameLabFolder), name, header, RecordsOf(experiments), kScriptKey, wide))
        << name;
}

void LabTest::FillLab(const std::vector<TestExperiment>& experiments) const {
    AddExperiments(&Lab(), experiments);
    Lab().m_pCurrent = nullptr;
}

void LabTest::SelectExperiment(const CWorldContentRecord* record) const {
    Controller().FillExperimentList();
    CListBox* list = ExperimentList();
    list->m_Selection = list->FindItemByID({nullptr, nullptr}, reinterpret_cast<intptr_t>(record));
}
