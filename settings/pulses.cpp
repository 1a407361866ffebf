// Pulse widths and the clutch and shifter calibrations.
#include "app/mainwindow.h"
#include "settingops.h"
#include "storedvalue.h"
#include "ui_mainwindow.h"

#include <QMessageBox>
#include <QSignalBlocker>
#include <QTimer>

namespace {

const char *const kCalibrate = QT_TRANSLATE_NOOP("MainWindow", "CALIBRATE");
const char *const kCalibrating = QT_TRANSLATE_NOOP("MainWindow", "SAVE");

// Reads a pulse width into its slider, which clamps it into its range. A
// negative value means the wheel holds none; a read the wheel did not answer
// tells nothing, so both keep the slider. With no wheel the slider goes to
// its minimum.
void readPulseWidth(QSlider *slider, uint8_t subIndex) {
    device::Device &wheel = device::Device::instance();
    const std::optional<int32_t> value = settings::readSetting(wheel, subIndex);
    if (value) {
        if (*value >= 0) slider->setValue(*value);
    } else if (!wheel.isOpen()) {
        slider->setValue(0);
    }
    slider->setStatusTip(QString::number(slider->value()));
}

QString millis(int value) { return QString::asprintf("%dms", value); }

// Starts one paddle's calibration with the full raw range, which `send` hands
// to the wheel. With no wheel to learn from the button goes back to idle and
// the limits stay as they were.
template <typename Send>
bool startCalibration(QPushButton *button, quint32 &min, quint32 &max, Send send) {
    const quint32 oldMin = min, oldMax = max;
    min = 0;
    max = 4096;
    if (send()) {
        button->setText(MainWindow::tr(kCalibrating));
        return true;
    }
    min = oldMin;
    max = oldMax;
    const QSignalBlocker blocker(button);
    button->setChecked(false);
    return false;
}

}  // namespace

void MainWindow::forgetWheelSettings() {
    known = Known();
    // The wheel learns nothing across a reconnection: a calibration begun
    // before it ends without storing anything.
    for (QPushButton *b :
         {ui->pbCalL, ui->pbCalR, ui->pbBearLCa, ui->pbBearRCa, ui->pbBearExLCa, ui->pbBearExRCa}) {
        const QSignalBlocker blocker(b);
        b->setChecked(false);
        b->setText(tr(kCalibrate));
    }
}

void MainWindow::readEncoderPulseWidth() { readPulseWidth(ui->hsTrigger, device::SetEncoderPulse); }
void MainWindow::readShifterPulseWidth() { readPulseWidth(ui->hsShifter, device::SetShifterPulse); }

void MainWindow::onTriggerChanged(int value) { ui->lbTrigger->setText(millis(value)); }
void MainWindow::onShifterChanged(int value) { ui->lbShifter->setText(millis(value)); }

void MainWindow::onTriggerUpdate() {
    settings::writeSetting(device::Device::instance(), device::SetEncoderPulse, ui->hsTrigger->value(),
                           false);
}

void MainWindow::onShifterUpdate() {
    settings::writeSetting(device::Device::instance(), device::SetShifterPulse, ui->hsShifter->value(),
                           false);
}

void MainWindow::onSavePageE() {
    device::Device &wheel = device::Device::instance();
    bool saved = wheel.isOpen();
    const int value = ui->hsTrigger->value();
    if (saved && value != settings::storedValue(ui->hsTrigger->statusTip())) {
        saved = settings::writeSetting(wheel, device::SetEncoderPulse, value, true);
        // Remembered only once the wheel took it, so a later Save tries again.
        if (saved) ui->hsTrigger->setStatusTip(QString::number(value));
    }
    if (saved) QMessageBox::information(this, tr("Success"), tr("Setting saved."));
    else QMessageBox::critical(this, tr("Error"), tr("Can not save setting."));
}

void MainWindow::calibrateClutch(bool left, bool on) {
    QPushButton *button = left ? ui->pbCalL : ui->pbCalR;
    quint32 &min = left ? leftMin : rightMin;
    quint32 &max = left ? leftMax : rightMax;
    std::array<quint32, 2> &before = left ? calibrationStart.left : calibrationStart.right;
    if (!on) {
        button->setText(tr(kCalibrate));
        if (settings::rangeLearnt(min, max)) {
            writePaddleRecord(true);
            return;
        }
        // No report opened the range: an empty or inverted one would make the
        // paddle useless. The wheel applies the limits it had again.
        min = before[0];
        max = before[1];
        writePaddleRecord(false);
        QMessageBox::critical(this, tr("Error"),
                              tr("Calibration not stored. Press the paddle fully while calibrating."));
        return;
    }
    // The other paddle's limits go out with the record too.
    paddleLimitsKnown();
    before = {min, max};
    const auto openRange = [this] {
        return known.paddleRecord &&
               settings::writePaddleRecord(
                   device::Device::instance(),
                   settings::paddleRecord(paddleValue(), rightMax, leftMax, rightMin, leftMin), false);
    };
    if (startCalibration(button, min, max, openRange))
        QTimer::singleShot(500, this, &MainWindow::onCalibrate);
}

void MainWindow::onCalibrateL(bool on) { calibrateClutch(true, on); }
void MainWindow::onCalibrateR(bool on) { calibrateClutch(false, on); }

void MainWindow::onCalibrate() {
    // Empty ranges, widened by each input report from now on. A calibration
    // already finished keeps the full range it was started with.
    const QString running = tr(kCalibrating);
    if (ui->pbCalL->text().contains(running)) {
        leftMin = 4096;
        leftMax = 0;
    }
    if (ui->pbCalR->text().contains(running)) {
        rightMin = 4096;
        rightMax = 0;
    }
}

void MainWindow::shifterCalibrate(QPushButton *button, quint8 subIndex, const char *holdText) {
    device::Device &wheel = device::Device::instance();
    if (!button->isChecked()) {
        button->setText(tr(kCalibrate));
        settings::finishShifterCalibration(wheel, subIndex);
        return;
    }
    if (!settings::startShifterCalibration(wheel, subIndex)) {
        // The wheel never heard the start: do not pretend it is learning.
        button->setChecked(false);
        button->setText(tr(kCalibrate));
        return;
    }
    button->setText(tr(holdText));
}

void MainWindow::onBearLCalibrate() {
    shifterCalibrate(ui->pbBearLCa, device::SetLeftShifterCal,
                     QT_TR_NOOP("PRESS AND HOLD LEFT SHIFTER THEN CLICK ME"));
}

void MainWindow::onBearRCalibrate() {
    shifterCalibrate(ui->pbBearRCa, device::SetRightShifterCal,
                     QT_TR_NOOP("PRESS AND HOLD RIGHT SHIFTER THEN CLICK ME"));
}

void MainWindow::onBearExLCalibrate() {
    shifterCalibrate(ui->pbBearExLCa, device::SetExtraLeftShifterCal,
                     QT_TR_NOOP("PRESS AND HOLD EXTRAL SHIFTER THEN CLICK ME"));
}

void MainWindow::onBearExRCalibrate() {
    shifterCalibrate(ui->pbBearExRCa, device::SetExtraRightShifterCal,
                     QT_TR_NOOP("PRESS AND HOLD EXTRAR SHIFTER THEN CLICK ME"));
}
