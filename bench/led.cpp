// LED write: from the colour dialog closing to the last frame of the pick
// reaching the wheel (every block of the table and the extra pair), for
// every model with a colour page.
//   bench-led [--picks 15]
#include "benchwindow.h"
#include "device/models.h"
#include "leds/ledlayouts.h"

#include <QColorDialog>
#include <QPushButton>

#include <mutex>

namespace {

std::mutex framesLock;
std::vector<int64_t> frameTimes;  // LED blocks and Write extra colours, as sent

void stamp(device::TraceKind kind, const uint8_t *data, size_t length, int) {
    const bool block = kind == device::TraceKind::Write;
    const bool extra = kind == device::TraceKind::Send && length > 1 && data[1] == device::CmdWriteExtra;
    if (!block && !extra) return;
    std::lock_guard<std::mutex> lock(framesLock);
    frameTimes.push_back(bench::nowNs());
}

}  // namespace

int main(int argc, char *argv[]) {
    tu::isolateSettings();
    QApplication app(argc, argv);
    const int picks = int(bench::option(argc, argv, "--picks", 15));
    std::string platform;

    for (const device::Profile &p : device::profiles()) {
        if (!p.colorsPage) continue;
        auto w =
            bench::connectedWindow(p.modelString, [] { device::Device::instance().setTraceHook(&stamp); });
        platform = bench::platform();
        w->ui->pbS2->click();
        bench::spin(50);
        const size_t expected =
            size_t(p.led.blocks) + (p.led.layout && p.led.extraPair != leds::ExtraPairStore::None ? 1 : 0);
        // The first colour button the model shows.
        QPushButton *button = nullptr;
        for (const device::Placement &c : p.colorButtons) {
            button = w->findChild<QPushButton *>(QLatin1String(c.widget));
            if (button && button->isVisible()) break;
        }

        std::vector<double> latency;
        bool complete = true;
        for (int i = 0; i < picks + 1; ++i) {
            {
                std::lock_guard<std::mutex> lock(framesLock);
                frameTimes.clear();
            }
            int64_t closedAt = 0;
            const QColor color = QColor::fromHsv((i * 47) % 360, 255, 255);
            // Answers the dialog as the user would, once it is up.
            QTimer answer;
            QObject::connect(&answer, &QTimer::timeout, [&] {
                auto *dialog = qobject_cast<QColorDialog *>(QApplication::activeModalWidget());
                if (!dialog || closedAt) return;
                dialog->setCurrentColor(color);
                closedAt = bench::nowNs();
                dialog->accept();
            });
            answer.start(5);
            button->click();
            answer.stop();
            std::lock_guard<std::mutex> lock(framesLock);
            if (frameTimes.size() != expected || !closedAt) {
                complete = false;
                continue;
            }
            if (i > 0) latency.push_back(bench::ms(frameTimes.back() - closedAt));  // the first one warms up
            bench::spin(5);
        }
        const double m = bench::median(latency);
        bench::result(
            platform, std::string("6. LED write, ") + p.modelString, "<= 2 ms",
            bench::fmt("%.3f ms median, %.3f ms worst (%zu frames a pick%s)", m,
                       bench::percentile(latency, 100), expected, complete ? "" : ", FRAMES MISSING"),
            m <= 2 && complete);
    }
    return 0;
}
