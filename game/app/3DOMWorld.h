// The object model's world: the instance tree (what stands in the level), the template tree
// (nodes defined once and cloned by name), the named entries both trees' points take their
// kinds from, and the particle systems of every node.
#pragma once

class CEmitterList;
class CGfxHandler;
class CLogFile;
class CNamedEntryList;
class CRenderDevice;
class CShaderHandler;
class M3DOMScripter;
class M3DOMTree;

class M3DOMWorld {
public:
    M3DOMWorld(CGfxHandler* gfxHandler, CShaderHandler* shaderHandler, CRenderDevice* device, CLogFile* log,
               double* frameTime, double* runTime);
    M3DOMWorld(const M3DOMWorld&) = delete;
    M3DOMWorld& operator=(const M3DOMWorld&) = delete;
    virtual ~M3DOMWorld();

    CNamedEntryList* m_pNamedEntries;  // owned
    M3DOMTree* m_pInstanceTree;        // owned
    M3DOMTree* m_pTemplateTree;        // owned
    M3DOMScripter* m_pScripter;        // owned: the object-model scripts' reader and writer
    CEmitterList* m_pEmitters;             // owned
};
