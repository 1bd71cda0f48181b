// The controller's lab and experiment operations: loading and saving the editor's and the
// game's lab, the description texts of an experiment's body, the export and import of one
// experiment and of all texts, the lab list and the answer to the pending question.
#include <strings.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "engine/core/DynString.h"
#include "engine/gui/ListBox.h"
#include "game/app/ExperimentBody.h"
#include "game/app/Game.h"
#include "game/app/ScriptFile.h"
#include "game/app/ScriptKey.h"
#include "game/app/WorldContent.h"
#include "game/app/WorldContentRecord.h"
#include "game/flow/RODAGame.h"
#include "game/ui/DlgChooseLevel.h"
#include "game/ui/DlgLabChoose.h"
#include "game/ui/MessageList.h"
#include "winapi/base/WinFile.h"
#include "winapi/base/WinPath.h"

namespace {

// The list of every dialog that lists experiments or labs.
constexpr int kListControl = 3;

// A lab of this format version loads as well as one of the player's.
constexpr char kOlderFormatVersion[] = "0.02sp";
// Labs of this creator may be changed only by a player whose name carries it too.
constexpr char kCreatorTag[] = "TOLP";
constexpr char kExperimentSuffix[] = ".zqe";
// One experiment's block of a texts file is formatted in at most this many characters.
constexpr int kTextsBlockSize = 10000;

// The pending actions that the game's flow answers; until it does they do nothing, and the
// answer leaves them set.
constexpr int32_t kFlowQuestions[] = {1, 2, 3, 4, 5, 7, 9, 10, 11};

CLabHeader HeaderOf(const char* bytes) {
    CLabHeader header;
    memcpy(&header, bytes, sizeof header);
    return header;
}

// A header field as text: up to its first zero or its whole size.
template <size_t N>
std::string FieldText(const char (&field)[N]) {
    return std::string(field, strnlen(field, N));
}

bool VersionIs(const CLabHeader& header, const std::string& version) {
    return FieldText(header.szFormatVersion) == version;
}

bool EndsWithNoCase(const std::string& text, const char* suffix) {
    const size_t length = strlen(suffix);
    return text.size() >= length && strcasecmp(text.c_str() + text.size() - length, suffix) == 0;
}

// A picked file already carries the suffix; a typed name gets it.
std::string ExperimentPath(const char* name) {
    std::string path = name ? name : "";
    if (!EndsWithNoCase(path, kExperimentSuffix))
        path += kExperimentSuffix;
    return path;
}

void SetSetting(char (&field)[RODAGame::kLabNameSize], const char* text) {
    memset(field, 0, sizeof field);
    strncpy(field, text, sizeof field - 1);
}

CListBox* ListOf(CWnd* dialog) {
    return dialog ? dynamic_cast<CListBox*>(dialog->GetChildByID(kListControl)) : nullptr;
}

void AppendU32(std::vector<uint8_t>* bytes, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        bytes->push_back(static_cast<uint8_t>(value >> shift));
}

// The description up to its zero, one byte per character: a wide one by the low bytes.
std::string DescriptionText(const CExperimentBody& body) {
    std::string text;
    for (uint32_t i = 0; i < body.GetDescLength(); ++i) {
        const uint16_t unit = body.GetDescriptionChar(i);
        if (unit == 0)
            break;
        text.push_back(static_cast<char>(unit & 0xFF));
    }
    return text;
}

bool BodyWalks(const CWorldContentRecord* record) {
    CExperimentBody body;
    return body.Read(record->GetData(), record->GetSize(), record->m_bWide != 0) != 0;
}

// --- messages ------------------------------------------------------------------------------------

const char* TextOf(const CStringTable& table, const char* key) {
    const char* text = table.GetString(key);
    return text ? text : key;
}

void Show(CMessageList* messages, const char* text, int noRepeat = 0) {
    if (messages)
        messages->Add(text, noRepeat);
}

// "'name' text of key".
void ShowNamed(const RODAGame& game, const char* name, const char* key) {
    CDynString message;
    message.Format("'%s' %s", name, TextOf(game.m_StringTable, key));
    Show(game.m_pMessageList, message.GetText());
}

}  // namespace

