// The wheel's answers as the wheel may send them: every byte of the 21-byte
// answer and the length the get reports are the wheel's to choose.
#include "device/protocol.h"
#include "require.h"

#include <algorithm>
#include <cstring>

using namespace device;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    Answer a{};
    std::memcpy(a.data(), data, std::min(size, a.size()));
    // The get's result: the byte after the answer, when there is one.
    const int got = size > a.size() ? int(data[a.size()]) - 32 : int(size);

    // An answer counts only when it is whole enough and names its record.
    for (int record = 0; record < 256; ++record)
        if (answerHolds(a, got, uint8_t(record), a[2]))
            REQUIRE(got >= int(answerLength(uint8_t(record))) && a[1] == record);

    bool ok = false;
    const std::string name = identityName(a, &ok);
    REQUIRE(ok == (a[1] == RecIdentity) && (ok || name.empty()));
    REQUIRE(name.size() <= 19 && name.find('\0') == std::string::npos);
    const std::string version = firmwareVersionText(a);
    REQUIRE(version.size() <= 20 && version.find('\0') == std::string::npos);

    // Every paddle value decodes to a mode and bite point that encode back
    // to it, all "no paddle clutch" values to 65535.
    const uint16_t value = decodePaddleRecord(a).value;
    const PaddleSetting setting = decodePaddleValue(value);
    REQUIRE(setting.bitePoint >= 0 && setting.bitePoint <= int(kPaddleMaxLeft));
    const uint16_t back = encodePaddleValue(setting.mode, setting.bitePoint);
    REQUIRE(value > kPaddleMaxRight ? back == kPaddleDisabled : back == value);

    // The input as a firmware image: each block carries its number, length
    // and bytes; a short block's tail repeats the one before.
    Frame frame{};
    for (size_t offset = 0; offset < size && offset < 64 * kFirmwareBlockSize; offset += kFirmwareBlockSize) {
        const Frame previous = frame;
        const size_t n = fillFirmwareBlock(frame, data, size, offset);
        REQUIRE(n == std::min(kFirmwareBlockSize, size - offset) && frame[3] == n && (frame[1] & 0x80));
        REQUIRE(firmwareBlockNumber(frame.data()) == offset / kFirmwareBlockSize);
        REQUIRE(std::memcmp(frame.data() + 4, data + offset, n) == 0);
        REQUIRE(std::equal(frame.begin() + 4 + long(n), frame.end(), previous.begin() + 4 + long(n)));
    }
    REQUIRE(fillFirmwareBlock(frame, data, size, size) == 0);
    return 0;
}
