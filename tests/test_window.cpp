// The window shell and the connection: waiting, losing the wheel and finding
// it again, a wheel attached but not to be opened (no udev rule: the scan of
// a fake sysfs tree and the status dot's hint), dragging, the tray, the
// sidebar and closing; second starts (the single-instance guard, with real
// processes: a second start ends with -17, a crashed instance's name does not
// block the next start, a busy one's is not taken over, programs under other
// names run side by side); and the protocol trace: with the logging rule the
// README gives users, every frame to and from the wheel appears once in hex
// under orvane.protocol, with it off none.
#include "app/trace.h"
#include "device/access.h"
#include "testutil.h"

#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMenu>
#include <QMutex>
#include <QProcess>

#include <unistd.h>

#include <set>

namespace {

void mouse(TestWindow &w, QEvent::Type type, QPointF global, Qt::MouseButton button,
           Qt::MouseButtons buttons) {
    QMouseEvent event(type, w.mapFromGlobal(global), global, button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &event);
}

QMutex lock;
QStringList captured;  // messages of orvane.protocol
QtMessageHandler previous = nullptr;

void capture(QtMsgType type, const QMessageLogContext &context, const QString &text) {
    if (qstrcmp(context.category, "orvane.protocol") != 0) return previous(type, context, text);
    QMutexLocker locked(&lock);
    captured << text;
}

QStringList takeCaptured() {
    QMutexLocker locked(&lock);
    QStringList out = std::exchange(captured, {});
    out.sort();  // the GUI thread and the reader trace side by side
    return out;
}

// The lines the trace must have written for what the simulated wheel saw.
QStringList expectedFromFrameLog() {
    QStringList lines;
    for (const sim::LogEntry &e : sim::frameLog()) {
        const char *kinds[] = {nullptr, nullptr, "send", "get", "write", "read", nullptr};
        const char *kind = kinds[int(e.op)];
        if (!kind || (e.op == sim::Op::Read && e.result <= 0)) continue;
        lines << QString(kind) + (e.bytes.empty() ? "" : ' ' + tu::hex(e.bytes)) + " -> " +
                     QString::number(e.result);
    }
    lines.sort();
    return lines;
}

// A connection, an input report and an LED write failing, traced.
QStringList traceOfAConnection(const char *name) {
    takeCaptured();
    {
        auto w = tu::connectedWindow(name);
        if (!w) return {};
        sim::press(0x2007, 5);
        (void)QTest::qWaitFor([] { return sim::pendingReports(0x2007) == 0; });
        sim::injectFault(sim::Op::Send, 1, sim::Fault::Fail);  // a failure traced too
        w->ui->pbSetR->click();
    }  // the window is gone: its reader has stopped, every trace is written
    return takeCaptured();
}

std::set<std::string> blocked;
bool mayOpen(const std::string &node) { return blocked.count(node) == 0; }

const QString kHint = QString::fromLatin1(device::kNoAccessHint);

// A scan of sys/hidraw0/device/uevent with the given HID_ID, and an empty dev/hidraw0.
device::HidrawScan scanOf(const QTemporaryDir &root, const char *hidId, bool (*check)(const std::string &)) {
    QDir(root.path()).mkpath(QStringLiteral("sys/hidraw0/device"));
    QDir(root.path()).mkpath(QStringLiteral("dev"));
    tu::writeFile(root.filePath(QStringLiteral("sys/hidraw0/device/uevent")),
                  QByteArray("DRIVER=hid-generic\nHID_ID=") + hidId + "\nHID_NAME=Some device\n");
    QFile(root.filePath(QStringLiteral("dev/hidraw0"))).open(QIODevice::WriteOnly);
    return {root.filePath(QStringLiteral("sys")).toStdString(),
            root.filePath(QStringLiteral("dev")).toStdString(), check};
}

struct Process : QProcess {
    explicit Process(const QString &program) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("ORVANE_DEMO_MODEL"), QStringLiteral("NVA4"));
        env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("*.debug=false"));
        setProcessEnvironment(env);
        start(program, {QStringLiteral("--ignored-argument")});
    }
    ~Process() override {
        kill();
        waitForFinished(3000);
    }
    // A start refused because the name is held.
    bool refused() { return waitForFinished(10000) && exitStatus() == NormalExit && exitCode() == 0xEF; }
};

