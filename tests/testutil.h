// Shared helpers of the end-to-end tests: a window whose insides a test may
// reach, a simulated wheel to connect it to, the frames that wheel received,
// and modal boxes answered from a timer the way a user would.
#pragma once

#include "app/main.h"
#include "app/mainwindow.h"
#include "device/device.h"
#include "sim/simwheel.h"
#include "ui_mainwindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QMessageBox>
#include <QPointer>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

class TestWindow : public MainWindow {
public:
    using MainWindow::MainWindow;
    using MainWindow::ui;
    using MainWindow::dragOrigin;
    using MainWindow::eventThread;
    using MainWindow::upgradeThread;
    using MainWindow::localServer;
    using MainWindow::leftMin;
    using MainWindow::rightMin;
    using MainWindow::leftMax;
    using MainWindow::rightMax;
    using MainWindow::deviceName;
    using MainWindow::updateFolder;
    using MainWindow::productId;
    using MainWindow::encoderBindState;
    using MainWindow::encoderUpInput;
    using MainWindow::encoderDownInput;
    using MainWindow::statusPolling;
    using MainWindow::trayIcon;
    using MainWindow::releasedInputs;
    using MainWindow::timers;

    using MainWindow::mousePressEvent;
    using MainWindow::mouseMoveEvent;
    using MainWindow::mouseReleaseEvent;

    using MainWindow::onClose;
    using MainWindow::onMinimize;
    using MainWindow::onTrayActivated;
    using MainWindow::onInit;
    using MainWindow::onJoystickEvent;
    using MainWindow::onDeviceUpdate;
    using MainWindow::onCalibrate;

    using MainWindow::enterWaitingState;
    using MainWindow::applyModelProfile;
    using MainWindow::readPaddleRecord;
    using MainWindow::readEncoderPulseWidth;
    using MainWindow::readShifterPulseWidth;
    using MainWindow::readFirmwareVersion;
    using MainWindow::writeLedTable;

    QWidget *widget(const char *name) const { return findChild<QWidget *>(QLatin1String(name)); }
    QPushButton *button(const char *name) const { return findChild<QPushButton *>(QLatin1String(name)); }
};

