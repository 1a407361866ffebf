// A long afternoon at a desk with a loose cable: 200 pulls and returns at
// random moments while the controls are being used, then the window closed.
// Every loss is noticed once, no retry is ever scheduled twice, every handle
// is closed exactly once, and the owner's settings survive.
#include "faultutil.h"

#include <atomic>
#include <random>
#include <thread>

namespace {

constexpr uint16_t kPid = 0x2007;
constexpr int kCycles = 200;
constexpr uint32_t kSeed = 20240307;

int count(sim::Op op, bool succeeded) {
    int n = 0;
    for (const auto &e : sim::frameLog()) n += e.op == op && (e.result >= 0) == succeeded;
    return n;
}

}  // namespace

class SoakTest : public QObject {
    Q_OBJECT

private slots:
    void looseCable() {
        ft::Scenario sc;
        sc.pid = kPid;
        sc.open("M-ZEN");
        TestWindow &w = *sc.w;
        QTRY_VERIFY(tu::connected(w));

        // Every run of onInit tries the first product ID first: counting
        // those attempts counts the runs, whoever scheduled them.
        int losses = 0, retries = 0, driven = 0, retryWhileOpen = 0;
        QObject counter;
        connect(&w.eventThread, &TarnEvent::deviceDisconnect, &counter, [&] { ++losses; });
        connect(&w.timers.retry, &QTimer::timeout, &counter, [&] { ++retries; });
        const int runsBefore = ft::opensOf(kPid);

        // The retry is 3000 ms; rather than wait for it, run it as soon as
        // the wheel is back, the way it would fire.
        QTimer retry;
        connect(&retry, &QTimer::timeout, &counter, [&] {
            if (w.timers.retry.isActive() && device::Device::instance().isOpen()) ++retryWhileOpen;
            if (w.timers.retry.isActive() && sim::isPlugged(kPid)) {
                ++driven;
                w.onInit();
            }
        });
        retry.start(3);

        std::atomic<bool> stop{false};
        std::thread hands([&] {
            std::mt19937 random(kSeed);
            while (!stop) {
                const int input = int(random() % 64);
                sim::press(kPid, input);
                sim::setPaddles(kPid, uint16_t(random() % 4097), uint16_t(random() % 4097));
                std::this_thread::sleep_for(std::chrono::microseconds(1000 + random() % 3000));
                sim::release(kPid, input);
            }
        });
        std::atomic<int> cycles{0};
        std::thread cable([&] {
            std::mt19937 random(kSeed + 1);
            for (int i = 0; i < kCycles; ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(random() % 60));
                sim::unplug(kPid);
                std::this_thread::sleep_for(std::chrono::milliseconds(random() % 30));
                sim::plug(kPid, "M-ZEN");
                ++cycles;
            }
        });
        QVERIFY(QTest::qWaitFor([&] { return cycles == kCycles; }, 120000));
        cable.join();
        QTRY_VERIFY_WITH_TIMEOUT(tu::connected(w), 5000);
        QTest::qWait(200);  // reports keep flowing on the last connection
        stop = true;
        hands.join();
        retry.stop();
        QTest::qWait(50);

        const int runs = ft::opensOf(kPid) - runsBefore;
        qInfo("%d cycles: %d losses noticed, %d runs of the connection, %d reports read", kCycles, losses,
              runs, count(sim::Op::Read, true));
        QVERIFY(losses > kCycles / 2);
        QCOMPARE(runs, losses + retries + driven);
        QCOMPARE(retryWhileOpen, 0);
        // Every handle but the open one closed, each exactly once.
        QCOMPARE(count(sim::Op::Open, true), count(sim::Op::Close, true) + 1);

        // A clean close: the reader ends and takes the handle with it.
        w.ui->pbClose->click();
        QVERIFY(w.eventThread.isFinished());
        QVERIFY(!w.upgradeThread.isRunning());
        QVERIFY(!device::Device::instance().isOpen());
        QCOMPARE(sim::openHandles(), 0);
        QCOMPARE(sim::closedHandleUses(), 0);
        QCOMPARE(count(sim::Op::Open, true), count(sim::Op::Close, true));
        QVERIFY2(sc.boxes->boxes.isEmpty(), qPrintable(sc.boxes->summary()));
        QVERIFY2(sc.gap->longestMs() < ft::kHangMs, qPrintable(QString::number(sc.gap->longestMs())));
        const QString differs = ft::differences(sc.before, sim::flash(kPid));
        QVERIFY2(differs.isEmpty(), qPrintable(differs));
    }
};

ORVANE_TEST_MAIN(SoakTest)
#include "test_soak.moc"
