// Pulse widths and the clutch and shifter calibrations against the simulated
// wheel.
#include "testutil.h"

namespace {

constexpr uint16_t kPid = 0x2007;

tu::Bytes settingFrame(int sub, uint32_t value, int store) {
    return tu::frame({0x02, 0x0C, sub, int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF),
                      int(value >> 24), store});
}

// Paddle record with bite point 5000 on the left and limits rightMax,
// leftMax, rightMin, leftMin.
tu::Bytes paddleFrame(int store, std::array<uint16_t, 4> limits) {
    tu::Bytes f = tu::frame({0x02, 0x0A, 0x88, 0x13, store});
    for (size_t i = 0; i < 4; ++i) {
        f[5 + 2 * i] = uint8_t(limits[i]);
        f[6 + 2 * i] = uint8_t(limits[i] >> 8);
    }
    return f;
}

QString saveEncoderPage(TestWindow &w) {
    auto box = tu::answerBox(QMessageBox::Ok);
    w.ui->pbSaveEnc->click();
    return box->title() + QLatin1Char('/') + box->text();
}

}  // namespace

class PulsesTest : public QObject {
    Q_OBJECT

private slots:
    void readBackClampsAndKeeps() {
        auto w = tu::connectedWindow("M-ZEN", kPid);
        QVERIFY(w);
        sim::WheelState s = sim::flash(kPid);
        s.settings[0x04] = 250;
        s.settings[0x0A] = 20;
        sim::setFlash(kPid, s);
        w->readEncoderPulseWidth();
        w->readShifterPulseWidth();
        QCOMPARE(w->ui->hsTrigger->statusTip(), QStringLiteral("240"));
        QCOMPARE(w->ui->lbTrigger->text(), QStringLiteral("240ms"));
        QCOMPARE(w->ui->hsShifter->statusTip(), QStringLiteral("40"));

        // None held: the slider keeps its value, which becomes the remembered one.
        w->ui->hsTrigger->setValue(150);
        s.settings[0x04] = -5;
        sim::setFlash(kPid, s);
        w->readEncoderPulseWidth();
        QCOMPARE(w->ui->hsTrigger->value(), 150);
        QCOMPARE(w->ui->hsTrigger->statusTip(), QStringLiteral("150"));
    }

    void releaseAppliesSaveStores() {
        auto w = tu::connectedWindow("M-ZEN", kPid);
        QVERIFY(w);
        sim::clearLog();
        w->ui->hsTrigger->setValue(180);
        emit w->ui->hsTrigger->sliderReleased();
        w->ui->hsShifter->setValue(60);
        emit w->ui->hsShifter->sliderReleased();
        QCOMPARE(tu::show(tu::commands()),
                 tu::show({settingFrame(0x04, 180, 0x00), settingFrame(0x0A, 60, 0x00)}));
        QCOMPARE(sim::live(kPid).settings[0x04], 180);
        QCOMPARE(sim::flash(kPid).settings[0x04], 100);

        sim::clearLog();
        QCOMPARE(saveEncoderPage(*w), QStringLiteral("Success/Setting saved."));
        QCOMPARE(tu::show(tu::commands()), tu::show({settingFrame(0x04, 180, 0xEF)}));
        QCOMPARE(w->ui->hsTrigger->statusTip(), QStringLiteral("180"));
        QCOMPARE(sim::flash(kPid).settings[0x04], 180);

        sim::clearLog();
        QCOMPARE(saveEncoderPage(*w), QStringLiteral("Success/Setting saved."));
        QVERIFY(tu::commands().empty());

        // A failed store is reported and not remembered, so Save retries.
        w->ui->hsTrigger->setValue(200);
        sim::injectFault(sim::Op::Send, 1, sim::Fault::Fail);
        QCOMPARE(saveEncoderPage(*w), QStringLiteral("Error/Can not save setting."));
        QCOMPARE(w->ui->hsTrigger->statusTip(), QStringLiteral("180"));
        QCOMPARE(saveEncoderPage(*w), QStringLiteral("Success/Setting saved."));
        QCOMPARE(sim::flash(kPid).settings[0x04], 200);

        // No wheel: never "saved".
        sim::unplug(kPid);
        QTRY_VERIFY(tu::waiting(*w));
        QCOMPARE(saveEncoderPage(*w), QStringLiteral("Error/Can not save setting."));
    }

