// The device object against the simulated wheel: one wheel at a time, how a
// lost wheel looks, and input reports as the reader gets them.
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

TEST_CASE("input reports arrive one per change, in order, short ones as they came") {
    Device &d = Device::instance();
    d.close();
    sim::reset();
    sim::plug(kPid, "M-ZEN");
    CHECK(d.open(kVendorId, kPid));
    sim::press(kPid, 0);
    sim::press(kPid, 0);  // no change, no report
    sim::setPaddles(kPid, 4096, 12);
    sim::release(kPid, 0);
    sim::injectFault(sim::Op::Read, 3, sim::Fault::Short, 9);
    uint8_t buffer[kInputReportSize];
    std::vector<std::vector<uint8_t>> got;
    for (int n; (n = d.readInput(buffer, sizeof buffer, 0)) > 0;) got.emplace_back(buffer, buffer + n);
    CHECK_EQ(got.size(), size_t(3));
    CHECK(got[0] == sim::inputReport(0, 0, 1));
    CHECK(got[1] == sim::inputReport(4096, 12, 1));
    const std::vector<uint8_t> released = sim::inputReport(4096, 12, 0);
    CHECK(got[2] == std::vector<uint8_t>(released.begin(), released.begin() + 9));
    CHECK_EQ(d.readInput(buffer, sizeof buffer, 20), 0);
    d.close();
}

TEST_MAIN()
