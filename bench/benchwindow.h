// The window as the benchmarks drive it: the real MainWindow against the
// simulated wheel, with the members a benchmark reads made reachable.
#pragma once

#include "app/main.h"
#include "app/mainwindow.h"
#include "benchutil.h"
#include "device/device.h"
#include "sim/simwheel.h"
#include "ui_mainwindow.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QStackedWidget>
#include <QTimer>

#include <unistd.h>
#include <functional>
#include <memory>

class BenchWindow : public MainWindow {
public:
    using MainWindow::MainWindow;
    using MainWindow::ui;
    using MainWindow::eventThread;
    using MainWindow::upgradeThread;
    using MainWindow::productId;
    using MainWindow::deviceName;
    using MainWindow::statusPolling;
    using MainWindow::onInit;
    using MainWindow::onJoystickEvent;
    using MainWindow::onUpgrade;
    using MainWindow::applyModelProfile;
    using MainWindow::readLedTable;
    using MainWindow::writeLedTable;
};

namespace bench {

constexpr uint16_t kPid = 0x2007;

// Keeps the benchmarks away from the user's settings and from the
// temporary files of anything else running. Call before QApplication.
inline void isolateSettings() {
    const QByteArray dir = QByteArray("/tmp/orvane-bench-") + QByteArray::number(int(getuid()));
    QDir().mkpath(QString::fromLocal8Bit(dir + "/tmp"));
    qputenv("XDG_CONFIG_HOME", dir);
    qputenv("TMPDIR", dir + "/tmp");
}

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

inline bool connected(BenchWindow &w) {
    return device::Device::instance().isOpen() && w.productId != 0 && w.ui->pbStatus->isHidden() &&
           w.ui->stackedWidget->currentIndex() == 0 && w.eventThread.isRunning();
}

// An empty bus, `name` plugged in, a shown window connected to it; the
// frame log off. `beforeShow` runs before the window can open the wheel.
inline std::unique_ptr<BenchWindow> connectedWindow(const char *name,
                                                    const std::function<void()> &beforeShow = {}) {
    device::Device::instance().close();
    sim::reset();
    sim::setLogEnabled(false);
    sim::plug(kPid, name);
    auto w = std::make_unique<BenchWindow>();
    if (beforeShow) beforeShow();
    w->show();
    if (!waitFor([&] { return connected(*w); })) {
        std::fprintf(stderr, "the window did not connect to %s\n", name);
        std::exit(2);
    }
    spin(300);  // the posted page click, status poll and first frames
    return w;
}

}  // namespace bench
