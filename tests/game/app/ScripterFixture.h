// What the object-model script tests share: a world on the object-model fixture's device and
// models, with a shader handler, the connector kinds and its log read back from a file.
#pragma once

#include <memory>
#include <string>

#include "engine/core/LogFile.h"
#include "engine/graphics/ShaderHandler.h"
#include "game/app/3DOMScripter.h"
#include "game/app/3DOMWorld.h"
#include "tests/game/app/ObjectModelFixture.h"
#include "tests/support/TempDir.h"

class ScripterTest : public ObjectModelTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // A fresh world in place of the last one, with an empty log.
    void MakeWorld();
    M3DOMScripter& Scripter() const { return *m_pWorld->m_pScripter; }
    // Reads exactly the bytes of the text, through the entry for text from memory.
    int Read(const std::string& text, M3DOMObject* parent = nullptr, int createNew = 1);
    // The log written since the last call.
    std::string TakeLog();
    // A new node of the instance tree, linked under parent (at the top for none).
    M3DOMObject* AddNode(const char* name, M3DOMObject* parent = nullptr);
    // The first node of that name, depth first.
    M3DOMObject* Instance(const char* name) const;
    M3DOMObject* Template(const char* name) const;
    // The nodes and objects of both trees.
    int WorldSize() const;
    // The node's definition as WriteMO appends it at indent 0.
    std::string Write(const M3DOMObject* mo) const;

    TempDir m_Dir;
    CShaderHandler m_Shaders;
    std::unique_ptr<CLogFile> m_pLog;
    std::unique_ptr<M3DOMWorld> m_pWorld;

private:
    size_t m_nLogRead = 0;
};

// A line per node and object of the tree with every value a script sets, indented by depth:
// two worlds read from the same text describe alike.
std::string DescribeTree(const M3DOMTree* tree);
// Takes the thread's quit request from the queue: its code, or -1 when none was posted.
int TakeQuitRequest();

// A script of the fixtures folder.
std::string ScriptFixturePath(const char* name);

// The name of the shader the fixture's handler holds.
inline constexpr const char* kGlowShader = "Glow";
