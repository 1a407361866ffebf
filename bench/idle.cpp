// Idle: a connected wheel that sends nothing, the window shown. CPU of the
// whole process and memory over the run (default 120 s; the goal is stated
// for 10 minutes, growth is extrapolated to that).
//   bench-idle [--seconds 120]
#include "benchwindow.h"

#include <QThread>

#include <condition_variable>
#include <mutex>

namespace {

struct Floor {
    double percent = 0;
    double usPerWait = 0;  // the waker's CPU for one 100 ms wait
};

// The floor: an idle Qt event loop and one thread that wakes every 100 ms,
// as the input reader must (its read time-out) to notice that it should stop.
Floor floorCpu(int seconds) {
    std::mutex lock;
    std::condition_variable never;
    bool stop = false;
    int64_t wakerCpu = 0;
    int waits = 0;
    std::unique_ptr<QThread> waker(QThread::create([&] {
        std::unique_lock<std::mutex> held(lock);
        const int64_t cpu0 = bench::threadCpuNs();
        while (!stop) {
            never.wait_for(held, std::chrono::milliseconds(100));
            ++waits;
        }
        wakerCpu = bench::threadCpuNs() - cpu0;
    }));
    waker->start();
    bench::spin(500);
    const int64_t cpu0 = bench::processCpuNs(), start = bench::nowNs();
    bench::spin(seconds * 1000);
    const double percent = 100.0 * double(bench::processCpuNs() - cpu0) / double(bench::nowNs() - start);
    {
        std::lock_guard<std::mutex> held(lock);
        stop = true;
    }
    never.notify_all();
    waker->wait();
    return {percent, waits ? bench::us(wakerCpu) / waits : 0};
}

}  // namespace

int main(int argc, char *argv[]) {
    tu::isolateSettings();
    QApplication app(argc, argv);
    const int seconds = int(bench::option(argc, argv, "--seconds", 120));
    const Floor floor = floorCpu(std::max(10, seconds / 4));

    auto w = bench::connectedWindow("M-ZEN");  // polls its power status every 10 s
    const std::string platform = bench::platform();
    bench::spin(2000);
    bench::namedThreadCpuNs("TarnEvent");  // its first reading allocates; not counted as growth

    const long rss0 = bench::rssKb();
    const long long heap0 = bench::heapInUse();
    const int64_t cpu0 = bench::processCpuNs(), gui0 = bench::threadCpuNs();
    const int64_t reader0 = bench::namedThreadCpuNs("TarnEvent");
    const int64_t start = bench::nowNs();
    long long heapLowest = 0;
    for (int s = 0; s < seconds; s += 10) {
        bench::spin(std::min(10, seconds - s) * 1000);
        heapLowest = std::min(heapLowest, bench::heapInUse() - heap0);
    }
    const int64_t wall = bench::nowNs() - start;
    const int64_t cpu = bench::processCpuNs() - cpu0, gui = bench::threadCpuNs() - gui0;
    const int64_t reader = bench::namedThreadCpuNs("TarnEvent") - reader0;
    const long long heapGrowth = bench::heapInUse() - heap0;
    const long rssGrowth = bench::rssKb() - rss0;

    const double percent = 100.0 * double(cpu) / double(wall);
    bench::result(platform, "5. Idle: CPU of the whole process", "<= 0.1 % of one core",
                  bench::fmt("%.3f %% (%.1f ms CPU in %d s; floor %.3f %%)", percent, bench::ms(cpu), seconds,
                             floor.percent),
                  percent <= 0.1);
    // Ten read time-outs a second; what one costs is this machine's price of
    // a thread waking from sleep, as the floor's waker shows.
    const double readerPercent = 100.0 * double(reader) / double(wall);
    bench::info(
        platform, "5. Idle: CPU by thread",
        bench::fmt("reader %.3f %% (%.0f us a 100 ms read time-out), GUI %.3f %%, rest %.3f %%; "
                   "the floor's waker %.0f us a 100 ms wait",
                   readerPercent, bench::us(reader) / (seconds * 10.0), 100.0 * double(gui) / double(wall),
                   100.0 * double(std::max<int64_t>(0, cpu - gui - reader)) / double(wall), floor.usPerWait));
    // Caches may let go of memory along the way (the pixmap cache drops an
    // unused picture after a while); growth is measured from the lowest point.
    const long long sinceLowest = heapGrowth - heapLowest;
    bench::result(
        platform, "5. Idle: memory growth", "none (heap in use, RSS)",
        bench::fmt("heap %+lld B (%+lld B since its lowest, %+.0f B per 10 min), RSS %+ld kB in %d s",
                   heapGrowth, sinceLowest, double(sinceLowest) * 600.0 / seconds, rssGrowth, seconds),
        sinceLowest <= 1024 && rssGrowth <= 64);
    return 0;
}
