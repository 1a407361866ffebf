// The single-instance guard: every start brings the window back; with real
// processes, a second start ends with -17, a crashed instance's name does not
// block the next start, a busy one's is not taken over, and copies under
// other names run side by side.
#include "testutil.h"

#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>

namespace {

struct Process {
    QProcess process;
    explicit Process(const QString &program) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(env);
        process.setProgram(program);
        process.setArguments({QStringLiteral("--ignored-argument")});
        process.start();
    }
    ~Process() {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(3000);
        }
    }
};

// In the runtime folder the test's main points at a private folder of its own.
QString guardPath(const QString &name) {
    return qEnvironmentVariable("XDG_RUNTIME_DIR") + QLatin1Char('/') + name;
}

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
        QFile::remove(path);
        if (!QFile::copy(QStringLiteral(ORVANE_EXE), path)) return {};
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }

private slots:
    void secondStartExitsWithMinus17() {
        const QString exe = copy(QStringLiteral("orvane-guard-test"));
        QVERIFY(!exe.isEmpty());
        // Another account's server under the name in the shared temporary folder.
        QLocalServer squatter;
        squatter.setSocketOptions(QLocalServer::WorldAccessOption);
        QVERIFY(squatter.listen(QDir::tempPath() + QStringLiteral("/orvane-guard-test")));
        Process first(exe);
        QVERIFY(waitUntilAnswering(QStringLiteral("orvane-guard-test")));
        Process second(exe);
        QVERIFY(second.process.waitForFinished(10000));
        QCOMPARE(second.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.process.exitCode(), (-17) & 0xFF);
        QCOMPARE(first.process.state(), QProcess::Running);

#ifdef Q_OS_UNIX
        // Only this user may reach the server.
        const QFile::Permissions p = QFileInfo(guardPath(QStringLiteral("orvane-guard-test"))).permissions();
        QVERIFY(p & QFile::WriteOwner);
        QVERIFY(!(p & (QFile::ReadOther | QFile::WriteOther | QFile::ReadGroup | QFile::WriteGroup)));
#endif
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

#ifdef Q_OS_UNIX
    // An instance too busy to take the probe's connection in time keeps its name.
    void busyInstanceKeepsItsName() {
        const QString exe = copy(QStringLiteral("orvane-busy-test"));
        QLocalServer busy;
        busy.setMaxPendingConnections(0);  // takes nothing: the system's queue fills
        busy.setListenBacklogSize(0);
        QVERIFY(busy.listen(guardPath(QStringLiteral("orvane-busy-test"))));
        QLocalSocket queued;
        queued.connectToServer(busy.fullServerName());
        QVERIFY(queued.waitForConnected(1000));
        Process newcomer(exe);
        QVERIFY(newcomer.process.waitForFinished(10000));
        QCOMPARE(newcomer.process.exitCode(), (-17) & 0xFF);
    }
#endif

    void crashedInstanceDoesNotBlockTheNext() {
        const QString exe = copy(QStringLiteral("orvane-crash-test"));
        {
            Process crashed(exe);
            QVERIFY(waitUntilAnswering(QStringLiteral("orvane-crash-test")));
            crashed.process.kill();  // no chance to clean up, as in a crash
            QVERIFY(crashed.process.waitForFinished(5000));
        }
        QVERIFY(!answers(QStringLiteral("orvane-crash-test")));  // only a stale name is left
        Process next(exe);
        QVERIFY(waitUntilAnswering(QStringLiteral("orvane-crash-test")));
        QCOMPARE(next.process.state(), QProcess::Running);
        Process third(exe);
        QVERIFY(third.process.waitForFinished(10000));
        QCOMPARE(third.process.exitCode(), (-17) & 0xFF);
    }

    void differentlyNamedCopiesBothRun() {
        const QString a = copy(QStringLiteral("orvane-name-a"));
        const QString b = copy(QStringLiteral("orvane-name-b"));
        Process first(a);
        Process second(b);
        QVERIFY(waitUntilAnswering(QStringLiteral("orvane-name-a")));
        QVERIFY(waitUntilAnswering(QStringLiteral("orvane-name-b")));
        QCOMPARE(first.process.state(), QProcess::Running);
        QCOMPARE(second.process.state(), QProcess::Running);
    }

    void demoStartsWithASimulatedWheel() {
        QProcess demo;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("ORVANE_DEMO_MODEL"), QStringLiteral("NVA4"));
        demo.setProcessEnvironment(env);
        demo.start(QStringLiteral(ORVANE_DEMO_EXE), {});
        QVERIFY(demo.waitForStarted(5000));
        QVERIFY(waitUntilAnswering(QFileInfo(QStringLiteral(ORVANE_DEMO_EXE)).fileName()));
        QTest::qWait(500);
        QCOMPARE(demo.state(), QProcess::Running);
        demo.kill();
        demo.waitForFinished(3000);
    }
};

ORVANE_TEST_MAIN(InstanceTest)
#include "test_instance.moc"
