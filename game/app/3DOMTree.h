// One tree of the object model: a root node named "#root" and the list of every scene object
// of the tree, with the transform passes and the collision tests between subtrees.
#pragma once

#include "engine/core/Vector3.h"

class C3DObject;
class C3DObjectList;
class CEmitterList;
class CGfxHandler;
class CLogFile;
class CNamedEntryList;
class CRenderDevice;
class CShaderHandler;
class M3DOMObject;

class M3DOMTree {
public:
    static constexpr const char* kRootName = "#root";

    M3DOMTree(CGfxHandler* gfxHandler, CShaderHandler* shaderHandler, CRenderDevice* device, CLogFile* log,
              double* frameTime, double* runTime, CNamedEntryList* namedEntries, CEmitterList* emitters);
    M3DOMTree(const M3DOMTree&) = delete;
    M3DOMTree& operator=(const M3DOMTree&) = delete;
    virtual ~M3DOMTree();

    // A node of this tree with that name and no parent; the caller links it.
    M3DOMObject* CreateMO(const char* name);
    // A copy of mo's subtree for tree, without a parent.
    static M3DOMObject* CloneMO(const M3DOMObject* mo, M3DOMTree* tree);
    // Deletes every node below the root.
    void DeleteAll();
    M3DOMObject* FindByName(const char* name) const;

    // Appends every child of from to to's children. 0 and nothing moved when to lies in from's
    // subtree.
    static int MoveChildren(M3DOMObject* to, M3DOMObject* from);
    // Moves mo under newParent. 0 and nothing moved when newParent lies in mo's subtree.
    static int Reparent(M3DOMObject* newParent, M3DOMObject* mo);

    // Whether an object of a touches one of b; never for a node with itself.
    static int Touches(const M3DOMObject* a, const M3DOMObject* b, float excludeValue);
    // Whether o touches an object of one of mo's direct children.
    static int CollidesWithList(const M3DOMObject* mo, const C3DObject* o, float excludeValue);
    // Whether the subtrees of a and b touch, pair by pair of their nodes.
    static int Collide(const M3DOMObject* a, const M3DOMObject* b, float excludeValue);

    // The tree's objects in render pass 0 and the passes up to 9 after it, then their shadows;
    // time is the shader time, the application's running time in seconds.
    void Draw(double time);

    // One frame of motion from the root, then every object's matrix and points.
    void UpdateAll();
    // Places the scene from mo (the root for none) without moving or turning anything.
    void UpdateTransforms(M3DOMObject* mo);

    CLogFile* m_pLog;
    M3DOMObject* m_pRoot;     // owned
    C3DObjectList* m_pOList;  // owned: every object of every node
    CEmitterList* m_pEmitters;  // the world's
};
