// Connection: from the wheel opening to the inputs page shown (and, where
// the model polls it, the first power status read), for every model, with
// the simulated wheel answering at once. Also checks that the connection
// makes exactly the exchanges it needs, counted from the wheel's frame log.
//   bench-connect [--rounds 15]
#include "benchwindow.h"
#include "device/models.h"
#include "leds/ledlayouts.h"

#include <QStackedWidget>

#include <map>
#include <mutex>

namespace {

struct Mark {
    int64_t at;
    device::TraceKind kind;
    uint8_t command, record;
};
std::mutex marksLock;
std::vector<Mark> marks;

void stamp(device::TraceKind kind, const uint8_t *data, size_t length, int) {
    if (kind == device::TraceKind::Read) return;
    std::lock_guard<std::mutex> lock(marksLock);
    marks.push_back(
        {bench::nowNs(), kind, length > 1 ? data[1] : uint8_t(0), length > 2 ? data[2] : uint8_t(0)});
}

bool isRequest(const Mark &m, uint8_t record) {
    return m.kind == device::TraceKind::Send && m.command == device::CmdReadRecord && m.record == record;
}

// Read requests the connection of this model needs, as (record, sub-index).
std::vector<std::pair<int, int>> neededReads(const device::Profile &p) {
    const std::string name = p.modelString;
    const sim::WheelState wheel = sim::factoryState(name);
    std::vector<std::pair<int, int>> r = {{device::RecIdentity, 0}};
    if (p.extraPairButtons == device::ExtraPairButtons::WhenFlagged) r.push_back({device::RecExtraColors, 0});
    if (p.extraShifters) r.push_back({device::RecSetting, device::SetExtraShiftersEnabled});
    for (int i = 0; i < p.led.blocks; ++i) r.push_back({i, 0});
    if (p.led.extraPair == leds::ExtraPairStore::Record) r.push_back({device::RecExtraColors, 0});
    r.push_back({device::RecPaddle, 0});
    r.push_back({device::RecSetting, device::SetEncoderPulse});
    r.push_back({device::RecSetting, device::SetShifterPulse});
    r.push_back({device::RecSetting, device::SetClutchEnabled});
    r.push_back({device::RecFirmwareVersion, 0});
    // Clutches on: onClutchStatus reads the paddle record once more.
    if (wheel.settings.at(device::SetClutchEnabled) == 1) r.push_back({device::RecPaddle, 0});
    if (p.statusPolling) r.push_back({device::RecPower, 0});
    return r;
}

struct Timing {
    double total, open, profile, leds, rest;
};

// Unplugs whatever is connected and lets the window settle in its waiting state.
void disconnect(TestWindow &w) {
    sim::unplug(bench::kPid);
    bench::waitFor([&] { return !w.eventThread.isRunning(); });
    w.onInit();
    bench::spin(20);
}

// Plugs `p`'s wheel and connects; the marks hold the exchanges.
Timing connectTo(TestWindow &w, const device::Profile &p) {
    sim::plug(bench::kPid, p.modelString);
    {
        std::lock_guard<std::mutex> lock(marksLock);
        marks.clear();
    }
    int64_t shownAt = 0;
    const auto shown =
        QObject::connect(w.ui->stackedWidget, &QStackedWidget::currentChanged, &w, [&](int index) {
            if (index == 0) shownAt = bench::nowNs();
        });
    auto powerRead = [&] {
        std::lock_guard<std::mutex> lock(marksLock);
        for (const Mark &m : marks)
            if (m.kind == device::TraceKind::Get && m.command == device::RecPower) return m.at;
        return int64_t(0);
    };
    const int64_t start = bench::nowNs();
    w.onInit();
    bench::waitFor([&] { return shownAt && (!p.statusPolling || powerRead()); });
    QObject::disconnect(shown);
    const int64_t end = std::max(shownAt, powerRead());

    std::lock_guard<std::mutex> lock(marksLock);
    auto first = [&](auto pred) {
        for (const Mark &m : marks)
            if (pred(m)) return m.at;
        return end;
    };
    const int64_t identity = first([](const Mark &m) { return isRequest(m, device::RecIdentity); });
    const int64_t identityAnswer = first(
        [](const Mark &m) { return m.kind == device::TraceKind::Get && m.command == device::RecIdentity; });
    const int64_t ledRead = first([](const Mark &m) { return isRequest(m, device::RecLedBlock0); });
    const int64_t paddle = first([](const Mark &m) { return isRequest(m, device::RecPaddle); });
    return {bench::ms(end - start), bench::ms(identity - start), bench::ms(ledRead - identityAnswer),
            bench::ms(paddle - ledRead), bench::ms(end - paddle)};
}

}  // namespace

