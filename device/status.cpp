// Firmware version, battery and Bluetooth state.
#include "app/mainwindow.h"
#include "device.h"
#include "ui_mainwindow.h"

#include <QDebug>

namespace {

// Powered over USB: by the link, by a reading no battery gives, or full.
bool onUsbPower(const proto::PowerStatus &p) {
    return p.link == 1 || p.reading > 4299 || p.percent == 100;
}

}  // namespace

void MainWindow::readFirmwareVersion() {
    proto::Answer answer;
    orv::Device::instance().readRecord(proto::RecFirmwareVersion, 0, answer);
    const QString text =
        tr("Firmware Version:") + QString::fromStdString(proto::firmwareVersionText(answer));
    // The wheel's text is shown as it is, never as markup.
    ui->lbVersion->setTextFormat(Qt::PlainText);
    ui->lbVersion->setText(text);
    ui->lbVersion->show();
    qDebug().noquote() << text;
}

void MainWindow::onDeviceUpdate() {
    orv::Device &device = orv::Device::instance();
    if (!device.isOpen()) return;
    proto::Answer answer;
    device.readRecord(proto::RecPower, 0, answer);
    const proto::PowerStatus power = proto::decodePowerStatus(answer);

    ui->lbBTStatus->setVisible(power.link == 0);
    ui->lbBatStatus->show();
    const QString state = onUsbPower(power) ? tr("USB") : QString::number(power.percent) + QLatin1Char('%');
    ui->lbBatStatus->setText(tr("BATTERY STATUS: ") + state);
    qDebug() << "BATTERY:" << power.percent << power.reading;

    // One timer, restarted: a reconnection can never leave two chains running.
    if (statusPolling) pollTimer.start(10000);
}
