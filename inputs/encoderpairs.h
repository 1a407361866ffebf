// Look-up of a rotary encoder by either of its two inputs.
#pragma once

#include "inputmap.h"

#include <optional>

namespace inputs {

struct EncoderPair {
    uint8_t down;
    uint8_t up;
};

// The encoder one of whose directions is `input`. Turning either way binds
// the same pair: even table positions are down, the next one up.
inline std::optional<EncoderPair> encoderPairOf(int input) {
    for (size_t i = 0; i < kEncoderInputs.size(); ++i) {
        if (kEncoderInputs[i] == input)
            return EncoderPair{kEncoderInputs[i & ~size_t(1)], kEncoderInputs[i | size_t(1)]};
    }
    return std::nullopt;
}

}  // namespace inputs
