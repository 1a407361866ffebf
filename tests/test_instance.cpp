// The single-instance guard: every start brings the window back; with real
// processes, a second start ends with -17, a crashed instance's name does not
// block the next start, a busy one's is not taken over, and programs under
// other names run side by side.
#include "testutil.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>

namespace {

struct Process : QProcess {
    explicit Process(const QString &program) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("ORVANE_DEMO_MODEL"), QStringLiteral("NVA4"));
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

class InstanceTest : public QObject {
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
};

ORVANE_TEST_MAIN(InstanceTest)
#include "test_instance.moc"
