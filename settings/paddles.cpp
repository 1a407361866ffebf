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
    if (known.paddleRecord) return true;
    const std::optional<device::PaddleRecord> read = settings::readPaddleRecord(device::Device::instance());
    if (!read) return false;
    // A mode and bite point the user set stay; any other the controls hold
    // came from an earlier wheel and gives way to this one's.
    const device::PaddleRecord &record = *read;
    ui->hsBite->setStatusTip(QString::number(record.value));
    if (!known.paddleSetByUser) showPaddleValue(record.value);
    rightMax = record.rightMax;
    leftMax = record.leftMax;
    rightMin = record.rightMin;
    leftMin = record.leftMin;
    known.paddleRecord = true;
    return true;
}

void MainWindow::showPaddleValue(quint16 value) {
    const device::PaddleSetting setting = device::decodePaddleValue(value);
    switch (setting.mode) {
    case device::PaddleMode::Left: ui->rbPadL->setChecked(true); break;
    case device::PaddleMode::Right: ui->rbPadR->setChecked(true); break;
    case device::PaddleMode::Disabled: ui->rbPadNo->setChecked(true); break;
    }
    ui->hsBite->setValue(setting.bitePoint);
    known.paddleSetByUser = false;  // the wheel's, whatever moved the slider
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
    known.paddleRecord = wheel.isOpen();
    const device::PaddleRecord record = read.value_or(device::PaddleRecord{});
    ui->hsBite->setStatusTip(QString::number(record.value));
    showPaddleValue(record.value);
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
        known.clutchSwitch = wheel.isOpen();
        // Quietly: onClutchStatus (which reads the paddle record again) runs
        // once, from the call posted below, whether the box changed or not.
        const QSignalBlocker quiet(ui->cbClutch);
        ui->cbClutch->setChecked(enabled == 1);
    }
    // Runs after the start-up reads even when the box did not change.
    QTimer::singleShot(0, this, &MainWindow::onClutchStatus);
}

void MainWindow::onPaddleUpdate() {
    known.paddleSetByUser = true;
    writePaddleRecord(false);
}

void MainWindow::onPaddleChanged(int value) {
    known.paddleSetByUser = true;  // unless the wheel's record set it (showPaddleValue)
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
    // Only values of this wheel go into it: read from it, or set by the user
    // since it connected. The close path stores no record it did not read.
    const bool pressed = sender() == ui->pbSaveP;

    bool failed = false;
    const auto stored = [this] { return settings::storedValue(ui->hsBite->statusTip()); };
    if (qint32(paddleValue()) != stored() && (pressed || known.paddleRecord)) {
        // Never with limits the wheel did not give, nor an earlier wheel's
        // value: reading the record brings both. Only a record the wheel took
        // becomes the remembered value, so a later Save tries again.
        if (!paddleLimitsKnown()) {
            failed = true;
        } else if (const quint16 value = paddleValue(); qint32(value) != stored()) {
            if (settings::writePaddleRecord(
                    wheel, settings::paddleRecord(value, rightMax, leftMax, rightMin, leftMin), true))
                ui->hsBite->setStatusTip(QString::number(value));
            else failed = true;
        }
    }
    if (known.shifterSwitch &&
        !settings::storeSwitch(wheel, device::SetExtraShiftersEnabled, ui->cbShifter->isChecked()))
        failed = true;
    if (known.clutchSwitch &&
        !settings::storeSwitch(wheel, device::SetClutchEnabled, ui->cbClutch->isChecked()))
        failed = true;

    // The close path stores silently.
    if (!pressed) return;
    if (failed) QMessageBox::critical(this, tr("Error"), tr("Can not save setting."));
    else QMessageBox::information(this, tr("Success"), tr("Setting saved."));
}
