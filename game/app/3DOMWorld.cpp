#include "game/app/3DOMWorld.h"

#include "game/app/3DOMScripter.h"
#include "game/app/3DOMTree.h"
#include "game/app/EmitterList.h"
#include "game/app/NamedEntryList.h"

M3DOMWorld::M3DOMWorld(CGfxHandler* gfxHandler, CShaderHandler* shaderHandler, CRenderDevice* device, CLogFile* log,
                       double* frameTime, double* runTime)
    : m_pNamedEntries(new CNamedEntryList),
      m_pInstanceTree(nullptr),
      m_pTemplateTree(nullptr),
      m_pEmitters(new CEmitterList) {
    m_pInstanceTree = new M3DOMTree(gfxHandler, shaderHandler, device, log, frameTime, runTime, m_pNamedEntries,
                                    m_pEmitters);
    m_pTemplateTree = new M3DOMTree(gfxHandler, shaderHandler, device, log, frameTime, runTime, m_pNamedEntries,
                                    m_pEmitters);
    m_pScripter = new M3DOMScripter(this);
}

M3DOMWorld::~M3DOMWorld() {
    // The named entries go first: deleting the trees must not read a kind entry. The emitters
    // outlive the trees, whose nodes take their own entries out of the list.
    delete m_pNamedEntries;
    m_pNamedEntries = nullptr;
    delete m_pTemplateTree;
    delete m_pInstanceTree;
    delete m_pEmitters;
    delete m_pScripter;
    m_pScripter = nullptr;
}
