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

// Inputs with an indicator for one report: 48 and 49 only while the extra
// shifters are on.
inline uint64_t indicatedFor(uint64_t withIndicator, bool extraShifters) {
    constexpr uint64_t extra =
        (uint64_t(1) << kExtraShifterInputs[0]) | (uint64_t(1) << kExtraShifterInputs[1]);
    return extraShifters ? withIndicator : withIndicator & ~extra;
}

// One report's effect on the indicators, as masks over input numbers.
struct ReportStep {
    uint64_t active = 0;    // shown by this report
    uint64_t released = 0;  // lit before and not now: the encoder binding's steps
    uint64_t lit = 0;       // lit after it
};
// `bits`: the report's input bits; `indicated`: inputs with an indicator for
// this report; `enabled`: those whose indicator is enabled (an active input
// with a disabled one counts as not active); `lit`: lit before the report.
// Inputs without an indicator keep their state.
inline ReportStep stepReport(uint64_t bits, uint64_t indicated, uint64_t enabled, uint64_t lit) {
    ReportStep step;
    step.active = bits & indicated & enabled;
    step.released = lit & indicated & ~step.active;
    step.lit = (lit & ~indicated) | step.active;
    return step;
}

// The ten encoders as (down, up) input pairs, in look-up order.
// clang-format off
constexpr std::array<uint8_t, 20> kEncoderInputs = {2,  3,  4,  5,  13, 14, 16, 17, 18, 19,
                                                    24, 25, 26, 27, 34, 35, 36, 37, 45, 46};
// clang-format on

}  // namespace inputs
