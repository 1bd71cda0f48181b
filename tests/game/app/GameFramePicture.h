// The common frame of the picture programs that draw one frame of the game for a person to
// look at: <program> <out.png>.
#pragma once

#include <string>

class CSceneWindow;
class GameRoot;
struct PixelFrame;

// Fills a fresh game root; false with the reason when it cannot.
using FillGameRoot = bool (*)(const GameRoot& root, std::string* error);
// Starts the game on the scene window and draws the frame; false with the reason.
using DrawGameFrame = bool (*)(CSceneWindow* window, PixelFrame* frame, std::string* error);

// Registers the game's classes, fills a game root, draws the frame in it and writes the PNG the
// one argument names: 0 when written, 1 with the reason on the standard error, 2 for a bad
// command line.
int RunGameFramePicture(const char* program, int argc, char** argv, FillGameRoot fill,
                        DrawGameFrame draw);
