// A named node of the object model: every machine element and every other part of a scene is
// one. It carries the values element scripts set, a placement that moves towards a target,
// its child nodes (the base's list), its scene objects and its particle emitters, and owns
// them all.
#pragma once

#include <cstdint>

#include "engine/core/ObjectList.h"
#include "engine/core/Vector3.h"

class C3DObject;
class M3DOMTree;
struct CEmitterLink;
struct ConnectionPoint;

class M3DOMObject : public CObjectList {
public:
    static constexpr int kNameSize = 80;
    // The class tag of the node that counts as a whole element when links are cut.
    static constexpr int32_t kWholeElementBKS = 3;

    explicit M3DOMObject(M3DOMTree* tree);
    ~M3DOMObject() override;

    // Every value back to its default, the parent set and the time pointers taken from the
    // tree's root.
    void Reset(M3DOMObject* parent);
    // The name cut to 79 characters; none gives an empty name.
    void SetName(const char* name);
    // Deletes the objects, the emitters and the whole subtree.
    void Clear();

    // Navigation. Indices come from files and scripts: none outside 0 .. count - 1.
    M3DOMObject* GetParent() const { return m_pParent; }
    M3DOMObject* GetChild(int index) const;
    int IndexOfChild(const M3DOMObject* mo) const;
    M3DOMObject* HasChild(const M3DOMObject* mo) const;
    // The nodes below this one, this one not counted.
    int CountMOs() const;
    // ".." gives the parent; otherwise depth first from the child at startIndex, each child
    // compared before its own children are searched. Names count case.
    M3DOMObject* FindByName(const char* name, int startIndex) const;
    // One FindByName step per name between the "/"s, empty names skipped; first gets the node
    // of the first step. This node for a path without names, none once a step finds nothing.
    M3DOMObject* FindByPath(M3DOMObject** first, const char* path);
    M3DOMObject* FindAncestorByName(const char* name);
    M3DOMObject* FindByBKS(int32_t value);
    // The ancestor without a parent; none for a node without a parent.
    M3DOMObject* GetTopAncestor() const;
    M3DOMObject* FindChildByLink(uint32_t value) const;
    C3DObject* GetO(int index) const;
    C3DObject* FindOByName(const char* name) const;
    CEmitterLink* FindEmitter(uint32_t id) const;

    // Changes. Objects and emitters are also entered in the tree's and the world's lists.
    C3DObject* AddO(const char* name, const CVector3& posRel);
    // Only an object of this node: it leaves the tree's list and is deleted.
    void RemoveO(C3DObject* o);
    void RemoveAllOs();
    CEmitterLink* AddEmitter(uint32_t id, uint32_t type, uint32_t param1, uint32_t param2);
    void RemoveAllEmitters();
    void DeleteChildren();
    // Unlinks a direct child (its parent cleared), deleting it with its subtree when asked;
    // nothing for a node that is not a child.
    void RemoveChild(M3DOMObject* child, int deleteChild);
    // The tree of every node below this one; this one keeps its own.
    void SetOwnerTree(M3DOMTree* tree);
    // A copy of the subtree for tree, its objects made anew against tree's entries; not linked
    // into parent's children. Emitters are not copied.
    M3DOMObject* Clone(M3DOMTree* tree, M3DOMObject* parent) const;

    // Over the whole subtree.
    void SetVisible(int32_t visible);
    void SetHit(int32_t hit);
    void ClearConnectionLinks();

