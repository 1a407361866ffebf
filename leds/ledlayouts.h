// The wheel's LED colour table: 4-bit levels, the models' layouts and the
// packing of the table into blocks. Plain C++ without Qt, so a test or a
// fuzzer can call every piece directly.
#pragma once

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

namespace leds {

// The 45 colour buttons of the colours page.
// clang-format off
enum Button : uint8_t {
    B1, B2, B3, B4, B5, B6, B9, B10, B11, B12, B13, B14,
    D3, D4, D13, D16, D23, D26,
    T1, T2, T3, T4, T5, T6, T7, T8, T9, T10, T11, T12, T13, T14, T15, T16, T17, T18, T19,
    TL1, TL2, TL3, TR1, TR2, TR3,
    XL, XR,
    ButtonCount,
    NoButton = 0xFF,
};
// clang-format on

// Object name of a button in the form ("pbB1" ...); nullptr for NoButton.
const char *buttonName(Button button);

using Rgb = std::array<uint8_t, 3>;

constexpr size_t kTableBytes = 144;  // the largest table (ZORIX)
constexpr size_t kComponents = kTableBytes * 2;
constexpr size_t kPositions = kComponents / 3;
constexpr size_t kBlockBytes = 18;
constexpr int kMaxBlocks = int(kTableBytes / kBlockBytes);

constexpr size_t kBlockPositions = kBlockBytes * 2 / 3;  // 12: no position spans two blocks

using Table = std::array<uint8_t, kTableBytes>;
using Blocks = std::bitset<kMaxBlocks>;    // bit i: block i
using Buttons = std::bitset<ButtonCount>;  // by Button
using Components = std::array<uint8_t, kComponents>;
using Block = std::array<uint8_t, kBlockBytes>;

// --- levels -------------------------------------------------------------------

// clang-format off
constexpr std::array<uint8_t, 16> kLevelValues = {0,  4,  9,   17,  28,  39,  53,  69,
                                                  86, 106, 126, 149, 173, 199, 226, 255};
// clang-format on
// Smallest level whose value is at least `value` (values past 255 give 15).
int levelOf(int value);

// Level k is the low nibble of byte k / 2 when k is even, the high one when odd.
inline int levelAt(const Table &table, size_t k) {
    const uint8_t byte = table[k / 2];
    return (k % 2 == 0) ? (byte & 0x0F) : (byte >> 4);
}
// Every level of the table as its 8-bit component value.
Components expandTable(const Table &table);
// Component values to levels, two per byte.
Table packComponents(const Components &components);
// The table a write sends: `count` LED colours (already in each LED's
// component order) from position 0 on, every other position white.
Table packColors(const Rgb *colors, size_t count);

// --- channel orders -----------------------------------------------------------

// Which colour channel (0 red, 1 green, 2 blue) an LED of this channel order
// takes as its first, second and third component. Orders outside 1..5 are RGB.
std::array<int, 3> ledChannels(int order);
// A colour as the three components an LED of this order takes, and back.
Rgb toLed(const Rgb &color, int order);
Rgb fromLed(const Rgb &components, int order);

// --- layouts ------------------------------------------------------------------

// One LED position: the button a write reads it from, in `order`; and the
// button reading paints from it, in `readOrder` (NoButton: not read).
struct Slot {
    Button write;
    uint8_t order;
    Button read;
    uint8_t readOrder;
};

struct Layout {
    const Slot *positions;
    size_t count;
    bool readFirstOfRun;  // runs of one button are read from their first position
};

// The models' layouts; the model table (device/models) says which wheel has which.
extern const Layout kMzenLayout;  // M-ZEN and PQV7
extern const Layout kKstar2Layout;
extern const Layout kLb370Layout;
extern const Layout kZorixLayout;
extern const Layout kNva4Layout;

// Where a model keeps the colours of its extra pair (pbXL, pbXR). None: it
// has none. Record: outside the table, in the Extra colours record. InTable:
// in the table; they still go out with Write extra colours too.
enum class ExtraPairStore { None, Record, InTable };

// What the LED code needs to know of a model.
struct LedModel {
    const Layout *layout = nullptr;  // nullptr: no LEDs to colour
    int blocks = 4;                  // blocks of its table
    ExtraPairStore extraPair = ExtraPairStore::None;
    int extraOrder = 0;  // channel order of the Write extra colours command
};

// The button and channel order that reading paints from position p, or
// false when reading skips it.
bool readsPosition(const Layout &layout, size_t p, Button &button, int &order);

// The table a write sends (no layout: all white): each position takes the
// color of the button it is written from, in its channel order. `colorOf`
// is asked once per button.
Table composeTable(const Layout *layout, const std::function<Rgb(Button)> &colorOf);
// What reading `table` paints: the color each button shows, nullopt where
// reading leaves the button alone. A button read from several positions
// shows the last. Only positions of the blocks in `read` paint.
std::array<std::optional<Rgb>, ButtonCount> readColors(const Layout &layout, const Table &table,
                                                       Blocks read = Blocks().set());
// Gives `button` a color in a table read from the wheel: each position
// written from it takes the color in its channel order; every other level
// stays as read, so LEDs nobody named keep exactly what they had.
void paintButton(Table &table, const Layout &layout, Button button, const Rgb &color);

// Block sent n-th of `count`: 0, 1, then 3 up to the last, block 2 last of all.
inline int blockAt(int count, int n) {
    if (n < 2) return n;
    return n == count - 1 ? 2 : n + 1;
}
Block tableBlock(const Table &table, int index);

}  // namespace leds
