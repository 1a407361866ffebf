// Soak: an hour's worth of input reports at 1000 a second (3.6 million),
// sent as fast as the window takes them, each with both paddles moving and
// one input changing. The heap in use and RSS must not grow.
//   bench-soak [--reports 3600000]
#include "benchwindow.h"

#include <atomic>
#include <thread>

namespace {

constexpr int kInputs[] = {0, 6, 7, 15, 20, 21, 28, 29, 32, 38, 39, 47};

std::vector<uint8_t> reportOf(uint64_t seq) {
    const uint16_t right = uint16_t((seq * 37) % 4097);
    const uint16_t left = uint16_t(4096 - right);
    const int input = kInputs[((seq - 1) / 2) % (sizeof kInputs / sizeof *kInputs)];
    const uint64_t bits = seq % 2 ? uint64_t(1) << input : 0;
    return sim::inputReport(right, left, bits);
}

}  // namespace

int main(int argc, char *argv[]) {
    tu::isolateSettings();
    QApplication app(argc, argv);
    const uint64_t total = uint64_t(bench::option(argc, argv, "--reports", 3600000));
    const uint64_t warmUp = std::min<uint64_t>(200000, total / 10);
    auto w = bench::connectedWindow("M-ZEN");
    const std::string platform = bench::platform();
    // The window keeps a copy of each paddle bar for every chunk length it
    // has painted, a working set of some hundred copies: every position is
    // shown once before the heap is first sampled.
    for (int v = 0; v <= 4096; v += 20) {
        sim::sendRawReport(bench::kPid, sim::inputReport(uint16_t(v), uint16_t(4096 - v), 0));
        bench::spin(20);
    }

    std::atomic<uint64_t> done{0}, allowed{0};
    std::atomic<bool> finished{false};
    QObject::connect(&w->eventThread, &TarnEvent::eventTrigger, w.get(), [&] { ++done; });
    std::thread producer([&] {
        // At most a few hundred reports on their way at any time, and none
        // beyond what the main thread allowed.
        for (uint64_t seq = 1; seq <= total; ++seq) {
            while ((seq > allowed.load() || seq - done.load() > 256) && !finished.load())
                std::this_thread::sleep_for(std::chrono::microseconds(100));
            if (finished.load()) return;
            sim::sendRawReport(bench::kPid, reportOf(seq));
        }
    });

    // The heap is sampled with nothing in flight: every report sent has been
    // decoded and the window has painted.
    const uint64_t step = std::max<uint64_t>(1, total / 10);
    auto drainTo = [&](uint64_t n) {
        allowed = n;
        const bool ok = bench::waitFor([&] { return done.load() >= n; }, 600000);
        bench::spin(50);
        return ok;
    };
    const int64_t start = bench::nowNs();
    bool complete = drainTo(warmUp);
    const long long heap0 = bench::heapInUse();
    const long rss0 = bench::rssKb();
    std::vector<std::pair<uint64_t, long long>> samples;
    for (uint64_t n = warmUp + step; complete; n += step) {
        complete = drainTo(std::min(n, total));
        samples.emplace_back(done.load(), bench::heapInUse() - heap0);
        if (n >= total) break;
    }
    finished = true;
    producer.join();
    const double seconds = double(bench::nowNs() - start) / 1e9;
    const long long heapGrowth = bench::heapInUse() - heap0;
    const long rssGrowth = bench::rssKb() - rss0;

    // Caches may let go of memory along the way (the pixmap cache drops an
    // unused picture after a while), queues grow to their working size early
    // on, and the allocator's count wanders by some kilobytes. A leak keeps
    // growing: even one byte a report would be 1.8 MB over the second half.
    long long lowest = 0;
    for (const auto &sample : samples) lowest = std::min(lowest, sample.second);
    const long long sinceLowest = heapGrowth - lowest;
    const long long secondHalf =
        samples.size() > 2 ? heapGrowth - samples[samples.size() / 2 - 1].second : heapGrowth;
    std::string trend;
    for (const auto &s : samples) trend += bench::fmt("%s%+lld", trend.empty() ? "" : " ", s.second);
    bench::result(
        platform, "8. Soak: memory growth over an hour of reports", "none (heap in use, RSS)",
        bench::fmt("heap %+lld B over the second half (%+lld B since its lowest), RSS %+ld kB, "
                   "after %llu reports (%.0f s, %.0fx real time)",
                   secondHalf, sinceLowest, rssGrowth, (unsigned long long)done.load(), seconds,
                   double(total) / 1000 / seconds),
        secondHalf <= 32 * 1024 && sinceLowest <= 64 * 1024 && rssGrowth <= 1024 && done.load() == total);
    bench::info(platform, "8. Soak: heap in use at each tenth of the run (B, from the warm-up)", trend);
    return 0;
}
