// The paddle record as the window sends it.
#pragma once

#include "device/protocol.h"

#include <QtGlobal>

namespace settings {

// The limits are held as 32-bit values while a calibration widens them; the
// wheel takes their low 16 bits.
inline device::Frame paddleRecordFrame(quint16 value, bool store, quint32 rightMax, quint32 leftMax,
                                      quint32 rightMin, quint32 leftMin) {
    return device::writePaddleFrame(value, store, quint16(rightMax), quint16(leftMax),
                                   quint16(rightMin), quint16(leftMin));
}

}  // namespace settings