namespace tu {

using Bytes = std::vector<uint8_t>;

inline QByteArray hex(const Bytes &b) {
    return QByteArray(reinterpret_cast<const char *>(b.data()), int(b.size())).toHex(' ');
}

// Frames one per line, for a comparison that shows where they differ.
inline QString show(const std::vector<Bytes> &frames) {
    QStringList out;
    for (const auto &f : frames) out << QString::fromLatin1(hex(f));
    return out.join(QLatin1Char('\n'));
}

// A 20-byte frame: the given leading bytes, zeros after them.
inline Bytes frame(std::initializer_list<int> leading) {
    Bytes f(20, 0);
    size_t i = 0;
    for (int v : leading) f[i++] = uint8_t(v);
    return f;
}

// Everything the wheel was asked to do (feature reports other than Read
// record, and output reports), in order; failed calls included.
inline std::vector<Bytes> commands() {
    std::vector<Bytes> out;
    for (const auto &e : sim::frameLog()) {
        if (e.op == sim::Op::Write || (e.op == sim::Op::Send && !(e.bytes.size() > 1 && e.bytes[1] == 0x0B)))
            out.push_back(e.bytes);
    }
    return out;
}

// Read record requests as (record, sub-index), in order.
inline std::vector<std::pair<int, int>> readRequests() {
    std::vector<std::pair<int, int>> out;
    for (const auto &e : sim::frameLog())
        if (e.op == sim::Op::Send && e.bytes.size() > 3 && e.bytes[1] == 0x0B)
            out.emplace_back(e.bytes[2], e.bytes[3]);
    return out;
}

// The data bytes of an input report, as the reader hands them on.
inline QByteArray payload(uint16_t right, uint16_t left, uint64_t bits) {
    const std::vector<uint8_t> r = sim::inputReport(right, left, bits);
    return QByteArray(reinterpret_cast<const char *>(r.data()) + 1, int(r.size()) - 1);
}

// Starts from an empty bus with no wheel open.
inline void resetBus() {
    device::Device::instance().close();
    sim::reset();
}

// A shown window; the caller plugs wheels before or after.
inline std::unique_ptr<TestWindow> makeWindow() {
    auto w = std::make_unique<TestWindow>();
    w->show();
    return w;
}

// True once the window has opened a wheel, identified it and shown the
// inputs page.
inline bool connected(TestWindow &w) {
    return device::Device::instance().isOpen() && w.productId != 0 && w.ui->pbStatus->isHidden() &&
           w.ui->stackedWidget->currentIndex() == 0 && w.eventThread.isRunning();
}

inline bool waiting(TestWindow &w) {
    return !device::Device::instance().isOpen() && w.ui->pbStatus->isVisible() &&
           w.ui->stackedWidget->currentIndex() == 4 && w.timers.retry.isActive();
}

// Plugs `name` in at `pid`, makes a window and waits until it is connected.
inline std::unique_ptr<TestWindow> connectedWindow(const char *name, uint16_t pid = 0x2007) {
    resetBus();
    sim::plug(pid, name);
    auto w = makeWindow();
    if (!QTest::qWaitFor([&] { return connected(*w); }, 5000)) return nullptr;
    QTest::qWait(0);  // let the posted page click and status poll run
    return w;
}

// Answers the next modal dialog with a function of it. Records title and
// text of message boxes.
class ModalAnswerer : public QObject {
public:
    using Answer = std::function<void(QWidget *)>;
    explicit ModalAnswerer(Answer answer) : m_answer(std::move(answer)) {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            QWidget *modal = QApplication::activeModalWidget();
            if (!modal || m_done) return;
            m_done = true;
            if (auto *box = qobject_cast<QMessageBox *>(modal)) {
                m_title = box->windowTitle();
                m_text = box->text();
                m_icon = box->icon();
            }
            m_answer(modal);
        });
        m_timer.start(5);
    }
    bool answered() const { return m_done; }
    QString title() const { return m_title; }
    QString text() const { return m_text; }
    QMessageBox::Icon icon() const { return m_icon; }

private:
    Answer m_answer;
    QTimer m_timer;
    bool m_done = false;
    QString m_title, m_text;
    QMessageBox::Icon m_icon = QMessageBox::NoIcon;
};

// Clicks the given standard button of the next message box.
inline std::unique_ptr<ModalAnswerer> answerBox(QMessageBox::StandardButton which) {
    return std::make_unique<ModalAnswerer>([which](QWidget *modal) {
        if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            if (QAbstractButton *b = box->button(which)) {
                b->click();
                return;
            }
        }
        if (auto *dialog = qobject_cast<QDialog *>(modal)) dialog->reject();
    });
}

// Presses a key in the next modal dialog (Escape, for example).
inline std::unique_ptr<ModalAnswerer> pressKeyInBox(Qt::Key key) {
    return std::make_unique<ModalAnswerer>([key](QWidget *modal) { QTest::keyClick(modal, key); });
}

// Keeps the tests away from the user's real settings and runtime folder
// (the single-instance guard's sockets), for the programs they start too.
inline void isolateSettings() {
    static QTemporaryDir dir;  // mode 0700, as a runtime folder must be
    qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", dir.path().toLocal8Bit());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
}

}  // namespace tu

// QTEST_MAIN with the settings kept in a scratch folder and the images registered.
#define ORVANE_TEST_MAIN(TestClass)                         \
    int main(int argc, char *argv[]) {                      \
        tu::isolateSettings();                              \
        QApplication app(argc, argv);                       \
        orvaneInitResources();                              \
        TestClass test;                                     \
        QTEST_SET_MAIN_SOURCE_PATH                          \
        const int result = QTest::qExec(&test, argc, argv); \
        tu::resetBus();                                     \
        return result;                                      \
    }
