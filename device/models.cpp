// The seven model rows. The pictures in resources/img are drawn by
// tools/artgen from these same positions, so moving a control here means
// running orvane-artgen again.
#include "models.h"

#include <cstring>
#include <initializer_list>

namespace device {
namespace {

constexpr Look kBlue = Look::BlueDot;
constexpr Look kDot = Look::WhiteDot;
constexpr Look kSquare = Look::WhiteSquare;
constexpr Look kForm = Look::Form;

// Controls that report several inputs from one spot: an encoder's two
// directions, a stick's seven. The tables below name the group once.
struct Group {
    const char *token;
    const char *members[8];  // ends at the first nullptr
};

// clang-format off
const Group kGroups[] = {
    {"pbID1", {"pbID1L", "pbID1R"}},
    {"pbID2", {"pbID2L", "pbID2R"}},
    {"pbID3", {"pbID3L", "pbID3R"}},
    {"pbID4", {"pbID4L", "pbID4R"}},
    {"pbID5", {"pbID5L", "pbID5R"}},
    {"pbID6", {"pbID6L", "pbID6R"}},
    {"pbID7", {"pbID7L", "pbID7R"}},
    {"pbID8", {"pbID8L", "pbID8R"}},
    {"pbJsL", {"pbJsL1", "pbJsL2", "pbJsL3", "pbJsL4", "pbJsLC", "pbJsLL", "pbJsLR"}},
    {"pbJsR", {"pbJsR1", "pbJsR2", "pbJsR3", "pbJsR4", "pbJsRC", "pbJsRL", "pbJsRR"}},
};
// clang-format on

std::vector<Placement> expand(std::initializer_list<Placement> spots) {
    std::vector<Placement> out;
    for (const Placement &spot : spots) {
        const Group *group = nullptr;
        for (const Group &g : kGroups)
            if (std::strcmp(g.token, spot.widget) == 0) group = &g;
        if (!group) {
            out.push_back(spot);
            continue;
        }
        for (const char *const *name = group->members; *name; ++name)
            out.push_back({*name, spot.x, spot.y, spot.look});
    }
    return out;
}

// The clutch calibration controls where the form puts them; rows without
// calibration keep these so the array is never garbage.
// clang-format off
constexpr std::array<Placement, 4> kFormCalibration = {{
    {"pgAdcL", 130, 290, kForm},
    {"pbCalL", 150, 305, kForm},
    {"pgAdcR", 530, 290, kForm},
    {"pbCalR", 550, 305, kForm},
}};

constexpr std::array<Placement, 2> kFormExtraPair = {{
    {"pbXL", 191, 28, kDot},
    {"pbXR", 543, 28, kDot},
}};

std::vector<Profile> buildProfiles() {
    std::vector<Profile> rows;

    // Formula wheel. Each LED sits on the control it lights, except that the
    // two lower right buttons carry each other's LED.
    rows.push_back(Profile{
        "M-ZEN", "mzen/", ":/img/back.mzen.png", nullptr, 310,
        true, true, false, Calibration::Shown, ExtraPairButtons::WhenFlagged, true,
        {&leds::kMzenLayout, 4, leds::ExtraPairStore::Record, 0},
        {10, 40, 60},
        expand({
            {"pbSWL", 192, 37, kBlue},  {"pbSWR", 546, 37, kBlue},
            {"pbIB1", 149, 35, kBlue},  {"pbIB2", 210, 66, kBlue},  {"pbIB3", 237, 140, kBlue},
            {"pbIB4", 266, 222, kBlue}, {"pbIB5", 241, 272, kBlue}, {"pbIB6", 226, 321, kBlue},
            {"pbIB9", 590, 35, kBlue},  {"pbIB10", 528, 66, kBlue}, {"pbIB11", 500, 140, kBlue},
            {"pbIB12", 472, 222, kBlue}, {"pbIB13", 512, 321, kBlue}, {"pbIB14", 497, 272, kBlue},
            {"pbID1", 299, 122, kBlue}, {"pbID2", 436, 122, kBlue}, {"pbID3", 299, 279, kBlue},
            {"pbID4", 437, 279, kBlue}, {"pbID5", 110, 70, kBlue},  {"pbID6", 625, 70, kBlue},
            {"pbID7", 200, 110, kBlue}, {"pbID8", 540, 110, kBlue},
            {"pbJsL", 214, 195, kBlue}, {"pbJsR", 523, 195, kBlue},
        }),
        kFormCalibration,
        {{{"pbXL", 192, 37, kDot}, {"pbXR", 545, 37, kDot}}},
        expand({
            {"pbB1", 149, 35, kDot},   {"pbB2", 210, 66, kDot},   {"pbB3", 237, 140, kDot},
            {"pbB4", 266, 222, kDot},  {"pbB5", 241, 272, kDot},  {"pbB6", 226, 321, kDot},
            {"pbB9", 590, 35, kDot},   {"pbB10", 528, 66, kDot},  {"pbB11", 500, 140, kDot},
            {"pbB12", 472, 222, kDot}, {"pbB13", 497, 272, kDot}, {"pbB14", 512, 321, kDot},
            {"pbD13", 299, 122, kDot}, {"pbD23", 436, 122, kDot}, {"pbD16", 299, 279, kDot},
            {"pbD26", 437, 279, kDot}, {"pbD3", 200, 110, kDot},  {"pbD4", 540, 110, kDot},
        }),
    });

    // Formula wheel with a rev-light bridge; the encoder controls sit below it.
    rows.push_back(Profile{
        "PQV7", "pqv7/", ":/img/back.pqv7.png", nullptr, 310,
        true, true, true, Calibration::Shown, ExtraPairButtons::WhenFlagged, false,
        {&leds::kMzenLayout, 4, leds::ExtraPairStore::Record, 0},
        {70, 100, 120},
        expand({
            {"pbSWL", 195, 52, kBlue},  {"pbSWR", 543, 52, kBlue},
            {"pbIB1", 150, 40, kBlue},  {"pbIB2", 232, 92, kBlue},  {"pbIB3", 250, 150, kBlue},
            {"pbIB4", 268, 222, kBlue}, {"pbIB5", 241, 272, kBlue}, {"pbIB6", 226, 321, kBlue},
            {"pbIB9", 588, 40, kBlue},  {"pbIB10", 506, 92, kBlue}, {"pbIB11", 487, 150, kBlue},
            {"pbIB12", 470, 222, kBlue}, {"pbIB13", 512, 321, kBlue}, {"pbIB14", 497, 272, kBlue},
            {"pbID1", 296, 160, kBlue}, {"pbID2", 440, 160, kBlue}, {"pbID3", 299, 279, kBlue},
            {"pbID4", 437, 279, kBlue}, {"pbID5", 105, 75, kBlue},  {"pbID6", 632, 75, kBlue},
            {"pbID7", 178, 118, kBlue}, {"pbID8", 559, 118, kBlue},
            {"pbJsL", 200, 190, kBlue}, {"pbJsR", 537, 190, kBlue},
        }),
        kFormCalibration,
        {{{"pbXL", 195, 50, kDot}, {"pbXR", 543, 50, kDot}}},
        expand({
            {"pbB1", 150, 40, kDot},   {"pbB2", 232, 92, kDot},   {"pbB3", 250, 150, kDot},
            {"pbB4", 268, 222, kDot},  {"pbB5", 241, 272, kDot},  {"pbB6", 226, 321, kDot},
            {"pbB9", 588, 40, kDot},   {"pbB10", 506, 92, kDot},  {"pbB11", 487, 150, kDot},
            {"pbB12", 470, 222, kDot}, {"pbB13", 497, 272, kDot}, {"pbB14", 512, 321, kDot},
            {"pbD13", 296, 160, kDot}, {"pbD23", 440, 160, kDot}, {"pbD16", 299, 279, kDot},
            {"pbD26", 437, 279, kDot}, {"pbD3", 178, 118, kDot},  {"pbD4", 559, 118, kDot},
            {"pbT1", 295, 28, kSquare},  {"pbT2", 311, 28, kSquare},  {"pbT3", 327, 28, kSquare},
            {"pbT4", 343, 28, kSquare},  {"pbT5", 359, 28, kSquare},  {"pbT6", 375, 28, kSquare},
            {"pbT7", 391, 28, kSquare},  {"pbT8", 407, 28, kSquare},  {"pbT9", 423, 28, kSquare},
            {"pbT10", 439, 28, kSquare}, {"pbT11", 455, 28, kSquare},
            {"pbTL1", 268, 20, kSquare}, {"pbTL2", 268, 36, kSquare}, {"pbTL3", 268, 52, kSquare},
            {"pbTR1", 482, 20, kSquare}, {"pbTR2", 482, 36, kSquare}, {"pbTR3", 482, 52, kSquare},
        }),
    });

    // Round three-spoke wheel without LEDs.
    rows.push_back(Profile{
        "M-TIDE", "mtide/", ":/img/back.mtide.png", nullptr, 310,
        false, true, false, Calibration::Shown, ExtraPairButtons::None, true,
        {},
        {10, 40, 60},
        expand({
            {"pbSWL", 186, 88, kBlue},  {"pbSWR", 552, 88, kBlue},
            {"pbIB1", 256, 126, kBlue}, {"pbIB2", 294, 120, kBlue}, {"pbIB3", 294, 164, kBlue},
            {"pbIB4", 256, 208, kBlue}, {"pbIB5", 294, 208, kBlue}, {"pbIB6", 345, 285, kBlue},
            {"pbIB9", 482, 126, kBlue}, {"pbIB10", 444, 120, kBlue}, {"pbIB11", 443, 164, kBlue},
            {"pbIB12", 482, 208, kBlue}, {"pbIB13", 393, 285, kBlue}, {"pbIB14", 444, 208, kBlue},
            {"pbID3", 340, 245, kBlue}, {"pbID4", 396, 245, kBlue},
            {"pbID7", 332, 116, kBlue}, {"pbID8", 405, 116, kBlue},
            {"pbJsL", 254, 166, kBlue}, {"pbJsR", 483, 166, kBlue},
        }),
        kFormCalibration,
        kFormExtraPair,
        {},
    });

    // D-shaped rim; the inner shifters are its only paddles and it has no clutches.
    rows.push_back(Profile{
        "LB370", "lb370/", ":/img/back.lb370.png", "Tarnwell Halcyon Edition Wheel", 150,
        true, false, false, Calibration::None, ExtraPairButtons::None, true,
        {&leds::kLb370Layout, 4, leds::ExtraPairStore::None, 0},
        {10, 40, 60},
        expand({
            {"pbISW1", 192, 96, kBlue}, {"pbISW2", 546, 96, kBlue},
            {"pbIB1", 292, 112, kBlue}, {"pbIB2", 252, 155, kBlue}, {"pbIB5", 292, 200, kBlue},
            {"pbIB6", 345, 290, kBlue},
            {"pbIB9", 446, 112, kBlue}, {"pbIB10", 486, 155, kBlue}, {"pbIB13", 393, 290, kBlue},
            {"pbIB14", 446, 200, kBlue},
            {"pbID1", 252, 198, kBlue}, {"pbID2", 484, 198, kBlue},
            {"pbID5", 258, 116, kBlue}, {"pbID6", 479, 116, kBlue},
            {"pbID7", 334, 112, kBlue}, {"pbID8", 403, 112, kBlue},
            {"pbJsL", 292, 158, kBlue}, {"pbJsR", 445, 158, kBlue},
        }),
        kFormCalibration,
        kFormExtraPair,
        expand({
            {"pbB1", 292, 112, kDot},  {"pbB2", 252, 155, kDot},  {"pbB4", 330, 205, kDot},
            {"pbB5", 292, 200, kDot},  {"pbB6", 345, 290, kDot},
            {"pbB9", 446, 112, kDot},  {"pbB10", 486, 155, kDot}, {"pbB12", 408, 205, kDot},
            {"pbB13", 446, 200, kDot}, {"pbB14", 393, 290, kDot},
            {"pbD13", 252, 198, kDot}, {"pbD23", 484, 198, kDot},
            {"pbD16", 345, 245, kDot}, {"pbD26", 393, 245, kDot},
            {"pbD3", 334, 112, kDot},  {"pbD4", 403, 112, kDot},
            {"pbT3", 257, 66, kDot},   {"pbT9", 481, 66, kDot},
        }),
    });

    // Yoke. The extra pair and four LEDs without a control of their own sit
    // on the plate around the display.
    rows.push_back(Profile{
        "KSTAR2", "kstar2/", ":/img/back.kstar2.png", nullptr, 310,
        true, true, false, Calibration::Shown, ExtraPairButtons::InColorButtons, true,
        {&leds::kKstar2Layout, 4, leds::ExtraPairStore::Record, 0},
        {0, 20, 40},
        expand({
            {"pbISW1", 184, 62, kBlue}, {"pbISW2", 554, 62, kBlue},
            {"pbIB1", 118, 75, kBlue},  {"pbIB2", 215, 100, kBlue}, {"pbIB6", 250, 260, kBlue},
            {"pbIB9", 620, 75, kBlue},  {"pbIB10", 523, 100, kBlue}, {"pbIB13", 488, 260, kBlue},
            {"pbID1", 300, 95, kBlue},  {"pbID2", 436, 95, kBlue},
            {"pbID5", 100, 125, kBlue}, {"pbID6", 637, 125, kBlue},
            {"pbJsL", 200, 185, kBlue}, {"pbJsR", 537, 185, kBlue},
        }),
        {{
            {"pgAdcL", 60, 290, kForm},
            {"pbCalL", 80, 305, kForm},
            {"pgAdcR", 600, 290, kForm},
            {"pbCalR", 620, 305, kForm},
        }},
        {{{"pbXL", 249, 146, kDot}, {"pbXR", 486, 146, kDot}}},
        expand({
            {"pbB1", 118, 75, kDot},   {"pbB2", 215, 100, kDot},  {"pbB4", 290, 170, kDot},
            {"pbB6", 250, 260, kDot},  {"pbB9", 620, 75, kDot},   {"pbB10", 523, 100, kDot},
            {"pbB11", 369, 75, kDot},  {"pbB12", 448, 170, kDot}, {"pbB14", 488, 260, kDot},
            {"pbD13", 300, 95, kDot},  {"pbD16", 300, 225, kDot}, {"pbD23", 436, 95, kDot},
            {"pbD26", 438, 225, kDot},
            {"pbXL", 249, 146, kDot},  {"pbXR", 486, 146, kDot},
        }),
    });

    // GT wheel with a two-row LED pod; its widgets keep the form's own looks.
    rows.push_back(Profile{
        "ZORIX", "zorix/", ":/img/back.zorix.png", nullptr, 310,
        true, true, true, Calibration::Hidden, ExtraPairButtons::InColorButtons, true,
        {&leds::kZorixLayout, 8, leds::ExtraPairStore::InTable, 2},
        {0, 20, 40},
        expand({
            {"pbSWL", 170, 24, kForm},  {"pbSWR", 568, 24, kForm},
            {"pbIB1", 118, 80, kForm},  {"pbIB2", 205, 120, kForm}, {"pbIB3", 205, 168, kForm},
            {"pbIB4", 248, 170, kForm}, {"pbIB5", 205, 215, kForm}, {"pbIB6", 296, 250, kForm},
            {"pbIB9", 620, 80, kForm},  {"pbIB10", 533, 120, kForm}, {"pbIB11", 532, 168, kForm},
            {"pbIB12", 490, 170, kForm}, {"pbIB13", 442, 250, kForm}, {"pbIB14", 533, 215, kForm},
            {"pbID1", 296, 120, kForm}, {"pbID2", 440, 120, kForm}, {"pbID3", 250, 215, kForm},
            {"pbID4", 486, 215, kForm}, {"pbID5", 160, 120, kForm}, {"pbID6", 577, 120, kForm},
            {"pbID7", 248, 125, kForm}, {"pbID8", 489, 125, kForm},
            {"pbJsL", 160, 170, kForm}, {"pbJsR", 577, 170, kForm},
            {"pbISW1", 70, 180, kForm}, {"pbISW2", 668, 180, kForm},
        }),
        kFormCalibration,
        {{{"pbXL", 170, 25, kForm}, {"pbXR", 568, 25, kForm}}},
        expand({
            {"pbB1", 118, 80, kForm},   {"pbB2", 205, 120, kForm},  {"pbB3", 205, 168, kForm},
            {"pbB4", 248, 170, kForm},  {"pbB5", 205, 215, kForm},  {"pbB6", 296, 250, kForm},
            {"pbB9", 620, 80, kForm},   {"pbB10", 533, 120, kForm}, {"pbB11", 532, 168, kForm},
            {"pbB12", 490, 170, kForm}, {"pbB13", 533, 215, kForm}, {"pbB14", 442, 250, kForm},
            {"pbD13", 296, 120, kForm}, {"pbD23", 440, 120, kForm},
            {"pbD16", 250, 215, kForm}, {"pbD26", 486, 215, kForm},
            {"pbT1", 295, 66, kForm},  {"pbT2", 311, 66, kForm},  {"pbT3", 327, 66, kForm},
            {"pbT4", 343, 66, kForm},  {"pbT5", 359, 66, kForm},  {"pbT6", 375, 66, kForm},
            {"pbT7", 391, 66, kForm},  {"pbT8", 407, 66, kForm},  {"pbT9", 423, 66, kForm},
            {"pbT10", 439, 66, kForm}, {"pbT11", 455, 66, kForm},
            {"pbT12", 319, 86, kForm}, {"pbT13", 335, 86, kForm}, {"pbT14", 351, 86, kForm},
            {"pbT15", 367, 86, kForm}, {"pbT16", 383, 86, kForm}, {"pbT17", 399, 86, kForm},
            {"pbT18", 415, 86, kForm}, {"pbT19", 431, 86, kForm},
            {"pbXL", 170, 25, kForm},  {"pbXR", 568, 25, kForm},
            {"pbTL1", 258, 62, kDot},  {"pbTL3", 258, 90, kDot},
            {"pbTR1", 480, 62, kDot},  {"pbTR3", 480, 90, kDot},
        }),
    });

    // Octagonal rim; the clutch paddles stand out at the sides under their bars.
    rows.push_back(Profile{
        "NVA4", "nva4/", ":/img/back.nva4.png", nullptr, 310,
        true, true, false, Calibration::Shown, ExtraPairButtons::InColorButtons, false,
        {&leds::kNva4Layout, 4, leds::ExtraPairStore::Record, 0},
        {0, 20, 40},
        expand({
            {"pbSWL", 191, 30, kBlue},  {"pbSWR", 543, 30, kBlue},
            {"pbIB1", 285, 100, kBlue}, {"pbIB2", 285, 142, kBlue}, {"pbIB4", 245, 190, kBlue},
            {"pbIB5", 265, 232, kBlue}, {"pbIB6", 300, 275, kBlue},
            {"pbIB9", 453, 100, kBlue}, {"pbIB10", 453, 142, kBlue}, {"pbIB12", 493, 190, kBlue},
            {"pbIB13", 438, 275, kBlue}, {"pbIB14", 473, 232, kBlue},
            {"pbID1", 325, 146, kBlue}, {"pbID2", 411, 146, kBlue}, {"pbID3", 315, 228, kBlue},
            {"pbID5", 245, 100, kBlue}, {"pbID6", 492, 100, kBlue},
            {"pbID7", 325, 104, kBlue}, {"pbID8", 412, 104, kBlue},
            {"pbJsL", 245, 142, kBlue}, {"pbJsR", 492, 142, kBlue},
        }),
        {{
            {"pgAdcL", 100, 210, kForm},
            {"pbCalL", 120, 225, kForm},
            {"pgAdcR", 560, 210, kForm},
            {"pbCalR", 580, 225, kForm},
        }},
        {{{"pbXL", 191, 28, kDot}, {"pbXR", 543, 28, kDot}}},
        expand({
            {"pbB1", 285, 100, kDot},  {"pbB2", 285, 142, kDot},  {"pbB4", 245, 190, kDot},
            {"pbB5", 265, 232, kDot},  {"pbB6", 300, 275, kDot},
            {"pbB9", 453, 100, kDot},  {"pbB10", 453, 142, kDot}, {"pbB12", 493, 190, kDot},
            {"pbB13", 473, 232, kDot}, {"pbB14", 438, 275, kDot},
            {"pbD16", 315, 228, kDot}, {"pbD26", 423, 228, kDot},
            {"pbTL1", 369, 80, kDot},
            {"pbXL", 191, 28, kDot},   {"pbXR", 543, 28, kDot},
            {"pbB3", 291, 196, kSquare}, {"pbB11", 459, 196, kSquare},
            {"pbD3", 355, 110, kSquare}, {"pbD4", 395, 110, kSquare},
            {"pbD13", 355, 152, kSquare}, {"pbD23", 395, 152, kSquare},
            {"pbTL2", 270, 64, kSquare}, {"pbTL3", 254, 64, kSquare},
            {"pbT1", 295, 64, kSquare},  {"pbT2", 311, 64, kSquare},  {"pbT3", 327, 64, kSquare},
            {"pbT4", 343, 64, kSquare},  {"pbT5", 359, 64, kSquare},  {"pbT6", 375, 64, kSquare},
            {"pbT7", 391, 64, kSquare},  {"pbT8", 407, 64, kSquare},  {"pbT9", 423, 64, kSquare},
            {"pbT10", 439, 64, kSquare}, {"pbT11", 455, 64, kSquare},
            {"pbTR2", 480, 64, kSquare}, {"pbTR3", 496, 64, kSquare},
        }),
    });

    return rows;
}
// clang-format on

}  // namespace

const std::vector<Profile> &profiles() {
    static const std::vector<Profile> rows = buildProfiles();
    return rows;
}

leds::LedModel ledModelFor(std::string_view wheelName) {
    for (const Profile &row : profiles())
        if (row.led.layout && wheelName.find(row.modelString) != std::string_view::npos) return row.led;
    return {};
}

std::vector<const Profile *> matchingProfiles(const char *wheelName) {
    std::vector<const Profile *> out;
    if (!wheelName) return out;
    for (const Profile &row : profiles())
        if (std::strstr(wheelName, row.modelString)) out.push_back(&row);
    return out;
}

Size lookSize(Look look) {
    switch (look) {
    case Look::BlueDot:
    case Look::WhiteDot: return {24, 24};
    case Look::WhiteSquare: return {12, 12};
    case Look::Form: break;
    }
    return {0, 0};
}

const char *lookStyle(Look look) {
    switch (look) {
    case Look::BlueDot:
        return "QPushButton {border-radius: 12px; background-color: rgb(0,117,190); "
               "border: 1px solid white; color: white;}";
    case Look::WhiteDot:
        return "QPushButton {border-radius: 12px; background-color: rgb(255,255,255); "
               "border: 1px solid white; color: white;}";
    case Look::WhiteSquare:
        return "QPushButton {border-radius: 4px; background-color: rgb(255,255,255); "
               "border: 1px solid white; color: white;}";
    case Look::Form: break;
    }
    return nullptr;
}

}  // namespace device
