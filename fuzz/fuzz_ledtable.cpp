// The LED colour table as a wheel may report it, and colours as the page may
// hold them: unpacking and packing, blocks and their order, layouts, channel
// orders.
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
    for (size_t k = 0; k < kComponents; ++k) {
        REQUIRE(components[k] == kLevelValues[size_t(levelAt(table, k))]);
        REQUIRE(levelOf(components[k]) == levelAt(table, k));
    }

    // Any value finds the smallest level at least as bright.
    for (size_t i = 0; i + 1 < size && i < 64; i += 2) {
        const int value = int(int8_t(data[i])) * 3 + data[i + 1];  // about -384 to 636
        const int level = levelOf(value);
        REQUIRE(level >= 0 && level <= 15);
        if (value <= 255) REQUIRE(kLevelValues[size_t(level)] >= value);
        if (level > 0) REQUIRE(kLevelValues[size_t(level - 1)] < value);
    }

    // Colours of the page into a table: positions past the list stay white.
    const size_t count = size ? data[0] % (kPositions + 8) : 0;
    Rgb colors[kPositions + 8];
    for (size_t p = 0; p < kPositions + 8; ++p)
        for (size_t c = 0; c < 3; ++c) colors[p][c] = size ? data[(3 * p + c) % size] : 0;
    const Table packed = packColors(colors, count);
    const Components back = expandTable(packed);
    for (size_t p = 0; p < kPositions; ++p)
        for (size_t c = 0; c < 3; ++c) {
            const int want = p < count ? kLevelValues[size_t(levelOf(colors[p][c]))] : 255;
            REQUIRE(back[3 * p + c] == want);
        }

    // Blocks: each a slice of the table, sent in an order that is a
    // permutation ending with block 2.
    for (int i = -2; i < kMaxBlocks + 2; ++i) {
        const Block block = tableBlock(table, i);
        if (i >= 0 && i < kMaxBlocks)
            REQUIRE(std::equal(block.begin(), block.end(), table.begin() + long(i) * long(kBlockBytes)));
        else REQUIRE(std::all_of(block.begin(), block.end(), [](uint8_t b) { return b == 0xFF; }));
    }
    for (int blocks : {4, 8}) {
        bool seen[8] = {};
        for (int n = 0; n < blocks; ++n) {
            const int index = blockAt(blocks, n);
            REQUIRE(index >= 0 && index < blocks && !seen[index]);
            seen[index] = true;
        }
        REQUIRE(blockAt(blocks, blocks - 1) == 2);
    }

    // Channel orders, valid or not, rearrange and put back.
    for (int order = -2; order < 9; ++order) {
        const Rgb color{table[0], table[1], table[2]};
        REQUIRE(fromLed(toLed(color, order), order) == color);
    }

    // Any name: a layout or none, every position written from a real button.
    const std::string_view name(reinterpret_cast<const char *>(data), size);
    const LedModel model = device::ledModelFor(name);
    const int blocks = model.blocks;
    REQUIRE(blocks == 4 || blocks == 8);
    if (const Layout *layout = model.layout) {
        REQUIRE(layout->count <= kPositions && layout->count <= size_t(blocks) * kBlockBytes * 2 / 3);
        for (size_t p = 0; p < layout->count + 2; ++p) {
            Button button = NoButton;
            int order = -1;
            if (p < layout->count) REQUIRE(buttonName(layout->positions[p].write) != nullptr);
            if (readsPosition(*layout, p, button, order)) {
                REQUIRE(p < layout->count && buttonName(button) != nullptr);
                REQUIRE(order >= 0 && order <= 5);
            }
        }
    }
    return 0;
}
