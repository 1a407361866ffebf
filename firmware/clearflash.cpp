// Erasing the settings the wheel keeps in flash.
#include "app/mainwindow.h"
#include "firmware/firmwareops.h"
#include "ui_mainwindow.h"

#include <QMessageBox>

void MainWindow::onClearFlash() {
    // No is the default, so Escape or a stray Enter erases nothing.
    const auto answer = QMessageBox::question(
        this, tr("Notify"),
        tr("Do you want to continue?\nThis operation will delete all the settings stored in the "
           "device flash memory."),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes) return;
    firmware::clearFlash(device::Device::instance());
    QMessageBox::information(this, tr("Notify"), tr("Flash data has been cleared."));
}
