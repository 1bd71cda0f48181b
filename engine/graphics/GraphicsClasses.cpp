#include "engine/graphics/GraphicsClasses.h"

#include "engine/graphics/Gfx.h"
#include "engine/graphics/GfxHandler.h"
#include "engine/graphics/IndexBuffer.h"
#include "engine/graphics/Model.h"
#include "engine/graphics/Polyline.h"
#include "engine/graphics/RenderDevice.h"
#include "engine/graphics/RenderDeviceDX9.h"
#include "engine/graphics/ShaderHandler.h"
#include "engine/graphics/Texture.h"
#include "engine/graphics/Texture2D.h"
#include "engine/graphics/VertexBuffer.h"

IMPLEMENT_ABSTRACT_RUNTIME_CLASS(CRenderDevice, CObject)
IMPLEMENT_RUNTIME_CLASS(CRenderDeviceDX9, CRenderDevice)
IMPLEMENT_ABSTRACT_RUNTIME_CLASS(CRendererResource, CObject)
IMPLEMENT_RUNTIME_CLASS(CVertexBuffer, CRendererResource)
IMPLEMENT_RUNTIME_CLASS(CIndexBuffer, CRendererResource)
IMPLEMENT_RUNTIME_CLASS(CTexture2D, CRendererResource)
IMPLEMENT_RUNTIME_CLASS(CTexture, CObject)
IMPLEMENT_RUNTIME_CLASS(CModel, CObject)
IMPLEMENT_RUNTIME_CLASS(CGfx, CObject)
IMPLEMENT_RUNTIME_CLASS(CGfxHandler, CObject)
IMPLEMENT_RUNTIME_CLASS(CShaderHandler, CObject)
IMPLEMENT_RUNTIME_CLASS(CPolyline, CObject)

void RegisterGraphicsClasses() {}
