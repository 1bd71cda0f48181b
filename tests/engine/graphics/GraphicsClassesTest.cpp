// The graphics library's run-time classes, found by name once RegisterGraphicsClasses is
// referenced and made by their factories.
#include "engine/graphics/GraphicsClasses.h"

#include <gtest/gtest.h>

#include "engine/core/CoreClasses.h"
#include "engine/graphics/Gfx.h"
#include "engine/graphics/GfxHandler.h"
#include "engine/graphics/IndexBuffer.h"
#include "engine/graphics/Model.h"
#include "engine/graphics/Polyline.h"
#include "engine/graphics/RenderDevice.h"
#include "engine/graphics/RenderDeviceDX9.h"
#include "engine/graphics/RendererResource.h"
#include "engine/graphics/ShaderHandler.h"
#include "engine/graphics/Texture.h"
#include "engine/graphics/Texture2D.h"
#include "engine/graphics/VertexBuffer.h"
#include "tests/support/RunTimeClassTable.h"

namespace {

using enum EClassKind;

class GraphicsClassesTest : public ::testing::TestWithParam<RunTimeClassRow> {
protected:
    static void SetUpTestSuite() {
        RegisterCoreClasses();
        RegisterGraphicsClasses();
    }
};

TEST_P(GraphicsClassesTest, IsFoundByNameUnderItsParentAndMadeByItsFactory) {
    ExpectRegisteredAsTheRowSays(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Classes, GraphicsClassesTest,
                         ::testing::Values(ClassRow<CRenderDevice>("CRenderDevice", "CObject", kAbstract),
                                           ClassRow<CRenderDeviceDX9>("CRenderDeviceDX9", "CRenderDevice", kConcrete),
                                           ClassRow<CRendererResource>("CRendererResource", "CObject", kAbstract),
                                           ClassRow<CVertexBuffer>("CVertexBuffer", "CRendererResource", kConcrete),
                                           ClassRow<CIndexBuffer>("CIndexBuffer", "CRendererResource", kConcrete),
                                           ClassRow<CTexture2D>("CTexture2D", "CRendererResource", kConcrete),
                                           ClassRow<CTexture>("CTexture", "CObject", kConcrete),
                                           ClassRow<CModel>("CModel", "CObject", kConcrete),
                                           ClassRow<CGfx>("CGfx", "CObject", kConcrete),
                                           ClassRow<CGfxHandler>("CGfxHandler", "CObject", kConcrete),
                                           ClassRow<CShaderHandler>("CShaderHandler", "CObject", kConcrete),
                                           ClassRow<CPolyline>("CPolyline", "CObject", kConcrete)),
                         RowName);

}  // namespace
