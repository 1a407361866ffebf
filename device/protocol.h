// Frames and answers of the wheel's report protocol. Pure functions, no Qt,
// no I/O: everything here can be called from a test or a fuzzer directly.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace device {

using Frame = std::array<uint8_t, 20>;   // command frame, byte 0 = report ID
using Answer = std::array<uint8_t, 21>;  // feature-report answer buffer
using LedBlock = std::array<uint8_t, 18>;

constexpr uint16_t kVendorId = 0xC872;
// Product IDs in the order they are tried.
constexpr std::array<uint16_t, 7> kProductIds = {0x2007, 0x2008, 0x2009, 0x200A, 0x200B, 0x200C, 0x200D};

constexpr uint8_t kCommandReport = 0x02;
constexpr uint8_t kLedReport = 0x03;
constexpr size_t kInputReportSize = 17;  // report ID + 16 data bytes
constexpr size_t kInputPayloadSize = 16;

enum Command : uint8_t {
    CmdWritePaddle = 0x0A,
    CmdReadRecord = 0x0B,
    CmdWriteSetting = 0x0C,
    CmdStoreLed = 0x0E,
    CmdFinishFirmware = 0x10,
    CmdWriteExtra = 0x11,
    CmdFirmwareBlock = 0x80,  // bit 7 set; low bits carry the block number
};

enum Record : uint8_t {
    RecLedBlock0 = 0x00,  // 0x00..0x07
    RecFirmwareVersion = 0x09,
    RecPaddle = 0x0A,
    RecSetting = 0x0C,
    RecIdentity = 0x0D,
    RecPower = 0x0F,
    RecExtraColors = 0x11,
};

enum Setting : uint8_t {
    SetLeftShifterCal = 0x03,
    SetEncoderPulse = 0x04,
    SetRightShifterCal = 0x05,
    SetExtraLeftShifterCal = 0x06,
    SetExtraRightShifterCal = 0x07,
    SetClutchEnabled = 0x08,
    SetExtraShiftersEnabled = 0x09,
    SetShifterPulse = 0x0A,
    SetClearFlash = 0x10,
};

constexpr uint8_t kStore = 0xEF;
constexpr uint8_t kApplyOnly = 0x00;
inline uint8_t storeFlag(bool store) { return store ? kStore : kApplyOnly; }

// Paddle value: 0..10000 left bite point, 10001..20001 right, 65535 none.
constexpr uint16_t kPaddleRightBase = 10001;
constexpr uint16_t kPaddleMaxLeft = 10000;
constexpr uint16_t kPaddleMaxRight = 20001;
constexpr uint16_t kPaddleDisabled = 65535;

// Largest image the program accepts; the 15-bit block number could address more.
constexpr size_t kMaxFirmwareSize = 229376;
constexpr size_t kFirmwareBlockSize = 16;

// --- building frames -------------------------------------------------------

Frame readRecordFrame(uint8_t record, uint8_t subIndex);
Frame writePaddleFrame(uint16_t paddleValue, bool store, uint16_t rightMax, uint16_t leftMax,
                       uint16_t rightMin, uint16_t leftMin);
Frame writeSettingFrame(uint8_t subIndex, int32_t value, bool store);
// Writes a Write setting command over the first 8 bytes of `buf`, leaving
// bytes 8.. as they are (the paddle page builds it in the answer just read).
void writeSettingInto(uint8_t *buf, uint8_t subIndex, int32_t value, bool store);
Frame storeLedFrame();
Frame writeExtraFrame(bool store, const std::array<uint8_t, 3> &extra1, const std::array<uint8_t, 3> &extra2);
// The 20-byte output report for LED colour block `index`.
Frame ledBlockReport(uint8_t index, const LedBlock &data);

// Firmware stream: one buffer reused from block to block. Returns the number
// of image bytes placed (0 when offset is past the end).
size_t fillFirmwareBlock(Frame &frame, const uint8_t *image, size_t size, size_t offset);
void makeFinishFrame(Frame &frame);
// Block number carried by a firmware block frame (bytes 1-2, 15 bits).
inline uint32_t firmwareBlockNumber(const uint8_t *frame) {
    return (uint32_t(frame[1] & 0x7F) << 8) | frame[2];
}

// --- decoding answers ------------------------------------------------------

inline uint16_t u16At(const Answer &a, size_t at) {
    return at + 1 < a.size() ? uint16_t(a[at] | (a[at + 1] << 8)) : 0;
}
inline int32_t i32At(const Answer &a, size_t at) {
    if (at + 3 >= a.size()) return 0;
    return int32_t(uint32_t(a[at]) | (uint32_t(a[at + 1]) << 8) | (uint32_t(a[at + 2]) << 16) |
                   (uint32_t(a[at + 3]) << 24));
}

// Bytes of an answer that the decoder of `record` reads (byte 0 included).
size_t answerLength(uint8_t record);
// Whether a Read record exchange brought the record asked for: the get
// returned at least the bytes its decoder reads, and byte 1 echoes the
// record (byte 2 the sub-index of a setting). False for a failed get, a cut
// answer (the rest of the buffer still holds the request) or a stray one.
bool answerHolds(const Answer &a, int got, uint8_t record, uint8_t subIndex);

// Bytes from `first` up to the first zero byte or the end of the answer.
std::string textField(const Answer &a, size_t first);

// Identity: empty result and `ok` false when byte 1 is not the record number.
std::string identityName(const Answer &a, bool *ok);
// Firmware version text: starts at byte 1 (a tab), one trailing ':' removed.
std::string firmwareVersionText(const Answer &a);

struct PaddleRecord {
    uint16_t value = 0;
    uint16_t rightMax = 0, leftMax = 0, rightMin = 0, leftMin = 0;
};
PaddleRecord decodePaddleRecord(const Answer &a);

enum class PaddleMode { Left, Right, Disabled };
struct PaddleSetting {
    PaddleMode mode = PaddleMode::Left;
    int bitePoint = 0;  // hundredths of a percent
};
// Disabled decodes with the bite point 5000, as the page shows it.
PaddleSetting decodePaddleValue(uint16_t value);
uint16_t encodePaddleValue(PaddleMode mode, int bitePoint);

inline int32_t settingValue(const Answer &a) { return i32At(a, 3); }
inline bool settingEnabled(const Answer &a) { return settingValue(a) == 1; }

struct PowerStatus {
    uint8_t percent = 0;
    uint16_t reading = 0;
    uint8_t link = 0;  // 0 = Bluetooth, 1 = USB
};
PowerStatus decodePowerStatus(const Answer &a);

struct ExtraColors {
    bool present = false;
    std::array<uint8_t, 3> extra1{}, extra2{};
};
ExtraColors decodeExtraColors(const Answer &a);

}  // namespace device
