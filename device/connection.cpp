// Opening the wheel, the waiting state and the first reads.
#include "access.h"
#include "app/mainwindow.h"
#include "ui_mainwindow.h"
#include "wheelops.h"

#include <QDebug>
#include <QTimer>

void MainWindow::onInit() {
    timers.retry.stop();
    forgetWheelSettings();
    if (eventThread.isRunning()) {
        eventThread.requestInterruption();
        eventThread.wait();
    }
    device::Device &wheel = device::Device::instance();
    wheel.close();

    productId = device::openWheel(wheel).value_or(0);
    if (productId == 0) {
        enterWaitingState();
        timers.retry.start();
        return;
    }

    eventThread.start(QThread::InheritPriority);
    ui->pbStatus->hide();

    if (!readIdentity()) {
        // An answer that names no wheel: as if none were there, so the window
        // never stays half connected and the retry asks again.
        eventThread.requestInterruption();
        eventThread.wait();
        wheel.close();
        productId = 0;
        enterWaitingState();
        timers.retry.start();
        return;
    }
    readLedTable();
    readPaddleRecord();
    readEncoderPulseWidth();
    readShifterPulseWidth();
    readClutchEnabled();
    readFirmwareVersion();
    loadEncoderBinding();

    QTimer::singleShot(0, ui->pbS1, &QPushButton::click);
    // Restarting the one timer keeps a single poll chain across reconnections.
    if (statusPolling) {
        timers.poll.start(0);
    } else {
        // A model that reports no power state shows none, not the last wheel's.
        timers.poll.stop();
        ui->lbBatStatus->hide();
        ui->lbBTStatus->hide();
    }
}

bool MainWindow::readIdentity() {
    const std::optional<std::string> name = device::readIdentity(device::Device::instance());
    if (!name) return false;
    deviceName = QString::fromStdString(*name);
    applyModelProfile(deviceName);
    return true;
}

void MainWindow::enterWaitingState() {
    for (QObject *child : ui->page1->children()) {
        const QString name = child->objectName();
        if (name.startsWith(QLatin1String("pbI")) || name.startsWith(QLatin1String("pbJ")) ||
            name.startsWith(QLatin1String("pbSW")))
            static_cast<QWidget *>(child)->hide();
    }
    inputView.dirty = true;
    ui->lbHead->setText(tr("WAITING FOR DEVICE..."));
    ui->lbMain->setStyleSheet(QStringLiteral("border-image:"));
    for (QPushButton *b : {ui->pbS1, ui->pbS2, ui->pbS3, ui->pbS4}) b->setEnabled(false);
    QTimer::singleShot(0, ui->pbS5, &QPushButton::click);
    ui->pbStatus->show();
    for (QWidget *w : std::initializer_list<QWidget *>{ui->lbEnc, ui->hsTrigger, ui->lbTrigger, ui->pbSaveEnc,
                                                       ui->pbCalL, ui->pgAdcR, ui->pbCalR, ui->pgAdcL})
        w->hide();
    ui->lbVersion->hide();
    resetFirmwarePage();

    // Waiting while the wheel is attached is almost always a missing udev rule.
    const QString hint =
        device::wheelFoundWithoutAccess(device::waitingScan()) ? tr(device::kNoAccessHint) : QString();
    if (hint != ui->pbStatus->toolTip()) {
        ui->pbStatus->setToolTip(hint);
        if (!hint.isEmpty()) qDebug().noquote() << hint;
    }
}
