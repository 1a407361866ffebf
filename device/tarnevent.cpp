#include "tarnevent.h"

#include "device.h"

#include <QDebug>

void TarnEvent::run() {
    device::Device &device = device::Device::instance();
    unsigned char buffer[device::kInputReportSize] = {};
    device.setNonBlocking(true);
    for (;;) {
        if (isInterruptionRequested()) break;
        if (!device.isOpen()) {
            emit deviceDisconnect();
            return;
        }
        const int result = device.readInput(buffer, sizeof buffer, 100);
        if (result < 0) break;
        if (result == 0) continue;
        // Bytes a short report did not fill keep their earlier values.
        emit eventTrigger(
            QByteArray(reinterpret_cast<const char *>(buffer) + 1, int(device::kInputPayloadSize)));
    }
    device.close();
    if (!isInterruptionRequested()) emit deviceDisconnect();
    qDebug() << "joystick event thread done.";
}
