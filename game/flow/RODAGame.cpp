#include "game/flow/RODAGame.h"

RODAGame::RODAGame(CGame* game) : m_pGame(game) {}

RODAGame::~RODAGame() = default;

// The message list and the effect spawners come with the controller's set-up.
void RODAGame::InitEffects() {}
