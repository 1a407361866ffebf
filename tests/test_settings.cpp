// The paddles and device pages against the simulated wheel: the paddle
// record live and stored, switches, pulse widths, calibrations, the Save
// buttons and the silent store on close; firmware version, battery and
// Bluetooth, clearing the flash, a firmware upload from a file, and backing
// up and restoring the settings, every dialog answered as a user would.
#include "firmware/updatecheck.h"
#include "testutil.h"

#include <QElapsedTimer>
#include <QFileDialog>

#include <numeric>

namespace {

constexpr uint16_t kPid = 0x2007;

// Write paddle record; limits rightMax, leftMax, rightMin, leftMin.
tu::Bytes paddleFrame(int value, bool store, std::array<uint16_t, 4> l = {4000, 3900, 100, 200}) {
    const device::Frame f = device::writePaddleFrame(uint16_t(value), store, l[0], l[1], l[2], l[3]);
    return {f.begin(), f.end()};
}
tu::Bytes settingFrame(int sub, int32_t v, bool store) {
    const device::Frame f = device::writeSettingFrame(uint8_t(sub), v, store);
    return {f.begin(), f.end()};
}
using tu::clickAnswering;
const QString kSaved = QStringLiteral("Success: Setting saved.");
const QString kNotSaved = QStringLiteral("Error: Can not save setting.");

int powerReads() {
    const auto reads = tu::readRequests();
    return int(std::count_if(reads.begin(), reads.end(), [](auto r) { return r.first == 0x0F; }));
}

// A file dialog's answer: `path`, after keeping the file it offered.
tu::ModalAnswerer::Answer pick(const QString &path, QString *offered = nullptr) {
    return [=](QWidget *modal) {
        auto *files = qobject_cast<QFileDialog *>(modal);
        if (offered) *offered = files->selectedFiles().value(0);
        files->selectFile(path);
        QMetaObject::invokeMethod(files, "accept");
    };
}

}  // namespace

class SettingsTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;  // in the temporary folder, like a user's own files there

    QString file(const char *name, int size) {
        QByteArray data(size, '\0');
        std::iota(data.begin(), data.end(), char(5));
        return tu::writeFile(dir.filePath(QLatin1String(name)), data);
    }

    // MANUAL UPDATE for `path`: the box it showed (answered or not) once the
    // worker, if it started, has ended and every signal of it has arrived.
    std::unique_ptr<tu::ModalAnswerer> upload(TestWindow &w, const QString &path) {
        w.ui->lePath->setText(path);
        bool ended = false;
        QObject context;
        connect(&w.upgradeThread, &QThread::finished, &context, [&] { ended = true; });
        auto box = tu::answerBox(QMessageBox::Ok);
        w.ui->pbUpgrade->click();
        return box->answered() || QTest::qWaitFor([&] { return ended; }, 10000) ? std::move(box) : nullptr;
    }

