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

// "HID_ID=0003:0000C872:00002007" in a hidraw node's device/uevent.
bool isWheel(const std::string &ueventPath) {
    std::ifstream in(ueventPath);
    std::string line;
    while (std::getline(in, line)) {
        if (line.compare(0, 7, "HID_ID=") != 0) continue;
        unsigned bus = 0, vendor = 0, product = 0;
        if (std::sscanf(line.c_str() + 7, "%x:%x:%x", &bus, &vendor, &product) != 3) return false;
        // The udev rule matches USB attributes, so only a USB wheel is its case.
        return bus == 0x0003 && vendor == device::kVendorId &&
               std::find(device::kProductIds.begin(), device::kProductIds.end(), product) !=
                   device::kProductIds.end();
    }
    return false;
}

bool accessible(const std::string &node) {
    if (::access(node.c_str(), R_OK | W_OK) == 0) return true;
    // A node that vanished in between is not a permission problem.
    return errno != EACCES && errno != EPERM;
}

}  // namespace

bool wheelFoundWithoutAccess(const HidrawScan &scan) {
    DIR *dir = ::opendir(scan.sysfs.c_str());
    if (!dir) return false;
    bool found = false;
    while (const dirent *entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.compare(0, 6, "hidraw") != 0) continue;
        if (!isWheel(scan.sysfs + '/' + name + "/device/uevent")) continue;
        const std::string node = scan.dev + '/' + name;
        if (!(scan.mayOpen ? scan.mayOpen(node) : accessible(node))) {
            found = true;
            break;
        }
    }
    ::closedir(dir);
    return found;
}
#else
bool wheelFoundWithoutAccess(const HidrawScan &) { return false; }
#endif

HidrawScan &waitingScan() {
    static HidrawScan scan;
    return scan;
}

}  // namespace device
