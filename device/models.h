// The wheel models: one table, read by the window, the artwork generator,
// the packaging checks and the tests. Positions are page coordinates (the
// wheel picture label sits at 61, 9 and is 640 x 365 on both the inputs and
// the colours page).
#pragma once

#include "leds/ledlayouts.h"

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace device {

enum class Look { BlueDot, WhiteDot, WhiteSquare, Form };

struct Placement {
    const char *widget;  // object name in the form
    int x;
    int y;
    Look look;
};

enum class Calibration { None, Shown, Hidden };
// How the extra pair (pbXL, pbXR) shows on the colours page. WhenFlagged: as
// white dots at extraPairPos, only when the wheel's Extra colours record says
// so. InColorButtons: the pair is part of colorButtons.
enum class ExtraPairButtons { None, WhenFlagged, InColorButtons };

struct Profile {
    const char *modelString;   // searched case-sensitively in the wheel's name
    const char *updateFolder;  // below the update server's "/upgrade/"
    const char *picture;       // resource path, e.g. ":/img/back.mzen.png"
    const char *title;         // nullptr: "TARNWELL " + the wheel's name
    int iconX;                 // x of the header logo while this row applies
    bool colorsPage;
    bool clutchControls;  // cbClutch and gpClutch
    bool extraShifters;   // cbShifter shown and read back from the wheel
    Calibration calibration;
    ExtraPairButtons extraPairButtons;
    bool statusPolling;
    leds::LedModel led;                 // LED layout, table blocks, where the extra pair's colours live
    std::array<int, 3> encoderY;        // lbEnc, hsTrigger, lbTrigger (x 290, 309, 330)
    std::vector<Placement> indicators;  // placed hidden, shown while pressed
    std::array<Placement, 4> calibrationControls;  // pgAdcL, pbCalL, pgAdcR, pbCalR
    std::array<Placement, 2> extraPairPos;         // pbXL, pbXR for WhenFlagged
    std::vector<Placement> colorButtons;           // placed shown on the colours page
};

// In matching order: M-ZEN, PQV7, M-TIDE, LB370, KSTAR2, ZORIX, NVA4.
const std::vector<Profile> &profiles();

// Rows whose model string the name contains, in table order.
std::vector<const Profile *> matchingProfiles(const char *wheelName);
// The LED facts of the first such row that has LEDs to colour; a name
// without one gets four blocks and nothing to colour.
leds::LedModel ledModelFor(std::string_view wheelName);

constexpr int kEncoderX[3] = {290, 309, 330};
constexpr int kPictureX = 61, kPictureY = 9, kPictureW = 640, kPictureH = 365;
constexpr int kArtW = 1280, kArtH = 720;

// Size a look gives a shown widget; {0, 0} for the form look.
struct Size {
    int w;
    int h;
};
Size lookSize(Look look);
// Style sheet of a look; nullptr for the form look.
const char *lookStyle(Look look);

}  // namespace device
