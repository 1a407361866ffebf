// The LED colour table per model, as the model table and the layouts make
// it: the bytes a write composes from the buttons' colors, what reading a
// table paints, and every button through a write and a read.
#include "check.h"
#include "device/models.h"
#include "leds/ledops.h"

#include <map>
#include <sstream>
#include <tuple>

using namespace leds;

namespace {

// Whether a space-separated list names the button; a trailing '*' is a prefix.
bool listed(const std::string &list, const std::string &name) {
    std::istringstream in(list);
    for (std::string entry; in >> entry;) {
        if (entry == name) return true;
        if (entry.back() == '*' && name.compare(0, entry.size() - 1, entry, 0, entry.size() - 1) == 0)
            return true;
    }
    return false;
}

Rgb quantized(const Rgb &c) {
    Rgb out;
    for (size_t i = 0; i < 3; ++i) out[i] = kLevelValues[size_t(levelOf(c[i]))];
    return out;
}

Table composed(const Layout *layout, const std::map<Button, Rgb> &colors) {
    return composeTable(layout, [&](Button b) {
        const auto it = colors.find(b);
        return it == colors.end() ? Rgb{0, 0, 0} : it->second;
    });
}

// Through a write and a read every button shows the level value of its own
// color, except: `unread` ones are left alone by the read (the pair kept
// outside the table among them), and `from` ones show another button's
// color, its green and blue swapped when marked so (written R, B, G, read
// R, G, B).
struct Model {
    const char *name;
    const char *unread;
    std::vector<std::tuple<Button, Button, bool>> from;
};

#define LATE_T "pbT12 pbT13 pbT14 pbT15 pbT16 pbT17 pbT18 pbT19"
// clang-format off
const std::vector<Model> kModels = {
    {"M-ZEN", "pbXL pbXR " LATE_T, {}},
    {"PQV7 Pro", "pbXL pbXR " LATE_T, {}},
    {"KSTAR2", "pbXL pbXR pbD3 pbD4 pbT*", {}},
    {"LB370", "pbXL pbXR pbTL* pbTR* " LATE_T,
     {{B3, B2, false}, {B11, B10, false}, {T1, D13, true}, {T2, D13, true}, {T10, D23, true}, {T11, D23, true}}},
    {"ZORIX", "pbD3 pbD4 pbTL2 pbTR2", {}},
    {"NVA4", "pbXL pbXR pbTR1 " LATE_T, {}},
};
// clang-format on
#undef LATE_T

// One known pattern per layout: every button black but those listed, and the
// table bytes that are neither 0x00 nor past the layout (0xFF from ffFrom on).
struct Pattern {
    const char *name;
    std::map<Button, Rgb> colors;
    std::map<int, int> bytes;
    int ffFrom;
};

// clang-format off
const std::vector<Pattern> kPatterns = {
    // pbB9 is position 1 (levels 3-5), pbTR1 the last one, 42 (levels 126-128).
    {"M-ZEN", {{B9, {100, 100, 100}}, {TR1, {255, 0, 1}}, {XL, {1, 2, 3}}, {T12, {255, 255, 255}}},
     {{1, 0x90}, {2, 0x99}, {63, 0x0F}, {64, 0xF1}}, 65},
    // pbD16 at 18, 20, 22 and, R B G, 24; pbD26 at 19, 21, 23 and, R B G, 25.
    {"KSTAR2", {{D16, {255, 0, 1}}, {D26, {10, 20, 30}}, {XL, {1, 2, 3}}, {D3, {255, 255, 255}}},
     {{27, 0x0F}, {28, 0x31}, {29, 0x54}, {30, 0x0F}, {31, 0x31}, {32, 0x54}, {33, 0x0F}, {34, 0x31},
      {35, 0x54}, {36, 0x1F}, {37, 0x30}, {38, 0x45}}, 39},
    // pbD13 at 12, 14, 16, 22 and, R B G, 26 and 27; pbB3 and the pair are not written.
    {"LB370", {{D13, {255, 0, 1}}, {B3, {255, 255, 255}}, {T1, {255, 255, 255}}, {XL, {255, 255, 255}}},
     {{18, 0x0F}, {19, 0x01}, {21, 0x0F}, {22, 0x01}, {24, 0x0F}, {25, 0x01}, {33, 0x0F}, {34, 0x01},
      {39, 0x1F}, {40, 0xF0}, {41, 0x01}, {64, 0xF0}}, 65},
    // G R B everywhere: pbT19 at 18, pbXL at 78 and 79.
    {"ZORIX", {{T19, {255, 0, 1}}, {XL, {10, 20, 30}}, {D3, {255, 255, 255}}},
     {{27, 0xF0}, {28, 0x01}, {117, 0x34}, {118, 0x45}, {119, 0x53}, {133, 0xF0}}, 134},
    // pbD16 at 24 (R B G) and 44; pbD26 at 25 (B R G) and 45; pbTR1 not written.
    {"NVA4", {{D16, {255, 0, 1}}, {D26, {10, 20, 30}}, {TR1, {255, 255, 255}}, {XL, {1, 2, 3}}},
     {{36, 0x1F}, {37, 0x50}, {38, 0x43}, {66, 0x0F}, {67, 0x31}, {68, 0x54}, {70, 0xF0}}, 71},
};

// Tables a wheel holds (every byte not listed 0x00) and what reading paints;
// an empty color: the button is left alone.
const std::vector<std::pair<const char *, std::pair<std::map<int, int>, std::map<Button, Rgb>>>> kStored = {
    // Position 24 holds levels 15, 0, 7 in R B G; position 4 is white but
    // paints pbB3; pbD13 shows position 22, not 12, 14 or 16.
    {"LB370", {{{36, 0x0F}, {37, 0x07}, {6, 0xFF}, {7, 0x0F}, {33, 0x99}, {34, 0x09}},
               {{B1, {255, 69, 0}}, {B3, {255, 255, 255}}, {B2, {0, 0, 0}}, {D13, {106, 106, 106}}}}},
    // Runs are read from their first position: 79 is white, 78 black.
    {"ZORIX", {{{118, 0xF0}, {119, 0xFF}, {39, 0x0F}, {40, 0x07}},
               {{XL, {0, 0, 0}}, {XR, {0, 255, 69}}, {T1, {0, 0, 0}}}}},
    // pbD16 ends with position 44, pbTL1 with 46.
    {"NVA4", {{{36, 0xFF}, {37, 0x0F}, {64, 0xF0}, {65, 0xFF}},
              {{D16, {0, 0, 0}}, {TL1, {0, 0, 0}}, {TR2, {0, 0, 0}}}}},
};
// clang-format on

}  // namespace