    void clutchCalibrationLimits() {
        auto w = tu::connectedWindow("M-ZEN", kPid);
        QVERIFY(w);
        sim::WheelState s = sim::flash(kPid);
        s.paddleLimits = {4000, 3900, 100, 200};
        sim::setFlash(kPid, s);
        w->readPaddleRecord();

        // Ended after reports: the range they showed is stored.
        sim::clearLog();
        w->ui->pbCalR->click();
        QCOMPARE(w->ui->pbCalR->text(), QStringLiteral("SAVE"));
        QTRY_COMPARE(w->rightMin, 4096u);
        QCOMPARE(w->rightMax, 0u);
        sim::setPaddles(kPid, 1500, 0);
        sim::setPaddles(kPid, 2500, 0);
        sim::setPaddles(kPid, 1800, 0);
        QTRY_COMPARE(w->ui->pgAdcR->value(), 1800);
        QCOMPARE(w->rightMin, 1500u);
        QCOMPARE(w->rightMax, 2500u);
        w->ui->pbCalR->click();
        QCOMPARE(w->ui->pbCalR->text(), QStringLiteral("CALIBRATE"));
        QCOMPARE(tu::show(tu::commands()), tu::show({paddleFrame(0x00, {4096, 3900, 0, 200}),
                                                     paddleFrame(0xEF, {2500, 3900, 1500, 200})}));
        QCOMPARE(sim::flash(kPid).paddleLimits, (std::array<uint16_t, 4>{2500, 3900, 1500, 200}));

        // Ended within 500 ms: the full range is stored, and the reset that
        // comes after finds nothing running.
        sim::clearLog();
        w->ui->pbCalL->click();
        w->ui->pbCalL->click();
        QCOMPARE(tu::show(tu::commands()), tu::show({paddleFrame(0x00, {2500, 4096, 1500, 0}),
                                                     paddleFrame(0xEF, {2500, 4096, 1500, 0})}));
        w->onCalibrate();
        QCOMPARE(w->leftMin, 0u);
        QCOMPARE(w->leftMax, 4096u);
        QCOMPARE(w->rightMin, 1500u);

        // Ended before a report opened the range (none; one position): the
        // wheel keeps its limits, and the user is told.
        for (QPushButton *button : {w->ui->pbCalL, w->ui->pbCalR}) {
            const std::array<uint16_t, 4> limits = sim::flash(kPid).paddleLimits;
            button->click();
            w->onCalibrate();
            sim::setPaddles(kPid, 1000, 1000);
            QTRY_COMPARE(w->ui->pgAdcR->value(), 1000);
            auto box = tu::answerBox(QMessageBox::Ok);
            button->click();
            QCOMPARE(
                box->title() + QLatin1Char('/') + box->text(),
                QStringLiteral("Error/Calibration not stored. Press the paddle fully while calibrating."));
            QCOMPARE(sim::flash(kPid).paddleLimits, limits);
            QCOMPARE(sim::live(kPid).paddleLimits, limits);
        }

        // No wheel to learn from: the button stays idle and sends nothing.
        sim::unplug(kPid);
        QTRY_VERIFY(tu::waiting(*w));
        sim::clearLog();
        w->ui->pbCalL->click();
        QVERIFY(!w->ui->pbCalL->isChecked());
        QCOMPARE(w->ui->pbCalL->text(), QStringLiteral("CALIBRATE"));
        QCOMPARE(w->leftMax, 4096u);
    }

    void shifterCalibrationFrames() {
        auto w = tu::connectedWindow("M-ZEN", kPid);
        QVERIFY(w);
        struct Case {
            QPushButton *button;
            int sub;
            const char *hold;
        } cases[] = {{w->ui->pbBearLCa, 0x03, "PRESS AND HOLD LEFT SHIFTER THEN CLICK ME"},
                     {w->ui->pbBearRCa, 0x05, "PRESS AND HOLD RIGHT SHIFTER THEN CLICK ME"},
                     {w->ui->pbBearExLCa, 0x06, "PRESS AND HOLD EXTRAL SHIFTER THEN CLICK ME"},
                     {w->ui->pbBearExRCa, 0x07, "PRESS AND HOLD EXTRAR SHIFTER THEN CLICK ME"}};
        for (const Case &c : cases) {
            sim::clearLog();
            std::vector<tu::Bytes> expected;
            for (int round = 0; round < 2; ++round) {
                c.button->click();
                QVERIFY(c.button->isChecked());
                QCOMPARE(c.button->text(), QLatin1String(c.hold));
                c.button->click();
                QVERIFY(!c.button->isChecked());
                QCOMPARE(c.button->text(), QStringLiteral("CALIBRATE"));
                expected.push_back(settingFrame(c.sub, 0, 0x00));
                expected.push_back(settingFrame(c.sub, 0xFFFFFFFF, 0xEF));
            }
            QCOMPARE(tu::show(tu::commands()), tu::show(expected));
            QCOMPARE(sim::flash(kPid).shifterThresholds[uint8_t(c.sub)], 1000 + c.sub);
        }

        // The wheel gone: the button does not claim a calibration runs.
        sim::unplug(kPid);
        w->ui->pbBearRCa->click();
        QVERIFY(!w->ui->pbBearRCa->isChecked());
        QCOMPARE(w->ui->pbBearRCa->text(), QStringLiteral("CALIBRATE"));
    }
};

ORVANE_TEST_MAIN(PulsesTest)
#include "test_pulses.moc"
