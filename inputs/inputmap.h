#pragma once

#include <array>
#include <cstdint>

namespace inputs {

// Indicator of each input number 0..51 (inputs 52..63 have none).
constexpr int kIndicatedInputs = 52;
extern const std::array<const char *, kIndicatedInputs> kIndicatorNames;
// Indicators 48 and 49 exist only while the extra shifters are on.
constexpr int kExtraShifterInputs[2] = {48, 49};

// The 64 input bits of a 16-byte payload (bytes 4..11, little-endian).
uint64_t inputBits(const uint8_t *payload, int size);
// Raw paddle positions of a payload: bytes 0-1 right, 2-3 left.
inline uint16_t rightPaddle(const uint8_t *p) { return uint16_t(p[0] | p[1] << 8); }
inline uint16_t leftPaddle(const uint8_t *p) { return uint16_t(p[2] | p[3] << 8); }

// The ten encoders as (down, up) input pairs, in look-up order.
constexpr std::array<uint8_t, 20> kEncoderInputs = {2,  3,  4,  5,  13, 14, 16, 17, 18, 19,
                                                    24, 25, 26, 27, 34, 35, 36, 37, 45, 46};

}  // namespace inputs
