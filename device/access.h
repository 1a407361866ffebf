// Why no wheel opens on a Linux desktop, most of the time: it is attached,
// but its hidraw node belongs to root because the udev rule is missing.
// Qt-free; the sysfs and /dev roots are parameters so that a test can point
// the scan at a fake tree.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace device {

struct HidrawScan {
    std::string sysfs = "/sys/class/hidraw";
    std::string dev = "/dev";
    // Whether this process may open a node for reading and writing;
    // nullptr asks access(2).
    bool (*mayOpen)(const std::string &node) = nullptr;
};

// What the window and orvanectl tell the user then.
constexpr const char *kNoAccessHint =
    "Wheel found, but this user may not open it. Install the udev rule 70-orvane.rules (see README).";

// The product IDs of the wheels on USB or Bluetooth (vendor c872, one of the
// product IDs the program opens) whose hidraw node this process may not
// open. Empty outside Linux.
std::vector<uint16_t> wheelsWithoutAccess(const HidrawScan &scan);

// True when a hidraw node of such a wheel exists that this process may not
// open. Always false outside Linux.
bool wheelFoundWithoutAccess(const HidrawScan &scan);

// The scan the waiting window runs; tests may redirect it.
HidrawScan &waitingScan();

}  // namespace device
