// Three threads on the device object at once: Read records from one,
// firmware blocks from another, input reads and then the close from a third.
// The wheel's frame log must show every Read record answered before any other
// frame, and no call may reach the handle after the close.
#include "check.h"
#include "device/device.h"
#include "sim/simwheel.h"

#include <atomic>
#include <thread>

using namespace device;
using device::Device;

namespace {
constexpr uint16_t kPid = 0x2007;

void checkExchangesWhole(const std::vector<sim::LogEntry> &log, int &exchanges) {
    for (size_t i = 0; i < log.size(); ++i) {
        const auto &e = log[i];
        if (e.op != sim::Op::Send || e.bytes.size() < 2 || e.bytes[1] != CmdReadRecord || e.result < 0)
            continue;
        // The next feature report or output report on the bus must be this
        // exchange's get, from the same thread.
        size_t j = i + 1;
        while (j < log.size() && (log[j].op == sim::Op::Read || log[j].op == sim::Op::SetNonBlocking)) ++j;
        CHECK(j < log.size());
        if (j >= log.size()) return;
        CHECK(log[j].op == sim::Op::Get);
        CHECK(log[j].thread == e.thread);
        ++exchanges;
    }
}
}  // namespace

TEST_CASE("concurrent exchanges, blocks, reads and a close") {
    for (int round = 0; round < 5; ++round) {
        sim::reset();
        sim::plug(kPid, "M-ZEN");
        Device &d = Device::instance();
        CHECK(d.open(kVendorId, kPid));

        std::atomic<bool> stop{false};
        std::atomic<int> mismatched{0};
        std::atomic<int> reads{0};

        std::thread records([&] {
            const uint8_t subs[] = {SetEncoderPulse, SetShifterPulse, SetClutchEnabled};
            for (unsigned i = 0; !stop; ++i) {
                const uint8_t sub = subs[i % 3];
                Answer a;
                if (d.readRecord(RecSetting, sub, a) > 0 && (a[1] != RecSetting || a[2] != sub))
                    ++mismatched;  // an answer that belongs to another request
            }
        });
        std::thread blocks([&] {
            std::vector<uint8_t> img(4096, 0x33);
            Frame f{};
            for (size_t off = 0; !stop; off = (off + 16) % img.size()) {
                fillFirmwareBlock(f, img.data(), img.size(), off);
                d.sendCommand(f);
            }
        });
        std::thread presser([&] {
            for (int i = 0; !stop; ++i) {
                sim::press(kPid, i % 64);
                sim::release(kPid, i % 64);
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            }
        });
        std::thread reader([&] {
            uint8_t buf[17];
            d.setNonBlocking(true);
            const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
            while (std::chrono::steady_clock::now() < until) {
                if (d.readInput(buf, sizeof buf, 100) > 0) ++reads;
            }
            d.close();  // while the other two are still busy
        });

        reader.join();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        stop = true;
        records.join();
        blocks.join();
        presser.join();

        const auto log = sim::frameLog();
        int exchanges = 0;
        checkExchangesWhole(log, exchanges);
        CHECK(exchanges > 10);
        CHECK(reads > 10);
        CHECK_EQ(mismatched.load(), 0);
        CHECK_EQ(sim::closedHandleUses(), 0);
        CHECK_EQ(sim::openHandles(), 0);
        // Nothing after the close.
        size_t closeAt = log.size();
        for (size_t i = 0; i < log.size(); ++i)
            if (log[i].op == sim::Op::Close) closeAt = i;
        CHECK(closeAt < log.size());
        CHECK_EQ(log.size() - 1, closeAt);
    }
}

TEST_CASE("a close waits for a running read but not for its whole time-out") {
    sim::reset();
    sim::plug(kPid, "M-ZEN");
    Device &d = Device::instance();
    CHECK(d.open(kVendorId, kPid));
    std::atomic<bool> started{false};
    std::thread reader([&] {
        uint8_t buf[17];
        started = true;
        while (d.readInput(buf, sizeof buf, 100) >= 0) {}
    });
    while (!started) std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    // Exchanges are not held up by the read's wait.
    const auto t0 = std::chrono::steady_clock::now();
    Answer a;
    for (int i = 0; i < 20; ++i) d.readRecord(RecIdentity, 0, a);
    const auto took = std::chrono::steady_clock::now() - t0;
    CHECK(took < std::chrono::milliseconds(500));
    d.close();
    reader.join();
    CHECK_EQ(sim::closedHandleUses(), 0);
}

TEST_MAIN()
