#include "engine/platform/InputDevice.h"

// The last presses lie far in the past, so that a first click is never a double click.
CInputDevice::CInputDevice() : m_Events(1, 1), m_dLastButtonDownTime{-1.0e9, -1.0e9, -1.0e9, -1.0e9} {}
