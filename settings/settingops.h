// The wheel's settings: the paddle record, settings by sub-index, the
// stored on/off switches and the shifter calibrations. Qt-free.
#pragma once

#include "device/device.h"
#include "device/protocol.h"

#include <optional>

namespace settings {

// A setting's value, when the wheel answered for that sub-index.
std::optional<int32_t> readSetting(device::Device &wheel, uint8_t sub);
// Applies a setting; with `store` the wheel also keeps it.
bool writeSetting(device::Device &wheel, uint8_t sub, int32_t value, bool store);
// Brings a stored on/off setting (1 on, 255 off) in line with `on`: reads
// it and, only when it differs, stores the new value in a frame built over
// the answer just read, so that its bytes 8-19 repeat that answer. False
// when the read or the write failed.
bool storeSwitch(device::Device &wheel, uint8_t sub, bool on);

std::optional<device::PaddleRecord> readPaddleRecord(device::Device &wheel);
bool writePaddleRecord(device::Device &wheel, const device::PaddleRecord &record, bool store);
// The window holds the limits as 32-bit values while a calibration widens
// them; the wheel takes their low 16 bits.
inline device::PaddleRecord paddleRecord(uint16_t value, uint32_t rightMax, uint32_t leftMax,
                                         uint32_t rightMin, uint32_t leftMin) {
    return {value, uint16_t(rightMax), uint16_t(leftMax), uint16_t(rightMin), uint16_t(leftMin)};
}

// A clutch calibration learnt a range when its reports widened it past one
// position: its minimum below its maximum.
inline bool rangeLearnt(uint32_t min, uint32_t max) { return min < max; }

// A shifter's threshold calibration (`sub`: SetLeftShifterCal and the
// like): the start is applied only; the finish makes the wheel keep what
// the held shifter reads.
bool startShifterCalibration(device::Device &wheel, uint8_t sub);
bool finishShifterCalibration(device::Device &wheel, uint8_t sub);

}  // namespace settings
