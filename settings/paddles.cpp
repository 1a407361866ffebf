// Paddle record, clutch and extra-shifter switches, and the paddle page's Save.
#include "app/mainwindow.h"
#include "device/device.h"
#include "paddlerecord.h"
#include "storedvalue.h"
#include "ui_mainwindow.h"

#include <QMessageBox>
#include <QSignalBlocker>
#include <QTimer>

#include <algorithm>

namespace {

// Brings the wheel's stored on/off setting in line with its check box. The
// write is built over the answer just read, so its tail repeats that answer.
// False when the setting could not be read or written; a cut answer tells
// nothing about the setting.
bool storeSwitch(uint8_t subIndex, bool on) {
    device::Device &device = device::Device::instance();
    device::Answer answer;
    const int got = device.readRecord(device::RecSetting, subIndex, answer);
    if (got < int(device::answerLength(device::RecSetting))) return false;
    if (device::settingEnabled(answer) == on) return true;
    device::writeSettingInto(answer.data(), subIndex, on ? 1 : 255, true);
    device::Frame frame;
    std::copy_n(answer.begin(), frame.size(), frame.begin());
    return device.sendCommand(frame) >= 0;
}

// A read the open wheel did not answer with the record holds nothing of it;
// with no wheel open the zero answer stands for every field.
bool readFailed(int got, const device::Answer &answer, uint8_t record, uint8_t subIndex) {
    return device::Device::instance().isOpen() && !device::answerHolds(answer, got, record, subIndex);
}

}  // namespace

quint16 MainWindow::paddleValue() const {
    device::PaddleMode mode = device::PaddleMode::Disabled;
    if (ui->rbPadL->isChecked())
        mode = device::PaddleMode::Left;
    else if (ui->rbPadR->isChecked())
        mode = device::PaddleMode::Right;
    return device::encodePaddleValue(mode, ui->hsBite->value());
}

bool MainWindow::paddleLimitsKnown() {
    if (paddleRecordRead) return true;
    device::Device &device = device::Device::instance();
    device::Answer answer;
    const int got = device.readRecord(device::RecPaddle, 0, answer);
    if (!device::answerHolds(answer, got, device::RecPaddle, 0)) return false;
    // The controls stay as the user left them; the value read is what the
    // wheel keeps.
    const device::PaddleRecord record = device::decodePaddleRecord(answer);
    ui->hsBite->setStatusTip(QString::number(record.value));
    rightMax = record.rightMax;
    leftMax = record.leftMax;
    rightMin = record.rightMin;
    leftMin = record.leftMin;
    paddleRecordRead = true;
    return true;
}

void MainWindow::writePaddleRecord(bool store) {
    // Limits the wheel did not give would replace its calibration.
    if (!paddleLimitsKnown()) return;
    device::Device::instance().sendCommand(
        settings::paddleRecordFrame(paddleValue(), store, rightMax, leftMax, rightMin, leftMin));
}

void MainWindow::readPaddleRecord() {
    device::Answer answer;
    // Keep what the window has rather than send back limits decoded from a
    // request echo with the next record.
    const int got = device::Device::instance().readRecord(device::RecPaddle, 0, answer);
    if (readFailed(got, answer, device::RecPaddle, 0)) return;
    paddleRecordRead = device::Device::instance().isOpen();
    const device::PaddleRecord record = device::decodePaddleRecord(answer);
    ui->hsBite->setStatusTip(QString::number(record.value));
    const device::PaddleSetting setting = device::decodePaddleValue(record.value);
    switch (setting.mode) {
    case device::PaddleMode::Left: ui->rbPadL->setChecked(true); break;
    case device::PaddleMode::Right: ui->rbPadR->setChecked(true); break;
    case device::PaddleMode::Disabled: ui->rbPadNo->setChecked(true); break;
    }
    ui->hsBite->setValue(setting.bitePoint);
    rightMax = record.rightMax;
    leftMax = record.leftMax;
    rightMin = record.rightMin;
    leftMin = record.leftMin;
}

void MainWindow::readClutchEnabled() {
    device::Answer answer;
    const int got =
        device::Device::instance().readRecord(device::RecSetting, device::SetClutchEnabled, answer);
    if (!readFailed(got, answer, device::RecSetting, device::SetClutchEnabled)) {
        clutchSwitchRead = device::Device::instance().isOpen();
        // Quietly: onClutchStatus (which reads the paddle record again) runs
        // once, from the call posted below, whether the box changed or not.
        const QSignalBlocker quiet(ui->cbClutch);
        ui->cbClutch->setChecked(device::settingEnabled(answer));
    }
    // Runs after the start-up reads even when the box did not change.
    QTimer::singleShot(0, this, &MainWindow::onClutchStatus);
}

void MainWindow::onPaddleUpdate() { writePaddleRecord(false); }

void MainWindow::onPaddleChanged(int value) {
    ui->lbBite->setText(QString::asprintf("%d.%02d%%", value / 100, value % 100));
}

void MainWindow::onClutchStatus() {
    const bool on = ui->cbClutch->isChecked();
    if (on) readPaddleRecord();
    for (QWidget *w : std::initializer_list<QWidget *>{ui->gpClutch, ui->pgAdcL, ui->pgAdcR,
                                                      ui->pbCalL, ui->pbCalR})
        w->setHidden(!on);
}

void MainWindow::onSavePageP() {
    device::Device &device = device::Device::instance();
    if (!device.isOpen()) return;
    // The close path stores only what the user can have changed: a value the
    // wheel never answered for would overwrite what it keeps.
    const bool pressed = sender() == ui->pbSaveP;

    bool failed = false;
    const quint16 value = paddleValue();
    if (qint32(value) != settings::storedValue(ui->hsBite->statusTip()) && (pressed || paddleRecordRead)) {
        // Only a record the wheel took becomes the remembered value, so a
        // later Save tries again. Never one with limits the wheel did not give.
        if (paddleLimitsKnown() &&
            device.sendCommand(settings::paddleRecordFrame(value, true, rightMax, leftMax, rightMin,
                                                           leftMin)) >= 0)
            ui->hsBite->setStatusTip(QString::number(value));
        else
            failed = true;
    }
    if ((pressed || shifterSwitchRead) &&
        !storeSwitch(device::SetExtraShiftersEnabled, ui->cbShifter->isChecked()))
        failed = true;
    if ((pressed || clutchSwitchRead) && !storeSwitch(device::SetClutchEnabled, ui->cbClutch->isChecked()))
        failed = true;

    // The close path stores silently.
    if (!pressed) return;
    if (failed)
        QMessageBox::critical(this, tr("Error"), tr("Can not save setting."));
    else
        QMessageBox::information(this, tr("Success"), tr("Setting saved."));
}
