// Idle frames of the game (its update and its drawing, shadows, "Pause" and the pointer
// included) allocate nothing once warm: this program's own operator new counts what the test's
// thread allocates while it looks.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <string>

#include "engine/graphics/RenderDevice.h"
#include "tests/game/app/GameFixture.h"
#include "tests/game/app/GameRenderScene.h"
#include "winapi/base/TimerTestHooks.h"
#include "winapi/window/WindowTestHooks.h"

namespace {

// Only the thread that sets the switch is counted: the sound output's own thread is not the
// frame's. Every form this program replaces takes its memory from malloc, so that what one
// form allocates another may free.
thread_local bool t_counting = false;
thread_local long t_allocations = 0;

}  // namespace

void* operator new(std::size_t size) {
    if (t_counting)
        ++t_allocations;
    if (void* memory = std::malloc(size ? size : 1))
        return memory;
    throw std::bad_alloc();
}

void* operator new[](std::size_t size) {
    return operator new(size);
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    if (t_counting)
        ++t_allocations;
    return std::malloc(size ? size : 1);
}

void* operator new[](std::size_t size, const std::nothrow_t& nothrow) noexcept {
    return operator new(size, nothrow);
}

// Every delete frees what the news above allocate; so do the sanitizers' checks, which would
// otherwise see malloc's blocks reach their own operator delete. GCC takes the free inside a
// replaced delete for one that does not match the new it was given.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* memory) noexcept {
    std::free(memory);
}

void operator delete[](void* memory) noexcept {
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}

void operator delete[](void* memory, std::size_t) noexcept {
    std::free(memory);
}

void operator delete(void* memory, const std::nothrow_t&) noexcept {
    std::free(memory);
}

void operator delete[](void* memory, const std::nothrow_t&) noexcept {
    std::free(memory);
}
#pragma GCC diagnostic pop

namespace {

class GameRenderAllocTest : public GameTest {
protected:
    // One frame as the game runs it, the clock 16 ms on. Only the game's update and drawing are
    // counted: the messages' way through the window layer is not the game's.
    void IdleFrame() {
        m_nanoseconds += 16000000;
        winapi::SetTestClockNanoseconds(m_nanoseconds);
        PumpMessages();
        t_counting = true;
        EXPECT_EQ(m_game->Update(0.016), 1);
        EXPECT_EQ(m_game->Render(), 1);
        t_counting = false;
        m_game->m_pRenderDevice->Present();
    }

    int64_t m_nanoseconds = 0;
};

TEST_F(GameRenderAllocTest, IdleFramesAllocateNothingOnceWarm) {
    // The count sees what the thread allocates (a call, which no compiler leaves out).
    t_allocations = 0;
    t_counting = true;
    ::operator delete(::operator new(16));
    t_counting = false;
    ASSERT_EQ(t_allocations, 1);

    UseTestClock();
    ASSERT_TRUE(StartEngine());
    ASSERT_EQ(m_game->Init(), 1);
    GameRenderScene scene;
    std::string error;
    ASSERT_TRUE(AddGameRenderScene(m_game.get(), &scene, &error)) << error;
    winapi::ForceActiveWindow(1);
    m_game->m_nShadows = 1;
    m_game->m_nSoftwareCursor = 1;
    for (const int paused : {0, 1}) {
        SCOPED_TRACE(paused ? "paused" : "running");
        m_game->m_bPaused = paused;
        for (int frame = 0; frame < 10; ++frame)
            IdleFrame();
        t_allocations = 0;
        for (int frame = 0; frame < 20; ++frame)
            IdleFrame();
        EXPECT_EQ(t_allocations, 0);
    }
    EXPECT_GT(m_game->m_fTotalStepTime, 0.0) << "the scene ran";
}

}  // namespace
