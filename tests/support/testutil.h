// The end-to-end tests' fixture (also the benchmarks' and the screenshot
// tool's): a window whose insides may be reached, a simulated wheel to
// connect it to, the frames that wheel received, and modal boxes answered
// from a timer the way a user would.
#pragma once

#include "app/main.h"
#include "app/mainwindow.h"
#include "device/device.h"
#include "framelog.h"
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

// The members the tests and benchmarks read or call, made public.
class TestWindow : public MainWindow {
public:
    using MainWindow::MainWindow;
    using MainWindow::ui, MainWindow::eventThread, MainWindow::upgradeThread, MainWindow::localServer,
        MainWindow::leftMin, MainWindow::rightMin, MainWindow::leftMax, MainWindow::rightMax,
        MainWindow::updateFolder, MainWindow::productId, MainWindow::statusPolling, MainWindow::trayIcon,
        MainWindow::timers;
    using MainWindow::onMinimize, MainWindow::onTrayActivated, MainWindow::onInit,
        MainWindow::onJoystickEvent, MainWindow::onDeviceUpdate, MainWindow::onCalibrate,
        MainWindow::onUpgrade, MainWindow::enterWaitingState, MainWindow::readPaddleRecord,
        MainWindow::readEncoderPulseWidth, MainWindow::readFirmwareVersion, MainWindow::readLedTable;

    QWidget *widget(const char *name) const { return findChild<QWidget *>(QLatin1String(name)); }
    QPushButton *button(const char *name) const { return findChild<QPushButton *>(QLatin1String(name)); }
};

namespace tu {

QByteArray hex(const Bytes &b);
// Frames one per line, for a comparison that shows where they differ.
QString show(const std::vector<Bytes> &frames);
// The data bytes of an input report, as the reader hands them on.
QByteArray payload(uint16_t right, uint16_t left, uint64_t bits);

// An empty bus with no wheel open.
void resetBus();
// An empty bus but for `name` at `pid`, its stored state changed by `change`.
void plugWheel(uint16_t pid, const std::string &name,
               const std::function<void(sim::WheelState &)> &change = {});
// A shown window; the caller plugs wheels before or after.
std::unique_ptr<TestWindow> makeWindow();
// The window has opened a wheel, identified it and reads its input, with no
// retry pending.
bool linked(TestWindow &w);
// Linked, and showing the inputs page.
bool connected(TestWindow &w);
// No wheel open, the waiting page shown and the retry pending.
bool waiting(TestWindow &w);
// Plugs `name` in at `pid`, its stored state changed by `change`, makes a
// window and waits until it is connected.
std::unique_ptr<TestWindow> connectedWindow(const char *name, uint16_t pid = 0x2007,
                                            const std::function<void(sim::WheelState &)> &change = {});

// Answers the next modal dialog with a function of it. Records title, text
// and icon of message boxes.
class ModalAnswerer : public QObject {
public:
    using Answer = std::function<void(QWidget *)>;
    explicit ModalAnswerer(Answer answer);
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
// Clicks the given standard button of a message box (any other dialog is
// rejected); answerBox does so to the next one.
ModalAnswerer::Answer clickOn(QMessageBox::StandardButton which);
std::unique_ptr<ModalAnswerer> answerBox(QMessageBox::StandardButton which);
// Clicks `button` and answers the box it shows with OK: "title: text".
QString clickAnswering(QAbstractButton *button);

// Answers the modal dialogs as they come, with the answers of `script` while
// it lasts, then every message box with Yes where it asks, otherwise OK; keeps
// each box's "title: text". Its own timer arms the next answer, so a box that
// opens inside the wait for the one before is answered too.
class BoxLog : public QObject {
public:
    explicit BoxLog(std::vector<ModalAnswerer::Answer> script = {});
    QStringList said;
    bool claims(const char *pattern) const { return !said.filter(QRegularExpression(pattern)).isEmpty(); }

private:
    std::unique_ptr<ModalAnswerer> next();
    std::vector<ModalAnswerer::Answer> m_script;
    std::unique_ptr<ModalAnswerer> m_box;
    QTimer m_timer;
};

// Writes `data` to `path`, whole: the path, or empty when it could not.
QString writeFile(const QString &path, const QByteArray &data);

// Keeps this program and those it starts away from the user's settings,
// runtime folder (the single-instance guard's sockets) and temporary folder:
// all in one scratch folder, removed at exit. Call before the application.
void isolateSettings();
// QTEST_MAIN's work with the settings isolated and the images registered.
int runTests(int argc, char *argv[], const std::function<std::unique_ptr<QObject>()> &make);

}  // namespace tu

#define ORVANE_TEST_MAIN(TestClass)                                                              \
    int main(int argc, char *argv[]) {                                                           \
        return tu::runTests(argc, argv, [] { return std::unique_ptr<QObject>(new TestClass); }); \
    }
