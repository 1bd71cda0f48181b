// Float to int as the scripts' numbers need it: truncated towards zero and held to int's
// range, so that a huge or infinite value from a file cannot overflow the conversion.
#pragma once

#include <cmath>

// NaN has no integer value: it gives `nanValue`.
inline int SaturatingTruncate(float value, int nanValue = 0) {
    if (std::isnan(value))
        return nanValue;
    // -2^31 is exact as a float; 2^31 is the first value past the range.
    if (value >= 2147483648.0f)
        return 2147483647;
    if (value < -2147483648.0f)
        return -2147483647 - 1;
    return static_cast<int>(value);
}
