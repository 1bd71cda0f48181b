// What the game looks up in a game root, as tables the data check walks: the files start-up
// reads, the scene nodes and objects, templates, shaders, sounds, graphics names with their
// texture sizes, string keys, and the dialog scripts with the child IDs their dialogs look
// for. The game's own tables live in GameLookups.cpp; each data work order adds the rows of
// what it ships.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "game/app/SoundNames.h"
#include "game/ui/DialogChildren.h"

// The graphics handlers start-up fills, each from its own script.
enum class EGraphicsSet { kLoading, kInterface, kGame };
inline constexpr int kGraphicsSetCount = 3;

// A file start-up reads. One that is not required may be absent (the game creates it, or the
// default data set does not ship it yet); present, it is checked in full all the same.
struct CLookedUpFile {
    const char* path;
    bool required;
};

// A value script with the blocks the game reads from it (unused places null).
struct CValueScriptLookup {
    CLookedUpFile file;
    const char* blocks[2];
};

struct CGraphicsScriptLookup {
    CLookedUpFile file;
    EGraphicsSet set;
};

// A dialog script with the children its dialog looks for by ID, each of its window class.
struct CDialogLookup {
    CLookedUpFile file;
    std::span<const CDialogChild> children;
};

// A graphics resource the game finds by name: its kind (EGfxKind) and, for a texture whose
// layout the drawing relies on, its size (0 by 0 for any).
struct CGraphicsNameLookup {
    EGraphicsSet set;
    const char* name;
    uint32_t kind;
    uint32_t width;
    uint32_t height;
};

// A template the game finds among the children of another template.
struct CNestedTemplate {
    const char* parent;
    const char* child;
};

// A scene node the game hangs nodes of its own under, so that the scene must leave it without
// children; why says what the game hangs there.
struct CEmptyNodeLookup {
    const char* name;
    const char* why;
};

struct CGameLookups {
    std::span<const CValueScriptLookup> valueScripts;
    std::span<const CGraphicsScriptLookup> graphicsScripts;
    CLookedUpFile shaderScript;
    CLookedUpFile soundScript;
    CLookedUpFile stringTable;
    // The first holds the scene; the others are the score displays' roller scripts, each read
    // once per digit into a display's node.
    std::span<const CLookedUpFile> elementScripts;
    std::span<const CDialogLookup> dialogs;
    // The classes a dialog script's child blocks may name.
    std::span<const char* const> windowClasses;
    // Names found in the instance tree; each must occur exactly once.
    std::span<const char* const> sceneNodes;
    // Names of objects of the instance tree's nodes; each must occur exactly once.
    std::span<const char* const> sceneObjects;
    std::span<const CEmptyNodeLookup> emptyNodes;
    std::span<const char* const> templates;
    // Clickable nodes that are no 3D buttons; the hint over them, as over every 3D button and
    // every node below one, shows the text of the node's name.
    std::span<const char* const> hoverNodes;
    // Both names of each are rows of templates too, which say when one is missing.
    std::span<const CNestedTemplate> nestedTemplates;
    std::span<const char* const> shaders;
    // Effects of the sound script, each a 2D sound that loops or not as the game plays it.
    std::span<const CLookedUpSound> sounds;
    // Ogg Vorbis files the game opens on its music stream.
    std::span<const std::string> musicFiles;
    std::span<const CGraphicsNameLookup> graphicsNames;
    std::span<const char* const> stringKeys;
    // Every file of this folder (its name ending with "/") with this suffix is a lab.
    const char* labFolder;
    const char* labSuffix;
};

const CGameLookups& GameLookups();
