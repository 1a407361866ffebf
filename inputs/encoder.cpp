// Binding a rotary encoder to the clutch bite point.
#include "app/mainwindow.h"
#include "bindingstore.h"
#include "encoderpairs.h"
#include "ui_mainwindow.h"

namespace {

using inputs::bindingStore;
using inputs::downKey;
using inputs::kNoInput;
using inputs::storedInput;
using inputs::upKey;

}  // namespace

void MainWindow::showEncoderBindState(int state) {
    static const char *const texts[] = {QT_TR_NOOP("ASSIGN ROTARY ENCODER"),
                                        QT_TR_NOOP("ROTATE ONE ENCODER TO BIND BITEPOINT"),
                                        QT_TR_NOOP("CLEAR BIND ENCODER")};
    encoderBindState = state;
    ui->pbEncoder->setText(tr(texts[qBound(0, state, 2)]));
    ui->pbEncoder->setChecked(state == 1);
}

void MainWindow::onEncoderBind() {
    if (encoderBindState == 2) {
        removeEncoderBinding();
        showEncoderBindState(0);
    } else {
        // From waiting this only undoes the click's toggle.
        showEncoderBindState(1);
    }
}

void MainWindow::loadEncoderBinding() {
    const QSettings store = bindingStore();
    encoderUpInput = storedInput(store, upKey(deviceName));
    encoderDownInput = storedInput(store, downKey(deviceName));
    // A wheel without a binding of its own must not show another wheel's.
    showEncoderBindState(encoderUpInput != kNoInput && encoderDownInput != kNoInput ? 2 : 0);
}

void MainWindow::saveEncoderBinding() {
    QSettings store = bindingStore();
    store.setValue(upKey(deviceName), int(encoderUpInput));
    store.setValue(downKey(deviceName), int(encoderDownInput));
    store.sync();
}

void MainWindow::removeEncoderBinding() {
    QSettings store = bindingStore();
    store.remove(upKey(deviceName));
    store.remove(downKey(deviceName));
    store.sync();
}

void MainWindow::updateEncoderBinding() {
    if (releasedInputs.isEmpty()) return;
    if (encoderBindState == 1) {
        // Only the lowest released input counts; anything else waits for the
        // next report.
        const std::optional<inputs::EncoderPair> pair = inputs::encoderPairOf(releasedInputs.first());
        if (!pair) return;
        encoderUpInput = pair->up;
        encoderDownInput = pair->down;
        saveEncoderBinding();
        showEncoderBindState(2);
        writePaddleRecord(false);
    } else if (encoderBindState == 2) {
        // The slider clamps at its ends; the record still goes out.
        if (releasedInputs.contains(encoderUpInput)) {
            ui->hsBite->setValue(ui->hsBite->value() + 1);
            writePaddleRecord(false);
        }
        if (releasedInputs.contains(encoderDownInput)) {
            ui->hsBite->setValue(ui->hsBite->value() - 1);
            writePaddleRecord(false);
        }
    }
}
