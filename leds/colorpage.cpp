// The colour page: colour dialog, presets and Save.
#include "app/mainwindow.h"
#include "settings/settingops.h"
#include "settings/storedvalue.h"
#include "stylecolor.h"
#include "ui_mainwindow.h"

#include <QColorDialog>
#include <QDebug>
#include <QMessageBox>

#include <algorithm>

namespace {
// Preset colours by the sixth character of the preset button's name.
QColor presetColor(QChar key) {
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
    const QColor color = QColorDialog::getColor(styleColor(button, 0), nullptr, QString(), {});
    if (!color.isValid()) return;
    chooseLedColor(button, color);
    writeLedTable(false);
}

void MainWindow::onSetColor() {
    const QObject *from = sender();
    if (!from) return;
    const QString name = from->objectName();
    const QColor color = name.size() > 5 ? presetColor(name.at(5)) : QColor();
    if (!color.isValid()) return;

    static const QLatin1String prefixes[] = {QLatin1String("pbT"), QLatin1String("pbB"), QLatin1String("pbD"),
                                             QLatin1String("pbX")};
    for (QObject *child : ui->page2->children()) {
        const QString childName = child->objectName();
        const bool colorButton = std::any_of(std::begin(prefixes), std::end(prefixes),
                                             [&](QLatin1String p) { return childName.startsWith(p); });
        if (!colorButton) continue;
        // The buttons the model shows, whether or not the page is in front.
        auto *w = static_cast<QWidget *>(child);
        if (w->isVisibleTo(ui->page2)) chooseLedColor(w, color);
    }
    writeLedTable(false);
}

void MainWindow::onSaveColor() {
    device::Device &wheel = device::Device::instance();
    bool failed = !wheel.isOpen();

    const int value = ui->hsShifter->value();
    if (value != settings::storedValue(ui->hsShifter->statusTip()) && !failed) {
        // The status tip tells what the wheel keeps: move it only once it does.
        if (!settings::writeSetting(wheel, device::SetShifterPulse, value, true)) failed = true;
        else ui->hsShifter->setStatusTip(QString::number(value));
    }

    writeLedTable(true);
    if (failed || ledState.sendFailed) QMessageBox::critical(this, tr("Error"), tr("Can not save setting."));
    else QMessageBox::information(this, tr("Success"), tr("LED colors and shifter value saved."));
}
