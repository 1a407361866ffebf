#include "wheelops.h"

namespace device {

namespace {
// Decodes into `asRead` what the exchange left, then gives the result.
template <typename T, typename Decode>
std::optional<T> readDecoded(Device &wheel, uint8_t record, T *asRead, Decode decode) {
    Answer raw;
    const std::optional<Answer> answer = readAnswer(wheel, record, 0, &raw);
    if (asRead) *asRead = decode(raw);
    if (!answer) return std::nullopt;
    return decode(*answer);
}
}  // namespace

std::optional<Answer> readAnswer(Device &wheel, uint8_t record, uint8_t sub, Answer *asRead) {
    Answer answer;
    const int got = wheel.readRecord(record, sub, answer);
    if (asRead) *asRead = answer;
    if (!answerHolds(answer, got, record, sub)) return std::nullopt;
    return answer;
}

std::optional<uint16_t> openWheel(Device &wheel) {
    for (const uint16_t pid : kProductIds)
        if (wheel.open(kVendorId, pid)) return pid;
    return std::nullopt;
}

std::optional<std::string> readIdentity(Device &wheel) {
    const std::optional<Answer> answer = readAnswer(wheel, RecIdentity);
    if (!answer) return std::nullopt;
    return identityName(*answer, nullptr);
}

std::optional<std::string> readFirmwareVersion(Device &wheel, std::string *asRead) {
    return readDecoded(wheel, RecFirmwareVersion, asRead, firmwareVersionText);
}

std::optional<PowerStatus> readPowerStatus(Device &wheel) {
    return readDecoded(wheel, RecPower, static_cast<PowerStatus *>(nullptr), decodePowerStatus);
}

std::optional<ExtraColors> readExtraColors(Device &wheel) {
    return readDecoded(wheel, RecExtraColors, static_cast<ExtraColors *>(nullptr), decodeExtraColors);
}

}  // namespace device
