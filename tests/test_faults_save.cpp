// The three Save buttons with the wheel failing at each of their exchanges:
// a Save that did not reach the wheel never says it did, and what the wheel
// keeps is either what it had or what the Save meant, field by field.
#include "faultutil.h"

namespace {

constexpr uint16_t kPid = 0x2007;

enum Page { Paddles, Encoder, Colors };
enum Change { Nothing, BitePoint, ClutchesOff, BitePointHere };

}  // namespace

class FaultsSaveTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ft::Scenario> sc;

    // The owner changes the page and presses its Save; returns what the
    // wheel would keep had everything arrived.
    sim::WheelState changeAndSave(Page page, const std::function<void()> &arm) {
        TestWindow &w = *sc->w;
        sim::WheelState intended = sc->before;
        QPushButton *save = nullptr;
        switch (page) {
        case Paddles:
            w.ui->pbS3->click();
            w.ui->rbPadL->click();  // live, not stored
            w.ui->hsBite->setValue(7000);
            w.ui->cbShifter->setChecked(false);
            w.ui->cbClutch->setChecked(false);
            intended.paddleValue = 7000;
            intended.settings[0x09] = 255;
            intended.settings[0x08] = 255;
            save = w.ui->pbSaveP;
            break;
        case Encoder:
            w.ui->hsTrigger->setValue(200);
            intended.settings[0x04] = 200;
            save = w.ui->pbSaveEnc;
            break;
        case Colors: {
            w.ui->pbS2->click();
            w.ui->pbSetG->click();  // live, not stored
            w.ui->hsShifter->setValue(120);
            const sim::WheelState shown = sim::live(kPid);
            intended.ledTable = shown.ledTable;
            intended.extraColours = shown.extraColours;
            intended.settings[0x0A] = 120;
            save = w.ui->pbSave;
            break;
        }
        }
        sim::clearLog();
        arm();
        save->click();
        return intended;
    }

