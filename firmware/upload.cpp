// Firmware upload from a local image.
#include "app/mainwindow.h"
#include "firmware/updatecheck.h"
#include "ui_mainwindow.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QTimer>

void MainWindow::onShowPath() {
    const QString path =
        QFileDialog::getOpenFileName(nullptr, QString(), QString(), tr("Firmware File (*.bin);;"));
    if (!path.isEmpty()) ui->lePath->setText(path);
}

void MainWindow::onUpgrade() {
    // The worker reads its path until it ends; a second start would change nothing anyway.
    if (refuseWhileUploading()) return;
    const QString path = ui->lePath->text();
    const bool downloaded = !download.path.isEmpty() && path == download.path;
    switch (firmware::classifyUploadPath(path, QFileInfo(path).size())) {
    case firmware::UploadPath::Download:
        download.wheel = deviceName;
        QTimer::singleShot(0, this, &MainWindow::onNetUpgrade);
        return;
    case firmware::UploadPath::Image:
        if (downloaded && productId != 0 && deviceName != download.wheel) {
            // Another model's firmware would leave this wheel without a working one.
            QFile::remove(path);
            download.path.clear();
            ui->lePath->clear();
            resetFirmwarePage();
            QMessageBox::critical(this, tr("Error"),
                                  tr("The wheel changed during the download. The firmware was not updated."));
            return;
        }
        upgradeThread.firmwarePath = path;
        upgradeThread.removeWhenDone = downloaded;
        upgradeThread.start(QThread::InheritPriority);
        return;
    case firmware::UploadPath::Invalid: break;
    }
    // A refused download must not leave the page looking busy.
    if (downloaded) resetFirmwarePage();
    QMessageBox::critical(this, tr("Error"), tr("Not a valid firmware."));
}

void MainWindow::onProgress(int value) {
    if (value == 100) {
        if (upgradeThread.removeWhenDone) download.path.clear();
        resetFirmwarePage();
        QMessageBox::information(this, tr("Notify"), tr("Firmware updated successfully."));
        // Through the one retry timer: the reader may have noticed the
        // wheel's reboot already, and two pending retries would reconnect twice.
        timers.retry.start(3000);
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