    // Connection points of the subtree, visited through the own objects in order, each
    // object's points in order, then the children depth first. A kind is its entry's id.
    int CountConnectionsOfKind(int kind) const;
    ConnectionPoint* GetConnection(int kind, int n) const;
    int GetConnectionIndex(int kind, const ConnectionPoint* point) const;
    // Into the second value of every point of the kind that has a partner.
    void SetConnectionsValue(int kind, float value);
    // The first point whose name contains text.
    ConnectionPoint* FindTag(const char* text) const;
    // The nearest point that may snap to query; 100000 and none when no point may.
    float FindNearestConnectionPoint(ConnectionPoint** point, C3DObject** o, const ConnectionPoint* query) const;
    // Cuts the snap links (not belts, cables or ropes) to points of whole elements; 2 a pair.
    int DisconnectAll();
    // Links the free points of this node's objects to those of other's nearer than the snap
    // distance; 2 a pair.
    int SnapConnect(M3DOMObject* other);
    // SnapConnect between the children of both subtrees; 2 a pair.
    int SnapConnectSubtrees(M3DOMObject* other);

    // Per component, the larger (takeMax) or smaller of a and b into a.
    static void MinMaxVector(CVector3* a, const CVector3& b, int takeMax);
    // Grows the box by every object of the subtree that has a model.
    void GetBounds(CVector3* min, CVector3* max) const;
    CVector3 GetCenter() const;

    // Motion: one step of this node and its subtree; parent is this node's parent, none for a
    // root.
    void UpdateTransform(M3DOMObject* parent);
    void UpdateChildren();
    // The node's placement handed to its objects.
    void PlaceOs();
    // The objects' and every descendant's scale; this node's own only with setOwn.
    void SetScale(float x, float y, float z, int setOwn);
    // Stops the node where it is.
    void ResetMoveTarget();

    int32_t m_nTypeID = 0;
    int32_t m_nValN = 0;
    M3DOMTree* m_pTree;
    CPointerList* m_pOList;        // C3DObject*, owned
    CPointerList* m_pEmitterList;  // CEmitterLink*, owned with their entries
    char m_szName[kNameSize] = {};
    int32_t m_nBKS = 0;
    int32_t m_nCount = 1;
    M3DOMObject* m_pParent = nullptr;
    CVector3 m_vPos{0.0f, 0.0f, 0.0f};
    CVector3 m_vPosRel{0.0f, 0.0f, 0.0f};  // to the parent's position
    CVector3 m_vTarget{0.0f, 0.0f, 0.0f};
    CVector3 m_vTargetRel{0.0f, 0.0f, 0.0f};  // to the parent's target
    CVector3 m_vMoveDir{0.0f, 0.0f, 0.0f};    // unit step direction, 0 when not moving
    CVector3 m_vRot{0.0f, 0.0f, 0.0f};        // radians, wrapped in every pass
    CVector3 m_vRotRel{0.0f, 0.0f, 0.0f};
    CVector3 m_vAngularVelocity{0.0f, 0.0f, 0.0f};  // radians per second
    float m_fValF = 0.0f;
    int32_t m_bRelative = 0;  // position and target follow the parent
    int32_t m_bRotRel = 0;    // rotation follows the parent
    float m_fVelocity = 0.0f;  // units per second towards the target
    int32_t m_bArrived = 0;
    CVector3 m_vScale{1.0f, 1.0f, 1.0f};
    int32_t m_bUnscaledOffsets = 0;
    double* m_pRunTime = nullptr;    // the application's, seconds
    double* m_pFrameTime = nullptr;  // the application's, seconds
    int32_t m_nFrameMark = 0;
    int32_t m_bVisible = 1;
    uint8_t m_nGoal = 0;  // 0 none, 1 to reach, 2 failure if reached
    int32_t m_nTagSnap = 0;
    uint32_t m_nLink = 0;
    int32_t m_nConnectedTo = -1;  // the target's index in its level's element list, -1 for none
    // The element this one has to reach: another element of the same level, none when it has
    // no target. The script carries it as m_nConnectedTo; Clone leaves it out, since it names
    // a node of the original's level.
    M3DOMObject* m_pTarget = nullptr;
    int32_t m_nFixed = 0;
    int32_t m_bHold = 0;  // the transform pass skips the subtree
    int32_t m_nUnlocked = 0;
    int32_t m_nBits = 0;

private:
    void CopyValues(const M3DOMObject& source);
};
