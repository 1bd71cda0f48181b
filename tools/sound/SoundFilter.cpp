#include "tools/sound/SoundFilter.h"

#include <cmath>
#include <numbers>

void CSoundFilter::SetCutoff(double hertz) {
    if (m_kind == ESoundFilter::kNone)
        return;  // the input passes as it is
    // Butterworth's flat pass band for low and high pass; a narrower band pass sounds pitched.
    const double q = m_kind == ESoundFilter::kBandPass ? 2.0 : std::numbers::sqrt2 / 2.0;
    const double w0 = 2.0 * std::numbers::pi * hertz / kSoundRate;
    const double cosine = std::cos(w0);
    const double alpha = std::sin(w0) / (2.0 * q);
    const double a0 = 1.0 + alpha;
    if (m_kind == ESoundFilter::kLowPass) {
        m_b0 = (1.0 - cosine) / 2.0 / a0;
        m_b1 = (1.0 - cosine) / a0;
        m_b2 = m_b0;
    } else if (m_kind == ESoundFilter::kHighPass) {
        m_b0 = (1.0 + cosine) / 2.0 / a0;
        m_b1 = -(1.0 + cosine) / a0;
        m_b2 = m_b0;
    } else {
        m_b0 = alpha / a0;
        m_b1 = 0.0;
        m_b2 = -m_b0;
    }
    m_a1 = -2.0 * cosine / a0;
    m_a2 = (1.0 - alpha) / a0;
}

double CSoundFilter::Step(double input) {
    const double output = m_b0 * input + m_z1;
    m_z1 = m_b1 * input - m_a1 * output + m_z2;
    m_z2 = m_b2 * input - m_a2 * output;
    return output;
}
