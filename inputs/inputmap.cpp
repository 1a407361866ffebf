#include "inputmap.h"

namespace inputs {

// clang-format off
const std::array<const char *, kIndicatedInputs> kIndicatorNames = {
    "pbIB1",  "pbISW1", "pbID5L", "pbID5R", "pbID1L", "pbID1R", "pbIB2",   "pbIB6",  "pbJsL1",
    "pbJsL2", "pbJsL3", "pbJsL4", "pbJsLC", "pbJsLL", "pbJsLR", "pbIB5",   "pbID7L", "pbID7R",
    "pbID3L", "pbID3R", "pbIB3",  "pbIB4",  "pbIBarR", "pbSWL", "pbID8L",  "pbID8R", "pbID4L",
    "pbID4R", "pbIB11", "pbIB12", "pbIBarL", "pbSWR", "pbIB9",  "pbISW2",  "pbID6L", "pbID6R",
    "pbID2L", "pbID2R", "pbIB10", "pbIB13", "pbJsR1", "pbJsR2", "pbJsR3",  "pbJsR4", "pbJsRC",
    "pbJsRL", "pbJsRR", "pbIB14", "pbIExR", "pbIExL", "pbIEbL", "pbIEbR"};
// clang-format on

uint64_t inputBits(const uint8_t *payload, int size) {
    uint64_t bits = 0;
    for (int i = 0; i < 8 && 4 + i < size; ++i) bits |= uint64_t(payload[4 + i]) << (8 * i);
    return bits;
}

}  // namespace inputs
