// Decoding input reports into the live view of the inputs page.
#include "testutil.h"

#include <QSignalSpy>

namespace {

using tu::payload;

QStringList lit(TestWindow &w) {
    QStringList s;
    for (QObject *c : w.ui->page1->children()) {
        const QString n = c->objectName();
        if ((n.startsWith("pbI") || n.startsWith("pbJ") || n.startsWith("pbSW")) &&
            !static_cast<QWidget *>(c)->isHidden())
            s << n;
    }
    s.sort();
    return s;
}

}  // namespace

class InputsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TestWindow> w;

private slots:
    void init() {
        w = tu::connectedWindow("M-ZEN");
        QVERIFY(w);
    }
    void cleanup() {
        w.reset();
        tu::resetBus();
    }

    void oneBitLightsOnlyItsIndicator() {
        w->onJoystickEvent(payload(0, 0, (1ull << 6) | (1ull << 32) | (1ull << 45)));
        QCOMPARE(lit(*w), (QStringList{"pbIB2", "pbIB9", "pbJsRL"}));
        QCOMPARE(w->ui->pbIB2->statusTip(), QStringLiteral("SHOW"));
        QVERIFY(w->releasedInputs.isEmpty());

        w->onJoystickEvent(payload(0, 0, 1));
        QCOMPARE(lit(*w), QStringList{"pbIB1"});
        QCOMPARE(w->releasedInputs, (QList<int>{6, 32, 45}));
        QCOMPARE(w->ui->pbIB2->statusTip(), QStringLiteral("HIDE"));
        QCOMPARE(w->ui->pbIB1->statusTip(), QStringLiteral("SHOW"));
        QCOMPARE(w->ui->pbIB14->statusTip(), QStringLiteral("HIDE"));  // every checked indicator is marked

        // A held button is released once, in the report that releases it.
        for (int i = 0; i < 5; ++i) {
            w->onJoystickEvent(payload(0, 0, 1));
            QVERIFY(w->releasedInputs.isEmpty());
        }
        w->onJoystickEvent(payload(0, 0, 0));
        QCOMPARE(w->releasedInputs, QList<int>{0});
        QVERIFY(lit(*w).isEmpty());
        w->onJoystickEvent(payload(0, 0, 0));
        QVERIFY(w->releasedInputs.isEmpty());
    }

    void disabledIndicatorCountsAsInactive() {
        w->onJoystickEvent(payload(0, 0, 1));
        w->ui->pbIB1->setEnabled(false);
        w->onJoystickEvent(payload(0, 0, 1));
        QVERIFY(w->ui->pbIB1->isHidden());
        QCOMPARE(w->releasedInputs, QList<int>{0});
        w->ui->pbIB1->setEnabled(true);
    }

    void extraShifterInputsFollowTheSwitch() {
        const uint64_t extra = (1ull << 48) | (1ull << 49);
        w->ui->cbShifter->setChecked(false);
        w->onJoystickEvent(payload(0, 0, extra));
        QVERIFY(w->ui->pbIExR->isHidden() && w->ui->pbIExL->isHidden());
        QVERIFY(w->ui->pbIExR->statusTip().isEmpty());  // untouched while off
        w->ui->cbShifter->setChecked(true);
        w->onJoystickEvent(payload(0, 0, extra));
        QVERIFY(!w->ui->pbIExR->isHidden() && !w->ui->pbIExL->isHidden());
        w->onJoystickEvent(payload(0, 0, 0));
        QCOMPARE(w->releasedInputs, (QList<int>{48, 49}));
        w->ui->cbShifter->setChecked(false);

        // Inputs 52 to 63 have no indicator.
        w->onJoystickEvent(payload(0, 0, 0xFFFull << 52));
        QVERIFY(lit(*w).isEmpty());
        QVERIFY(w->releasedInputs.isEmpty());
    }

    void paddleBarsAndCalibrationLimits() {
        w->onJoystickEvent(payload(4096, 17, 0));
        QCOMPARE(w->ui->pgAdcR->value(), 4096);
        QCOMPARE(w->ui->pgAdcL->value(), 17);

        // A running left calibration widens only the left limits.
        w->ui->pbCalL->blockSignals(true);
        w->ui->pbCalL->setChecked(true);
        w->ui->pbCalL->blockSignals(false);
        w->leftMin = 4096;
        w->leftMax = 0;
        w->rightMin = 100;
        w->rightMax = 200;
        w->onJoystickEvent(payload(10, 1000, 0));
        w->onJoystickEvent(payload(3000, 3000, 0));
        w->onJoystickEvent(payload(10, 2000, 0));
        QCOMPARE(w->leftMin, 1000u);
        QCOMPARE(w->leftMax, 3000u);
        QCOMPARE(w->rightMin, 100u);
        QCOMPARE(w->rightMax, 200u);
        w->ui->pbCalL->blockSignals(true);
        w->ui->pbCalL->setChecked(false);
        w->ui->pbCalL->blockSignals(false);
    }

    void streamOfReportsThroughTheReader() {
        // Every report reaches the window, every release is seen, and the
        // last state shown is the last one sent.
        const int inputs[] = {0, 6, 7, 15, 20, 21, 28, 29, 32, 38, 39, 47};
        int releases = 0;
        int reports = 0;
        auto counter = connect(&w->eventThread, &TarnEvent::eventTrigger, w.get(), [&] {
            ++reports;
            releases += int(w->releasedInputs.size());
        });
        for (int i = 0; i < 2500; ++i) {
            const int n = inputs[i % 12];
            sim::press(0x2007, n);
            sim::release(0x2007, n);
            if (i % 500 == 0) QTest::qWait(1);
        }
        sim::press(0x2007, 39);
        sim::setPaddles(0x2007, 1234, 4096);
        QTRY_VERIFY_WITH_TIMEOUT(reports == 5002, 20000);
        QCOMPARE(releases, 2500);
        QCOMPARE(lit(*w), QStringList{"pbIB13"});
        QCOMPARE(w->ui->pgAdcR->value(), 1234);
        QCOMPARE(w->ui->pgAdcL->value(), 4096);
        disconnect(counter);
    }
};

ORVANE_TEST_MAIN(InputsTest)
#include "test_inputs.moc"
