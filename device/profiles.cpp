// Applying a model's profile: title, picture, controls and where they sit.
#include "app/mainwindow.h"
#include "models.h"
#include "settings/settingops.h"
#include "ui_mainwindow.h"
#include "wheelops.h"

#include <QTimer>

namespace {
const QString kUpdateBase = QStringLiteral("https://" ORVANE_UPDATE_HOST "/upgrade/");

QString pictureStyle(const char *picture) {
    return QStringLiteral("border-image: url(%1)").arg(QLatin1String(picture));
}

void applyLook(QWidget *widget, device::Look look, bool withSize) {
    if (const char *style = device::lookStyle(look)) {
        const QString text = QLatin1String(style);
        // Restyling costs a polish; skip it when nothing changes.
        if (widget->styleSheet() != text) widget->setStyleSheet(text);
        if (withSize) {
            const device::Size size = device::lookSize(look);
            widget->resize(size.w, size.h);
        }
    }
}
}  // namespace

void MainWindow::placeShown(QWidget *widget, int x, int y, device::Look look) {
    if (!widget) return;
    widget->move(x, y);
    widget->show();
    widget->setEnabled(true);
    applyLook(widget, look, true);
}

void MainWindow::placeHidden(QWidget *widget, int x, int y, device::Look look) {
    if (!widget) return;
    widget->move(x, y);
    widget->hide();
    inputView.dirty = true;
    widget->setEnabled(true);
    applyLook(widget, look, false);
}

void MainWindow::applyModelProfile(const QString &name) {
    ui->lbHead->setText(tr("TARNWELL ") + name);
    ui->lbIcon->move(310, ui->lbIcon->y());

    for (QWidget *w : {static_cast<QWidget *>(ui->lbEnc), static_cast<QWidget *>(ui->hsTrigger),
                       static_cast<QWidget *>(ui->lbTrigger), static_cast<QWidget *>(ui->pbSaveEnc)})
        w->setVisible(true);
    for (QWidget *w : {static_cast<QWidget *>(ui->lbSht), static_cast<QWidget *>(ui->hsShifter),
                       static_cast<QWidget *>(ui->lbShifter)})
        w->setVisible(false);

    for (QPushButton *b : {ui->pbS1, ui->pbS2, ui->pbS3, ui->pbS4}) b->setEnabled(true);

    static const QLatin1String prefixes[] = {QLatin1String("pbT"), QLatin1String("pbB"), QLatin1String("pbD"),
                                             QLatin1String("pbIB"), QLatin1String("pbID")};
    for (QObject *child : ui->page2->children()) {
        const QString childName = child->objectName();
        for (const QLatin1String &prefix : prefixes) {
            if (childName.startsWith(prefix)) {
                auto *w = static_cast<QWidget *>(child);
                w->hide();
                w->setEnabled(false);
                break;
            }
        }
    }

    for (QWidget *w : std::initializer_list<QWidget *>{ui->pbXL, ui->pbXR, ui->pbIExL, ui->pbIExR,
                                                       ui->cbClutch, ui->gpClutch, ui->cbShifter})
        w->hide();
    onShifterStatus();
    for (QWidget *w : std::initializer_list<QWidget *>{ui->pgAdcL, ui->pbCalL, ui->pgAdcR, ui->pbCalR})
        w->hide();

    const QByteArray utf8 = name.toUtf8();
    const std::vector<const device::Profile *> rows = device::matchingProfiles(utf8.constData());
    for (const device::Profile *row : rows) applyProfileRow(*row);
    // A name of no model keeps the picture it finds, which before any model
    // is the form's, not the empty one the constructor left.
    if (rows.empty() && ui->lbMainRGB->styleSheet() == QLatin1String("border-image:"))
        ui->lbMainRGB->setStyleSheet(ledState.formPicture);
}

void MainWindow::applyProfileRow(const device::Profile &row) {
    auto widget = [this](const char *objectName) { return findChild<QWidget *>(QLatin1String(objectName)); };

    updateFolder = kUpdateBase + QLatin1String(row.updateFolder);
    if (row.title) {
        ui->lbIcon->move(row.iconX, ui->lbIcon->y());
        ui->lbHead->setText(tr(row.title));
    }
    const QString picture = pictureStyle(row.picture);
    ui->lbMain->setStyleSheet(picture);

    QWidget *encoder[3] = {ui->lbEnc, ui->hsTrigger, ui->lbTrigger};
    for (int i = 0; i < 3; ++i)
        placeShown(encoder[i], device::kEncoderX[i], row.encoderY[size_t(i)], device::Look::Form);

    for (const device::Placement &p : row.indicators) placeHidden(widget(p.widget), p.x, p.y, p.look);

    if (row.calibration != device::Calibration::None) {
        for (const device::Placement &p : row.calibrationControls) {
            if (row.calibration == device::Calibration::Shown) placeShown(widget(p.widget), p.x, p.y, p.look);
            else placeHidden(widget(p.widget), p.x, p.y, p.look);
        }
    }

    ui->pbS2->setEnabled(row.colorsPage);
    if (row.colorsPage) {
        ui->lbMainRGB->setStyleSheet(picture);
        for (const device::Placement &p : row.colorButtons) placeShown(widget(p.widget), p.x, p.y, p.look);
    }

    if (row.clutchControls) {
        ui->cbClutch->show();
        ui->gpClutch->show();
    }

    if (row.extraPairButtons == device::ExtraPairButtons::WhenFlagged) {
        const std::optional<device::ExtraColors> extra = device::readExtraColors(device::Device::instance());
        if (extra && extra->present) {
            for (const device::Placement &p : row.extraPairPos)
                placeShown(widget(p.widget), p.x, p.y, device::Look::WhiteDot);
        }
    }

    if (row.extraShifters) {
        ui->cbShifter->show();
        readExtraShiftersEnabled();
    }

    statusPolling = row.statusPolling;
}

void MainWindow::readExtraShiftersEnabled() {
    device::Device &wheel = device::Device::instance();
    const std::optional<int32_t> enabled = settings::readSetting(wheel, device::SetExtraShiftersEnabled);
    // A box the wheel did not answer for keeps its state, and the close path
    // leaves the wheel's setting alone. With no wheel it goes off.
    known.shifterSwitch = enabled.has_value();
    if (enabled || !wheel.isOpen()) ui->cbShifter->setChecked(enabled == 1);
    QTimer::singleShot(0, this, &MainWindow::onShifterStatus);
}

void MainWindow::onShifterStatus() {
    const QRect g = ui->gpShifter->geometry();
    ui->gpShifter->setGeometry(g.x(), g.y(), g.width(), ui->cbShifter->isChecked() ? 191 : 111);
}