// --- loading and saving --------------------------------------------------------------------------

int RODAGame::SaveLab() {
    if (!m_pGame || !m_pLab)
        return 0;
    return m_pLab->Save(m_pGame->m_szLabNameEditor, m_szPlayerHeader, kHeaderSize, kScriptKey);
}

int RODAGame::SaveGameLab() {
    if (!m_pGame || !m_pLab)
        return 0;
    return m_pLab->Save(m_pGame->m_szLabNameGame, m_szLabHeader, kHeaderSize, kScriptKey);
}

namespace {

enum class ELabLoad { kLoaded, kFailed, kOtherVersion };

// Loads the named lab into the header as read. Another version than the player's or the
// older one clears the records after the message, with the lab name in double quotes for the
// editor's lab and in single quotes for the game's.
ELabLoad LoadNamedLab(RODAGame& game, const std::string& name, bool editorLab) {
    if (game.m_pLab->Load(name.c_str(), game.m_szLabHeader, RODAGame::kHeaderSize, kScriptKey) == 0) {
        ShowNamed(game, name.c_str(), "could_not_be_load");
        return ELabLoad::kFailed;
    }
    const CLabHeader read = HeaderOf(game.m_szLabHeader);
    const std::string playerVersion = FieldText(HeaderOf(game.m_szPlayerHeader).szFormatVersion);
    if (VersionIs(read, playerVersion) || VersionIs(read, kOlderFormatVersion))
        return ELabLoad::kLoaded;
    const std::string version = FieldText(read.szFormatVersion);
    CDynString message;
    if (editorLab)
        message.Format("Laboratory \"%s\" has wrong format: \"%s\" !!!", name.c_str(), version.c_str());
    else
        message.Format("Laboratory '%s' has wrong format: \"%s\" !!!", name.c_str(), version.c_str());
    Show(game.m_pMessageList, message.GetText());
    game.m_pLab->Clear();
    return ELabLoad::kOtherVersion;
}

}  // namespace

int RODAGame::LoadLab() {
    if (!m_pGame || !m_pLab)
        return 0;
    const std::string name = FieldText(m_pGame->m_szLabNameEditor);
    switch (LoadNamedLab(*this, name, true)) {
    case ELabLoad::kFailed:
        return 0;
    case ELabLoad::kOtherVersion:
        Show(m_pMessageList, TextOf(m_StringTable, "new_lab_created"));
        return SaveLab() != 0 ? 1 : 0;
    case ELabLoad::kLoaded:
        break;
    }
    const std::string creator = FieldText(HeaderOf(m_szLabHeader).szCreator);
    const std::string player = FieldText(HeaderOf(m_szPlayerHeader).szCreator);
    if (creator.find(kCreatorTag) != std::string::npos && player.find(kCreatorTag) == std::string::npos)
        Show(m_pMessageList, TextOf(m_StringTable, "changing_lab_forbidden"));
    return 1;
}

int RODAGame::LoadGameLab() {
    if (!m_pGame || !m_pLab)
        return 0;
    return LoadNamedLab(*this, FieldText(m_pGame->m_szLabNameGame), false) == ELabLoad::kLoaded ? 1 : 0;
}

// --- the description texts -----------------------------------------------------------------------

int RODAGame::ReadExperimentText(CWorldContentRecord* record, char* text, int textSize) {
    if (!text || textSize < 1)
        return 0;
    text[0] = '\0';
    CExperimentBody body;
    if (!record || !body.Read(record->GetData(), record->GetSize(), record->m_bWide != 0))
        return 0;
    const std::string description = DescriptionText(body);
    const size_t length = std::min(description.size(), static_cast<size_t>(textSize - 1));
    memcpy(text, description.data(), length);
    text[length] = '\0';
    m_nScore = static_cast<int32_t>(body.GetTime());
    return 1;
}

