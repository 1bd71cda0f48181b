// A second-order filter of the kinds a noise layer names, after the well-known "audio EQ
// cookbook" formulas; its cut-off may change from one sample to the next for sweeps.
#pragma once

#include "tools/sound/SoundRecipe.h"

class CSoundFilter {
public:
    explicit CSoundFilter(ESoundFilter kind) : m_kind(kind) {}

    void SetCutoff(double hertz);
    double Step(double input);

private:
    ESoundFilter m_kind;
    // Coefficients over a0, and the transposed direct form's two states.
    double m_b0 = 1.0;
    double m_b1 = 0.0;
    double m_b2 = 0.0;
    double m_a1 = 0.0;
    double m_a2 = 0.0;
    double m_z1 = 0.0;
    double m_z2 = 0.0;
};
