// The window as the benchmarks drive it: the tests' window against the
// simulated wheel, waited for without sleeping between looks.
#pragma once

#include "benchutil.h"
#include "testutil.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>

#include <functional>
#include <memory>

namespace bench {

constexpr uint16_t kPid = 0x2007;

inline std::string platform() { return QGuiApplication::platformName().toStdString(); }

// Runs the event loop until `done` or `timeoutMs` passed; false on time-out.
// Sleeps between looks, so it costs no CPU of its own worth measuring.
inline bool waitFor(const std::function<bool()> &done, int timeoutMs = 5000) {
    QElapsedTimer timer;
    timer.start();
    QTimer tick;
    tick.start(2);
    while (!done()) {
        if (timer.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// Runs the event loop for `milliseconds`.
inline void spin(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// An empty bus, `name` plugged in, a shown window connected to it; the
// frame log off. `beforeShow` runs before the window can open the wheel.
inline std::unique_ptr<TestWindow> connectedWindow(const char *name,
                                                   const std::function<void()> &beforeShow = {}) {
    tu::resetBus();
    sim::setLogEnabled(false);
    sim::plug(kPid, name);
    auto w = std::make_unique<TestWindow>();
    if (beforeShow) beforeShow();
    w->show();
    if (!waitFor([&] { return tu::connected(*w); })) {
        std::fprintf(stderr, "the window did not connect to %s\n", name);
        std::exit(2);
    }
    spin(300);  // the posted page click, status poll and first frames
    return w;
}

}  // namespace bench