int RODAGame::WriteExperimentText(CWorldContentRecord* record, const char* text, int length, int oldWide,
                                  int newWide) {
    CExperimentBody body;
    if (!record || length < 0 || (length > 0 && !text) ||
        !body.Read(record->GetData(), record->GetSize(), oldWide != 0))
        return 0;
    const uint8_t* data = record->GetData();
    // The script and link fields as they are.
    std::vector<uint8_t> bytes(data, data + body.GetDescriptionOffset());
    AppendU32(&bytes, static_cast<uint32_t>(length) + 1);
    for (int i = 0; i <= length; ++i) {
        bytes.push_back(i < length ? static_cast<uint8_t>(text[i]) : 0);
        if (newWide)
            bytes.push_back(0);
    }
    // The time, the gravity and whatever follows them.
    const uint8_t* after = body.GetDescription() + body.GetDescriptionBytes();
    bytes.insert(bytes.end(), after, data + record->GetSize());
    record->FreeData();
    return record->Append(bytes.data(), static_cast<uint32_t>(bytes.size())) != 0 ? 1 : 0;
}

namespace {

// The record's body rewritten in the lab's width: false when it does not hold its fields.
bool ToLabWidth(RODAGame& game, CWorldContentRecord* record) {
    const int wide = game.m_pLab->m_bWide ? 1 : 0;
    if ((record->m_bWide ? 1 : 0) == wide)
        return true;
    CExperimentBody body;
    if (!body.Read(record->GetData(), record->GetSize(), record->m_bWide != 0))
        return false;
    const std::string text = DescriptionText(body);
    if (!game.WriteExperimentText(record, text.data(), static_cast<int>(text.size()), record->m_bWide, wide))
        return false;
    record->m_bWide = wide;
    return true;
}

}  // namespace

// --- one experiment's export and import ----------------------------------------------------------

int RODAGame::ExportExperiment(const char* name, const char* key) {
    if (!m_pGame || !m_pLab)
        return 0;
    const CListBox* list = ListOf(m_pGame->m_pChooseLevel);
    const CListItem* item = list ? list->GetSelectedItem() : nullptr;
    auto* record = item ? reinterpret_cast<CWorldContentRecord*>(item->m_nID) : nullptr;
    if (!record || m_pLab->IndexOf(record) < 0)
        return 0;
    const std::string path = ExperimentPath(name);
    const int written = m_pLab->ExportRecord(path.c_str(), record, m_szPlayerHeader, kHeaderSize, key);
    ShowNamed(*this, record->m_szName, written > 0 ? "successfully_exported" : "exporting_failed");
    return written > 0 ? 1 : 0;
}

int RODAGame::ImportExperiment(const char* name, const char* key) {
    if (!m_pGame || !m_pLab)
        return 0;
    const std::string path = ExperimentPath(name);
    CWorldContentRecord* record = nullptr;
    // Added at the end first: the same-named experiment is replaced only once the import holds.
    bool imported = m_pLab->ImportRecord(path.c_str(), &record, m_szLabHeader, kHeaderSize, key, 0) > 0 && record;
    if (imported) {
        const std::string playerVersion = FieldText(HeaderOf(m_szPlayerHeader).szFormatVersion);
        const CLabHeader read = HeaderOf(m_szLabHeader);
        if (!VersionIs(read, playerVersion)) {
            CDynString message;
            message.Format("Laboratory '%s' has wrong format: \"%s\" !!!", record->m_szName,
                           FieldText(read.szFormatVersion).c_str());
            Show(m_pMessageList, message.GetText());
            imported = false;
        } else if (!ToLabWidth(*this, record)) {
            imported = false;
        }
        if (!imported)
            m_pLab->DeleteRecord(record);
    }
    if (!imported) {
        ShowNamed(*this, name ? name : "", "importing_failed");
        m_pLab->m_pCurrent = nullptr;
        return 0;
    }
    if (CWorldContentRecord* same = m_pLab->FindRecord(record->m_szName, record))
        m_pLab->ReplaceRecord(same, record);
    ShowNamed(*this, record->m_szName, "successfully_imported");
    SaveLab();
    FillExperimentList();
    m_pLab->m_pCurrent = nullptr;
    return 1;
}

