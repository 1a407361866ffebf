// Live view of the wheel's controls. Runs once per input report, up to the
// wheel's full report rate: pointers are resolved once, the indicators'
// states are shadowed in bit masks, and widgets are only touched when their
// state changes.
#include "app/mainwindow.h"
#include "inputmap.h"
#include "ui_mainwindow.h"

#include <QtAlgorithms>

#include <utility>

namespace {
const QString kShow = QStringLiteral("SHOW");
const QString kHide = QStringLiteral("HIDE");

int lowestBit(quint64 v) { return int(qCountTrailingZeroBits(v)); }
}  // namespace

void MainWindow::resolveInputIndicators() {
    inputView.indicated = 0;
    for (int n = 0; n < inputs::kIndicatedInputs; ++n) {
        QPushButton *b =
            ui->page1->findChild<QPushButton *>(QLatin1String(inputs::kIndicatorNames[size_t(n)]));
        inputView.indicators[size_t(n)] = b;
        if (b) inputView.indicated |= quint64(1) << n;
    }
}

void MainWindow::onJoystickEvent(QByteArray data) {
    uint8_t payload[16] = {};
    std::copy_n(reinterpret_cast<const uint8_t *>(data.constData()), std::min<qsizetype>(data.size(), 16),
                payload);
    const quint32 right = inputs::rightPaddle(payload);
    const quint32 left = inputs::leftPaddle(payload);
    // A bar whose text names its value repaints every change, and the frame
    // pacer holds that repaint back to the next frame.
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

    const quint64 candidates = inputs::indicatedFor(inputView.indicated, ui->cbShifter->isChecked());
    const quint64 bits = inputs::inputBits(payload, 16) & candidates;
    quint64 enabled = 0;
    for (quint64 pending = bits; pending; pending &= pending - 1) {
        const int n = lowestBit(pending);
        if (inputView.indicators[size_t(n)]->isEnabled()) enabled |= quint64(1) << n;
    }
    const inputs::ReportStep step = inputs::stepReport(bits, candidates, enabled, inputView.lit);
    const quint64 active = step.active;

    releasedInputs.clear();
    const quint64 released = step.released;
    quint64 touch = released | (active & ~inputView.lit) | (candidates & ~inputView.marked);
    if (inputView.dirty) touch = candidates;
    for (; touch; touch &= touch - 1) {
        const int n = lowestBit(touch);
        const quint64 bit = quint64(1) << n;
        QPushButton *indicator = inputView.indicators[size_t(n)];
        if (active & bit) {
            if (indicator->isHidden()) indicator->show();
            if (!(inputView.lit & bit)) indicator->setStatusTip(kShow);
        } else {
            if (released & bit) releasedInputs.append(n);
            if (!indicator->isHidden()) indicator->hide();
            if ((inputView.lit & bit) || !(inputView.marked & bit)) indicator->setStatusTip(kHide);
        }
    }
    inputView.lit = step.lit;
    inputView.marked |= candidates;
    inputView.dirty = false;

    if (!releasedInputs.isEmpty()) updateEncoderBinding();
}
