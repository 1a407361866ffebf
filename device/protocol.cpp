#include "protocol.h"

#include <algorithm>
#include <cstring>

namespace device {

namespace {
void putU16(uint8_t *at, uint16_t v) {
    at[0] = uint8_t(v & 0xFF);
    at[1] = uint8_t(v >> 8);
}
void putI32(uint8_t *at, int32_t value) {
    const uint32_t v = uint32_t(value);
    at[0] = uint8_t(v);
    at[1] = uint8_t(v >> 8);
    at[2] = uint8_t(v >> 16);
    at[3] = uint8_t(v >> 24);
}
Frame command(uint8_t cmd) {
    Frame f{};
    f[0] = kCommandReport;
    f[1] = cmd;
    return f;
}
}  // namespace

Frame readRecordFrame(uint8_t record, uint8_t subIndex) {
    Frame f = command(CmdReadRecord);
    f[2] = record;
    f[3] = subIndex;
    return f;
}

Frame writePaddleFrame(uint16_t paddleValue, bool store, uint16_t rightMax, uint16_t leftMax,
                       uint16_t rightMin, uint16_t leftMin) {
    Frame f = command(CmdWritePaddle);
    putU16(&f[2], paddleValue);
    f[4] = storeFlag(store);
    putU16(&f[5], rightMax);
    putU16(&f[7], leftMax);
    putU16(&f[9], rightMin);
    putU16(&f[11], leftMin);
    return f;
}

void writeSettingInto(uint8_t *buf, uint8_t subIndex, int32_t value, bool store) {
    buf[0] = kCommandReport;
    buf[1] = CmdWriteSetting;
    buf[2] = subIndex;
    putI32(&buf[3], value);
    buf[7] = storeFlag(store);
}

Frame writeSettingFrame(uint8_t subIndex, int32_t value, bool store) {
    Frame f{};
    writeSettingInto(f.data(), subIndex, value, store);
    return f;
}

Frame storeLedFrame() { return command(CmdStoreLed); }

Frame writeExtraFrame(bool store, const std::array<uint8_t, 3> &extra1,
                      const std::array<uint8_t, 3> &extra2) {
    Frame f = command(CmdWriteExtra);
    f[2] = storeFlag(store);
    std::copy(extra1.begin(), extra1.end(), f.begin() + 3);
    std::copy(extra2.begin(), extra2.end(), f.begin() + 6);
    return f;
}

Frame ledBlockReport(uint8_t index, const LedBlock &data) {
    Frame f{};
    f[0] = kLedReport;
    f[1] = index;
    std::copy(data.begin(), data.end(), f.begin() + 2);
    return f;
}

size_t fillFirmwareBlock(Frame &frame, const uint8_t *image, size_t size, size_t offset) {
    if (offset >= size) return 0;
    const size_t n = std::min(kFirmwareBlockSize, size - offset);
    frame[0] = kCommandReport;
    frame[1] = uint8_t(0x80 | ((offset >> 12) & 0x7F));
    frame[2] = uint8_t((offset >> 4) & 0xFF);
    frame[3] = uint8_t(n);
    std::memcpy(&frame[4], image + offset, n);  // bytes past n keep the previous block's
    return n;
}

void makeFinishFrame(Frame &frame) {
    frame[0] = kCommandReport;
    frame[1] = CmdFinishFirmware;
}

size_t answerLength(uint8_t record) {
    if (record <= 0x07) return 20;  // an LED colour block: bytes 2-19
    switch (record) {
    case RecFirmwareVersion: return 2;
    case RecPaddle: return 13;
    case RecSetting: return 7;
    case RecIdentity: return 3;
    case RecPower: return 6;
    case RecExtraColors: return 9;
    default: return 2;
    }
}

bool answerHolds(const Answer &a, int got, uint8_t record, uint8_t subIndex) {
    if (got < 0 || size_t(got) < answerLength(record) || a[1] != record) return false;
    return record != RecSetting || a[2] == subIndex;
}

std::string textField(const Answer &a, size_t first) {
    if (first >= a.size()) return {};
    const auto begin = a.begin() + first;
    const auto end = std::find(begin, a.end(), uint8_t(0));
    return std::string(begin, end);
}

std::string identityName(const Answer &a, bool *ok) {
    const bool valid = a[1] == RecIdentity;
    if (ok) *ok = valid;
    return valid ? textField(a, 2) : std::string();
}

std::string firmwareVersionText(const Answer &a) {
    std::string text = textField(a, 1);
    if (text.size() > 20) text.resize(20);
    if (!text.empty() && text.back() == ':') text.pop_back();
    return text;
}

PaddleRecord decodePaddleRecord(const Answer &a) {
    PaddleRecord r;
    r.value = u16At(a, 2);
    r.rightMax = u16At(a, 5);
    r.leftMax = u16At(a, 7);
    r.rightMin = u16At(a, 9);
    r.leftMin = u16At(a, 11);
    return r;
}

PaddleSetting decodePaddleValue(uint16_t value) {
    if (value <= kPaddleMaxLeft) return {PaddleMode::Left, value};
    if (value <= kPaddleMaxRight) return {PaddleMode::Right, value - kPaddleRightBase};
    return {PaddleMode::Disabled, 5000};
}

uint16_t encodePaddleValue(PaddleMode mode, int bitePoint) {
    const int bite = std::clamp(bitePoint, 0, int(kPaddleMaxLeft));
    switch (mode) {
    case PaddleMode::Left: return uint16_t(bite);
    case PaddleMode::Right: return uint16_t(bite + kPaddleRightBase);
    case PaddleMode::Disabled: break;
    }
    return kPaddleDisabled;
}

PowerStatus decodePowerStatus(const Answer &a) {
    PowerStatus p;
    p.percent = a[2];
    p.reading = u16At(a, 3);
    p.link = a[5];
    return p;
}

ExtraColors decodeExtraColors(const Answer &a) {
    ExtraColors e;
    e.present = a[2] == 1;
    std::copy(a.begin() + 3, a.begin() + 6, e.extra1.begin());
    std::copy(a.begin() + 6, a.begin() + 9, e.extra2.begin());
    return e;
}

}  // namespace device
