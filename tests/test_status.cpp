// Firmware version, battery and Bluetooth state against the simulated wheel.
#include "testutil.h"

namespace {

constexpr uint16_t kPid = 0x2007;

// Connects a window to `name` whose flash was set to `state` beforehand.
std::unique_ptr<TestWindow> windowWith(const char *name,
                                       const std::function<void(sim::WheelState &)> &change) {
    tu::resetBus();
    sim::plug(kPid, name);
    sim::WheelState state = sim::flash(kPid);
    change(state);
    sim::setFlash(kPid, state);
    auto w = tu::makeWindow();
    if (!QTest::qWaitFor([&] { return tu::connected(*w); }, 5000)) return nullptr;
    QTest::qWait(0);
    return w;
}

int powerReads() {
    int n = 0;
    for (const auto &r : tu::readRequests()) n += r.first == 0x0F;
    return n;
}

}  // namespace

class StatusTest : public QObject {
    Q_OBJECT

private slots:
    // The wheel's text after the label, as text (the colon it loses: core_protocol).
    void versionIsShownAsText() {
        auto w = windowWith("M-ZEN", [](sim::WheelState &s) { s.firmwareVersion = "\t<b>x</b>::"; });
        QVERIFY(w);
        QCOMPARE(w->ui->lbVersion->text(), QString("Firmware Version:\t<b>x</b>:"));
        QCOMPARE(w->ui->lbVersion->textFormat(), Qt::PlainText);
        w->ui->stackedWidget->setCurrentIndex(4);
        QVERIFY(w->ui->lbVersion->isVisible());
    }

    void batteryAndBluetooth_data() {
        QTest::addColumn<int>("link");
        QTest::addColumn<int>("percent");
        QTest::addColumn<int>("reading");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("bluetooth");
        QTest::newRow("usb link") << 1 << 40 << 3900 << "BATTERY STATUS: USB" << false;
        QTest::newRow("high reading") << 0 << 40 << 4300 << "BATTERY STATUS: USB" << true;
        QTest::newRow("battery") << 0 << 57 << 4299 << "BATTERY STATUS: 57%" << true;
        QTest::newRow("full") << 0 << 100 << 3900 << "BATTERY STATUS: USB" << true;
        QTest::newRow("other link") << 2 << 12 << 3000 << "BATTERY STATUS: 12%" << false;
    }
    void batteryAndBluetooth() {
        QFETCH(int, link);
        QFETCH(int, percent);
        QFETCH(int, reading);
        QFETCH(QString, text);
        QFETCH(bool, bluetooth);
        auto change = [&](sim::WheelState &s) {
            s.link = uint8_t(link);
            s.batteryPercent = uint8_t(percent);
            s.batteryReading = uint16_t(reading);
        };
        auto w = windowWith("M-ZEN", change);
        QVERIFY(w);
        w->ui->stackedWidget->setCurrentIndex(3);
        QTRY_COMPARE(w->ui->lbBatStatus->text(), text);
        QCOMPARE(w->ui->lbBTStatus->isVisible(), bluetooth);
        QVERIFY(w->ui->lbBatStatus->isVisible());
        QVERIFY(w->timers.poll.isActive());
        QCOMPARE(w->timers.poll.interval(), 10000);
    }

    void onePollChainPerConnection() {
        auto w = tu::connectedWindow("M-TIDE");
        QVERIFY(w);
        QTRY_COMPARE(powerReads(), 1);
        w->onInit();
        QTRY_COMPARE(powerReads(), 2);
        // Reconnected before the first poll ran: still one chain, one poll.
        w->onInit();
        w->onInit();
        QTest::qWait(50);
        QCOMPARE(powerReads(), 3);
        QVERIFY(w->timers.poll.isActive());
        QCOMPARE(w->timers.poll.interval(), 10000);

        // A lost wheel ends the chain at its next run.
        sim::unplug(kPid);
        QTRY_VERIFY(tu::waiting(*w));
        w->timers.poll.start(0);
        QTRY_VERIFY(!w->timers.poll.isActive());
        QTest::qWait(20);
        QVERIFY(!w->timers.poll.isActive());
        QCOMPARE(powerReads(), 3);
    }

    // A later poll shows the wheel as it is now, unless the answer is not the
    // power status asked for: then what is shown stays. A model without the
    // poll connected next shows none.
    void laterPoll_data() {
        QTest::addColumn<int>("fault");
        QTest::addColumn<int>("arg");
        QTest::newRow("answered") << -1 << 0;
        QTest::newRow("failed") << int(sim::Fault::Fail) << 0;
        QTest::newRow("cut short") << int(sim::Fault::Short) << 5;
        QTest::newRow("another record") << int(sim::Fault::Stray) << 1;
    }
    void laterPoll() {
        QFETCH(int, fault);
        QFETCH(int, arg);
        auto w = windowWith("M-ZEN", [](sim::WheelState &s) { s.link = 0; });
        QVERIFY(w);
        QTRY_COMPARE(w->ui->lbBatStatus->text(), QString("BATTERY STATUS: 80%"));
        sim::WheelState s = sim::flash(kPid);
        s.link = 1;
        s.batteryPercent = 20;
        sim::setFlash(kPid, s);
        if (fault >= 0) sim::injectFault(sim::Op::Get, 1, sim::Fault(fault), arg);
        w->onDeviceUpdate();
        QCOMPARE(w->ui->lbBatStatus->text(),
                 QString(fault < 0 ? "BATTERY STATUS: USB" : "BATTERY STATUS: 80%"));
        QCOMPARE(w->ui->lbBTStatus->isHidden(), fault < 0);
        QVERIFY(w->timers.poll.isActive());

        tu::resetBus();
        sim::plug(kPid, "PQV7");
        w->onInit();
        QTRY_VERIFY(tu::connected(*w));
        QVERIFY(!w->timers.poll.isActive());
        QVERIFY(w->ui->lbBatStatus->isHidden() && w->ui->lbBTStatus->isHidden());
    }
};

ORVANE_TEST_MAIN(StatusTest)
#include "test_status.moc"
