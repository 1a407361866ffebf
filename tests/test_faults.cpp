// The connection under fire, as the window shows it: each first read failing
// or pulled, every answer noise, pulls during the calibrations, and a loose
// cable. The window ends waiting or connected,
// shows no message, and the owner's stored settings survive its close.
// What each operation makes of a failed exchange: tests/core/core_ops.
#include "faultutil.h"

#include <atomic>
#include <random>
#include <thread>

namespace {
constexpr uint16_t kPid = ft::Scenario::pid;

int count(sim::Op op) {
    int n = 0;
    for (const auto &e : sim::frameLog()) n += e.op == op && e.result >= 0;
    return n;
}
}  // namespace

class FaultsTest : public QObject {
    Q_OBJECT

    // What a PQV7 reads as it connects: identity, its profile's records, LED
    // blocks, extra colours, paddle record, pulse widths, clutches, firmware
    // version, and the first status poll.
    std::vector<std::pair<int, int>> reads;

private slots:
    void initTestCase() {
        reads = ft::connectionReads("PQV7", kPid);
        QVERIFY(reads.size() >= 10);
    }

    void firstReads_data() {
        QTest::addColumn<int>("fault");
        QTest::addColumn<int>("nth");
        for (int nth = 1; nth <= int(reads.size()); ++nth) {
            const auto [record, sub] = reads[size_t(nth - 1)];
            QTest::addRow("fails at %d (record %02x %02x)", nth, record, sub) << int(sim::Fault::Fail) << nth;
            QTest::addRow("pulled at %d (record %02x %02x)", nth, record, sub)
                << int(sim::Fault::Unplug) << nth;
        }
    }
    void firstReads() {
        QFETCH(int, fault);
        QFETCH(int, nth);
        ft::Scenario sc("PQV7", [&] { sim::injectFault(sim::Op::Get, nth, sim::Fault(fault)); });
        sc.settle();
        if (QTest::currentTestFailed()) return;
        sc.closeAndCheck(sc.before);
    }

    // The wheel names itself, then answers with noise: whatever the window
    // makes of it, closing it must not write the noise back.
    void noiseForEveryAnswer() {
        ft::Scenario sc("PQV7", [] {
            for (int nth = 2; nth <= 64; ++nth) sim::injectFault(sim::Op::Get, nth, sim::Fault::Garbage, nth);
        });
        QTRY_VERIFY(tu::connected(*sc.w));
        for (QPushButton *page : {sc.w->ui->pbS1, sc.w->ui->pbS2, sc.w->ui->pbS3, sc.w->ui->pbS4})
            page->click();
        sim::clearFaults();
        sc.closeAndCheck(sc.before);
    }

    // A calibration ends with the loss: nothing half-learnt is stored, and
    // reports after the return widen nothing.
    void pulledDuringClutchCalibration() {
        ft::Scenario sc("M-ZEN");
        TestWindow &w = *sc.w;
        QTRY_VERIFY(tu::connected(w));
        w.ui->pbCalL->click();
        w.onCalibrate();
        sim::setPaddles(kPid, 2100, 3000);
        QTRY_COMPARE(w.leftMax, 3000u);
        sim::unplug(kPid);
        sc.replug();
        QVERIFY(!w.ui->pbCalL->isChecked());
        QCOMPARE(w.ui->pbCalL->text(), QString("CALIBRATE"));
        sim::setPaddles(kPid, 10, 4000);
        QTRY_COMPARE(w.ui->pgAdcL->value(), 4000);
        QCOMPARE(w.leftMax, 3800u);
        sc.closeAndCheck(sc.before);
    }

    // The next click after the return starts a shifter calibration anew
    // rather than finishing one the wheel never began.
    void pulledDuringShifterCalibration() {
        ft::Scenario sc("PQV7");
        TestWindow &w = *sc.w;
        QTRY_VERIFY(tu::connected(w));
        w.ui->pbBearRCa->click();
        sim::unplug(kPid);
        sc.replug();
        QVERIFY(!w.ui->pbBearRCa->isChecked());
        QCOMPARE(w.ui->pbBearRCa->text(), QString("CALIBRATE"));
        sim::clearLog();
        w.ui->pbBearRCa->click();
        QCOMPARE(tu::hex(tu::commands().at(0)), tu::hex(tu::frame({0x02, 0x0C, 0x05})));
        w.ui->pbBearRCa->click();
        sim::WheelState intended = sc.before;
        intended.shifterThresholds[5] = 1005;
        sc.closeAndCheck(intended);
    }

    // A loose cable pulled and put back at random moments while the controls
    // are used: every loss is noticed once, no retry is scheduled twice,
    // every handle is closed exactly once.
    void looseCable() {
        constexpr int kCycles = 40;
        ft::Scenario sc("M-ZEN");
        TestWindow &w = *sc.w;
        QTRY_VERIFY(tu::connected(w));
        // Every run of onInit tries the wheel's product ID once: counting the
        // tries counts the runs, whoever scheduled them.
        int losses = 0, retries = 0, driven = 0, retryWhileOpen = 0;
        const auto opens = [] {
            int n = 0;
            for (const auto &e : sim::frameLog()) n += e.op == sim::Op::Open && e.productId == kPid;
            return n;
        };
        const int runsBefore = opens();
        QObject counter;
        connect(&w.eventThread, &TarnEvent::deviceDisconnect, &counter, [&] { ++losses; });
        connect(&w.timers.retry, &QTimer::timeout, &counter, [&] { ++retries; });
        // Rather than wait 3 s for the retry, run it as soon as the wheel is back.
        QTimer retry;
        connect(&retry, &QTimer::timeout, &counter, [&] {
            if (!w.timers.retry.isActive()) return;
            retryWhileOpen += device::Device::instance().isOpen();
            if (sim::isPlugged(kPid)) {
                ++driven;
                w.onInit();
            }
        });
        retry.start(3);

        std::atomic<bool> stop{false};
        std::atomic<int> cycles{0};
        std::thread hands([&] {
            std::mt19937 random(7);
            for (int input = 0; !stop; input = int(random() % 64)) {
                sim::press(kPid, input);
                sim::setPaddles(kPid, uint16_t(random() % 4097), uint16_t(random() % 4097));
                std::this_thread::sleep_for(std::chrono::microseconds(500 + random() % 1500));
                sim::release(kPid, input);
            }
        });
        std::thread cable([&] {
            std::mt19937 random(8);
            for (; cycles < kCycles; ++cycles) {
                std::this_thread::sleep_for(std::chrono::milliseconds(random() % 40));
                sim::unplug(kPid);
                std::this_thread::sleep_for(std::chrono::milliseconds(random() % 20));
                sim::plug(kPid, "M-ZEN");
            }
        });
        QVERIFY(QTest::qWaitFor([&] { return cycles == kCycles; }, 60000));
        cable.join();
        QTRY_VERIFY(tu::connected(w) && !w.timers.retry.isActive());
        stop = true;
        hands.join();
        retry.stop();

        QVERIFY(losses > kCycles / 2);
        QCOMPARE(opens() - runsBefore, losses + retries + driven);
        QCOMPARE(retryWhileOpen, 0);
        QCOMPARE(count(sim::Op::Open), count(sim::Op::Close) + 1);
        sc.closeAndCheck(sc.before);
        QCOMPARE(count(sim::Op::Open), count(sim::Op::Close));
    }
};

ORVANE_TEST_MAIN(FaultsTest)
#include "test_faults.moc"
