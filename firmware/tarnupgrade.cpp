// The upload thread: reads the image, streams it, reports progress.
#include "tarnupgrade.h"

#include "device/device.h"
#include "firmware/firmwareops.h"

#include <QFile>

void TarnUpgrade::run() {
    device::Device &wheel = device::Device::instance();
    if (!wheel.isOpen()) return;
    QFile file(firmwarePath);
    if (!file.open(QIODevice::ReadOnly)) return;
    // Read one byte past the limit: a file that grew since the check is not sent.
    const QByteArray data = file.read(qint64(device::kMaxFirmwareSize) + 1);
    file.close();
    if (data.size() > qsizetype(device::kMaxFirmwareSize)) return;

    const bool sent = firmware::uploadImage(wheel, std::vector<uint8_t>(data.begin(), data.end()),
                                            [this](int value) { emit progress(value); });
    if (!sent) {
        // A gap in the image must never be finished and called a success.
        emit progress(-1);
        return;
    }
    for (int step = 97; step <= 100; ++step) {
        QThread::msleep(unsigned(finishStepMs));
        emit progress(step);
    }
    if (removeWhenDone) QFile::remove(firmwarePath);
}
