#include "access.h"

#include "protocol.h"

#ifdef __linux__
#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#endif

namespace device {

#ifdef __linux__
namespace {

// The product ID of a USB wheel from "HID_ID=0003:0000C872:00002007" in a
// hidraw node's device/uevent; 0 for anything else.
uint16_t wheelProduct(const std::string &ueventPath) {
    std::ifstream in(ueventPath);
    std::string line;
    while (std::getline(in, line)) {
        if (line.compare(0, 7, "HID_ID=") != 0) continue;
        unsigned bus = 0, vendor = 0, product = 0;
        if (std::sscanf(line.c_str() + 7, "%x:%x:%x", &bus, &vendor, &product) != 3) return 0;
        // The udev rule lets in a wheel on USB (bus 3) and one paired over Bluetooth (bus 5).
        const bool wheel = (bus == 0x0003 || bus == 0x0005) && vendor == device::kVendorId &&
                           std::find(device::kProductIds.begin(), device::kProductIds.end(), product) !=
                               device::kProductIds.end();
        return wheel ? uint16_t(product) : 0;
    }
    return 0;
}

bool accessible(const std::string &node) {
    if (::access(node.c_str(), R_OK | W_OK) == 0) return true;
    // A node that vanished in between is not a permission problem.
    return errno != EACCES && errno != EPERM;
}

}  // namespace

std::vector<uint16_t> wheelsWithoutAccess(const HidrawScan &scan) {
    std::vector<uint16_t> found;
    DIR *dir = ::opendir(scan.sysfs.c_str());
    if (!dir) return found;
    while (const dirent *entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.compare(0, 6, "hidraw") != 0) continue;
        const uint16_t product = wheelProduct(scan.sysfs + '/' + name + "/device/uevent");
        if (product == 0) continue;
        const std::string node = scan.dev + '/' + name;
        if (!(scan.mayOpen ? scan.mayOpen(node) : accessible(node))) found.push_back(product);
    }
    ::closedir(dir);
    std::sort(found.begin(), found.end());
    return found;
}
#else
std::vector<uint16_t> wheelsWithoutAccess(const HidrawScan &) { return {}; }
#endif

bool wheelFoundWithoutAccess(const HidrawScan &scan) { return !wheelsWithoutAccess(scan).empty(); }

HidrawScan &waitingScan() {
    static HidrawScan scan;
    return scan;
}

}  // namespace device
