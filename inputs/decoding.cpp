// Live view of the wheel's controls. Runs once per input report, up to the
// wheel's full report rate: pointers are resolved once and widgets are only
// touched when their state changes.
#include "app/mainwindow.h"
#include "inputmap.h"
#include "ui_mainwindow.h"

namespace {
const QString kShow = QStringLiteral("SHOW");
const QString kHide = QStringLiteral("HIDE");
}  // namespace

void MainWindow::resolveInputIndicators() {
    for (int n = 0; n < inputs::kIndicatedInputs; ++n)
        inputIndicators[size_t(n)] =
            ui->page1->findChild<QPushButton *>(QLatin1String(inputs::kIndicatorNames[size_t(n)]));
}

void MainWindow::onJoystickEvent(QByteArray data) {
    uint8_t payload[16] = {};
    std::copy_n(reinterpret_cast<const uint8_t *>(data.constData()), std::min<qsizetype>(data.size(), 16),
                payload);
    const quint32 right = inputs::rightPaddle(payload);
    const quint32 left = inputs::leftPaddle(payload);
    ui->pgAdcR->setValue(int(right));
    ui->pgAdcL->setValue(int(left));
    if (ui->pbCalL->isChecked()) {
        if (left > leftMax) leftMax = left;
        if (left < leftMin) leftMin = left;
    }
    if (ui->pbCalR->isChecked()) {
        if (right > rightMax) rightMax = right;
        if (right < rightMin) rightMin = right;
    }

    const uint64_t bits = inputs::inputBits(payload, 16);
    const bool extraShifters = ui->cbShifter->isChecked();
    releasedInputs.clear();
    for (int n = 0; n < inputs::kIndicatedInputs; ++n) {
        QPushButton *indicator = inputIndicators[size_t(n)];
        if (!indicator) continue;
        if (!extraShifters && (n == inputs::kExtraShifterInputs[0] || n == inputs::kExtraShifterInputs[1]))
            continue;
        const bool active = (bits >> n) & 1;
        if (active && indicator->isEnabled()) {
            if (indicator->isHidden()) indicator->show();
            if (indicator->statusTip() != kShow) indicator->setStatusTip(kShow);
        } else {
            const QString tip = indicator->statusTip();
            if (tip == kShow) releasedInputs.append(n);
            if (!indicator->isHidden()) indicator->hide();
            if (tip != kHide) indicator->setStatusTip(kHide);
        }
    }
    if (!releasedInputs.isEmpty()) updateEncoderBinding();
}
