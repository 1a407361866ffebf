// The loose cable at the level of the device object, with plain threads so
// that ThreadSanitizer sees every lock: a reader like the window's (closes
// the handle when a read fails), a connection loop like onInit's (stops the
// reader, closes, reopens, reads records), hands on the controls, and a
// cable pulled and put back 200 times at random moments.
#include "check.h"
#include "device/device.h"
#include "sim/simwheel.h"

#include <atomic>
#include <random>
#include <thread>

using namespace device;
using device::Device;

namespace {

constexpr uint16_t kPid = 0x2007;
constexpr int kCycles = 200;

class Reader {
public:
    void start(Device &d) {
        m_interrupt = false;
        m_lost = false;
        m_thread = std::thread([this, &d] {
            uint8_t buffer[kInputReportSize];
            d.setNonBlocking(true);
            for (;;) {
                if (m_interrupt) break;
                if (!d.isOpen()) {
                    m_lost = true;
                    return;
                }
                if (d.readInput(buffer, sizeof buffer, 100) < 0) break;
            }
            d.close();
            if (!m_interrupt) m_lost = true;
        });
    }
    void stop() {
        m_interrupt = true;
        if (m_thread.joinable()) m_thread.join();
    }
    bool lost() const { return m_lost; }
    bool running() const { return m_thread.joinable(); }

private:
    std::thread m_thread;
    std::atomic<bool> m_interrupt{false};
    std::atomic<bool> m_lost{false};
};

int count(sim::Op op) {
    int n = 0;
    for (const auto &e : sim::frameLog()) n += e.op == op && e.result >= 0;
    return n;
}

}  // namespace

TEST_CASE("200 pulls at random moments while reports flow and records are read") {
    Device &d = Device::instance();
    d.close();
    sim::reset();
    sim::plug(kPid, "M-ZEN");

    std::atomic<bool> stop{false};
    std::atomic<int> cycles{0};
    std::thread hands([&] {
        std::mt19937 random(11);
        while (!stop) {
            const int input = int(random() % 64);
            sim::press(kPid, input);
            std::this_thread::sleep_for(std::chrono::microseconds(300 + random() % 700));
            sim::release(kPid, input);
        }
    });
    std::thread cable([&] {
        std::mt19937 random(12);
        for (int i = 0; i < kCycles; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(random() % 25));
            sim::unplug(kPid);
            std::this_thread::sleep_for(std::chrono::milliseconds(random() % 10));
            sim::plug(kPid, "M-ZEN");
            ++cycles;
        }
    });

    // The connection loop: on a loss (or at first) stop the reader, close,
    // reopen, read; every answer that names its record carries the wheel's value.
    Reader reader;
    int connections = 0, wrongAnswers = 0;
    while (cycles < kCycles) {
        if (reader.running() && !reader.lost()) {
            Answer a;
            const int got = d.readRecord(RecSetting, SetEncoderPulse, a);
            if (answerHolds(a, got, RecSetting, SetEncoderPulse) && settingValue(a) != 100) ++wrongAnswers;
            std::this_thread::sleep_for(std::chrono::microseconds(200));
            continue;
        }
        reader.stop();
        d.close();
        if (!d.open(kVendorId, kPid)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            continue;
        }
        ++connections;
        reader.start(d);
    }
    cable.join();
    reader.stop();
    stop = true;
    hands.join();
    d.close();

    CHECK(connections > kCycles / 2);
    CHECK_EQ(wrongAnswers, 0);
    CHECK_EQ(sim::openHandles(), 0);
    CHECK_EQ(sim::closedHandleUses(), 0);
    CHECK_EQ(count(sim::Op::Open), count(sim::Op::Close));
    CHECK_EQ(count(sim::Op::Open), connections);
}

TEST_MAIN()
