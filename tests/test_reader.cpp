// The input reader on its own: every report forwarded once and in order,
// exactly one loss signal per lost wheel, and a quick, orderly stop.
#include "device/tarnevent.h"
#include "testutil.h"

namespace {
constexpr uint16_t kPid = 0x2008;
}  // namespace

class ReaderTest : public QObject {
    Q_OBJECT

    TarnEvent reader;

    void openWheel() {
        tu::resetBus();
        sim::plug(kPid, "LB370");
        QVERIFY(device::Device::instance().open(device::kVendorId, kPid));
    }

private slots:
    void cleanup() {
        reader.requestInterruption();
        reader.wait();
        tu::resetBus();
    }

    // Every report once and in order: unchanged state still arrives as one; a
    // short one fills only its first bytes, the rest keep the last values;
    // all-zero data is a report.
    void forwardsEveryReportInOrder() {
        openWheel();
        QSignalSpy reports(&reader, &TarnEvent::eventTrigger);
        QSignalSpy lost(&reader, &TarnEvent::deviceDisconnect);
        reader.start();
        for (int i = 0; i < 20; ++i) sim::press(kPid, i);
        sim::sendReport(kPid);
        sim::setPaddles(kPid, 0x0102, 0x0304);
        sim::sendRawReport(kPid, {0x01, 0xAA});
        sim::sendRawReport(kPid, std::vector<uint8_t>(17, 0));
        QTRY_COMPARE(reports.count(), 24);
        QList<QByteArray> got, expected;
        for (const QList<QVariant> &report : reports) got << report.at(0).toByteArray();
        for (int i = 0; i < 21; ++i) expected << tu::payload(0, 0, (uint64_t(1) << std::min(i + 1, 20)) - 1);
        expected << tu::payload(0x0102, 0x0304, 0xFFFFF) << tu::payload(0x01AA, 0x0304, 0xFFFFF)
                 << QByteArray(16, '\0');
        QCOMPARE(got, expected);

        // Silence is no loss; a stop takes about one read's time-out and closes the
        // handle.
        QTest::qWait(250);
        reader.requestInterruption();
        QVERIFY(reader.wait(1000));
        QTest::qWait(0);
        QVERIFY(!device::Device::instance().isOpen() && lost.isEmpty() && reports.count() == 24);
        QCOMPARE(sim::openHandles(), 0);
    }

    void oneLossSignalPerLostWheel() {
        openWheel();
        QSignalSpy lost(&reader, &TarnEvent::deviceDisconnect);
        reader.start();
        sim::unplug(kPid);
        QVERIFY(reader.wait(2000));
        QTRY_COMPARE(lost.count(), 1);
        QVERIFY(!device::Device::instance().isOpen());
        QCOMPARE(sim::closedHandleUses(), 0);

        // Started with no wheel open: a loss at once, nothing closed.
        reader.start();
        QVERIFY(reader.wait(2000));
        QTRY_COMPARE(lost.count(), 2);
    }
};

QTEST_GUILESS_MAIN(ReaderTest)
#include "test_reader.moc"