int main(int argc, char *argv[]) {
    tu::isolateSettings();
    QApplication app(argc, argv);
    const int rounds = int(bench::option(argc, argv, "--rounds", 15));

    device::Device::instance().close();
    sim::reset();
    sim::setLogEnabled(false);
    TestWindow w;
    device::Device::instance().setTraceHook(&stamp);
    w.show();
    bench::spin(300);
    const std::string platform = bench::platform();
    const auto &rows = device::profiles();

    // The exchanges, once per model, with the frame log on.
    for (const device::Profile &p : rows) {
        disconnect(w);
        sim::clearLog();
        sim::setLogEnabled(true);
        connectTo(w, p);
        bench::spin(20);
        sim::setLogEnabled(false);
        std::vector<std::pair<int, int>> reads;
        int commands = 0, answers = 0;
        for (const sim::LogEntry &e : sim::frameLog()) {
            if (e.op == sim::Op::Send && e.bytes.size() > 3 && e.bytes[1] == device::CmdReadRecord)
                reads.emplace_back(e.bytes[2], e.bytes[3]);
            else if (e.op == sim::Op::Send || e.op == sim::Op::Write) ++commands;
            else if (e.op == sim::Op::Get) ++answers;
        }
        auto needed = neededReads(p);
        auto sorted = reads;
        std::sort(needed.begin(), needed.end());
        std::sort(sorted.begin(), sorted.end());
        std::string list;
        for (const auto &r : reads)
            list += bench::fmt("%s%02x/%02x", list.empty() ? "" : " ", r.first, r.second);
        bench::result(platform, std::string("4. Connection exchanges, ") + p.modelString,
                      bench::fmt("%zu reads, no commands", needed.size()),
                      bench::fmt("%zu reads (%d answered), %d commands", reads.size(), answers, commands),
                      sorted == needed && answers == int(reads.size()) && commands == 0);
        if (sorted != needed) bench::info(platform, std::string("4. Reads made, ") + p.modelString, list);
    }

    std::map<std::string, std::vector<Timing>> timings;
    for (int round = 0; round < rounds; ++round) {
        for (const device::Profile &p : rows) {
            disconnect(w);
            timings[p.modelString].push_back(connectTo(w, p));
        }
    }
    for (const device::Profile &p : rows) {
        const auto &t = timings[p.modelString];
        auto med = [&](double Timing::*field) {
            std::vector<double> v;
            for (const Timing &x : t) v.push_back(x.*field);
            return bench::median(v);
        };
        std::vector<double> totals;
        for (const Timing &x : t) totals.push_back(x.total);
        const double worst = bench::percentile(totals, 100);
        bench::result(platform, std::string("4. Connection time, ") + p.modelString, "<= 50 ms",
                      bench::fmt("%.2f ms median, %.2f ms worst of %d", med(&Timing::total), worst, rounds),
                      med(&Timing::total) <= 50);
        bench::info(
            platform, std::string("4. Connection parts, ") + p.modelString,
            bench::fmt("open %.2f, identity+profile %.2f, LED table %.2f, rest %.2f ms", med(&Timing::open),
                       med(&Timing::profile), med(&Timing::leds), med(&Timing::rest)));
    }
    return 0;
}
