// Input reports in a row, as a wheel or a broken cable may deliver them,
// through the indicator logic of each report, checked against a plain
// reading of its rules: input by input, in increasing order.
#include "inputs/inputmap.h"
#include "require.h"

#include <cstring>
#include <vector>

namespace {

// The rules as written: lit state per indicator, releases in order.
struct Model {
    bool lit[inputs::kIndicatedInputs] = {};

    std::vector<int> step(uint64_t bits, uint64_t enabled, bool extraShifters) {
        std::vector<int> released;
        for (int n = 0; n < inputs::kIndicatedInputs; ++n) {
            if (!extraShifters && (n == 48 || n == 49)) continue;  // no indicator this report
            const bool active = (bits >> n & 1) && (enabled >> n & 1);
            if (!active && lit[n]) released.push_back(n);
            lit[n] = active;
        }
        return released;
    }
    uint64_t mask() const {
        uint64_t m = 0;
        for (int n = 0; n < inputs::kIndicatedInputs; ++n) m |= uint64_t(lit[n]) << n;
        return m;
    }
};

constexpr uint64_t kAllIndicators = (uint64_t(1) << inputs::kIndicatedInputs) - 1;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    // Which indicators are enabled, then reports of one flag byte (bit 0:
    // extra shifters on, bit 1: the enabled set turns over) and up to 16
    // payload bytes each; the last may be short.
    if (size < 8) return 0;
    uint64_t enabled = 0;
    std::memcpy(&enabled, data, 8);
    data += 8;
    size -= 8;

    Model model;
    uint64_t lit = 0;
    while (size > 0) {
        const uint8_t flags = data[0];
        const int length = int(std::min<size_t>(size - 1, 16));
        uint8_t payload[16] = {};
        std::memcpy(payload, data + 1, size_t(length));
        data += 1 + length;
        size -= 1 + size_t(length);
        const bool extraShifters = flags & 1;
        if (flags & 2) enabled = ~enabled;

        const uint64_t bits = inputs::inputBits(payload, length);
        for (int i = 0; i < 8; ++i)
            REQUIRE(uint8_t(bits >> (8 * i)) == (4 + i < length ? payload[4 + i] : 0));
        REQUIRE(inputs::rightPaddle(payload) == (payload[0] | payload[1] << 8));
        REQUIRE(inputs::leftPaddle(payload) == (payload[2] | payload[3] << 8));

        const uint64_t indicated = inputs::indicatedFor(kAllIndicators, extraShifters);
        const inputs::ReportStep step = inputs::stepReport(bits & indicated, indicated, enabled, lit);
        const inputs::ReportStep unmasked = inputs::stepReport(bits, indicated, enabled, lit);
        REQUIRE(step.active == unmasked.active && step.released == unmasked.released &&
                step.lit == unmasked.lit);

        const std::vector<int> released = model.step(bits, enabled, extraShifters);
        std::vector<int> fromMask;
        for (int n = 0; n < 64; ++n)
            if (step.released >> n & 1) fromMask.push_back(n);
        REQUIRE(fromMask == released);
        REQUIRE(step.lit == model.mask());
        REQUIRE((step.active & ~bits) == 0 && (step.active & ~enabled) == 0);
        REQUIRE((step.lit & ~kAllIndicators) == 0);
        lit = step.lit;
    }
    return 0;
}
