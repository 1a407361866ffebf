// Online update: version check, download and MD5 verification.
#include "app/mainwindow.h"
#include "firmware/updatecheck.h"
#include "ui_mainwindow.h"

#include <QMessageBox>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

namespace {

const char kOversized[] = "orvaneOversized";

// Stops a reply whose body passes `limit`: the buffer never holds much more
// (it is capped just above the limit) and the finished handler takes the
// reply as failed. The abort is queued so that the handler's message box
// never opens inside the network code's own signal.
void limitBody(QNetworkReply *reply, qint64 limit) {
    reply->setReadBufferSize(limit + 1);
    auto check = [reply, limit](qint64 received, qint64 total) {
        if (received <= limit && total <= limit && reply->bytesAvailable() <= limit) return;
        if (reply->property(kOversized).toBool()) return;
        reply->setProperty(kOversized, true);
        QMetaObject::invokeMethod(reply, &QNetworkReply::abort, Qt::QueuedConnection);
    };
    QObject::connect(reply, &QNetworkReply::downloadProgress, reply, check);
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [reply, check] { check(0, 0); });
}

// The whole body, or nothing when it passed its limit.
QByteArray bodyOf(QNetworkReply *reply, qint64 limit) {
    if (reply->property(kOversized).toBool() || reply->bytesAvailable() > limit) return {};
    return reply->readAll();
}

QNetworkRequest requestFor(const QString &address) {
    return QNetworkRequest(QUrl(address, QUrl::TolerantMode));
}

}  // namespace

void MainWindow::onAutoUpgrade() {
    // A check now would end in a second upload beside the running one.
    if (refuseWhileUploading()) return;
    download.wheel = deviceName;
    QNetworkReply *reply = netManager.get(requestFor(updateFolder + QLatin1String("version.json")));
    ui->pbAutoUpgrade->setEnabled(false);
    ui->pbAutoUpgrade->setText(tr("Checking ..."));
    connect(reply, &QNetworkReply::finished, this, &MainWindow::onUpgradeReady);
    limitBody(reply, firmware::kMaxVersionJson);
}

void MainWindow::onUpgradeReady() {
    auto *reply = qobject_cast<QNetworkReply *>(sender());
    if (!reply) return;
    reply->deleteLater();
    const firmware::UpdateInfo info = firmware::parseUpdateInfo(bodyOf(reply, firmware::kMaxVersionJson));
    if (!info.valid) {
        resetFirmwarePage();
        return;
    }
    switch (firmware::checkForUpdate(ui->lbVersion->text(), info.version)) {
    case firmware::UpdateCheck::NoValidDevice:
        QMessageBox::information(this, tr("Update"), tr("No valid device."));
        resetFirmwarePage();
        return;
    case firmware::UpdateCheck::UpToDate:
        QMessageBox::information(this, tr("Update"), tr("Your firmware is already up to date."));
        resetFirmwarePage();
        return;
    case firmware::UpdateCheck::Available: break;
    }
    const auto answer =
        QMessageBox::question(this, tr("Update"), tr("A new firmware is available, update now?"),
                              QMessageBox::Yes | QMessageBox::No);
    if (answer != QMessageBox::Yes) {
        resetFirmwarePage();
        return;
    }
    ui->lePath->setText(updateFolder + info.name);
    // The server's texts are shown as they are, never as markup.
    ui->lbCurVersion->setTextFormat(Qt::PlainText);
    ui->lbCurVersion->setText(tr("Version: ") + info.version);
    ui->lbCurMd5->setTextFormat(Qt::PlainText);
    ui->lbCurMd5->setText(QStringLiteral("MD5: ") + info.md5);
    QTimer::singleShot(0, this, &MainWindow::onNetUpgrade);
}

void MainWindow::onNetUpgrade() {
    const QString address = ui->lePath->text();
    if (!address.startsWith(QLatin1String("https://"))) {
        resetFirmwarePage();
        return;
    }
    QNetworkReply *reply = netManager.get(requestFor(address));
    connect(reply, &QNetworkReply::downloadProgress, this, &MainWindow::onNetProgress);
    connect(reply, &QNetworkReply::finished, this, &MainWindow::onNetUpgradeReady);
    limitBody(reply, firmware::kMaxImageDownload);
    ui->pgUpgrade->show();
    ui->lbUpgrade->setText(tr("Downloading ..."));
    ui->lbUpgrade->show();
}

void MainWindow::onNetProgress(qint64 received, qint64 total) {
    if (total > 0) ui->pgUpgrade->setValue(int(received * 100 / total));
}

void MainWindow::onNetUpgradeReady() {
    auto *reply = qobject_cast<QNetworkReply *>(sender());
    if (!reply) return;
    reply->deleteLater();
    const QByteArray body = bodyOf(reply, firmware::kMaxImageDownload);
    if (!firmware::digestMatches(body, ui->lbCurMd5->text())) {
        QMessageBox::critical(this, tr("Error"), tr("Download file fail."));
        resetFirmwarePage();
        return;
    }
    // The running upload may still be reading the file this would replace.
    if (refuseWhileUploading()) return;
    const QString path = firmware::tempFirmwarePath();
    if (!firmware::writeFreshFile(path, body)) {
        QMessageBox::critical(this, tr("Error"), tr("Can not write to temp."));
        resetFirmwarePage();
        return;
    }
    download.path = path;
    ui->lePath->setText(path);
    QTimer::singleShot(0, this, &MainWindow::onUpgrade);
}
