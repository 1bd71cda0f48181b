// What the scene-object tests share: the recording device, a graphics handler holding models
// made by the model tool, and the world's named entries with the connector kinds.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "engine/core/Vector3.h"
#include "engine/graphics/GfxHandler.h"
#include "game/app/NamedEntryList.h"
#include "tools/render/RecordingRenderDevice.h"

class CGfx;
class CModel;

class SceneObjectTest : public ::testing::Test {
protected:
    void SetUp() override;

    // A graphics resource of that name holding the tool's model of the text; none (with a
    // test failure) when the tool or the reader refuses it.
    CGfx* AddModel(const char* name, const std::string& text);
    // A resource of that name that holds no model: a texture, or a model that never loaded.
    CGfx* AddTexture(const char* name);
    CGfx* AddEmptyModel(const char* name);

    CRecordingRenderDevice m_Device;
    CGfxHandler m_Gfx;
    CNamedEntryList m_Entries;

private:
    CGfx* AddResource(const char* name, uint32_t kind, CModel* model);
};

// A one-tag model of ten frames: a unit box with a sphere and a box around it and the tag at
// the origin, its z axis the tag's direction.
std::string OneTagModel(const char* tag);

// Components within a small tolerance.
void ExpectNear(const CVector3& actual, const CVector3& expected, float tolerance = 1e-5f);

// A row vector through scale, then the turns about x, z and y, written out by component.
CVector3 TurnByHand(const CVector3& v, const CVector3& scale, const CVector3& rot);
