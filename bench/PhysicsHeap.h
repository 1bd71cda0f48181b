// A heap of mixed balls and boxes dropped into a well (a floor between two walls), stepped by
// the physics layer with an accepting contact handler or by plain ODE calls with the layer's
// settings, plane constraint and near callback. The same numbers build every kind, so the
// layer and bare ODE with held shapes run bit-identical heaps.
#pragma once

#include <memory>

enum class EHeapKind {
    kLayer,
    kBareOde,      // shapes on their bodies directly
    kBareOdeHeld,  // shapes in geom transforms, as the layer's compound bodies hold them
};

class CPhysicsHeap {
public:
    // Every heap's well holds this many bodies once they have settled.
    static constexpr int kMaxBodies = 2000;

    virtual ~CPhysicsHeap() = default;
    // One fixed scene step: two half-steps, each with the plane constraint.
    virtual void FixedStep() = 0;
    virtual double MeanHeight() const = 0;
    // Of the dynamic bodies, m/s: once the heap has settled, the solver's jitter (a few
    // centimetres a second in a deep heap).
    virtual double MeanSpeed() const = 0;
};

// A heap of bodies (1 to kMaxBodies) falling from rows above the well; it starts settling
// from its first fixed step.
std::unique_ptr<CPhysicsHeap> MakePhysicsHeap(EHeapKind kind, int bodies);
