// What the fault tests and the LED tests put on the simulated wheel.
#pragma once

#include "testutil.h"

namespace ft {

// A wheel set up and calibrated by its owner: every stored value differs
// from the factory's and the window's defaults, so any value the window
// writes back without reading it first shows.
inline sim::WheelState ownersWheel(const std::string &name) {
    sim::WheelState s = sim::factoryState(name);
    s.paddleValue = 12345;  // right paddle, 23.44 %
    s.paddleLimits = {3900, 3800, 150, 120};
    s.settings[0x04] = 150;
    s.settings[0x0A] = 90;
    s.settings[0x08] = 1;
    s.settings[0x09] = name.find("PQV7") != std::string::npos ? 1 : 255;
    for (size_t i = 0; i < s.ledTable.size(); ++i) s.ledTable[i] = uint8_t(i * 37 + 11);
    s.extraColours = {17, 53, 86, 199, 4, 226};
    s.shifterThresholds = {{3, 1203}, {5, 1205}};
    return s;
}

}  // namespace ft