private slots:
    void initTestCase() { QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs); }
    void cleanup() { tu::resetBus(); }

    // What the wheel holds shows as it connects; a pulse width it holds none
    // of (negative) keeps the slider. Then mode clicks and slider releases
    // apply, with the limits read; keys only move the label. The close path
    // stores the bite point, without a box.
    void readAndLiveWrites() {
        auto w = tu::connectedWindow("M-ZEN");
        QVERIFY(w);
        const std::tuple<uint16_t, QRadioButton *, int, int, int> rows[] = {
            {10000, w->ui->rbPadL, 10000, 250, 240},
            {20002, w->ui->rbPadNo, 5000, -5, 240},
            {10001, w->ui->rbPadR, 0, 20, 40},
            {5000, w->ui->rbPadL, 5000, 100, 100}};
        for (const auto &[value, mode, bite, pulse, slider] : rows) {
            sim::WheelState s = sim::flash(kPid);
            std::tie(s.paddleValue, s.paddleLimits, s.settings[4]) =
                std::tuple(value, std::array<uint16_t, 4>{4000, 3900, 100, 200}, pulse);
            sim::setFlash(kPid, s);
            w->onInit();
            QTRY_VERIFY(tu::connected(*w) && mode->isChecked());
            QCOMPARE(w->ui->hsBite->value(), bite);
            QCOMPARE(w->ui->hsBite->statusTip(), QString::number(value));
            QCOMPARE(w->ui->hsTrigger->value(), slider);
            QCOMPARE(w->ui->hsTrigger->statusTip(), QString::number(slider));
        }
        sim::clearLog();
        w->ui->rbPadR->click();
        w->ui->hsBite->setValue(1205);
        QCOMPARE(w->ui->lbBite->text(), QStringLiteral("12.05%"));
        emit w->ui->hsBite->sliderReleased();
        w->ui->rbPadNo->click();
        w->ui->hsBite->setValue(12);
        emit w->ui->hsBite->sliderReleased();
        w->ui->rbPadL->click();
        w->ui->hsTrigger->setValue(180);
        emit w->ui->hsTrigger->sliderReleased();
        w->ui->hsShifter->setValue(60);
        emit w->ui->hsShifter->sliderReleased();
        QCOMPARE(w->ui->lbBite->text(), QStringLiteral("0.12%"));
        QCOMPARE(tu::show(tu::commands()),
                 tu::show({paddleFrame(15001, false), paddleFrame(11206, false), paddleFrame(65535, false),
                           paddleFrame(65535, false), paddleFrame(12, false), settingFrame(4, 180, false),
                           settingFrame(0x0A, 60, false)}));
        QCOMPARE(sim::flash(kPid).paddleValue, uint16_t(5000));

        // Closing stores what differs, silently.
        w->ui->rbPadR->click();
        w->ui->hsBite->setValue(3000);  // not released: nothing sent yet
        auto box = tu::answerBox(QMessageBox::Ok);
        w->ui->pbClose->click();
        QVERIFY(!w->isVisible() && !box->answered());
        QCOMPARE(sim::flash(kPid).paddleValue, uint16_t(13001));
    }

    // Save writes what differs from what the wheel keeps, and remembers only
    // what the wheel took; with no wheel it never says saved.
    void save() {
        auto w = tu::connectedWindow("PQV7");
        QVERIFY(w && w->ui->cbClutch->isChecked() && !w->ui->cbShifter->isChecked());
        w->ui->cbShifter->click();
        sim::clearLog();
        QCOMPARE(clickAnswering(w->ui->pbSaveP), kSaved);
        QCOMPARE(tu::show(tu::commands()), tu::show({settingFrame(0x09, 1, true)}));
        w->ui->hsBite->setValue(7000);
        w->ui->hsTrigger->setValue(180);
        sim::clearLog();
        for (QPushButton *save : {w->ui->pbSaveP, w->ui->pbSaveEnc, w->ui->pbSaveEnc})
            QCOMPARE(clickAnswering(save), kSaved);
        QCOMPARE(tu::show(tu::commands()),
                 tu::show({paddleFrame(7000, true, {4096, 4096, 0, 0}), settingFrame(4, 180, true)}));

        w->ui->hsBite->setValue(6000);
        w->ui->hsTrigger->setValue(200);
        for (QPushButton *save : {w->ui->pbSaveP, w->ui->pbSaveEnc}) {
            sim::injectFault(sim::Op::Send, 1, sim::Fault::Fail);
            QCOMPARE(clickAnswering(save), kNotSaved);
            QCOMPARE(clickAnswering(save), kSaved);
        }
        QCOMPARE(std::pair(sim::flash(kPid).paddleValue, sim::flash(kPid).settings[4]),
                 std::pair(uint16_t(6000), 200));
        sim::unplug(kPid);
        QTRY_VERIFY(tu::waiting(*w));
        QCOMPARE(clickAnswering(w->ui->pbSaveEnc), kNotSaved);
    }

    // Clutch paddles, then the shifters.
    void calibrations() {
        auto w = tu::connectedWindow("M-ZEN", kPid, [](sim::WheelState &s) {
            s.paddleLimits = {4000, 3900, 100, 200};
        });
        QVERIFY(w);
        // Ended after reports: the range they showed is stored, the other
        // paddle's limits kept.
        for (bool left : {false, true}) {
            QPushButton *button = left ? w->ui->pbCalL : w->ui->pbCalR;
            sim::clearLog();
            button->click();
            QCOMPARE(button->text(), QStringLiteral("SAVE"));
            // The range empties 500 ms later (five times that on a busy machine).
            QTRY_COMPARE_WITH_TIMEOUT(left ? w->leftMin : w->rightMin, 4096u, 2500);
            for (int v : {1500, 2500, 1800})
                sim::setPaddles(kPid, uint16_t(left ? 3000 : v), uint16_t(left ? v : 3000));
            QTRY_COMPARE((left ? w->ui->pgAdcL : w->ui->pgAdcR)->value(), 1800);
            button->click();
            QCOMPARE(button->text(), QStringLiteral("CALIBRATE"));
            if (!left)
                QCOMPARE(sim::live(kPid).paddleLimits, (std::array<uint16_t, 4>{2500, 3900, 1500, 200}));
        }
        QCOMPARE(sim::flash(kPid).paddleLimits, (std::array<uint16_t, 4>{2500, 2500, 1500, 1500}));

        // Ended within 500 ms: the full range is stored, and the emptying
        // that comes after finds nothing running.
        w->ui->pbCalL->click();
        w->ui->pbCalL->click();
        w->onCalibrate();
        QCOMPARE(std::pair(w->leftMin, w->leftMax), std::pair(0u, 4096u));
        QCOMPARE(sim::flash(kPid).paddleLimits, (std::array<uint16_t, 4>{2500, 4096, 1500, 0}));

        // Ended with the paddle at one position: the wheel keeps its limits.
        for (QPushButton *button : {w->ui->pbCalL, w->ui->pbCalR}) {
            button->click();
            w->onCalibrate();
            sim::setPaddles(kPid, 1000, 1000);
            QTRY_COMPARE(w->ui->pgAdcR->value(), 1000);
            QCOMPARE(clickAnswering(button), QStringLiteral("Error: Calibration not stored. Press the paddle "
                                                            "fully while calibrating."));
            QCOMPARE(sim::live(kPid).paddleLimits, sim::flash(kPid).paddleLimits);
        }
        QCOMPARE(sim::flash(kPid).paddleLimits, (std::array<uint16_t, 4>{2500, 4096, 1500, 0}));

        const std::pair<QPushButton *, int> shifters[] = {
            {w->ui->pbBearLCa, 3}, {w->ui->pbBearRCa, 5}, {w->ui->pbBearExLCa, 6}, {w->ui->pbBearExRCa, 7}};
        for (const auto &[button, sub] : shifters) {
            button->click();
            QVERIFY(button->isChecked() && button->text().startsWith(QLatin1String("PRESS AND HOLD")));
            button->click();
            QVERIFY(!button->isChecked() && button->text() == QStringLiteral("CALIBRATE"));
            QCOMPARE(sim::flash(kPid).shifterThresholds[uint8_t(sub)], 1000 + sub);
        }
    }

    // The version as plain text after the label; the battery by link and
    // reading, Bluetooth by the link; an answer that is not the power status
    // keeps what is shown. A lost wheel ends the polls.
    void power() {
        auto w = tu::connectedWindow("M-ZEN", kPid,
                                     [](sim::WheelState &s) { s.firmwareVersion = "\t<b>x</b>::"; });
        QVERIFY(w);
        QCOMPARE(w->ui->lbVersion->text(), QString("Firmware Version:\t<b>x</b>:"));
        QCOMPARE(w->ui->lbVersion->textFormat(), Qt::PlainText);  // never as markup
        QCOMPARE(powerReads(), 1);
        const std::tuple<int, int, int, const char *, bool, bool> rows[] = {
            {1, 40, 3900, "USB", false, false}, {0, 40, 4300, "USB", true, false},
            {0, 57, 4299, "57%", true, false},  {0, 100, 3900, "USB", true, false},
            {2, 12, 3000, "12%", false, false}, {0, 57, 3000, "12%", false, true}};  // answer fails
        for (const auto &[link, percent, reading, shown, bluetooth, fails] : rows) {
            sim::WheelState s = sim::flash(kPid);
            std::tie(s.link, s.batteryPercent, s.batteryReading) =
                std::tuple(uint8_t(link), uint8_t(percent), uint16_t(reading));
            sim::setFlash(kPid, s);
            if (fails) sim::injectFault(sim::Op::Get, 1, sim::Fault::Fail);
            w->onDeviceUpdate();
            QCOMPARE(w->ui->lbBatStatus->text(), QStringLiteral("BATTERY STATUS: ") + shown);
            QCOMPARE(!w->ui->lbBTStatus->isHidden(), bluetooth);
            QCOMPARE(w->timers.poll.interval(), 10000);
        }
        sim::unplug(kPid);
        QTRY_VERIFY(tu::waiting(*w));
        sim::clearLog();
        w->timers.poll.start(0);
        QTRY_VERIFY(!w->timers.poll.isActive());
        QCOMPARE(powerReads(), 0);
    }

    // Only Yes clears, then says so: Enter takes the default, No.
    void clearFlash() {
        auto w = tu::connectedWindow("M-ZEN", kPid, [](sim::WheelState &s) { s.paddleValue = 1234; });
        QVERIFY(w);
        for (bool yes : {false, true}) {
            sim::clearLog();
            tu::BoxLog boxes({[yes](QWidget *box) {
                yes ? static_cast<QMessageBox *>(box)->button(QMessageBox::Yes)->click()
                    : QTest::keyClick(box, Qt::Key_Return);
            }});
            w->ui->pbClearFlash->click();
            QTRY_COMPARE(boxes.said.size(), yes ? 2 : 1);
            QCOMPARE(boxes.said.first().section('\n', 0, 0), QString("Notify: Do you want to continue?"));
            QVERIFY(!yes || boxes.said.last().endsWith(": Flash data has been cleared."));
            QCOMPARE(tu::show(tu::commands()), yes ? tu::show({tu::frame({0x02, 0x0C, 0x10})}) : QString());
            QCOMPARE(sim::flash(kPid).paddleValue, uint16_t(yes ? 5000 : 1234));
        }
    }

    // While the worker runs: no second upload, no update check, no closing.
    // Then the image has gone out, the page is reset, the user's file stays,
    // and the rebooted wheel is found again 3 s after the box.
    void uploadFromAFile() {
        auto w = tu::connectedWindow("M-ZEN");
        QVERIFY(w);
        w->upgradeThread.finishStepMs = 150;
        w->timers.retry.setInterval(60000);  // only the retry the box starts may reconnect
        const QString path = file("fw17.bin", 17);
        sim::clearLog();
        w->ui->lePath->setText(path);
        w->ui->pbUpgrade->click();
        w->ui->lePath->setText(file("second.bin", 32));
        const std::function<void()> acts[] = {[&] { w->ui->pbUpgrade->click(); },
                                              [&] { w->ui->pbAutoUpgrade->click(); }, [&] { w->close(); },
                                              [&] { w->ui->pbClose->click(); }};
        auto boxes = std::make_unique<tu::BoxLog>();
        for (const auto &act : acts) {
            QVERIFY(w->upgradeThread.isRunning());  // the finishing steps alone take 600 ms
            act();
            QTRY_VERIFY(!boxes->said.isEmpty());
            QVERIFY(
                boxes->said.takeFirst().endsWith(": A firmware update is in progress. Please "
                                                 "wait until it has finished."));
        }
        QTRY_VERIFY_WITH_TIMEOUT(boxes->said.size() == 1 && w->upgradeThread.isFinished(), 5000);
        QElapsedTimer sinceBox;
        sinceBox.start();
        QCOMPARE(boxes->said.first(), QString("Notify: Firmware updated successfully."));
        boxes.reset();
        QFile kept(path);  // the user's file stays, and is what the wheel got
                           // (frames: core_ops)
        QVERIFY(kept.open(QIODevice::ReadOnly) &&
                tu::hex(sim::firmwareImage(kPid)) == kept.readAll().toHex(' '));
        QVERIFY(w->isVisible() && w->ui->pgUpgrade->isHidden() && w->ui->lbUpgrade->isHidden());
        QTRY_VERIFY(tu::waiting(*w));
        QTRY_VERIFY_WITH_TIMEOUT(tu::connected(*w), 6000);
        QVERIFY(sinceBox.elapsed() >= 2500);

        // Refused with a box, or (a file gone) ended silently: nothing sent.
        // An image of the largest size is none of them.
        QCOMPARE(firmware::classifyUploadPath(path, qint64(device::kMaxFirmwareSize)),
                 firmware::UploadPath::Image);
        sim::clearLog();
        for (const QString &bad : {file("big.bin", 229377), file("fw.BIN", 16)}) {
            auto refused = upload(*w, bad);
            QVERIFY(refused && QFile::exists(bad));
            QCOMPARE(refused->title() + '/' + refused->text(), QString("Error/Not a valid firmware."));
        }
        auto none = upload(*w, dir.filePath("nothing-here.bin"));
        QVERIFY(none && !none->answered() && tu::commands().empty());
    }

    // Back up, change the wheel, restore: the wheel and every page hold the
    // backed-up values again; Enter at the question restores nothing.
    void backUpAndRestore() {
        auto w = tu::connectedWindow("M-ZEN");
        QVERIFY(w);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("mine.json"));
        {
            QString offered;
            tu::BoxLog backUp({pick(path, &offered)});
            w->button("pbBackUp")->click();
            QCOMPARE(QFileInfo(offered).fileName(), QStringLiteral("M-ZEN-settings.json"));
            QTRY_COMPARE(backUp.said,
                         QStringList{QStringLiteral("Success: Settings saved to %1.").arg(path)});
        }

        sim::WheelState changed = sim::flash(kPid);
        changed.paddleValue = 1234;
        changed.settings[device::SetEncoderPulse] = 200;
        sim::setFlash(kPid, changed);
        w->readPaddleRecord();
        w->readEncoderPulseWidth();
        QCOMPARE(w->ui->hsBite->value(), 1234);
        const QString changes = "Bite point: 12.34 % -> 50.00 %\nEncoder pulse: 200 ms -> 100 ms";
        {
            tu::BoxLog declined({pick(path), [](QWidget *box) { QTest::keyClick(box, Qt::Key_Return); }});
            w->button("pbRestore")->click();  // Enter: No, the default
            QTRY_VERIFY2(declined.said.value(0).contains(changes), qPrintable(declined.said.value(0)));
            QCOMPARE(sim::flash(kPid).paddleValue, uint16_t(1234));
        }
        tu::BoxLog restore({pick(path)});
        w->button("pbRestore")->click();
        QTRY_VERIFY(restore.said.value(1).endsWith(": Settings restored."));
        QCOMPARE(sim::flash(kPid).paddleValue, uint16_t(5000));
        QCOMPARE(sim::flash(kPid).settings[device::SetEncoderPulse], 100);
        QCOMPARE(w->ui->hsBite->value(), 5000);
        QCOMPARE(w->ui->hsTrigger->value(), 100);
    }
};

ORVANE_TEST_MAIN(SettingsTest)
#include "test_settings.moc"
