#include "settingops.h"

#include "device/wheelops.h"

#include <algorithm>

namespace settings {

using namespace device;

std::optional<int32_t> readSetting(Device &wheel, uint8_t sub) {
    const std::optional<Answer> answer = readAnswer(wheel, RecSetting, sub);
    if (!answer) return std::nullopt;
    return settingValue(*answer);
}

bool writeSetting(Device &wheel, uint8_t sub, int32_t value, bool store) {
    return wheel.sendCommand(writeSettingFrame(sub, value, store)) >= 0;
}

bool storeSwitch(Device &wheel, uint8_t sub, bool on) {
    std::optional<Answer> answer = readAnswer(wheel, RecSetting, sub);
    if (!answer) return false;
    if (settingEnabled(*answer) == on) return true;
    writeSettingInto(answer->data(), sub, on ? 1 : 255, true);
    Frame frame;
    std::copy_n(answer->begin(), frame.size(), frame.begin());
    return wheel.sendCommand(frame) >= 0;
}

std::optional<PaddleRecord> readPaddleRecord(Device &wheel) {
    const std::optional<Answer> answer = readAnswer(wheel, RecPaddle);
    if (!answer) return std::nullopt;
    return decodePaddleRecord(*answer);
}

bool writePaddleRecord(Device &wheel, const PaddleRecord &r, bool store) {
    return wheel.sendCommand(
               writePaddleFrame(r.value, store, r.rightMax, r.leftMax, r.rightMin, r.leftMin)) >= 0;
}

bool startShifterCalibration(Device &wheel, uint8_t sub) { return writeSetting(wheel, sub, 0, false); }
bool finishShifterCalibration(Device &wheel, uint8_t sub) { return writeSetting(wheel, sub, -1, true); }

}  // namespace settings
