// The run in start-up's order, and what every part shares: finding a file under its exact
// name, the line-end rule, and the keys asked of the string table.
#include "tools/datacheck/DataCheck.h"

#include "tools/datacheck/DataCheck_local.h"
#include "tools/datacheck/LineEnds.h"
#include "tools/datacheck/ValueScriptBlocks.h"

namespace {

// The dynamic buffers of a display script that sets none.
constexpr uint32_t kPnt1Count = 8192;
constexpr uint32_t kPct2Count = 2048;
constexpr uint32_t kPrc2t1Count = 8192;

}  // namespace

std::vector<std::string> CheckGameRoot(const CGameLookups& lookups) {
    return CRootCheck(lookups).Run();
}

CRootCheck::CRootCheck(const CGameLookups& lookups) : m_lookups(lookups) {
    // Thousands of loads would otherwise leave a line each.
    m_device.m_bRecordCalls = false;
    m_device.InitForTest(kPnt1Count, kPct2Count, kPrc2t1Count);
    for (CGfxHandler& graphics : m_graphics)
        graphics.Init(&m_device);
    m_shaders.Init(&m_device);
    m_sounds.Init(&m_soundDevice);
}

// The world first: its objects hold the handlers' resources.
CRootCheck::~CRootCheck() {
    m_pWorld.reset();
}

std::vector<std::string> CRootCheck::Run() {
    CheckValueScripts();
    CheckGraphicsScripts();
    CheckShaderScript();
    CheckGraphicsNames();
    CheckSoundScript();
    CheckMusic();
    CheckElementScripts();
    CheckShaderNames();
    CheckDialogs();
    CheckStringTable();
    CheckLabs();
    return m_problems.Lines();
}

bool CRootCheck::Present(const CDataPlace& place, const std::string& path, bool required, EOpen open) {
    // A file's own problem needs no name; a script names the file it names.
    const std::string subject = place.file == path ? std::string() : path + " is ";
    std::string found;
    switch (m_names.Find(path, &found)) {
    case ENameMatch::kExact:
        return true;
    case ENameMatch::kOtherCase:
        m_problems.Add(place, subject + "not there under this name, only as " + found + ": names must match in case");
        return open == EOpen::kAnyCase;
    case ENameMatch::kMissing:
        break;
    }
    if (required)
        m_problems.Add(place, subject + "missing");
    return false;
}

bool CRootCheck::Present(const CLookedUpFile& file, EOpen open) {
    return Present({file.path}, file.path, file.required, open);
}

bool CRootCheck::LoadBlocks(const CLookedUpFile& file, CValueScriptBlocks* blocks) {
    if (!Present(file, EOpen::kExactName))
        return false;
    if (blocks->Load(file.path))
        return true;
    m_problems.Add({file.path}, "cannot be read: enciphered with another key");
    return false;
}

void CRootCheck::CheckLineEnds(const std::string& path, std::string_view text) {
    const CLineEndFault fault = FindLineEndFault(text);
    if (fault.line > 0)
        m_problems.Add({path, fault.line}, fault.what);
}

void CRootCheck::AskKey(const std::string& key, const std::string& asker, bool needsEntry) {
    m_askedKeys.push_back({key, asker, needsEntry});
}

std::string CRootCheck::ScriptOf(EGraphicsSet set) const {
    for (const CGraphicsScriptLookup& script : m_lookups.graphicsScripts) {
        if (script.set == set)
            return script.file.path;
    }
    return "the graphics scripts";
}
