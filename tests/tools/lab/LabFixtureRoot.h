// A small game root for the lab tool's tests, written into a folder: the game's graphics
// script with tagged models made by the model tool, a shader script of one plain shader, and
// an element script of test templates and a scene whose "level" node the tool reads
// experiments under.
#pragma once

#include <string>

// The templates: "tmo_gear" (one object, points Gear and Wheel), "tmo_socket" (one object, two
// points Power), "tmo_lever" (a base without points and the child node "tmo_lever_arm" with
// the point Mechanic), "tmo_ball" (no points) and the background "tmo_background_plain".
namespace labfixture {
inline constexpr const char* kElementScript = "scripts/elements/elements.fsc";
inline constexpr const char* kGraphicsScript = "scripts/gfx/gfx.vsc";
inline constexpr const char* kShaderScript = "scripts/shaders/shaders.shd";
}  // namespace labfixture

// false with the file and the reason when a tool or a writer fails.
bool WriteLabFixtureRoot(const std::string& root, std::string* error);
