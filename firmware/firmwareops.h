// Firmware and flash: streaming an image to the wheel and erasing its
// stored settings. Qt-free.
#pragma once

#include "device/device.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace firmware {

// Sends the image block by block, then the finish frame, after which the
// wheel writes it and restarts. `progress` hears 0 to 95 as the blocks go
// out, each value once. Stops at the first frame the wheel did not take, so
// a gap is never finished; false then.
bool uploadImage(device::Device &wheel, std::vector<uint8_t> image, const std::function<void(int)> &progress);

// Returns the wheel's stored settings to the factory's.
bool clearFlash(device::Device &wheel);

}  // namespace firmware