private slots:
    void cleanup() { sc.reset(); }

    void save_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("op");
        QTest::addColumn<int>("fault");
        QTest::addColumn<int>("arg");
        QTest::addColumn<int>("nth");
        QTest::newRow("paddles, no fault") << int(Paddles) << int(sim::Op::Send) << -1 << 0 << 0;
        QTest::newRow("encoder, no fault") << int(Encoder) << int(sim::Op::Send) << -1 << 0 << 0;
        QTest::newRow("colours, no fault") << int(Colors) << int(sim::Op::Send) << -1 << 0 << 0;
        const struct {
            const char *name;
            sim::Fault fault;
            int arg;
        } sendFaults[] = {{"fails", sim::Fault::Fail, 0}, {"pulled", sim::Fault::Unplug, 0}},
          getFaults[] = {{"fails", sim::Fault::Fail, 0},
                         {"pulled", sim::Fault::Unplug, 0},
                         {"of 2 bytes", sim::Fault::Short, 2},
                         {"of 6 bytes", sim::Fault::Short, 6}};
        // Paddles: record, read 09, write 09, read 08, write 08.
        for (const auto &f : sendFaults)
            for (int nth = 1; nth <= 5; ++nth)
                QTest::addRow("paddles, send %d %s", nth, f.name)
                    << int(Paddles) << int(sim::Op::Send) << int(f.fault) << f.arg << nth;
        for (const auto &f : getFaults)
            for (int nth = 1; nth <= 2; ++nth)
                QTest::addRow("paddles, get %d %s", nth, f.name)
                    << int(Paddles) << int(sim::Op::Get) << int(f.fault) << f.arg << nth;
        for (const auto &f : sendFaults)
            QTest::addRow("encoder, send %s", f.name)
                << int(Encoder) << int(sim::Op::Send) << int(f.fault) << f.arg << 1;
        // Colours: shifter width, extra pair, four blocks, store.
        for (const auto &f : sendFaults) {
            for (int nth = 1; nth <= 3; ++nth)
                QTest::addRow("colours, send %d %s", nth, f.name)
                    << int(Colors) << int(sim::Op::Send) << int(f.fault) << f.arg << nth;
            for (int nth = 1; nth <= 4; ++nth)
                QTest::addRow("colours, block %d %s", nth, f.name)
                    << int(Colors) << int(sim::Op::Write) << int(f.fault) << f.arg << nth;
        }
    }
    void save() {
        QFETCH(int, page);
        QFETCH(int, op);
        QFETCH(int, fault);
        QFETCH(int, arg);
        QFETCH(int, nth);
        sc = std::make_unique<ft::Scenario>();
        sc->pid = kPid;
        sc->open(page == Colors ? "M-ZEN" : "PQV7");
        TestWindow &w = *sc->w;
        QTRY_VERIFY(tu::connected(w));
        w.timers.poll.stop();
        const sim::WheelState intended = changeAndSave(Page(page), [&] {
            if (fault >= 0) sim::injectFault(sim::Op(op), nth, sim::Fault(fault), arg);
        });
        QTRY_COMPARE(sc->boxes->boxes.size(), 1);
        QCOMPARE(sim::pendingFaults(), 0);

        // Success only for what the wheel keeps; anything less is an error.
        // (A lost block can still leave the wheel right: the live preview had
        // sent the same colours. An error then is the cautious answer.)
        const bool arrived = ft::differences(intended, sim::flash(kPid)).isEmpty();
        const QString said = sc->boxes->summary();
        QVERIFY2(!sc->boxes->successShown() || arrived, qPrintable(said));
        QVERIFY2(sc->boxes->errorShown() || arrived, qPrintable(said));
        QVERIFY2(sc->boxes->successShown() == (fault < 0), qPrintable(said));
        const QString lost = ft::damaged(sc->before, intended, sim::flash(kPid));
        QVERIFY2(lost.isEmpty(), qPrintable(lost));

        sc->settle();
        if (!sim::isPlugged(kPid)) sc->replug();
        if (QTest::currentTestFailed()) return;
        sc->closeAndCheck(intended);
    }

    // A value the window holds from the wheel before, which this one never
    // showed or answered for, is never written into it: by Save or on close.
    // One the user sets here goes out with this wheel's limits only.
    void earlierWheelsValues_data() {
        QTest::addColumn<QString>("first");
        QTest::addColumn<int>("change");
        QTest::addColumn<QString>("second");
        QTest::addColumn<int>("unread");  // record << 8 | sub-index, not answered at connection
        QTest::newRow("extra shifters, hidden") << "PQV7" << int(Nothing) << "M-ZEN" << -1;
        QTest::newRow("extra shifters, unread") << "PQV7" << int(Nothing) << "ZORIX" << 0x0C09;
        QTest::newRow("clutches, unread") << "M-ZEN" << int(ClutchesOff) << "NVA4" << 0x0C08;
        QTest::newRow("paddle record, unread") << "M-ZEN" << int(BitePoint) << "NVA4" << 0x0A00;
        QTest::newRow("paddle record, unread, set here") << "M-ZEN" << int(BitePointHere) << "PQV7" << 0x0A00;
    }
    void earlierWheelsValues() {
        QFETCH(QString, first);
        QFETCH(int, change);
        QFETCH(QString, second);
        QFETCH(int, unread);
        const auto reads = ft::connectionReads(qPrintable(second), kPid);
        sc = std::make_unique<ft::Scenario>();
        sc->pid = kPid;
        sc->open(qPrintable(first));
        TestWindow &w = *sc->w;
        QTRY_VERIFY(tu::connected(w));
        if (change == BitePoint) w.ui->rbPadL->click();  // live, not stored
        if (change == ClutchesOff) w.ui->cbClutch->click();

        sim::unplug(kPid);
        QTRY_VERIFY(tu::waiting(w));
        sim::plug(kPid, second.toStdString());
        sim::setFlash(kPid, ft::ownersWheel(second.toStdString()));
        sc->before = sim::flash(kPid);
        for (size_t i = 0; i < reads.size(); ++i)
            if (reads[i] == std::make_pair(unread >> 8, unread & 0xFF))
                sim::injectFault(sim::Op::Get, int(i + 1), sim::Fault::Fail);
        w.onInit();
        QTRY_VERIFY(tu::connected(w) && sim::pendingFaults() == 0);
        sim::WheelState intended = sc->before;
        if (change == BitePointHere) {
            // The wheel does not answer for the record again: no record, an error.
            w.ui->hsBite->setValue(7000);
            sim::injectFault(sim::Op::Get, 1, sim::Fault::Fail);
            w.ui->pbSaveP->click();
            QTRY_VERIFY(sc->boxes->errorShown());
            QCOMPARE(ft::differences(sc->before, sim::flash(kPid)), QString());
            // A live change asks the wheel first, so it applies the owner's limits.
            w.ui->rbPadL->click();
            QCOMPARE(sim::live(kPid).paddleLimits, sc->before.paddleLimits);
            intended.paddleValue = 7000;
        }
        w.ui->pbSaveP->click();
        QTRY_VERIFY(!sc->boxes->boxes.isEmpty() && sc->boxes->boxes.last().title == QLatin1String("Success"));
        sc->closeAndCheck(intended);
    }

    // A Save pressed in the moment between the loss and the waiting state.
    void saveAfterThePull_data() {
        QTest::addColumn<int>("page");
        QTest::newRow("paddles") << int(Paddles);
        QTest::newRow("encoder") << int(Encoder);
        QTest::newRow("colours") << int(Colors);
    }
    void saveAfterThePull() {
        QFETCH(int, page);
        sc = std::make_unique<ft::Scenario>();
        sc->pid = kPid;
        sc->open("M-ZEN");
        TestWindow &w = *sc->w;
        QTRY_VERIFY(tu::connected(w));
        w.timers.poll.stop();
        // The reader closes the handle; its loss signal stays queued, since
        // the event loop does not run until the Save.
        sim::unplug(kPid);
        for (int i = 0; i < 2000 && device::Device::instance().isOpen(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        QVERIFY(!device::Device::instance().isOpen());
        changeAndSave(Page(page), [] {});
        QTest::qWait(20);
        QVERIFY2(!sc->boxes->successShown(), qPrintable(sc->boxes->summary()));
        sc->replug();
        if (QTest::currentTestFailed()) return;
        sc->closeAndCheck(sc->before);
    }
};

ORVANE_TEST_MAIN(FaultsSaveTest)
#include "test_faults_save.moc"
