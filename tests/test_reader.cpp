// The input reader on its own: every report forwarded once and in order,
// exactly one loss signal per lost wheel, and an orderly stop.
#include "device/device.h"
#include "device/tarnevent.h"
#include "sim/simwheel.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtEndian>
#include <QtTest>

namespace {
constexpr uint16_t kPid = 0x2008;

void resetBus() {
    device::Device::instance().close();
    sim::reset();
}
}  // namespace

class ReaderTest : public QObject {
    Q_OBJECT

    TarnEvent reader;

    void openWheel() {
        resetBus();
        sim::plug(kPid, "LB370");
        QVERIFY(device::Device::instance().open(device::kVendorId, kPid));
    }

private slots:
    void cleanup() {
        reader.requestInterruption();
        reader.wait();
        resetBus();
    }

    void forwardsEveryReportInOrder() {
        openWheel();
        QSignalSpy reports(&reader, &TarnEvent::eventTrigger);
        reader.start();
        for (int i = 0; i < 40; ++i) sim::press(kPid, i);
        sim::sendReport(kPid);  // unchanged state still arrives as a report
        QTRY_COMPARE(reports.count(), 41);
        for (int i = 0; i < 40; ++i) {
            const QByteArray payload = reports.at(i).at(0).toByteArray();
            QCOMPARE(payload.size(), 16);
            const uint64_t bits = qFromLittleEndian<quint64>(payload.constData() + 4);
            QCOMPARE(bits, (uint64_t(1) << (i + 1)) - 1);
        }
        QCOMPARE(reports.at(40).at(0).toByteArray(), reports.at(39).at(0).toByteArray());
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
        const QByteArray p = reports.at(1).at(0).toByteArray();
        QCOMPARE(p.size(), 16);
        QCOMPARE(uint8_t(p[0]), 0xAA);
        QCOMPARE(uint8_t(p[1]), 0x01);
        QCOMPARE(uint8_t(p[2]), 0x04);
        // All-zero data is still a report.
        sim::sendRawReport(kPid, std::vector<uint8_t>(17, 0));
        QTRY_COMPARE(reports.count(), 3);
        QCOMPARE(reports.at(2).at(0).toByteArray(), QByteArray(16, '\0'));
    }

    void silenceIsNotALoss() {
        openWheel();
        QSignalSpy reports(&reader, &TarnEvent::eventTrigger);
        QSignalSpy lost(&reader, &TarnEvent::deviceDisconnect);
        reader.start();
        QTest::qWait(350);
        QVERIFY(reader.isRunning());
        QCOMPARE(reports.count(), 0);
        QCOMPARE(lost.count(), 0);
    }

    void interruptionEndsQuicklyAndClosesTheHandle() {
        openWheel();
        QSignalSpy lost(&reader, &TarnEvent::deviceDisconnect);
        reader.start();
        QTest::qWait(30);
        QElapsedTimer timer;
        timer.start();
        reader.requestInterruption();
        QVERIFY(reader.wait(2000));
        QVERIFY(timer.elapsed() < 1000);  // about one read time-out
        QVERIFY(!device::Device::instance().isOpen());
        QTest::qWait(0);
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
