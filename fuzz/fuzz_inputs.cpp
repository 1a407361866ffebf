// Input reports in a row, as a wheel or a broken cable may deliver them
// (one flag byte, then up to 16 payload bytes; the last may be short),
// through each report's indicator step, checked input by input against the
// rules as written.
#include "inputs/inputmap.h"
#include "require.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 8) return 0;
    uint64_t enabled = 0, lit = 0;
    std::memcpy(&enabled, data, 8);
    for (size_t at = 8; at < size;) {
        const uint8_t flags = data[at++];  // bit 0: extra shifters on; bit 1: the enabled set turns over
        const int length = int(std::min<size_t>(size - at, 16));
        uint8_t payload[16] = {};
        std::memcpy(payload, data + at, size_t(length));
        at += size_t(length);
        if (flags & 2) enabled = ~enabled;

        const uint64_t bits = inputs::inputBits(payload, length);
        for (int i = 0; i < 8; ++i)
            REQUIRE(uint8_t(bits >> (8 * i)) == (4 + i < length ? payload[4 + i] : 0));

        const uint64_t all = (uint64_t(1) << inputs::kIndicatedInputs) - 1;
        const uint64_t indicated = inputs::indicatedFor(all, flags & 1);
        const inputs::ReportStep step = inputs::stepReport(bits, indicated, enabled, lit);
        for (int n = 0; n < 64; ++n) {
            const auto bit = [n](uint64_t mask) { return bool(mask >> n & 1); };
            // No indicator (past 51, or 48 and 49 without the extra shifters): nothing changes.
            const bool shown = n < inputs::kIndicatedInputs && ((flags & 1) || (n != 48 && n != 49));
            const bool active = shown && bit(bits) && bit(enabled);
            REQUIRE(bit(step.active) == active);
            REQUIRE(bit(step.released) == (shown && bit(lit) && !active));
            REQUIRE(bit(step.lit) == (shown ? active : bit(lit)));
        }
        lit = step.lit;
    }
    return 0;
}