TEST_CASE("a write composes each position from its button") {
    for (const Pattern &t : kPatterns) {
        Table want;
        for (size_t j = 0; j < want.size(); ++j) want[j] = int(j) < t.ffFrom ? 0x00 : 0xFF;
        for (const auto &[at, value] : t.bytes) want[size_t(at)] = uint8_t(value);
        CHECK_FOR(t.name, composed(device::ledModelFor(t.name).layout, t.colors) == want);
    }
    // A model without LEDs to color: all white.
    const Table white = composed(device::ledModelFor("M-TIDE").layout, {});
    CHECK(std::all_of(white.begin(), white.end(), [](uint8_t b) { return b == 0xFF; }));
}

TEST_CASE("a read paints each button from its position") {
    for (const auto &[model, stored] : kStored) {
        Table table{};
        for (const auto &[at, value] : stored.first) table[size_t(at)] = uint8_t(value);
        const auto shown = readColors(*device::ledModelFor(model).layout, table);
        for (const auto &[b, color] : stored.second) CHECK_FOR(buttonName(b), shown[b] == color);
    }
    CHECK(!readColors(*device::ledModelFor("LB370").layout, Table{})[XL]);
    CHECK(!readColors(*device::ledModelFor("NVA4").layout, Table{})[TR1]);
    CHECK(!readColors(*device::ledModelFor("NVA4").layout, Table{}, Blocks(0x0E))[B2]);  // block 0 unread
}

TEST_CASE("every button through a write and a read") {
    for (const Model &m : kModels) {
        std::map<Button, Rgb> set;
        for (int b = 0; b < ButtonCount; ++b)
            set[Button(b)] = {uint8_t(100 + b), uint8_t((b * 37 + 5) % 256), uint8_t((b * 91 + 200) % 256)};
        const Layout &layout = *device::ledModelFor(m.name).layout;
        const auto shown = readColors(layout, composed(&layout, set));
        for (int b = 0; b < ButtonCount; ++b) {
            const std::string name = buttonName(Button(b));
            std::optional<Rgb> want = quantized(set[Button(b)]);
            if (listed(m.unread, name)) want.reset();
            for (const auto &[to, source, swapped] : m.from) {
                const Rgb c = set[source];
                if (to == b) want = quantized(swapped ? Rgb{c[0], c[2], c[1]} : c);
            }
            CHECK_FOR(std::string(m.name) + " " + name, shown[size_t(b)] == want);
        }
    }
}

// A write sends only colors read from this wheel or chosen by the user: per
// row an M-ZEN's blocks read (bit i: block i), its pair read, the buttons chosen.
TEST_CASE("a write is known only where every LED was read or chosen") {
    const std::tuple<const char *, unsigned, bool, const char *, bool> rows[] = {
        {"all read", 0x0F, true, "", true},
        {"block 3 lost: hidden pbT11, pbTL*, pbTR*", 0x07, true, "pbB* pbD* pbX*", false},
        {"block 3 lost, its buttons chosen", 0x07, true, "pbT11 pbTL* pbTR*", true},
        {"pair lost", 0x0F, false, "pbXL", false},
        {"pair lost, both chosen", 0x0F, false, "pbXL pbXR", true},
    };
    for (const auto &[name, blocksRead, pairRead, chosenList, known] : rows) {
        TableRead read;
        read.blocks = 4;
        read.answered = Blocks(blocksRead);
        Buttons chosen;
        for (int b = 0; b < ButtonCount; ++b) chosen[size_t(b)] = listed(chosenList, buttonName(Button(b)));
        CHECK_FOR(name, writeKnown(device::ledModelFor("M-ZEN"), read, pairRead, chosen) == known);
        // No layout: only guesses to send.
        CHECK_FOR(name, !writeKnown(device::ledModelFor("M-TIDE"), read, pairRead, chosen.set()));
    }
}

TEST_MAIN()
