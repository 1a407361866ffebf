// Firmware version, battery and Bluetooth state.
#include "app/mainwindow.h"
#include "ui_mainwindow.h"
#include "wheelops.h"

#include <QDebug>

namespace {

// Powered over USB: by the link, by a reading no battery gives, or full.
bool onUsbPower(const device::PowerStatus &p) { return p.link == 1 || p.reading > 4299 || p.percent == 100; }

}  // namespace

void MainWindow::readFirmwareVersion() {
    std::string version;  // as read, answered or not
    device::readFirmwareVersion(device::Device::instance(), &version);
    const QString text = tr("Firmware Version:") + QString::fromStdString(version);
    // The wheel's text is shown as it is, never as markup.
    ui->lbVersion->setTextFormat(Qt::PlainText);
    ui->lbVersion->setText(text);
    ui->lbVersion->show();
    qDebug().noquote() << text;
}

void MainWindow::onDeviceUpdate() {
    device::Device &wheel = device::Device::instance();
    if (!wheel.isOpen()) return;
    // One timer, restarted: a reconnection can never leave two chains running.
    if (statusPolling) timers.poll.start(10000);
    // An answer that is not the wheel's power status tells nothing: keep what is shown.
    const std::optional<device::PowerStatus> read = device::readPowerStatus(wheel);
    if (!read) return;
    const device::PowerStatus &power = *read;

    ui->lbBTStatus->setVisible(power.link == 0);
    ui->lbBatStatus->show();
    const QString state = onUsbPower(power) ? tr("USB") : QString::number(power.percent) + QLatin1Char('%');
    ui->lbBatStatus->setText(tr("BATTERY STATUS: ") + state);
    qDebug() << "BATTERY:" << power.percent << power.reading;
}
