// The upload thread: reads the image, streams it, reports progress.
#include "tarnupgrade.h"

#include "device/device.h"
#include "firmware/imagestream.h"

#include <QFile>

void TarnUpgrade::run() {
    device::Device &device = device::Device::instance();
    if (!device.isOpen()) return;
    QFile file(firmwarePath);
    if (!file.open(QIODevice::ReadOnly)) return;
    // Read one byte past the limit: a file that grew since the check is not sent.
    const QByteArray data = file.read(qint64(device::kMaxFirmwareSize) + 1);
    file.close();
    if (data.size() > qsizetype(device::kMaxFirmwareSize)) return;

    firmware::ImageStream stream(std::vector<uint8_t>(data.begin(), data.end()));
    int last = -1;
    while (stream.next()) {
        const int sent = device.sendCommand(stream.frame());
        if (sent < 0) {
            // A gap in the image must never be finished and called a success.
            emit progress(sent);
            return;
        }
        const int p = stream.progress();
        if (p != last) {
            emit progress(p);
            last = p;
        }
    }
    stream.finish();
    const int finished = device.sendCommand(stream.frame());
    if (finished < 0) {
        emit progress(finished);
        return;
    }
    for (int step = 97; step <= 100; ++step) {
        QThread::msleep(unsigned(finishStepMs));
        emit progress(step);
    }
    if (removeWhenDone) QFile::remove(firmwarePath);
}