// --- all texts -----------------------------------------------------------------------------------

int RODAGame::ExportExperimentTexts(const char* path) {
    if (!m_pLab)
        return 0;
    // Binary, with CR LF written out: the block-script reader ends lines only there.
    FILE* file = path ? winapi::FileOpen(path, "wb") : nullptr;
    if (!file)
        return 0;
    std::vector<char> text(kExperimentTextSize);
    std::vector<char> block(kTextsBlockSize);
    int total = 0;
    for (int i = 0; i < m_pLab->GetCount(); ++i) {
        CWorldContentRecord* record = m_pLab->GetRecord(i);
        ReadExperimentText(record, text.data(), kExperimentTextSize);
        const int length = snprintf(block.data(), block.size(), "%03d: NAME %s\r\n{\r\n%s\r\n}\r\n\r\n", i + 1,
                                    record->m_szName, text.data());
        if (length <= 0)
            continue;
        const size_t formatted = std::min(static_cast<size_t>(length), block.size() - 1);
        total += static_cast<int>(fwrite(block.data(), 1, formatted, file));
    }
    fclose(file);
    CDynString message;
    message.Format("%i text chars written", total);
    Show(m_pMessageList, message.GetText(), 1);
    return total;
}

int RODAGame::ParseExperimentTexts(const char* text, const char* end, int count, ExperimentTextBlock* blocks) {
    if (count <= 0)
        return count == 0 ? 1 : 0;
    if (!text || !end || end < text || !blocks)
        return 0;
    const char* pos = text;
    char token[CScriptFile::kTokenSize];
    for (int i = 0; i < count; ++i) {
        ExperimentTextBlock& block = blocks[i];
        // The name is the whole line from its first token: names hold spaces.
        if (!CScriptFile::FindToken("NAME", &pos, end))
            return 0;
        const char* nameStart = CScriptFile::GetNextToken(token, sizeof token, &pos, end);
        if (!nameStart)
            return 0;
        pos = nameStart;
        if (!CScriptFile::GetNextToken(block.szName, sizeof block.szName, &pos, end, CScriptFile::kDefaultSeparators,
                                       CScriptFile::kLineSeparatorCount))
            return 0;
        // The opening brace, then the text from its first token to the closing brace.
        if (!CScriptFile::GetNextToken(token, sizeof token, &pos, end))
            return 0;
        const char* textStart = CScriptFile::GetNextToken(token, sizeof token, &pos, end);
        if (!textStart)
            return 0;
        block.pText = textStart;
        block.nTextLength = 0;
        if (strcmp(token, "}") == 0)
            continue;
        const char* close = CScriptFile::FindToken("}", &pos, end);
        if (!close)
            return 0;
        block.nTextLength = static_cast<int>(close - textStart);
    }
    return 1;
}

int RODAGame::ReplaceExperimentTexts(const char* path) {
    if (!m_pLab)
        return 0;
    CScriptFile file;
    if (path && file.LoadScript(path, nullptr, 0) > 0 && file.GetTextLength() > 0) {
        const int count = m_pLab->GetCount();
        std::vector<ExperimentTextBlock> blocks(static_cast<size_t>(count));
        bool whole = ParseExperimentTexts(file.GetText(), file.GetTextEnd(), count, blocks.data()) != 0;
        for (int i = 0; whole && i < count; ++i)
            whole = BodyWalks(m_pLab->GetRecord(i));
        // Checked before anything changes: a lab half replaced could mix bodies of both widths.
        if (!whole) {
            Show(m_pMessageList, "error while replacing");
            return 0;
        }
        m_pLab->m_bWide = file.IsWide() ? 1 : 0;
        for (int i = 0; i < count; ++i) {
            CWorldContentRecord* record = m_pLab->GetRecord(i);
            record->SetName(blocks[i].szName);
            // Each body is read in the width it has.
            WriteExperimentText(record, blocks[i].pText, blocks[i].nTextLength, record->m_bWide, m_pLab->m_bWide);
            record->m_bWide = m_pLab->m_bWide;
        }
    }
    Show(m_pMessageList, "successfully replaced");
    SaveLab();
    return 1;
}

