// The colour page: colour dialog, presets and Save.
#include "app/mainwindow.h"
#include "device/device.h"
#include "stylecolor.h"
#include "ui_mainwindow.h"

#include <QColorDialog>
#include <QDebug>
#include <QMessageBox>

#include <algorithm>

namespace {
// Preset colours by the sixth character of the preset button's name.
QColor presetColour(QChar key) {
    switch (key.unicode()) {
    case 'R': return QColor(255, 0, 0);
    case 'G': return QColor(0, 255, 0);
    case 'B': return QColor(0, 0, 255);
    case 'W': return QColor(255, 255, 255);
    case 'D': return QColor(0, 0, 0);
    case '1': return QColor(0, 170, 255);
    case '2': return QColor(255, 0, 255);
    case '3': return QColor(255, 85, 0);
    case '4': return QColor(255, 255, 0);
    default: return {};
    }
}
}  // namespace

void MainWindow::onColorPick() {
    auto *button = qobject_cast<QPushButton *>(sender());
    if (!button) return;
    qDebug() << button->objectName();
    const QColor colour = QColorDialog::getColor(styleColor(button, 0), nullptr, QString(), {});
    if (!colour.isValid()) return;
    setStyleColor(button, colour);
    writeLedTable(false);
}

void MainWindow::onSetColor() {
    const QObject *from = sender();
    if (!from) return;
    const QString name = from->objectName();
    const QColor colour = name.size() > 5 ? presetColour(name.at(5)) : QColor();
    if (!colour.isValid()) return;

    static const QLatin1String prefixes[] = {QLatin1String("pbT"), QLatin1String("pbB"),
                                             QLatin1String("pbD"), QLatin1String("pbX")};
    for (QObject *child : ui->page2->children()) {
        const QString childName = child->objectName();
        const bool colourButton = std::any_of(std::begin(prefixes), std::end(prefixes),
                                              [&](QLatin1String p) { return childName.startsWith(p); });
        if (!colourButton) continue;
        // The buttons the model shows, whether or not the page is in front.
        auto *w = static_cast<QWidget *>(child);
        if (w->isVisibleTo(ui->page2)) setStyleColor(w, colour);
    }
    writeLedTable(false);
}

void MainWindow::onSaveColor() {
    device::Device &device = device::Device::instance();
    bool failed = !device.isOpen();

    const int value = ui->hsShifter->value();
    bool isNumber = false;
    int stored = ui->hsShifter->statusTip().toInt(&isNumber);
    if (!isNumber) stored = 0;
    if (value != stored && !failed) {
        // The status tip tells what the wheel keeps: move it only once it does.
        if (device.sendCommand(device::writeSettingFrame(device::SetShifterPulse, value, true)) < 0)
            failed = true;
        else
            ui->hsShifter->setStatusTip(QString::number(value));
    }

    writeLedTable(true);
    if (failed || ledSendFailed)
        QMessageBox::critical(this, tr("Error"), tr("Can not save setting."));
    else
        QMessageBox::information(this, tr("Success"), tr("LED colors and shifter value saved."));
}
