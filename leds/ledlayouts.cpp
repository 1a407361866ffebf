#include "ledlayouts.h"

#include <algorithm>
#include <iterator>

namespace leds {
namespace {

// clang-format off
const char *const kButtonNames[ButtonCount] = {
    "pbB1",  "pbB2",  "pbB3",  "pbB4",  "pbB5",  "pbB6",  "pbB9",  "pbB10", "pbB11", "pbB12",
    "pbB13", "pbB14", "pbD3",  "pbD4",  "pbD13", "pbD16", "pbD23", "pbD26", "pbT1",  "pbT2",
    "pbT3",  "pbT4",  "pbT5",  "pbT6",  "pbT7",  "pbT8",  "pbT9",  "pbT10", "pbT11", "pbT12",
    "pbT13", "pbT14", "pbT15", "pbT16", "pbT17", "pbT18", "pbT19", "pbTL1", "pbTL2", "pbTL3",
    "pbTR1", "pbTR2", "pbTR3", "pbXL",  "pbXR",
};

// A position read back from the button that writes it.
constexpr Slot s(Button b, uint8_t order = 0) { return {b, order, b, order}; }
// A position that reading paints into another button, or in another order.
constexpr Slot r(Button b, uint8_t order, Button readButton, uint8_t readOrder) {
    return {b, order, readButton, readOrder};
}

// M-ZEN and PQV7.
constexpr Slot kMzen[] = {
    s(B1), s(B9), s(B2), s(B10), s(B3), s(B11), s(B4), s(B12), s(B5), s(B13), s(B6), s(B14),
    s(D13), s(D23), s(D13), s(D23), s(D13), s(D23),
    s(D16), s(D26), s(D16), s(D26), s(D16), s(D26),
    s(D3), s(D4),
    s(T1), s(T2), s(T3), s(T4), s(T5), s(T6), s(T7), s(T8), s(T9), s(T10), s(T11),
    s(TL3), s(TR3), s(TL2), s(TR2), s(TL1), s(TR1),
};

constexpr Slot kKstar2[] = {
    s(B1), s(B9), s(B2), s(B10), s(B3), s(B11), s(B4), s(B12), s(B5), s(B13), s(B6), s(B14),
    s(D13), s(D23), s(D13), s(D23), s(D13), s(D23),
    s(D16), s(D26), s(D16), s(D26), s(D16), s(D26),
    s(D16, 1), s(D26, 1),
};

constexpr Slot kLb370[] = {
    s(B1), s(B9), s(B2), s(B10),
    r(B2, 0, B3, 0), r(B10, 0, B11, 0),
    s(B4), s(B12), s(B5), s(B13), s(B6), s(B14),
    s(D13), s(D23), s(D13), s(D23), s(D13), s(D23),
    s(D16), s(D26), s(D3), s(D4),
    s(D13), s(D23),
    s(B1, 1), s(B9, 1),
    r(D13, 1, T1, 0), r(D13, 1, T2, 0),
    s(T3), s(T4), s(T5), s(T6), s(T7), s(T8), s(T9),
    r(D23, 1, T10, 0), r(D23, 1, T11, 0),
    s(B4), s(B12), s(B5), s(B13), s(B6), s(B14),
};

// Every LED in G, R, B order; one line per run.
constexpr Slot kZorix[] = {
    s(T1, 2), s(T2, 2), s(T3, 2), s(T4, 2), s(T5, 2), s(T6, 2), s(T7, 2), s(T8, 2), s(T9, 2),
    s(T10, 2), s(T11, 2), s(T12, 2), s(T13, 2), s(T14, 2), s(T15, 2), s(T16, 2), s(T17, 2),
    s(T18, 2), s(T19, 2),
    s(B12, 2), s(B12, 2),
    s(TR3, 2),
    s(B10, 2), s(B10, 2),
    s(B11, 2), s(B11, 2),
    s(XR, 2), s(XR, 2),
    s(B9, 2), s(B9, 2),
    s(D23, 2), s(D23, 2), s(D23, 2), s(D23, 2), s(D23, 2), s(D23, 2), s(D23, 2), s(D23, 2), s(D23, 2),
    s(B13, 2), s(B13, 2),
    s(B14, 2), s(B14, 2),
    s(TR1, 2), s(TR1, 2),
    s(D26, 2), s(D26, 2), s(D26, 2), s(D26, 2), s(D26, 2), s(D26, 2), s(D26, 2), s(D26, 2), s(D26, 2),
    s(D16, 2), s(D16, 2), s(D16, 2), s(D16, 2), s(D16, 2), s(D16, 2), s(D16, 2), s(D16, 2), s(D16, 2),
    s(TL1, 2), s(TL1, 2),
    s(B6, 2), s(B6, 2),
    s(B5, 2), s(B5, 2),
    s(D13, 2), s(D13, 2), s(D13, 2), s(D13, 2), s(D13, 2), s(D13, 2), s(D13, 2), s(D13, 2), s(D13, 2),
    s(XL, 2), s(XL, 2),
    s(B1, 2), s(B1, 2),
    s(B3, 2), s(B3, 2),
    s(B4, 2), s(B4, 2),
    s(TL3, 2),
    s(B2, 2), s(B2, 2),
};

constexpr Slot kNva4[] = {
    s(B1), s(B9), s(B2), s(B10),
    r(B2, 0, B3, 0), r(B10, 0, B11, 0),
    s(B4), s(B12), s(B5), s(B13), s(B6), s(B14),
    s(D3), s(D4),
    s(B3), s(B11),
    s(D13), s(D23),
    s(B4), s(B12), s(B5), s(B13), s(B6), s(B14),
    r(D16, 1, D16, 0),
    r(D26, 4, D26, 0),
    s(T1), s(T2), s(T3), s(T4), s(T5), s(T6), s(T7), s(T8), s(T9), s(T10), s(T11),
    s(TL3), s(TR3), s(TL2), s(TR2),
    s(B1), s(B9),
    s(TL1),
    s(D16), s(D26),
    s(TL1),
};

// Every position is written from a real button.
template <size_t N>
constexpr bool allWritten(const Slot (&positions)[N]) {
    for (size_t p = 0; p < N; ++p)
        if (positions[p].write >= ButtonCount) return false;
    return true;
}
static_assert(allWritten(kMzen) && allWritten(kKstar2) && allWritten(kLb370) && allWritten(kZorix) &&
                  allWritten(kNva4),
              "layouts write from buttons");
static_assert(sizeof(kMzen) / sizeof(Slot) == 43, "M-ZEN has 43 positions");
static_assert(sizeof(kKstar2) / sizeof(Slot) == 26, "KSTAR2 has 26 positions");
static_assert(sizeof(kLb370) / sizeof(Slot) == 43, "LB370 has 43 positions");
static_assert(sizeof(kZorix) / sizeof(Slot) == 89, "ZORIX has 89 positions");
static_assert(sizeof(kNva4) / sizeof(Slot) == 47, "NVA4 has 47 positions");

constexpr std::array<std::array<int, 3>, 6> kChannels = {{
    {0, 1, 2},  // R, G, B
    {0, 2, 1},  // R, B, G
    {1, 0, 2},  // G, R, B
    {1, 2, 0},  // G, B, R
    {2, 0, 1},  // B, R, G
    {2, 1, 0},  // B, G, R
}};
// clang-format on

}  // namespace

const Layout kMzenLayout = {kMzen, std::size(kMzen), false};
const Layout kKstar2Layout = {kKstar2, std::size(kKstar2), false};
const Layout kLb370Layout = {kLb370, std::size(kLb370), false};
const Layout kZorixLayout = {kZorix, std::size(kZorix), true};
const Layout kNva4Layout = {kNva4, std::size(kNva4), false};

const char *buttonName(Button button) { return button < ButtonCount ? kButtonNames[button] : nullptr; }

int levelOf(int value) {
    for (int level = 0; level < 16; ++level)
        if (kLevelValues[size_t(level)] >= value) return level;
    return 15;
}

Components expandTable(const Table &table) {
    Components out{};
    for (size_t k = 0; k < kComponents; ++k) out[k] = kLevelValues[size_t(levelAt(table, k))];
    return out;
}

Table packComponents(const Components &components) {
    Table out{};
    for (size_t j = 0; j < kTableBytes; ++j)
        out[j] = uint8_t(levelOf(components[2 * j]) | (levelOf(components[2 * j + 1]) << 4));
    return out;
}

Table packColors(const Rgb *colors, size_t count) {
    Components components;
    components.fill(255);
    count = std::min(count, kPositions);
    for (size_t p = 0; p < count; ++p)
        std::copy(colors[p].begin(), colors[p].end(), components.begin() + long(3 * p));
    return packComponents(components);
}

std::array<int, 3> ledChannels(int order) {
    return kChannels[(order >= 1 && order <= 5) ? size_t(order) : 0];
}

Rgb toLed(const Rgb &color, int order) {
    const auto take = ledChannels(order);
    return {color[size_t(take[0])], color[size_t(take[1])], color[size_t(take[2])]};
}

Rgb fromLed(const Rgb &components, int order) {
    const auto take = ledChannels(order);
    Rgb color{};
    for (size_t i = 0; i < 3; ++i) color[size_t(take[i])] = components[i];
    return color;
}

void paintButton(Table &table, const Layout &layout, Button button, const Rgb &color) {
    for (size_t p = 0; p < std::min(layout.count, kPositions); ++p) {
        const Slot &slot = layout.positions[p];
        if (slot.write != button) continue;
        const Rgb led = toLed(color, slot.order);
        for (size_t c = 0; c < 3; ++c) {
            const size_t k = 3 * p + c;
            uint8_t &byte = table[k / 2];
            const int level = levelOf(led[c]);
            byte = k % 2 == 0 ? uint8_t((byte & 0xF0) | level) : uint8_t((byte & 0x0F) | (level << 4));
        }
    }
}

bool readsPosition(const Layout &layout, size_t p, Button &button, int &order) {
    if (p >= layout.count) return false;
    const Slot &slot = layout.positions[p];
    if (slot.read == NoButton) return false;
    if (layout.readFirstOfRun && p > 0 && layout.positions[p - 1].write == slot.write) return false;
    button = slot.read;
    order = slot.readOrder;
    return true;
}

Table composeTable(const Layout *layout, const std::function<Rgb(Button)> &colorOf) {
    std::array<Rgb, kPositions> list;
    const size_t count = layout ? std::min(layout->count, kPositions) : 0;
    std::array<std::optional<Rgb>, ButtonCount> colors;
    for (size_t p = 0; p < count; ++p) {
        const Slot &slot = layout->positions[p];
        std::optional<Rgb> &color = colors[slot.write];
        if (!color) color = colorOf(slot.write);
        list[p] = toLed(*color, slot.order);
    }
    return packColors(list.data(), count);
}

std::array<std::optional<Rgb>, ButtonCount> readColors(const Layout &layout, const Table &table,
                                                       Blocks read) {
    std::array<std::optional<Rgb>, ButtonCount> colors;
    const Components values = expandTable(table);
    for (size_t p = 0; p < layout.count && p < kPositions; ++p) {
        Button button;
        int order = 0;
        if (read[p / kBlockPositions] && readsPosition(layout, p, button, order))
            colors[button] = fromLed({values[3 * p], values[3 * p + 1], values[3 * p + 2]}, order);
    }
    return colors;
}

Block tableBlock(const Table &table, int index) {
    Block block;
    block.fill(0xFF);
    if (index < 0 || index >= kMaxBlocks) return block;
    std::copy_n(table.begin() + long(index) * long(kBlockBytes), kBlockBytes, block.begin());
    return block;
}

}  // namespace leds
