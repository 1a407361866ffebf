// Firmware upload from a local image.
#include "app/mainwindow.h"
#include "device/device.h"
#include "firmware/imagestream.h"
#include "firmware/updatecheck.h"
#include "ui_mainwindow.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QTimer>

void TarnUpgrade::run() {
    device::Device &device = device::Device::instance();
    if (!device.isOpen()) return;
    QFile file(firmwarePath);
    if (!file.open(QIODevice::ReadOnly)) return;
    // Read one byte past the limit: a file that grew since the check is not sent.
    const QByteArray data = file.read(qint64(device::kMaxFirmwareSize) + 1);
    file.close();
    if (data.size() > qsizetype(device::kMaxFirmwareSize)) return;

    firmware::ImageStream stream(std::vector<uint8_t>(data.begin(), data.end()));
    int last = -1;
    while (stream.next()) {
        const int sent = device.sendCommand(stream.frame());
        if (sent < 0) {
            // A gap in the image must never be finished and called a success.
            emit progress(sent);
            return;
        }
        const int p = stream.progress();
        if (p != last) {
            emit progress(p);
            last = p;
        }
    }
    stream.finish();
    const int finished = device.sendCommand(stream.frame());
    if (finished < 0) {
        emit progress(finished);
        return;
    }
    for (int step = 97; step <= 100; ++step) {
        QThread::msleep(unsigned(finishStepMs));
        emit progress(step);
    }
    if (removeWhenDone) QFile::remove(firmwarePath);
}

void MainWindow::onShowPath() {
    const QString path = QFileDialog::getOpenFileName(nullptr, QString(), QString(),
                                                      tr("Firmware File (*.bin);;"));
    if (!path.isEmpty()) ui->lePath->setText(path);
}

void MainWindow::onUpgrade() {
    // The worker reads its path until it ends; a second start would change nothing anyway.
    if (refuseWhileUploading()) return;
    const QString path = ui->lePath->text();
    switch (firmware::classifyUploadPath(path, QFileInfo(path).size())) {
    case firmware::UploadPath::Download:
        QTimer::singleShot(0, this, &MainWindow::onNetUpgrade);
        return;
    case firmware::UploadPath::Image:
        upgradeThread.firmwarePath = path;
        upgradeThread.removeWhenDone = !downloadedFirmware.isEmpty() && path == downloadedFirmware;
        upgradeThread.start(QThread::InheritPriority);
        return;
    case firmware::UploadPath::Invalid:
        break;
    }
    // A refused download must not leave the page looking busy.
    if (!downloadedFirmware.isEmpty() && path == downloadedFirmware) resetFirmwarePage();
    QMessageBox::critical(this, tr("Error"), tr("Not a valid firmware."));
}

void MainWindow::onProgress(int value) {
    if (value == 100) {
        if (upgradeThread.removeWhenDone) downloadedFirmware.clear();
        resetFirmwarePage();
        QMessageBox::information(this, tr("Notify"), tr("Firmware updated successfully."));
        // Through the one retry timer: the reader may have noticed the
        // wheel's reboot already, and two pending retries would reconnect twice.
        retryTimer.start(3000);
        return;
    }
    if (value < 0) {
        resetFirmwarePage();
        QMessageBox::critical(this, tr("Error"),
                              tr("Firmware update failed. Please reconnect the wheel and try again."));
        // The wheel holds part of an image: start over from a fresh connection.
        QTimer::singleShot(0, this, &MainWindow::onInit);
        return;
    }
    ui->lbUpgrade->setText(value > 96 ? tr("Writing ...") : tr("Uploading ..."));
    ui->pgUpgrade->setValue(value);
    ui->pgUpgrade->repaint();
    ui->pgUpgrade->show();
    ui->lbUpgrade->show();
}

void MainWindow::resetFirmwarePage() {
    ui->pbAutoUpgrade->setEnabled(true);
    ui->pbAutoUpgrade->setText(tr("CHECK UPDATE"));
    ui->pgUpgrade->setValue(0);
    ui->lbCurMd5->hide();
    ui->lbCurVersion->clear();
    ui->pgUpgrade->hide();
    ui->lbUpgrade->hide();
}

bool MainWindow::refuseWhileUploading() {
    if (!upgradeThread.isRunning()) return false;
    QMessageBox::information(this, tr("Notify"),
                             tr("A firmware update is in progress. Please wait until it has finished."));
    return true;
}
