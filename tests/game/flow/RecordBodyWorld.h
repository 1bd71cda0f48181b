// A small world for the tests and the fuzz target of the record body: the recording device,
// tool-made models with tags of three connector kinds, the connector kinds, and element
// templates; a level of a few elements is read from text. No test framework, so that the fuzz
// target builds it too.
#pragma once

#include <memory>
#include <string>

#include "engine/graphics/GfxHandler.h"
#include "game/flow/LevelRecord.h"
#include "tools/render/RecordingRenderDevice.h"

class M3DOMWorld;

// The element templates: "tmo_gear" (an object with the points Gear01 and Wheel01),
// "tmo_socket" (Power01 and Power02), "tmo_power_plug" and "tmo_ball" (no points); the object
// template "to_level_bar_board".
class RecordBodyWorld {
public:
    RecordBodyWorld() = default;
    RecordBodyWorld(const RecordBodyWorld&) = delete;
    RecordBodyWorld& operator=(const RecordBodyWorld&) = delete;
    ~RecordBodyWorld();

    // The device, the models and a first world: false with the reason when something fails.
    bool Init(std::string* error);
    // A world of its own with the templates and an empty scene, in place of the last.
    bool NewWorld(std::string* error);
    M3DOMWorld* World() const { return m_pWorld.get(); }

    // Reads level text at the top level, re-using the templates' nodes and objects as a body
    // is read, and finds its three nodes: false when one is missing.
    bool ReadLevel(const std::string& text, CLevelNodes* level) const;

private:
    CRecordingRenderDevice m_Device;
    CGfxHandler m_Gfx;
    double m_FrameTime = 0.0;
    double m_RunTime = 0.0;
    std::unique_ptr<M3DOMWorld> m_pWorld;  // goes before the resources it points into
};

// Six elements (gear, gear, socket, socket, plug, ball) and a level bar with a ball of count 3
// standing on its board, in CR LF lines.
std::string FixtureLevelText();
// Index of each fixture element in the element list.
enum FixtureElement { kGearA, kGearB, kSocketA, kSocketB, kPlug, kBall, kFixtureElementCount };
