// The device object from several threads at once, with plain threads so that
// ThreadSanitizer sees every lock: Read records, firmware blocks and LED
// blocks while a reader like the window's reads input and closes the handle,
// after reading enough or because the cable was pulled. Every Read record
// must be answered before any other frame reaches the wheel, and no call may
// reach a handle after its close.
#include "check.h"
#include "device/device.h"
#include "sim/simwheel.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <future>
#include <thread>

using namespace device;
using namespace std::chrono_literals;

namespace {

constexpr uint16_t kPid = 0x2007;

// Runs `body` on a thread of its own; one that has not ended after far
// longer than it could take is a deadlock, and ends the program failed.
void finishes(const char *what, const std::function<void()> &body) {
    std::packaged_task<void()> task(body);
    std::future<void> done = task.get_future();
    std::thread(std::move(task)).detach();
    if (done.wait_for(20s) == std::future_status::ready) return;
    std::printf("  FAIL: %s never ended\n", what);
    std::fflush(stdout);
    std::_Exit(1);
}

void open() {
    if (!sim::isPlugged(kPid)) sim::plug(kPid, "M-ZEN");
    CHECK(Device::instance().open(kVendorId, kPid));
    sim::clearLog();
}

}  // namespace

TEST_CASE("exchanges, commands, LED blocks and reads at once, closed by the reader or by a pull") {
    Device &d = Device::instance();
    d.close();
    sim::reset();
    for (int round = 0; round < 6; ++round) {
        const bool pull = round % 2;
        open();
        std::atomic<bool> stop{false};
        std::atomic<int> calls[5] = {}, mismatched{0};
        const std::function<void(unsigned)> hands[] = {
            [&](unsigned i) {
                Answer a;
                const uint8_t sub = i % 2 ? SetEncoderPulse : SetClutchEnabled;
                if (d.readRecord(RecSetting, sub, a) > 0 && (a[1] != RecSetting || a[2] != sub)) ++mismatched;
            },
            [&](unsigned) { d.sendCommand(writeSettingFrame(SetShifterPulse, 60, false)); },
            [&](unsigned i) { d.writeLedBlock(uint8_t(i % 4), LedBlock{}); },
            [&](unsigned i) {
                sim::press(kPid, int(i % 64));
                sim::release(kPid, int(i % 64));
                std::this_thread::sleep_for(100us);
            }};
        std::vector<std::thread> threads;
        for (int k = 0; k < 4; ++k)
            threads.emplace_back([&, k] {
                for (unsigned i = 0; !stop; ++i, ++calls[k]) hands[k](i);
            });
        // Enough of each before the reader may close.
        const auto busy = [&] { return calls[0] > 300 && calls[1] > 300 && calls[2] > 300 && calls[4] > 30; };
        std::thread reader([&] {
            uint8_t buffer[kInputReportSize];
            d.setNonBlocking(true);
            while ((pull || !busy()) && d.readInput(buffer, sizeof buffer, 100) >= 0) ++calls[4];
            d.close();
        });
        if (pull) {
            while (!busy()) std::this_thread::yield();
            sim::unplug(kPid);
        }
        reader.join();
        stop = true;
        for (auto &t : threads) t.join();

        const auto log = sim::frameLog();
        for (size_t i = 0; i < log.size(); ++i) {
            const auto &e = log[i];
            if (e.op != sim::Op::Send || e.bytes[1] != CmdReadRecord || e.result < 0) continue;
            size_t j = i + 1;
            while (j < log.size() && (log[j].op == sim::Op::Read || log[j].op == sim::Op::SetNonBlocking))
                ++j;
            CHECK(j < log.size() && log[j].op == sim::Op::Get && log[j].thread == e.thread);
        }
        CHECK(mismatched.load() == 0);
        CHECK(!log.empty() && log.back().op == sim::Op::Close);
        CHECK(sim::closedHandleUses() == 0 && sim::openHandles() == 0);
    }
}

TEST_CASE("two threads opening at once open one handle") {
    Device &d = Device::instance();
    for (int i = 0; i < 200; ++i) {
        d.close();
        sim::reset();
        sim::plug(kPid, "M-ZEN");
        std::atomic<int> ready{0}, opened{0};
        const auto opener = [&] {
            for (++ready; ready < 2;) std::this_thread::yield();
            opened += d.open(kVendorId, kPid);
        };
        std::thread a(opener), b(opener);
        a.join();
        b.join();
        CHECK(opened.load() == 1);
        d.close();
        CHECK(sim::openHandles() == 0);
    }
}

TEST_CASE("an input read holds up no exchange, and a close waits for it") {
    Device &d = Device::instance();
    d.close();
    sim::reset();
    open();
    std::atomic<bool> reading{false};
    std::thread reader([&] {
        uint8_t buffer[kInputReportSize];
        reading = true;
        d.readInput(buffer, sizeof buffer, 60000);  // until the press below
        while (d.readInput(buffer, sizeof buffer, 100) >= 0) {}
    });
    while (!reading) std::this_thread::yield();
    std::this_thread::sleep_for(20ms);
    Answer a;
    finishes("an exchange beside a read", [&] { CHECK(d.readRecord(RecIdentity, 0, a) > 0); });
    sim::press(kPid, 1);
    std::this_thread::sleep_for(20ms);  // into its next read
    finishes("a close beside a read", [&] { d.close(); });
    reader.join();
    CHECK(sim::closedHandleUses() == 0);
}

TEST_MAIN()
