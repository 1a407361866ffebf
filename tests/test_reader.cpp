// The input reader on its own: every report forwarded once and in order,
// short ones keeping the bytes they do not fill, exactly one loss signal per
// lost wheel, and a quick, orderly stop.
#include "device/tarnevent.h"
#include "testutil.h"

#include <QtEndian>

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

    void forwardsEveryReportInOrder() {
        openWheel();
        QSignalSpy reports(&reader, &TarnEvent::eventTrigger);
        reader.start();
        for (int i = 0; i < 20; ++i) sim::press(kPid, i);
        sim::sendReport(kPid);  // unchanged state still arrives as a report
        QTRY_COMPARE(reports.count(), 21);
        for (int i = 0; i < 20; ++i) {
            const QByteArray payload = reports.at(i).at(0).toByteArray();
            QCOMPARE(payload, tu::payload(0, 0, (uint64_t(1) << (i + 1)) - 1));
        }
        QCOMPARE(reports.at(20).at(0).toByteArray(), reports.at(19).at(0).toByteArray());
    }

    void shortAndEmptyReports() {
        openWheel();
        QSignalSpy reports(&reader, &TarnEvent::eventTrigger);
        reader.start();
        sim::setPaddles(kPid, 0x0102, 0x0304);
        QTRY_COMPARE(reports.count(), 1);
        // A short report fills only its first bytes; the rest keep the last values.
        sim::sendRawReport(kPid, {0x01, 0xAA});
        QTRY_COMPARE(reports.count(), 2);
        QCOMPARE(reports.at(1).at(0).toByteArray(), tu::payload(0x01AA, 0x0304, 0));
        // All-zero data is still a report.
        sim::sendRawReport(kPid, std::vector<uint8_t>(17, 0));
        QTRY_COMPARE(reports.count(), 3);
        QCOMPARE(reports.at(2).at(0).toByteArray(), QByteArray(16, '\0'));
    }

    // Silence is no loss; a stop takes about one read's time-out and closes the handle.
    void silenceAndStop() {
        openWheel();
        QSignalSpy reports(&reader, &TarnEvent::eventTrigger);
        QSignalSpy lost(&reader, &TarnEvent::deviceDisconnect);
        reader.start();
        QTest::qWait(250);
        QVERIFY(reader.isRunning());
        QElapsedTimer timer;
        timer.start();
        reader.requestInterruption();
        QVERIFY(reader.wait(2000));
        QVERIFY(timer.elapsed() < 1000);
        QVERIFY(!device::Device::instance().isOpen());
        QTest::qWait(0);
        QCOMPARE(reports.count(), 0);
        QCOMPARE(lost.count(), 0);
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
