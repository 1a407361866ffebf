#include "firmwareops.h"

#include "imagestream.h"

namespace firmware {

bool uploadImage(device::Device &wheel, std::vector<uint8_t> image,
                 const std::function<void(int)> &progress) {
    ImageStream stream(std::move(image));
    int last = -1;
    while (stream.next()) {
        if (wheel.sendCommand(stream.frame()) < 0) return false;
        const int p = stream.progress();
        if (p != last && progress) progress(p);
        last = p;
    }
    stream.finish();
    return wheel.sendCommand(stream.frame()) >= 0;
}

bool clearFlash(device::Device &wheel) {
    return wheel.sendCommand(device::writeSettingFrame(device::SetClearFlash, 0, false)) >= 0;
}

}  // namespace firmware
