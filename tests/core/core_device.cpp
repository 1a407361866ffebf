// The device object against the simulated wheel: what reaches the wheel,
// what it keeps across a reconnection, and how a lost wheel looks.
#include "check.h"
#include "device/device.h"
#include "sim/simwheel.h"

#include <hidapi/hidapi.h>

using namespace device;
using device::Device;

namespace {
constexpr uint16_t kPid = 0x2009;

void fresh(const char *name = "M-ZEN") {
    Device::instance().close();
    sim::reset();
    sim::plug(kPid, name);
    CHECK(Device::instance().open(kVendorId, kPid));
}

void reconnect() {
    Device::instance().close();
    sim::unplug(kPid);
    sim::plug(kPid, sim::flash(kPid).name);
    CHECK(Device::instance().open(kVendorId, kPid));
}

int32_t readSetting(uint8_t sub) {
    Answer a;
    Device::instance().readRecord(RecSetting, sub, a);
    return settingValue(a);
}
}  // namespace

TEST_CASE("with no wheel open nothing is sent and reads are zero") {
    Device::instance().close();
    sim::reset();
    sim::plug(kPid, "M-ZEN");
    Device &d = Device::instance();
    CHECK(!d.isOpen());
    Answer a;
    a.fill(0xAA);
    CHECK(d.readRecord(RecIdentity, 0, a) < 0);
    CHECK(std::all_of(a.begin(), a.end(), [](uint8_t b) { return b == 0; }));
    CHECK(d.sendCommand(writeSettingFrame(SetEncoderPulse, 50, true)) < 0);
    CHECK(d.writeLedBlock(0, LedBlock{}) < 0);
    uint8_t buf[17];
    CHECK(d.readInput(buf, sizeof buf, 0) < 0);
    CHECK(sim::frameLog().empty());
}

TEST_CASE("stored values survive a reconnection, applied ones do not") {
    fresh();
    Device &d = Device::instance();
    d.sendCommand(writeSettingFrame(SetEncoderPulse, 180, true));
    d.sendCommand(writeSettingFrame(SetShifterPulse, 60, false));
    d.sendCommand(writePaddleFrame(12345, false, 4000, 3900, 10, 20));
    CHECK_EQ(readSetting(SetShifterPulse), 60);
    reconnect();
    CHECK_EQ(readSetting(SetEncoderPulse), 180);
    CHECK_EQ(readSetting(SetShifterPulse), 100);
    Answer a;
    d.readRecord(RecPaddle, 0, a);
    CHECK_EQ(decodePaddleRecord(a).value, uint16_t(5000));

    d.sendCommand(writePaddleFrame(15001, true, 4000, 3900, 10, 20));
    reconnect();
    d.readRecord(RecPaddle, 0, a);
    const PaddleRecord r = decodePaddleRecord(a);
    CHECK_EQ(r.value, uint16_t(15001));
    CHECK_EQ(r.rightMax, uint16_t(4000));
    CHECK_EQ(r.leftMin, uint16_t(20));

    // LED table: blocks apply at once, Store LED colours keeps them.
    LedBlock block{};
    block.fill(0x12);
    d.writeLedBlock(1, block);
    CHECK_EQ(sim::live(kPid).ledTable[18], 0x12);
    CHECK_EQ(sim::flash(kPid).ledTable[18], 0xFF);
    d.sendCommand(storeLedFrame());
    d.sendCommand(writeExtraFrame(true, {1, 2, 3}, {4, 5, 6}));
    reconnect();
    d.readRecord(RecLedBlock0 + 1, 0, a);
    CHECK_EQ(a[2], 0x12);
    d.readRecord(RecExtraColors, 0, a);
    const ExtraColors e = decodeExtraColors(a);
    CHECK(e.present);
    CHECK(e.extra2 == (std::array<uint8_t, 3>{4, 5, 6}));

    // Clear flash brings the factory values back.
    d.sendCommand(writeSettingFrame(SetClearFlash, 0, false));
    reconnect();
    CHECK_EQ(readSetting(SetEncoderPulse), 100);
    d.readRecord(RecPaddle, 0, a);
    CHECK_EQ(decodePaddleRecord(a).value, uint16_t(5000));
}

TEST_CASE("several wheels, and a wheel pulled out") {
    Device::instance().close();
    sim::reset();
    sim::plug(0x200B, "NVA4");
    sim::plug(0x2008, "LB370");
    Device &d = Device::instance();
    CHECK(!d.open(kVendorId, 0x2007));
    CHECK(d.open(kVendorId, 0x2008));
    CHECK(!d.open(kVendorId, 0x200B));  // one wheel at a time
    CHECK_EQ(d.productId(), uint16_t(0x2008));
    Answer a;
    d.readRecord(RecIdentity, 0, a);
    CHECK(identityName(a, nullptr) == "LB370");

    sim::unplug(0x2008);
    CHECK(d.sendCommand(writeSettingFrame(SetEncoderPulse, 50, false)) < 0);
    CHECK(d.readRecord(RecIdentity, 0, a) < 0);
    uint8_t buf[17];
    CHECK(d.readInput(buf, sizeof buf, 50) < 0);
    d.close();
    CHECK(!d.open(kVendorId, 0x2008));
    sim::plug(0x2008, "LB370");
    CHECK(d.open(kVendorId, 0x2008));
    d.close();
    CHECK_EQ(sim::closedHandleUses(), 0);
    CHECK_EQ(sim::openHandles(), 0);
}

TEST_CASE("input reports arrive one per change, in order") {
    fresh();
    Device &d = Device::instance();
    sim::press(kPid, 0);
    sim::press(kPid, 0);  // no change, no report
    sim::setPaddles(kPid, 4096, 12);
    sim::press(kPid, 63);
    sim::release(kPid, 0);
    uint8_t buf[17];
    std::vector<std::vector<uint8_t>> got;
    int n;
    while ((n = d.readInput(buf, sizeof buf, 0)) > 0) got.emplace_back(buf, buf + n);
    CHECK_EQ(got.size(), size_t(4));
    CHECK_EQ(got[0][5], 0x01);
    CHECK_EQ(got[1][1], 0x00);
    CHECK_EQ(got[1][2], 0x10);
    CHECK_EQ(got[1][3], 12);
    CHECK_EQ(got[2][12], 0x80);
    CHECK_EQ(got[3][5], 0x00);
    CHECK_EQ(got[3][12], 0x80);
    // A read waits at most its time-out when nothing comes.
    CHECK_EQ(d.readInput(buf, sizeof buf, 20), 0);
}

// The wheel operations' tests cover the faults of exchanges and writes.
TEST_CASE("injected faults of input reads and a pull") {
    fresh();
    Device &d = Device::instance();
    sim::press(kPid, 5);
    sim::injectFault(sim::Op::Read, 1, sim::Fault::Short, 9);
    uint8_t buf[17];
    CHECK_EQ(d.readInput(buf, sizeof buf, 0), 9);

    Answer a;
    sim::injectFault(sim::Op::Get, 1, sim::Fault::Unplug);
    CHECK(d.readRecord(RecIdentity, 0, a) < 0);
    CHECK(!sim::isPlugged(kPid));
    d.close();
    CHECK_EQ(sim::closedHandleUses(), 0);
}

TEST_MAIN()
