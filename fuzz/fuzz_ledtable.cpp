// The LED colour table as a wheel may report it, colours as the page may
// hold them, and any model name: unpacking and packing, channel orders.
#include "device/models.h"
#include "leds/ledlayouts.h"
#include "require.h"

#include <algorithm>
#include <cstring>
#include <string_view>

using namespace leds;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    Table table{};
    std::memcpy(table.data(), data, std::min(size, table.size()));

    // Every table is made of levels: packing what was unpacked gives back
    // the same bytes, and every component read is a level value.
    const Components components = expandTable(table);
    REQUIRE(packComponents(components) == table);
    for (size_t k = 0; k < kComponents; ++k) REQUIRE(levelOf(components[k]) == levelAt(table, k));

    // Colours of the page into a table: positions past the list stay white.
    const size_t count = size ? data[0] % (kPositions + 8) : 0;
    Rgb colors[kPositions + 8];
    for (size_t p = 0; p < kPositions + 8; ++p)
        for (size_t c = 0; c < 3; ++c) colors[p][c] = size ? data[(3 * p + c) % size] : 0;
    const Components back = expandTable(packColors(colors, count));
    for (size_t k = 0; k < 3 * kPositions; ++k)
        REQUIRE(back[k] == (k / 3 < count ? kLevelValues[size_t(levelOf(colors[k / 3][k % 3]))] : 255));

    // Any channel order, valid or not, puts back.
    const Rgb color{table[0], table[1], table[2]};
    for (int order = -2; order < 9; ++order) REQUIRE(fromLed(toLed(color, order), order) == color);

    // Any name: a model's LED facts or the default ones.
    const LedModel model = device::ledModelFor(std::string_view(reinterpret_cast<const char *>(data), size));
    REQUIRE(model.blocks == 4 || model.blocks == 8);
    return 0;
}
