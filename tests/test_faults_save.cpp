// The three Save buttons with the wheel failing at each of their exchanges:
// a Save that did not reach the wheel never says it did, and what the wheel
// keeps is either what it had or what the Save meant, field by field.
#include "faultutil.h"

#include <thread>

namespace {

constexpr uint16_t kPid = ft::Scenario::pid;
enum Page { Paddles, Encoder, Colors };
enum Change { Nothing, BitePoint, ClutchesOff, BitePointHere };

// The owner changes the page and presses its Save; returns what the wheel
// would keep had everything arrived.
sim::WheelState changeAndSave(ft::Scenario &sc, Page page, const std::function<void()> &arm = {}) {
    Ui::MainWindow &ui = *sc.w->ui;
    sim::WheelState intended = sc.before;
    QPushButton *save = ui.pbSaveEnc;
    if (page == Paddles) {
        ui.pbS3->click();
        ui.rbPadL->click();  // live, not stored
        ui.hsBite->setValue(7000);
        ui.cbShifter->setChecked(false);
        ui.cbClutch->setChecked(false);
        intended.paddleValue = 7000;
        intended.settings[0x09] = intended.settings[0x08] = 255;
        save = ui.pbSaveP;
    } else if (page == Encoder) {
        ui.hsTrigger->setValue(200);
        intended.settings[0x04] = 200;
    } else {
        ui.pbS2->click();
        ui.pbSetG->click();  // live, not stored
        ui.hsShifter->setValue(120);
        intended.ledTable = sim::live(kPid).ledTable;
        intended.extraColours = sim::live(kPid).extraColours;
        intended.settings[0x0A] = 120;
        save = ui.pbSave;
    }
    sim::clearLog();
    if (arm) arm();
    save->click();
    return intended;
}

}  // namespace

class FaultsSaveTest : public QObject {
    Q_OBJECT

private slots:
    // One row per exchange of each Save (a failed send, get or LED block),
    // and one pulled; a row without a fault for each page.
    void save_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("op");
        QTest::addColumn<int>("fault");
        QTest::addColumn<int>("nth");
        const int send = int(sim::Op::Send), fail = int(sim::Fault::Fail), pull = int(sim::Fault::Unplug);
        QTest::newRow("paddles") << int(Paddles) << send << -1 << 0;
        QTest::newRow("encoder") << int(Encoder) << send << -1 << 0;
        QTest::newRow("colours") << int(Colors) << send << -1 << 0;
        // Paddles: the record, then each switch read and written.
        for (int nth = 1; nth <= 5; ++nth)
            QTest::addRow("paddles, send %d", nth) << int(Paddles) << send << fail << nth;
        for (int nth = 1; nth <= 2; ++nth)
            QTest::addRow("paddles, get %d", nth) << int(Paddles) << int(sim::Op::Get) << fail << nth;
        QTest::newRow("paddles, pulled at send 3") << int(Paddles) << send << pull << 3;
        QTest::newRow("encoder, send") << int(Encoder) << send << fail << 1;
        QTest::newRow("encoder, pulled") << int(Encoder) << send << pull << 1;
        // Colours: the shifter width, the extra pair, four blocks, the store.
        for (int nth = 1; nth <= 3; ++nth)
            QTest::addRow("colours, send %d", nth) << int(Colors) << send << fail << nth;
        QTest::newRow("colours, block 2") << int(Colors) << int(sim::Op::Write) << fail << 2;
        QTest::newRow("colours, pulled at block 3") << int(Colors) << int(sim::Op::Write) << pull << 3;
    }
    void save() {
        QFETCH(int, page);
        QFETCH(int, op);
        QFETCH(int, fault);
        QFETCH(int, nth);
        ft::Scenario sc(page == Colors ? "M-ZEN" : "PQV7");
        QTRY_VERIFY(tu::connected(*sc.w));
        sc.w->timers.poll.stop();
        const sim::WheelState intended = changeAndSave(sc, Page(page), [&] {
            if (fault >= 0) sim::injectFault(sim::Op(op), nth, sim::Fault(fault));
        });
        QTRY_COMPARE(sc.boxes.boxes.size(), 1);
        QCOMPARE(sim::pendingFaults(), 0);
        // Success only when nothing failed; an error otherwise, even where
        // the live preview had sent the same colours before.
        const QString said = sc.boxes.summary();
        QVERIFY2(sc.boxes.successShown() == (fault < 0), qPrintable(said));
        QVERIFY2(sc.boxes.errorShown() == (fault >= 0), qPrintable(said));
        if (fault < 0) QCOMPARE(ft::damaged(intended, intended, sim::flash(kPid)), QString());
        const QString lost = ft::damaged(sc.before, intended, sim::flash(kPid));
        QVERIFY2(lost.isEmpty(), qPrintable(lost));
        sc.settle();
        if (QTest::currentTestFailed()) return;
        sc.closeAndCheck(intended);
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
        ft::Scenario sc(qPrintable(first));
        TestWindow &w = *sc.w;
        QTRY_VERIFY(tu::connected(w));
        if (change == BitePoint) w.ui->rbPadL->click();  // live, not stored
        if (change == ClutchesOff) w.ui->cbClutch->click();

        sim::unplug(kPid);
        QTRY_VERIFY(tu::waiting(w));
        sim::plug(kPid, second.toStdString());
        sim::setFlash(kPid, ft::ownersWheel(second.toStdString()));
        sc.before = sim::flash(kPid);
        for (size_t i = 0; i < reads.size(); ++i)
            if (reads[i] == std::make_pair(unread >> 8, unread & 0xFF))
                sim::injectFault(sim::Op::Get, int(i + 1), sim::Fault::Fail);
        w.onInit();
        QTRY_VERIFY(tu::connected(w) && sim::pendingFaults() == 0);
        sim::WheelState intended = sc.before;
        if (change == BitePointHere) {
            // The wheel does not answer for the record again: no record, an error.
            w.ui->hsBite->setValue(7000);
            sim::injectFault(sim::Op::Get, 1, sim::Fault::Fail);
            w.ui->pbSaveP->click();
            QTRY_VERIFY(sc.boxes.errorShown());
            QCOMPARE(ft::damaged(sc.before, sc.before, sim::flash(kPid)), QString());
            // A live change asks the wheel first, so it applies the owner's limits.
            w.ui->rbPadL->click();
            QCOMPARE(sim::live(kPid).paddleLimits, sc.before.paddleLimits);
            intended.paddleValue = 7000;
        }
        w.ui->pbSaveP->click();
        QTRY_VERIFY(!sc.boxes.boxes.isEmpty() && sc.boxes.boxes.last().title == QLatin1String("Success"));
        sc.closeAndCheck(intended);
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
        ft::Scenario sc("M-ZEN");
        QTRY_VERIFY(tu::connected(*sc.w));
        sc.w->timers.poll.stop();
        // The reader closes the handle; its loss signal stays queued, since
        // the event loop does not run until the Save.
        sim::unplug(kPid);
        for (int i = 0; i < 2000 && device::Device::instance().isOpen(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        QVERIFY(!device::Device::instance().isOpen());
        changeAndSave(sc, Page(page));
        QTest::qWait(20);
        QVERIFY2(!sc.boxes.successShown(), qPrintable(sc.boxes.summary()));
        sc.replug();
        if (QTest::currentTestFailed()) return;
        sc.closeAndCheck(sc.before);
    }
};

ORVANE_TEST_MAIN(FaultsSaveTest)
#include "test_faults_save.moc"
