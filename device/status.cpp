// Firmware version, battery and Bluetooth state.
#include "app/mainwindow.h"
#include "device.h"
#include "ui_mainwindow.h"

#include <QDebug>

namespace {

// Powered over USB: by the link, by a reading no battery gives, or full.
bool onUsbPower(const device::PowerStatus &p) {
    return p.link == 1 || p.reading > 4299 || p.percent == 100;
}

}  // namespace

void MainWindow::readFirmwareVersion() {
    device::Answer answer;
    device::Device::instance().readRecord(device::RecFirmwareVersion, 0, answer);
    const QString text =
        tr("Firmware Version:") + QString::fromStdString(device::firmwareVersionText(answer));
    // The wheel's text is shown as it is, never as markup.
    ui->lbVersion->setTextFormat(Qt::PlainText);
    ui->lbVersion->setText(text);
    ui->lbVersion->show();
    qDebug().noquote() << text;
}

void MainWindow::onDeviceUpdate() {
    device::Device &device = device::Device::instance();
    if (!device.isOpen()) return;
    device::Answer answer;
    device.readRecord(device::RecPower, 0, answer);
    const device::PowerStatus power = device::decodePowerStatus(answer);

    ui->lbBTStatus->setVisible(power.link == 0);
    ui->lbBatStatus->show();
    const QString state = onUsbPower(power) ? tr("USB") : QString::number(power.percent) + QLatin1Char('%');
    ui->lbBatStatus->setText(tr("BATTERY STATUS: ") + state);
    qDebug() << "BATTERY:" << power.percent << power.reading;

    // One timer, restarted: a reconnection can never leave two chains running.
    if (statusPolling) pollTimer.start(10000);
}