// The fixture points the runtime folder at a private folder of the test's own.
QString guardPath(const QString &name) { return qEnvironmentVariable("XDG_RUNTIME_DIR") + '/' + name; }

bool answers(const QString &name) {
    QLocalSocket socket;
    socket.connectToServer(guardPath(name));
    return socket.waitForConnected(100);
}

bool waitUntilAnswering(const QString &name) {
    return QTest::qWaitFor([&] { return answers(name); }, 10000);
}

}  // namespace

class WindowTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    // A private copy, so that a user's running Orvane never meets the test.
    QString copy(const QString &name) {
        const QString path = dir.filePath(name);
        QFile::copy(QStringLiteral(ORVANE_EXE), path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }

private slots:
    void cleanup() { tu::resetBus(); }

    // Lost: waiting, the pages of a wheel closed, indicators and all, never a
    // message; however often the window looks meanwhile, one retry, 3 s
    // later, finds it again. Then each sidebar button shows its page; closed,
    // no handle is left open and no closed handle was ever used.
    void lostAndFound() {
        auto w = tu::connectedWindow("PQV7", 0x200C);
        QVERIFY(w);
        sim::press(0x200C, 0);
        QTRY_VERIFY(!w->ui->pbIB1->isHidden());
        sim::unplug(0x200C);
        QTRY_VERIFY(tu::waiting(*w) && w->ui->pbS5->isChecked());
        QVERIFY(!QApplication::activeModalWidget() && w->ui->pbIB1->isHidden());
        QCOMPARE(w->ui->lbHead->text(), QStringLiteral("WAITING FOR DEVICE..."));
        for (QPushButton *b : {w->ui->pbS1, w->ui->pbS2, w->ui->pbS3, w->ui->pbS4}) QVERIFY(!b->isEnabled());
        for (int i = 0; i < 3; ++i) w->onInit();
        QElapsedTimer sincePlug;
        sincePlug.start();
        sim::plug(0x200C, "PQV7");
        sim::clearLog();
        QTRY_VERIFY_WITH_TIMEOUT(tu::connected(*w), 4000);
        QVERIFY(sincePlug.elapsed() >= 2500);
        int opens = 0;
        for (const auto &e : sim::frameLog()) opens += e.op == sim::Op::Open && e.productId == 0x200C;
        QCOMPARE(opens, 1);
        sim::press(0x200C, 0);  // held as the wheel went, and hidden with it: shown again
        QTRY_VERIFY(!w->ui->pbIB1->isHidden());

        const QList<QPushButton *> sidebar = {w->ui->pbS1, w->ui->pbS2, w->ui->pbS3, w->ui->pbS4,
                                              w->ui->pbS5};
        for (int page : {2, 4, 1, 3, 0}) {
            sidebar[page]->click();
            QCOMPARE(w->ui->stackedWidget->currentIndex(), page);
            for (QPushButton *b : sidebar) QCOMPARE(b->isChecked(), b == sidebar[page]);
        }
        w->ui->pbClose->click();  // stops the reader, which closes the wheel
        QVERIFY(!w->isVisible() && !device::Device::instance().isOpen());
        QCOMPARE(sim::closedHandleUses() + sim::openHandles(), 0);
    }

    // The left button drags by the top band (1 to 49 px down); each move
    // counts from the last.
    void drag() {
        auto w = tu::makeWindow();
        QPoint expected(100, 100);
        w->move(expected);
        QTRY_COMPARE(w->pos(), expected);
        const std::tuple<int, Qt::MouseButton, bool> presses[] = {
            {0, Qt::LeftButton, false}, {50, Qt::LeftButton, false}, {10, Qt::RightButton, false},
            {1, Qt::LeftButton, true},  {49, Qt::LeftButton, true},
        };
        for (const auto &[dy, button, drags] : presses) {
            const QPointF at = QPointF(expected) + QPointF(300, dy);
            mouse(*w, QEvent::MouseButtonPress, at, button, button);
            mouse(*w, QEvent::MouseMove, at + QPointF(10, 5), Qt::NoButton, Qt::LeftButton);
            mouse(*w, QEvent::MouseMove, at + QPointF(20, -3), Qt::NoButton, Qt::LeftButton);
            mouse(*w, QEvent::MouseButtonRelease, at, button, Qt::NoButton);
            mouse(*w, QEvent::MouseMove, at + QPointF(40, 40), Qt::NoButton, Qt::LeftButton);
            expected += drags ? QPoint(20, -3) : QPoint();
            QTRY_COMPARE(w->pos(), expected);
        }
    }

    // Minimised to the tray; a double click brings the window back half a
    // second later, a single click or the context menu's click do not.
    void tray() {
        auto w = tu::makeWindow();
        auto *tray = w->findChild<QSystemTrayIcon *>();
        w->onMinimize();
        QVERIFY(w->isHidden() && tray->isVisible());
        w->onTrayActivated(QSystemTrayIcon::Trigger);
        w->onTrayActivated(QSystemTrayIcon::Context);
        QVERIFY(!QTest::qWaitFor([&] { return w->isVisible(); }, 700));
        QElapsedTimer sinceClick;
        sinceClick.start();
        w->onTrayActivated(QSystemTrayIcon::DoubleClick);
        QTRY_VERIFY_WITH_TIMEOUT(w->isVisible(), 2000);
        QVERIFY(sinceClick.elapsed() >= 450 && !tray->isVisible());
        w->onMinimize();
        tray->contextMenu()->actions().value(0)->trigger();  // "Restore"
        QVERIFY(w->isVisible() && !tray->isVisible());
    }

    // Only a wheel (on USB or paired over Bluetooth) that may not be opened counts.
    void onlyABlockedWheelCounts_data() {
        QTest::addColumn<QByteArray>("hidId");
        QTest::addColumn<bool>("wheel");
        QTest::newRow("wheel on USB") << QByteArray("0003:0000C872:0000200A") << true;
        QTest::newRow("wheel over Bluetooth") << QByteArray("0005:0000C872:00002007") << true;
        QTest::newRow("mouse receiver") << QByteArray("0003:0000046D:0000C52B") << false;
        QTest::newRow("the maker's, not a wheel") << QByteArray("0003:0000C872:00002006") << false;
        QTest::newRow("another maker's, a wheel's ID") << QByteArray("0003:0000046D:00002007") << false;
        QTest::newRow("another bus") << QByteArray("0001:0000C872:00002007") << false;
    }
    void onlyABlockedWheelCounts() {
        QFETCH(QByteArray, hidId);
        QFETCH(bool, wheel);
        QTemporaryDir root;
        device::HidrawScan scan = scanOf(root, hidId.constData(), &mayOpen);
        QVERIFY(!device::wheelFoundWithoutAccess(scan));  // it may be opened
        blocked = {scan.dev + "/hidraw0"};
        QCOMPARE(device::wheelFoundWithoutAccess(scan), wheel);
        blocked.clear();
        scan.sysfs += "/missing";
        QVERIFY(!device::wheelFoundWithoutAccess(scan));
    }

    void asksTheSystemByDefault() {
        QTemporaryDir root;
        const device::HidrawScan scan = scanOf(root, "0003:0000C872:00002007", nullptr);
        QVERIFY(!device::wheelFoundWithoutAccess(scan));  // a plain file of ours
        QFile node(root.filePath(QStringLiteral("dev/hidraw0")));
        QVERIFY(node.setPermissions(QFileDevice::Permissions()));
        // Root opens anything, so only an ordinary user sees the refusal.
        QCOMPARE(device::wheelFoundWithoutAccess(scan), ::geteuid() != 0);
        QVERIFY(node.remove());
        QVERIFY(!device::wheelFoundWithoutAccess(scan));  // no node: no permission problem
    }

    // The hint shows while the wheel is blocked, logged once, and goes with
    // the first retry after the rule is in.
    void waitingWindowNamesTheRule() {
        QTemporaryDir root;
        device::waitingScan() = scanOf(root, "0003:0000C872:00002009", &mayOpen);
        blocked = {device::waitingScan().dev + "/hidraw0"};
        tu::resetBus();
        static int logged = 0;
        QLoggingCategory::defaultCategory()->setEnabled(QtDebugMsg, true);
        const QtMessageHandler previous = qInstallMessageHandler(
            [](QtMsgType, const QMessageLogContext &, const QString &text) { logged += text == kHint; });

        auto w = tu::makeWindow();
        QTRY_VERIFY(tu::waiting(*w));
        QCOMPARE(w->ui->pbStatus->toolTip(), kHint);
        QVERIFY(!QApplication::activeModalWidget());
        w->enterWaitingState();
        QCOMPARE(w->ui->pbStatus->toolTip(), kHint);
        QCOMPARE(logged, 1);
        blocked.clear();
        w->enterWaitingState();
        QVERIFY(w->ui->pbStatus->toolTip().isEmpty());
        qInstallMessageHandler(previous);
        QLoggingCategory::defaultCategory()->setEnabled(QtDebugMsg, false);

        sim::plug(0x2009, "M-ZEN");
        w->onInit();  // the retry, without waiting for it
        QTRY_VERIFY(tu::connected(*w));
        device::waitingScan() = device::HidrawScan();
    }

    void secondStartsAndCrashes() {
        const QString name = QStringLiteral("orvane-guard-test"), exe = copy(name);
        // Another account's server under the name in the shared temporary folder.
        QLocalServer squatter;
        squatter.setSocketOptions(QLocalServer::WorldAccessOption);
        QVERIFY(squatter.listen(QDir::tempPath() + '/' + name));
        {
            Process first(exe);
            QVERIFY(waitUntilAnswering(name));
            // Only this user may reach the server.
            const QFile::Permissions p = QFileInfo(guardPath(name)).permissions();
            QVERIFY(!(p & (QFile::ReadOther | QFile::WriteOther | QFile::ReadGroup | QFile::WriteGroup)));
            QVERIFY(Process(exe).refused());
            QCOMPARE(first.state(), QProcess::Running);
        }                         // killed, with no chance to clean up, as in a crash
        QVERIFY(!answers(name));  // only a stale name is left
        Process next(exe);
        QVERIFY(waitUntilAnswering(name));
        // A program under another name, the demo with its simulated wheel, runs beside it.
        Process demo(QStringLiteral(ORVANE_DEMO_EXE));
        QVERIFY(waitUntilAnswering(QFileInfo(QStringLiteral(ORVANE_DEMO_EXE)).fileName()));
        QVERIFY(next.state() == QProcess::Running && demo.state() == QProcess::Running);
    }

    // An instance too busy to take the probe's connection in time keeps its name.
    void busyInstanceKeepsItsName() {
        QLocalServer busy;
        busy.setMaxPendingConnections(0);  // takes nothing: the system's queue fills
        busy.setListenBacklogSize(0);
        QVERIFY(busy.listen(guardPath(QStringLiteral("orvane-busy-test"))));
        QLocalSocket queued;
        queued.connectToServer(busy.fullServerName());
        QVERIFY(queued.waitForConnected(1000));
        QVERIFY(Process(copy(QStringLiteral("orvane-busy-test"))).refused());
    }

    // Every start's connection is taken and closed: left pending, they fill
    // the server's queue and later starts find no answer.
    void everyConnectionBringsTheWindowBack() {
        auto w = tu::makeWindow();
        const QString path = guardPath(QCoreApplication::applicationName());
        QCOMPARE(w->localServer.fullServerName(), path);
        for (int i = 0; i < 100; ++i) {
            w->onMinimize();
            QLocalSocket start;
            start.connectToServer(path);
            QVERIFY2(start.waitForConnected(1000), qPrintable(QString::number(i)));
            QTRY_VERIFY(w->isVisible() && !w->trayIcon->isVisible());
            QVERIFY(!w->localServer.hasPendingConnections());
        }
    }

    void initTestCase() { previous = qInstallMessageHandler(capture); }
    void cleanupTestCase() { qInstallMessageHandler(previous); }

    void protocolTrace() {
        const QStringList got = traceOfAConnection("M-ZEN");
        QCOMPARE(got, expectedFromFrameLog());
        QCOMPARE(got.filter(" -> -1").size(), 1);
        QVERIFY(got.contains("send 02 0b 0d 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 -> 20"));

        const_cast<QLoggingCategory &>(lcProtocol()).setEnabled(QtDebugMsg, false);
        QCOMPARE(traceOfAConnection("NVA4"), QStringList());
        QVERIFY(!sim::frameLog().empty());
    }
};

// The rule, as a user sets it, is read when the application starts.
int main(int argc, char *argv[]) {
    qputenv("QT_LOGGING_RULES", "*.debug=false;orvane.protocol.debug=true");
    tu::isolateSettings();
    QApplication app(argc, argv);
    WindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_window.moc"
