// Paddle record, clutch and extra-shifter switches, and the paddle page's Save.
#include "app/mainwindow.h"
#include "device/device.h"
#include "paddlerecord.h"
#include "storedvalue.h"
#include "ui_mainwindow.h"

#include <QMessageBox>
#include <QTimer>

#include <algorithm>

namespace {

// Brings the wheel's stored on/off setting in line with its check box. The
// write is built over the answer just read, so its tail repeats that answer.
// False when the setting could not be read or written.
bool storeSwitch(uint8_t subIndex, bool on) {
    orv::Device &device = orv::Device::instance();
    proto::Answer answer;
    if (device.readRecord(proto::RecSetting, subIndex, answer) < 0) return false;
    if (proto::settingEnabled(answer) == on) return true;
    proto::writeSettingInto(answer.data(), subIndex, on ? 1 : 255, true);
    proto::Frame frame;
    std::copy_n(answer.begin(), frame.size(), frame.begin());
    return device.sendCommand(frame) >= 0;
}

// A read that failed on an open wheel holds no record, only the request.
bool readFailed(int result) { return result < 0 && orv::Device::instance().isOpen(); }

}  // namespace

quint16 MainWindow::paddleValue() const {
    proto::PaddleMode mode = proto::PaddleMode::Disabled;
    if (ui->rbPadL->isChecked())
        mode = proto::PaddleMode::Left;
    else if (ui->rbPadR->isChecked())
        mode = proto::PaddleMode::Right;
    return proto::encodePaddleValue(mode, ui->hsBite->value());
}

void MainWindow::writePaddleRecord(bool store) {
    orv::Device::instance().sendCommand(
        settings::paddleRecordFrame(paddleValue(), store, rightMax, leftMax, rightMin, leftMin));
}

void MainWindow::readPaddleRecord() {
    proto::Answer answer;
    // Keep what the window has rather than send back limits decoded from a
    // request echo with the next record.
    if (readFailed(orv::Device::instance().readRecord(proto::RecPaddle, 0, answer))) return;
    const proto::PaddleRecord record = proto::decodePaddleRecord(answer);
    ui->hsBite->setStatusTip(QString::number(record.value));
    const proto::PaddleSetting setting = proto::decodePaddleValue(record.value);
    switch (setting.mode) {
    case proto::PaddleMode::Left: ui->rbPadL->setChecked(true); break;
    case proto::PaddleMode::Right: ui->rbPadR->setChecked(true); break;
    case proto::PaddleMode::Disabled: ui->rbPadNo->setChecked(true); break;
    }
    ui->hsBite->setValue(setting.bitePoint);
    rightMax = record.rightMax;
    leftMax = record.leftMax;
    rightMin = record.rightMin;
    leftMin = record.leftMin;
}

void MainWindow::readClutchEnabled() {
    proto::Answer answer;
    const int result =
        orv::Device::instance().readRecord(proto::RecSetting, proto::SetClutchEnabled, answer);
    if (!readFailed(result)) ui->cbClutch->setChecked(proto::settingEnabled(answer));
    // Runs once more after the start-up reads even when the box did not change.
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
    orv::Device &device = orv::Device::instance();
    if (!device.isOpen()) return;

    bool failed = false;
    const quint16 value = paddleValue();
    if (qint32(value) != settings::storedValue(ui->hsBite->statusTip())) {
        // Only a record the wheel took becomes the remembered value, so a
        // later Save tries again.
        if (device.sendCommand(settings::paddleRecordFrame(value, true, rightMax, leftMax, rightMin,
                                                           leftMin)) >= 0)
            ui->hsBite->setStatusTip(QString::number(value));
        else
            failed = true;
    }
    if (!storeSwitch(proto::SetExtraShiftersEnabled, ui->cbShifter->isChecked())) failed = true;
    if (!storeSwitch(proto::SetClutchEnabled, ui->cbClutch->isChecked())) failed = true;

    // The close path stores silently.
    if (sender() != ui->pbSaveP) return;
    if (failed)
        QMessageBox::critical(this, tr("Error"), tr("Can not save setting."));
    else
        QMessageBox::information(this, tr("Success"), tr("Setting saved."));
}
