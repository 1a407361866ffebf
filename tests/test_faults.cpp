// The connection under fire: the wheel pulled, failing, answering short or
// with noise at every step of the first reads, answering slowly, pulled
// during LED writes and calibrations. Whatever
// happens the window never hangs, ends waiting or connected, shows no
// message, and the owner's stored settings survive the window's close.
#include "faultutil.h"

namespace {

constexpr uint16_t kPid = 0x2007;

}  // namespace

class FaultsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ft::Scenario> sc;
    TestWindow *w = nullptr;
    // What a PQV7 reads as it connects: identity, extra colours and extra
    // shifters (profile), LED blocks, extra colours, paddle record, pulse
    // widths, clutches, firmware version, and what the window reads after.
    std::vector<std::pair<int, int>> reads;

    void open(const char *name, const std::function<void()> &arm = {}) {
        sc = std::make_unique<ft::Scenario>();
        sc->pid = kPid;
        sc->open(name, arm);
        w = sc->w.get();
    }

private slots:
    void initTestCase() {
        reads = ft::connectionReads("PQV7", kPid);
        QVERIFY(reads.size() >= 10);
    }
    void cleanup() { sc.reset(); }

    // One fault at one exchange of the first reads.
    void firstReads_data() {
        QTest::addColumn<int>("op");
        QTest::addColumn<int>("fault");
        QTest::addColumn<int>("arg");
        QTest::addColumn<int>("nth");
        const struct {
            const char *name;
            sim::Op op;
            sim::Fault fault;
            int arg;
        } kinds[] = {
            {"get pulled", sim::Op::Get, sim::Fault::Unplug, 0},
            {"send pulled", sim::Op::Send, sim::Fault::Unplug, 0},
            {"get fails", sim::Op::Get, sim::Fault::Fail, 0},
            {"send fails", sim::Op::Send, sim::Fault::Fail, 0},
            {"get of 2 bytes", sim::Op::Get, sim::Fault::Short, 2},
            {"get of 9 bytes", sim::Op::Get, sim::Fault::Short, 9},
            {"get of noise", sim::Op::Get, sim::Fault::Garbage, 0},
        };
        for (const auto &k : kinds)
            for (int nth = 1; nth <= int(reads.size()); ++nth)
                QTest::addRow("%s at %d (record %02x %02x)", k.name, nth, reads[size_t(nth - 1)].first,
                              reads[size_t(nth - 1)].second)
                    << int(k.op) << int(k.fault) << (k.fault == sim::Fault::Garbage ? nth : k.arg) << nth;
    }
    void firstReads() {
        QFETCH(int, op);
        QFETCH(int, fault);
        QFETCH(int, arg);
        QFETCH(int, nth);
        open("PQV7", [&] { sim::injectFault(sim::Op(op), nth, sim::Fault(fault), arg); });
        sc->settle();
        if (sim::Fault(fault) == sim::Fault::Unplug) sc->replug();
        if (QTest::currentTestFailed()) return;
        sc->closeAndCheck(sc->before);
    }

    // Pulled while nothing happens, several times over, and once in the
    // middle of an input report; every return shows the wheel as it is.
    void pulledWhileIdle() {
        open("M-ZEN");
        QTRY_VERIFY(tu::connected(*w));
        for (int i = 0; i < 3; ++i) {
            sim::unplug(kPid);
            sc->replug();
        }
        // And in the middle of reading a report.
        sim::injectFault(sim::Op::Read, 1, sim::Fault::Unplug);
        sim::press(kPid, 0);
        sc->replug();
        sc->closeAndCheck(sc->before);
    }

    // A wheel that names itself, then answers every get with noise: whatever
    // the window makes of it, closing it must not write the noise back.
    void noiseForEveryAnswer_data() {
        QTest::addColumn<uint>("seed");
        for (uint seed : {1u, 2u, 3u, 42u, 4242u}) QTest::addRow("seed %u", seed) << seed;
    }
    void noiseForEveryAnswer() {
        QFETCH(uint, seed);
        open("PQV7", [&] {
            for (int nth = 2; nth <= 64; ++nth)
                sim::injectFault(sim::Op::Get, nth, sim::Fault::Garbage, int(seed) + nth);
        });
        QTRY_VERIFY(ft::linked(*w));
        QTest::qWait(30);
        // The owner looks at the pages; the noise passes; the window closes.
        for (QPushButton *page : {w->ui->pbS1, w->ui->pbS2, w->ui->pbS3, w->ui->pbS4}) page->click();
        sim::clearFaults();
        sc->closeAndCheck(sc->before);
    }

    // Slow answers, ten times a quick wheel's: everything still arrives while
    // reports flow, and the window never stalls for long.
    void slowWheel() {
        open("M-ZEN", [] { sim::setAnswerDelay(std::chrono::milliseconds(10)); });
        QTRY_VERIFY_WITH_TIMEOUT(tu::connected(*w), 5000);
        QTRY_COMPARE(w->ui->hsBite->statusTip(), QString::number(sc->before.paddleValue));
        QCOMPARE(w->ui->hsTrigger->value(), 150);
        QVERIFY(w->ui->cbClutch->isChecked());
        // Input reports flow meanwhile.
        sim::press(kPid, 0);
        QTRY_VERIFY(w->ui->pbIB1->isVisible());
        sim::release(kPid, 0);
        QTRY_VERIFY(w->ui->pbIB1->isHidden());
        sc->closeAndCheck(sc->before);
    }

    // Pulled in the middle of the LED blocks of a colour change: the wheel
    // shows a mix for a moment, its stored colours stay.
    void pulledDuringLedWrite_data() {
        QTest::addColumn<int>("op");
        QTest::addColumn<int>("nth");
        QTest::newRow("extra pair") << int(sim::Op::Send) << 1;
        for (int nth = 1; nth <= 4; ++nth) QTest::addRow("block %d", nth) << int(sim::Op::Write) << nth;
    }
    void pulledDuringLedWrite() {
        QFETCH(int, op);
        QFETCH(int, nth);
        open("M-ZEN");
        QTRY_VERIFY(tu::connected(*w));
        w->timers.poll.stop();
        w->ui->pbS2->click();
        sim::injectFault(sim::Op(op), nth, sim::Fault::Unplug);
        w->ui->pbSetG->click();
        QCOMPARE(sim::pendingFaults(), 0);
        sc->replug();
        sc->closeAndCheck(sc->before);
    }

    // Pulled while a calibration runs: the calibration ends with the loss,
    // nothing half-learnt is ever stored.
    void pulledDuringClutchCalibration() {
        open("M-ZEN");
        QTRY_VERIFY(tu::connected(*w));
        w->ui->pbCalL->click();
        QCOMPARE(w->ui->pbCalL->text(), QString("SAVE"));
        w->onCalibrate();
        sim::setPaddles(kPid, 2000, 1000);
        sim::setPaddles(kPid, 2100, 3000);
        QTRY_COMPARE(w->leftMax, 3000u);
        sim::unplug(kPid);
        sc->replug();
        QVERIFY(!w->ui->pbCalL->isChecked());
        QCOMPARE(w->ui->pbCalL->text(), QString("CALIBRATE"));
        // Reports after the return widen nothing.
        sim::setPaddles(kPid, 10, 4000);
        QTRY_COMPARE(w->ui->pgAdcL->value(), 4000);
        QCOMPARE(w->leftMax, 3800u);
        sc->closeAndCheck(sc->before);
    }

    void pulledDuringShifterCalibration() {
        open("PQV7");
        QTRY_VERIFY(tu::connected(*w));
        w->ui->pbBearRCa->click();
        QVERIFY(w->ui->pbBearRCa->isChecked());
        sim::unplug(kPid);
        sc->replug();
        QVERIFY(!w->ui->pbBearRCa->isChecked());
        QCOMPARE(w->ui->pbBearRCa->text(), QString("CALIBRATE"));
        // The next click starts anew rather than finishing on a wheel that
        // never began learning.
        sim::clearLog();
        w->ui->pbBearRCa->click();
        QCOMPARE(tu::hex(tu::commands().at(0)), tu::hex(tu::frame({0x02, 0x0C, 0x05})));
        w->ui->pbBearRCa->click();
        sim::WheelState intended = sc->before;
        intended.shifterThresholds[5] = 1005;
        sc->closeAndCheck(intended);
    }
};

ORVANE_TEST_MAIN(FaultsTest)
#include "test_faults.moc"
