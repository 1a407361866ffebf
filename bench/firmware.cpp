// Firmware upload: a downloaded 229376-byte image checked against its MD5
// and written to the temporary folder, then its block phase streamed into
// the simulated wheel, from onUpgrade to the finish frame. The wheel's own
// pauses after the finish frame (finishStepMs) are not the program's time.
//   bench-firmware [--runs 10]
#include "benchwindow.h"
#include "firmware/updatecheck.h"

#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>

#include <atomic>

namespace {

std::atomic<int64_t> finishedAt{0};
std::atomic<int> blocks{0};

void stamp(device::TraceKind kind, const uint8_t *data, size_t length, int) {
    if (kind != device::TraceKind::Send || length < 2) return;
    if (data[1] & device::CmdFirmwareBlock) ++blocks;
    if (data[1] == device::CmdFinishFirmware) finishedAt = bench::nowNs();
}

}  // namespace

int main(int argc, char *argv[]) {
    tu::isolateSettings();
    QApplication app(argc, argv);
    const int runs = int(bench::option(argc, argv, "--runs", 10));
    std::string platform;

    QByteArray image(int(device::kMaxFirmwareSize), '\0');
    for (int i = 0; i < image.size(); ++i) image[i] = char((i * 7 + i / 251) & 0xFF);
    const QString md5Label = QStringLiteral("MD5: ") + firmware::md5Hex(image).toUpper();

    std::vector<double> digest, blockPhase, total;
    bool allWritten = true;
    for (int run = 0; run < runs + 1; ++run) {
        // A fresh window each time: an upload ends in a timed reconnection.
        auto w = bench::connectedWindow("M-ZEN", [] { device::Device::instance().setTraceHook(&stamp); });
        platform = bench::platform();
        sim::setRebootTime(std::chrono::milliseconds(0));
        w->upgradeThread.finishStepMs = 0;
        w->ui->pbS4->click();
        bench::spin(30);

        // What onNetUpgradeReady does with a finished download.
        const int64_t t0 = bench::nowNs();
        const bool matches = firmware::digestMatches(image, md5Label);
        const QString path = firmware::tempFirmwarePath();
        const bool written = firmware::writeFreshFile(path, image);
        const int64_t t1 = bench::nowNs();
        if (!matches || !written) {
            std::fprintf(stderr, "the image did not check or could not be written\n");
            return 2;
        }

        finishedAt = 0;
        blocks = 0;
        w->ui->lePath->setText(path);
        // Answers the success box, once it is up.
        QTimer answer;
        bool answered = false;
        QObject::connect(&answer, &QTimer::timeout, [&] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                box->accept();
                answered = true;
            }
        });
        answer.start(5);
        const int64_t t2 = bench::nowNs();
        w->onUpgrade();
        bench::waitFor([&] { return finishedAt.load() != 0; }, 10000);
        const int64_t t3 = finishedAt.load();
        bench::waitFor([&] { return answered && !w->upgradeThread.isRunning(); }, 10000);
        answer.stop();
        QFile::remove(path);

        const std::vector<uint8_t> got = sim::firmwareImage(bench::kPid);
        const bool same =
            got.size() == size_t(image.size()) &&
            std::equal(got.begin(), got.end(), reinterpret_cast<const uint8_t *>(image.constData()));
        if (!t3 || !same || blocks != int(device::kMaxFirmwareSize / 16)) allWritten = false;
        if (run == 0) continue;  // warm-up
        digest.push_back(bench::ms(t1 - t0));
        blockPhase.push_back(bench::ms(t3 - t2));
        total.push_back(bench::ms(t1 - t0 + t3 - t2));
    }
    const double m = bench::median(total);
    bench::result(platform, "7. Firmware upload, 229376 bytes (MD5 + block phase)", "<= 100 ms",
                  bench::fmt("%.1f ms median, %.1f ms worst%s", m, bench::percentile(total, 100),
                             allWritten ? "" : " (IMAGE NOT WRITTEN INTACT)"),
                  m <= 100 && allWritten);
    bench::info(platform, "7. Firmware upload parts",
                bench::fmt("MD5 check + temp file %.2f ms, onUpgrade to finish frame %.1f ms",
                           bench::median(digest), bench::median(blockPhase)));
    return 0;
}
