// One run of the data check: the devices, the handlers start-up fills, the world the element
// scripts build and the keys the string table must answer, checked part by part in the
// order start-up reads them. Split by concern over DataCheck_*.cpp.
#pragma once

#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "engine/graphics/GfxHandler.h"
#include "engine/graphics/ShaderHandler.h"
#include "engine/sound/SoundDeviceNull.h"
#include "engine/sound/SoundHandler.h"
#include "game/app/3DOMWorld.h"
#include "tools/datacheck/DataProblems.h"
#include "tools/datacheck/ExactNames.h"
#include "tools/datacheck/GameLookups.h"
#include "tools/datacheck/ScripterLog.h"
#include "tools/render/RecordingRenderDevice.h"

class CGfx;
class CValueScript;
class CValueScriptBlocks;
class M3DOMObject;

class CRootCheck {
public:
    explicit CRootCheck(const CGameLookups& lookups);
    CRootCheck(const CRootCheck&) = delete;
    CRootCheck& operator=(const CRootCheck&) = delete;
    ~CRootCheck();

    std::vector<std::string> Run();

private:
    // How the game opens a file: plain fopen needs the exact name, block scripts are found
    // without regard to case.
    enum class EOpen { kExactName, kAnyCase };

    // A key the string table is asked for, and who asks it, for the message.
    struct CAskedKey {
        std::string key;
        std::string asker;
        // The game shows the text, so the key must have an entry of its own.
        bool needsEntry;
    };

    // DataCheck.cpp: whether a file can be read as the game reads it. A wrong case is said at
    // place, a missing file only when required.
    bool Present(const CDataPlace& place, const std::string& path, bool required, EOpen open);
    bool Present(const CLookedUpFile& file, EOpen open);
    // The blocks of a value script that is there and readable; false once any problem is said.
    bool LoadBlocks(const CLookedUpFile& file, CValueScriptBlocks* blocks);
    void CheckLineEnds(const std::string& path, std::string_view text);
    void AskKey(const std::string& key, const std::string& asker, bool needsEntry = false);
    // The script that fills a set, for messages.
    std::string ScriptOf(EGraphicsSet set) const;
    CGfxHandler& Graphics(EGraphicsSet set) { return m_graphics[static_cast<int>(set)]; }

    // DataCheck_settings.cpp
    void CheckValueScripts();

    // DataCheck_graphics.cpp
    void CheckGraphicsScripts();
    void CheckGraphicsBlock(const CGraphicsScriptLookup& script, CValueScript* block);
    // Power-of-two sides and 24 or 32 bits, each texture file once.
    void CheckTexture(const CDataPlace& place, const std::string& file, CGfx* gfx);
    void CheckGraphicsNames();

    // DataCheck_shaders.cpp
    void CheckShaderScript();
    void CheckShaderTextures(const std::string& path, std::string_view text);
    void CheckShaderNames();

    // DataCheck_sound.cpp
    void CheckSoundScript();
    void CheckMusic();

    // DataCheck_elements.cpp
    void CheckElementScripts();
    // Loads the script into the node with the script key, then its line ends, the scripter's
    // errors and quit request, and its words; false when it cannot be read.
    bool LoadElementScript(const std::string& path, M3DOMObject* into);
    // A roller script read into holder alone: one node of three objects of ten frames.
    void CheckRoller(const std::string& path, const M3DOMObject* holder);
    // Every MODEL and SHADER word of a loaded text names a model or a shader.
    void CheckWords(const std::string& path, const char* text, const char* end);
    void CheckSceneNodes();
    void CheckSceneObjects();
    void ReportOccurrences(const char* name, int count, const char* what);
    // The nodes the game fills itself hold no children of the scene's.
    void CheckEmptyNodes();
    void CheckTemplates();
    void CheckNestedTemplates();
    void AskNodeNames();

    // DataCheck_dialogs.cpp
    void CheckDialogs();
    void CheckDialog(const CDialogLookup& dialog);

    // DataCheck_strings.cpp
    void CheckStringTable();

    // DataCheck_labs.cpp
    void CheckLabs();

    const CGameLookups& m_lookups;
    CDataProblems m_problems;
    CExactNames m_names;
    CRecordingRenderDevice m_device;
    CSoundDeviceNull m_soundDevice;
    CGfxHandler m_graphics[kGraphicsSetCount];
    CShaderHandler m_shaders;
    CSoundHandler m_sounds;
    CScripterLog m_log;
    double m_frameTime = 0.0;
    double m_runTime = 0.0;
    std::unique_ptr<M3DOMWorld> m_pWorld;
    bool m_bSceneLoaded = false;
    // The roller scripts' node names: in the game the rollers are scene nodes, whose names the
    // string table is asked for.
    std::set<std::string> m_rollerNodeNames;
    std::set<std::string> m_checkedTextures;
    std::vector<CAskedKey> m_askedKeys;
};
