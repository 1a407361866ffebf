// Per-report cost on the GUI thread: onJoystickEvent called directly in a
// loop, painting excluded (the loop never returns to the event loop).
//   bench-decode [--batches 15]
#include "benchwindow.h"

namespace {

// The data bytes of an input report, as the reader hands them on.
QByteArray payload(uint16_t right, uint16_t left, uint64_t bits) {
    const std::vector<uint8_t> r = sim::inputReport(right, left, bits);
    return QByteArray(reinterpret_cast<const char *>(r.data()) + 1, int(r.size()) - 1);
}

// Median over batches of the time one call takes, in nanoseconds.
template <typename Call>
double perCall(int batches, int calls, Call call) {
    std::vector<double> each;
    for (int b = 0; b < batches; ++b) {
        const int64_t start = bench::nowNs();
        for (int i = 0; i < calls; ++i) call(i);
        each.push_back(double(bench::nowNs() - start) / calls);
    }
    return bench::median(each);
}

}  // namespace

int main(int argc, char *argv[]) {
    tu::isolateSettings();
    QApplication app(argc, argv);
    const int batches = int(bench::option(argc, argv, "--batches", 15));
    auto w = bench::connectedWindow("M-ZEN");
    const std::string platform = bench::platform();
    // The reader stays idle: the wheel sends nothing while this runs.

    const QByteArray still = payload(1000, 2000, 1ull << 6);
    const QByteArray off = payload(1000, 2000, 0);
    const QByteArray on = payload(1000, 2000, 1ull << 32);
    for (int i = 0; i < 1000; ++i) w->onJoystickEvent(i % 2 ? on : off);
    w->onJoystickEvent(still);

    const double unchanged = perCall(batches, 100000, [&](int) { w->onJoystickEvent(still); });
    const double oneIndicator = perCall(batches, 10000, [&](int i) { w->onJoystickEvent(i % 2 ? on : off); });
    // Both paddle bars move, nothing else: the bars' repaint is the cost here.
    QByteArray moving[2] = {payload(1000, 3000, 0), payload(1100, 2900, 0)};
    const double paddles = perCall(batches, 10000, [&](int i) { w->onJoystickEvent(moving[i % 2]); });
    // What the live stream sends: both paddles and one input change.
    QByteArray live[2] = {payload(1000, 3000, 1ull << 32), payload(1100, 2900, 0)};
    const double both = perCall(batches, 10000, [&](int i) { w->onJoystickEvent(live[i % 2]); });
    bench::spin(50);

    bench::result(platform, "3. Per report, nothing changes", "<= 1 us",
                  bench::fmt("%.3f us", unchanged / 1000), unchanged <= 1000);
    bench::result(platform, "3. Per report, one indicator changes", "<= 10 us",
                  bench::fmt("%.3f us", oneIndicator / 1000), oneIndicator <= 10000);
    bench::info(platform, "3. Per report, both paddle bars move", bench::fmt("%.3f us", paddles / 1000));
    bench::info(platform, "3. Per report, both bars and one indicator change",
                bench::fmt("%.3f us", both / 1000));
    return 0;
}
