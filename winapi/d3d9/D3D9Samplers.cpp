// The sampler states as OpenGL sampler objects (one per stage, bound to its unit for the
// device's life), and the textures bound to the units with the most detailed level each
// may use: the larger of the texture's level of detail (SetLOD) and the stage's maximum
// mip level.
#include <algorithm>
#include <cstring>

#include "winapi/d3d9/D3D9_local.h"

namespace winapi::d3d {
namespace {

GLint AddressMode(DWORD address) {
    switch (address) {
    case D3DTADDRESS_MIRROR:
        return GL_MIRRORED_REPEAT;
    case D3DTADDRESS_CLAMP:
        return GL_CLAMP_TO_EDGE;
    case D3DTADDRESS_BORDER:
        return GL_CLAMP_TO_BORDER;
    case D3DTADDRESS_MIRRORONCE:
        return GL_MIRROR_CLAMP_TO_EDGE;
    default:
        return GL_REPEAT;
    }
}

// Linear, anisotropic and the two quad filters all blend; none and point do not.
bool Blends(DWORD filter) {
    return filter != D3DTEXF_NONE && filter != D3DTEXF_POINT;
}

GLint MinificationFilter(DWORD minFilter, DWORD mipFilter) {
    const bool linear = Blends(minFilter);
    if (mipFilter == D3DTEXF_NONE)
        return linear ? GL_LINEAR : GL_NEAREST;
    if (mipFilter == D3DTEXF_POINT)
        return linear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
    return linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
}

}  // namespace

void CDevice::FindAnisotropy() {
    m_fMaxAnisotropy = 0.0f;
    GLint extensions = 0;
    glGetIntegerv(GL_NUM_EXTENSIONS, &extensions);
    bool found = false;
    for (GLint i = 0; i < extensions && !found; ++i) {
        const char* name = reinterpret_cast<const char*>(glGetStringi(GL_EXTENSIONS, static_cast<GLuint>(i)));
        found = name && (strcmp(name, "GL_EXT_texture_filter_anisotropic") == 0 ||
                         strcmp(name, "GL_ARB_texture_filter_anisotropic") == 0);
    }
    if (!found)
        return;
    GLfloat maximum = 1.0f;
    glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &maximum);
    m_fMaxAnisotropy = std::max(maximum, 1.0f);
}

void CDevice::ApplySamplers() {
    if (!m_bSamplersDirty)
        return;
    m_bSamplersDirty = false;
    for (int stage = 0; stage < 8; ++stage) {
        const DWORD* ss = m_SamplerStates[stage];
        const GLuint sampler = m_glSamplers[stage];
        glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, AddressMode(ss[D3DSAMP_ADDRESSU]));
        glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, AddressMode(ss[D3DSAMP_ADDRESSV]));
        glSamplerParameteri(sampler, GL_TEXTURE_WRAP_R, AddressMode(ss[D3DSAMP_ADDRESSW]));
        glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, Blends(ss[D3DSAMP_MAGFILTER]) ? GL_LINEAR : GL_NEAREST);
        glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER,
                            MinificationFilter(ss[D3DSAMP_MINFILTER], ss[D3DSAMP_MIPFILTER]));
        float border[4];
        ColorOf(ss[D3DSAMP_BORDERCOLOR], border);
        glSamplerParameterfv(sampler, GL_TEXTURE_BORDER_COLOR, border);
        glSamplerParameterf(sampler, GL_TEXTURE_LOD_BIAS, FloatOf(ss[D3DSAMP_MIPMAPLODBIAS]));
        if (m_fMaxAnisotropy > 0.0f) {
            const bool anisotropic =
                ss[D3DSAMP_MINFILTER] == D3DTEXF_ANISOTROPIC || ss[D3DSAMP_MAGFILTER] == D3DTEXF_ANISOTROPIC;
            const float degree = static_cast<float>(std::clamp<DWORD>(ss[D3DSAMP_MAXANISOTROPY], 1, 16));
            glSamplerParameterf(sampler, GL_TEXTURE_MAX_ANISOTROPY_EXT,
                                anisotropic ? std::min(degree, m_fMaxAnisotropy) : 1.0f);
        }
    }
}

void CDevice::BindTextures() {
    for (int stage = 0; stage < 8; ++stage) {
        CGlTexture* texture = m_Textures[stage];
        const GLuint name = texture ? texture->GlName() : 0;
        if (m_glBoundTextures[stage] != name) {
            glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(stage));
            glBindTexture(GL_TEXTURE_2D, name);
            m_glBoundTextures[stage] = name;
        }
        // The level is the texture's own: bound to two stages with different maximum levels,
        // the later stage decides.
        if (texture)
            texture->UseBaseLevel(std::max(texture->GetLOD(), m_SamplerStates[stage][D3DSAMP_MAXMIPLEVEL]));
    }
}

}  // namespace winapi::d3d