// --- the lists -----------------------------------------------------------------------------------

void RODAGame::ListLabs(int editor) {
    if (!m_pGame || !m_pLab)
        return;
    CListBox* list = ListOf(editor ? static_cast<CWnd*>(m_pGame->m_pLabChooseEnhanced) : m_pGame->m_pLabChoose);
    if (!list)
        return;
    list->Clear();
    const std::string pattern = std::string(m_pLab->m_szDirectory) + "*" + m_pLab->m_szSuffix;
    // Lab files are found without regard to case, so the built-in lab is too.
    const char* builtIn = TextOf(m_StringTable, "professors_lab");
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                continue;
            std::string name(found.cFileName, strnlen(found.cFileName, sizeof found.cFileName));
            name = name.substr(0, std::min(name.find('.'), static_cast<size_t>(kLabNameSize - 1)));
            if (name.empty() || (editor && strcasecmp(name.c_str(), builtIn) == 0))
                continue;
            list->AddItem({nullptr, nullptr}, name.c_str(), 0, 0);
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    const std::string chosen = FieldText(editor ? m_pGame->m_szLabNameEditor : m_pGame->m_szLabNameGame);
    CListBox::Position selection = list->FindItemByText({nullptr, nullptr}, chosen.c_str());
    for (CItemList::Node* node = list->m_pItems->m_pHead; !selection.pNode && node; node = node->m_pNext) {
        if (strcasecmp(node->m_data->m_sText.GetText(), chosen.c_str()) == 0)
            selection = {list->m_pItems, node};
    }
    if (selection.pNode) {
        list->m_Selection = selection;
        list->EnsureSelectionVisible();
    }
}

void RODAGame::FillExperimentList() {
    if (!m_pGame || !m_pLab)
        return;
    CListBox* list = ListOf(m_pGame->m_pChooseLevel);
    if (!list)
        return;
    list->Clear();
    for (int i = 0; i < m_pLab->GetCount(); ++i) {
        CWorldContentRecord* record = m_pLab->GetRecord(i);
        CDynString text;
        text.Format("%i. %s", i + 1, record->m_szName);
        list->AddItem({nullptr, nullptr}, text.GetText(), reinterpret_cast<intptr_t>(record), 0);
    }
}

// --- the answer to the pending question ----------------------------------------------------------

namespace {

// Deletes the lab file; the game's lab falls back to the built-in one when it was deleted or
// no own lab is left.
void DeleteLab(RODAGame& game) {
    const std::string name = FieldText(game.m_szLabToDelete);
    const std::string path = std::string(game.m_pLab->m_szDirectory) + name + game.m_pLab->m_szSuffix;
    DeleteFileA(path.c_str());
    Show(game.m_pMessageList, TextOf(game.m_StringTable, "lab_deleted"));
    game.ListLabs(1);
    const CListBox* list = ListOf(game.m_pGame->m_pLabChooseEnhanced);
    const bool noneLeft = list && list->m_pItems->m_nCount == 0;
    if (noneLeft || strcasecmp(name.c_str(), FieldText(game.m_pGame->m_szLabNameGame).c_str()) == 0)
        SetSetting(game.m_pGame->m_szLabNameGame, TextOf(game.m_StringTable, "professors_lab"));
}

}  // namespace

void RODAGame::OnQuestionAnswer(int yes) {
    // The career's questions are answered without the controller.
    if (GameMode == 1 || !m_pGame || !m_pLab || !yes)
        return;
    if (m_nQuestionCode == kDeleteLabQuestion) {
        DeleteLab(*this);
        return;
    }
    for (const int32_t code : kFlowQuestions) {
        if (m_nQuestionCode == code)
            return;
    }
    m_nQuestionCode = 0;
}
