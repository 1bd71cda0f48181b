// The game controller: it owns what belongs to the game being played rather than to the
// engine. The application object creates it at start-up and deletes it at shut-down.
#pragma once

class CGame;

class RODAGame {
public:
    explicit RODAGame(CGame* game);
    RODAGame(const RODAGame&) = delete;
    RODAGame& operator=(const RODAGame&) = delete;
    ~RODAGame();

    // The effect set-up once the graphics are loaded.
    void InitEffects();

    CGame* m_pGame;
};
