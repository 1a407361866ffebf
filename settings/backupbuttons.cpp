// The device page's settings backups: a file of everything the wheel keeps,
// and writing such a file back.
#include "app/mainwindow.h"
#include "backup.h"
#include "ui_mainwindow.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QStandardPaths>

namespace {
QString documentsFolder() { return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation); }
const char kFilter[] = QT_TRANSLATE_NOOP("MainWindow", "Settings backup (*.json)");
}  // namespace

void MainWindow::createBackupButtons() {
    // After every widget of the form, so none of them moves: in the empty band
    // between the firmware row and CLEAR FLASH DATA, under the two update
    // buttons and in the look of the page's own buttons.
    const QPushButton *look = ui->pbClearFlash;
    const struct {
        const char *name;
        const char *text;
        const QPushButton *column;
        void (MainWindow::*action)();
    } buttons[] = {
        {"pbBackUp", QT_TR_NOOP("BACK UP SETTINGS"), ui->pbAutoUpgrade, &MainWindow::backUpSettings},
        {"pbRestore", QT_TR_NOOP("RESTORE SETTINGS"), ui->pbUpgrade, &MainWindow::restoreSettings},
    };
    for (const auto &b : buttons) {
        auto *button = new QPushButton(tr(b.text), ui->page4);
        button->setObjectName(QLatin1String(b.name));
        button->setFont(look->font());
        button->setStyleSheet(look->styleSheet());
        button->setGeometry(b.column->x(), 210, look->width(), look->height());
        connect(button, &QPushButton::clicked, this, b.action);
    }
}

void MainWindow::backUpSettings() {
    if (refuseWhileUploading()) return;
    const settings::Model model = settings::modelOf(deviceName.toStdString());
    const QString name = (model.profile ? model.name() : deviceName) + QStringLiteral("-settings.json");
    const QString path = QFileDialog::getSaveFileName(this, tr("Back up settings"),
                                                      QDir(documentsFolder()).filePath(name), tr(kFilter));
    if (path.isEmpty()) return;
    QString error;
    const std::optional<settings::WheelSettings> s =
        settings::readWheelSettings(device::Device::instance(), &error);
    if (!s || !settings::saveBackup(path, *s, &error)) {
        QMessageBox::critical(this, tr("Error"), error);
        return;
    }
    QMessageBox::information(this, tr("Success"),
                             tr("Settings saved to %1.").arg(QDir::toNativeSeparators(path)));
}

void MainWindow::restoreSettings() {
    if (refuseWhileUploading()) return;
    const QString path =
        QFileDialog::getOpenFileName(this, tr("Restore settings"), documentsFolder(), tr(kFilter));
    if (path.isEmpty()) return;
    device::Device &wheel = device::Device::instance();
    QString error;
    const std::optional<settings::WheelSettings> file = settings::loadBackup(path, &error);
    const std::optional<settings::WheelSettings> now =
        file ? settings::readWheelSettings(wheel, &error) : std::nullopt;
    if (!now) {
        QMessageBox::critical(this, tr("Error"), error);
        return;
    }
    const settings::RestorePlan plan = settings::planRestore(*file, *now);
    QStringList text{
        tr("Restore the settings of %1 backed up %2?").arg(QString::fromStdString(file->wheel), file->date)};
    text << (plan.changes.isEmpty() ? QStringList{tr("The wheel holds them already.")} : plan.changes);
    if (!plan.leftOut.isEmpty()) text << tr("Left out:") << plan.leftOut;
    if (QMessageBox::question(this, tr("Notify"), text.join(QLatin1Char('\n')),
                              QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes)
        return;
    QStringList problems;
    const bool restored = settings::applyRestore(wheel, plan, &problems);
    readSettingsAgain();
    if (restored) QMessageBox::information(this, tr("Success"), tr("Settings restored."));
    else
        QMessageBox::critical(
            this, tr("Error"),
            tr("Not every setting was restored:") + QLatin1Char('\n') + problems.join(QLatin1Char('\n')));
}

void MainWindow::readSettingsAgain() {
    // The reads of a connection, so that every page shows what the wheel now holds.
    readLedTable();
    readPaddleRecord();
    readEncoderPulseWidth();
    readShifterPulseWidth();
    readClutchEnabled();
    if (settings::modelOf(deviceName.toStdString()).extraShifters()) readExtraShiftersEnabled();
    loadEncoderBinding();
}
