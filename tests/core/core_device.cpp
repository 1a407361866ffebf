// The device object against the simulated wheel: one wheel at a time, and
// how a lost wheel looks. Input reads: core_stress and the window's tests.
#include "check.h"
#include "device/device.h"
#include "sim/simwheel.h"

using namespace device;

namespace {
constexpr uint16_t kPid = 0x2008;
}  // namespace

TEST_CASE("with no wheel open nothing is sent and reads are zero") {
    Device &d = Device::instance();
    d.close();
    sim::reset();
    sim::plug(kPid, "M-ZEN");
    Answer a;
    a.fill(0xAA);
    CHECK(d.readRecord(RecIdentity, 0, a) < 0);
    CHECK(a == Answer{});
    CHECK(d.sendCommand(writeSettingFrame(SetEncoderPulse, 50, true)) < 0);
    CHECK(d.writeLedBlock(0, LedBlock{}) < 0);
    uint8_t buffer[kInputReportSize];
    CHECK(d.readInput(buffer, sizeof buffer, 0) < 0);
    CHECK(sim::frameLog().empty());
}

TEST_CASE("one wheel at a time; a pulled one fails every call until opened again") {
    Device &d = Device::instance();
    d.close();
    sim::reset();
    sim::plug(0x200B, "NVA4");
    sim::plug(kPid, "LB370");
    CHECK(!d.open(kVendorId, 0x2007));
    CHECK(d.open(kVendorId, kPid));
    CHECK(!d.open(kVendorId, 0x200B));
    CHECK_EQ(d.productId(), kPid);
    Answer a;
    CHECK(d.readRecord(RecIdentity, 0, a) == 21 && identityName(a, nullptr) == "LB370");

    sim::unplug(kPid);
    CHECK(d.sendCommand(writeSettingFrame(SetEncoderPulse, 50, false)) < 0);
    CHECK(d.readRecord(RecIdentity, 0, a) < 0);
    uint8_t buffer[kInputReportSize];
    CHECK(d.readInput(buffer, sizeof buffer, 50) < 0);
    d.close();
    CHECK_EQ(d.productId(), 0);
    CHECK(!d.open(kVendorId, kPid));
    sim::plug(kPid, "LB370");
    CHECK(d.open(kVendorId, kPid));
    d.close();
    CHECK_EQ(sim::closedHandleUses(), 0);
    CHECK_EQ(sim::openHandles(), 0);
}

TEST_MAIN()
