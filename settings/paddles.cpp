// Paddle record, clutch and extra-shifter switches, and the paddle page's Save.
#include "app/mainwindow.h"
#include "settingops.h"
#include "storedvalue.h"
#include "ui_mainwindow.h"

#include <QMessageBox>
#include <QSignalBlocker>
#include <QTimer>

#include <algorithm>

quint16 MainWindow::paddleValue() const {
    device::PaddleMode mode = device::PaddleMode::Disabled;
    if (ui->rbPadL->isChecked()) mode = device::PaddleMode::Left;
    else if (ui->rbPadR->isChecked()) mode = device::PaddleMode::Right;
    return device::encodePaddleValue(mode, ui->hsBite->value());
}

bool MainWindow::paddleLimitsKnown() {
    if (answered.paddleRecord) return true;
    const std::optional<device::PaddleRecord> read = settings::readPaddleRecord(device::Device::instance());
    if (!read) return false;
    // The controls stay as the user left them; the value read is what the
    // wheel keeps.
    const device::PaddleRecord &record = *read;
    ui->hsBite->setStatusTip(QString::number(record.value));
    rightMax = record.rightMax;
    leftMax = record.leftMax;
    rightMin = record.rightMin;
    leftMin = record.leftMin;
    answered.paddleRecord = true;
    return true;
}

void MainWindow::writePaddleRecord(bool store) {
    // Limits the wheel did not give would replace its calibration.
    if (!paddleLimitsKnown()) return;
    settings::writePaddleRecord(device::Device::instance(),
                                settings::paddleRecord(paddleValue(), rightMax, leftMax, rightMin, leftMin),
                                store);
}

void MainWindow::readPaddleRecord() {
    device::Device &wheel = device::Device::instance();
    // Keep what the window has rather than send back limits it never read.
    // With no wheel open, zeros stand for every field.
    const std::optional<device::PaddleRecord> read = settings::readPaddleRecord(wheel);
    if (!read && wheel.isOpen()) return;
    answered.paddleRecord = wheel.isOpen();
    const device::PaddleRecord record = read.value_or(device::PaddleRecord{});
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
    device::Device &wheel = device::Device::instance();
    const std::optional<int32_t> enabled = settings::readSetting(wheel, device::SetClutchEnabled);
    // A box the wheel did not answer for keeps its state; with no wheel it goes off.
    if (enabled || !wheel.isOpen()) {
        answered.clutchSwitch = wheel.isOpen();
        // Quietly: onClutchStatus (which reads the paddle record again) runs
        // once, from the call posted below, whether the box changed or not.
        const QSignalBlocker quiet(ui->cbClutch);
        ui->cbClutch->setChecked(enabled == 1);
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
    for (QWidget *w :
         std::initializer_list<QWidget *>{ui->gpClutch, ui->pgAdcL, ui->pgAdcR, ui->pbCalL, ui->pbCalR})
        w->setHidden(!on);
}

void MainWindow::onSavePageP() {
    device::Device &wheel = device::Device::instance();
    if (!wheel.isOpen()) return;
    // The close path stores only what the user can have changed: a value the
    // wheel never answered for would overwrite what it keeps.
    const bool pressed = sender() == ui->pbSaveP;

    bool failed = false;
    const quint16 value = paddleValue();
    if (qint32(value) != settings::storedValue(ui->hsBite->statusTip()) &&
        (pressed || answered.paddleRecord)) {
        // Only a record the wheel took becomes the remembered value, so a
        // later Save tries again. Never one with limits the wheel did not give.
        if (paddleLimitsKnown() &&
            settings::writePaddleRecord(
                wheel, settings::paddleRecord(value, rightMax, leftMax, rightMin, leftMin), true))
            ui->hsBite->setStatusTip(QString::number(value));
        else failed = true;
    }
    if ((pressed || answered.shifterSwitch) &&
        !settings::storeSwitch(wheel, device::SetExtraShiftersEnabled, ui->cbShifter->isChecked()))
        failed = true;
    if ((pressed || answered.clutchSwitch) &&
        !settings::storeSwitch(wheel, device::SetClutchEnabled, ui->cbClutch->isChecked()))
        failed = true;

    // The close path stores silently.
    if (!pressed) return;
    if (failed) QMessageBox::critical(this, tr("Error"), tr("Can not save setting."));
    else QMessageBox::information(this, tr("Success"), tr("Setting saved."));
}
