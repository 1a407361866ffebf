// The protocol trace: with the logging rule on, every frame to and from the
// wheel appears once in hex under orvane.protocol; with it off, none does.
#include "app/trace.h"
#include "testutil.h"

#include <QMutex>

namespace {

QMutex capturedLock;
QStringList captured;  // messages of the orvane.protocol category
QtMessageHandler previousHandler = nullptr;

void capture(QtMsgType type, const QMessageLogContext &context, const QString &text) {
    if (context.category && QLatin1String(context.category) == QLatin1String("orvane.protocol")) {
        QMutexLocker lock(&capturedLock);
        captured << text;
        return;
    }
    previousHandler(type, context, text);
}

void setTraceEnabled(bool on) { const_cast<QLoggingCategory &>(lcProtocol()).setEnabled(QtDebugMsg, on); }

QStringList takeCaptured() {
    QMutexLocker lock(&capturedLock);
    return std::exchange(captured, {});
}

// The lines the trace must have written for what the simulated wheel saw.
QStringList expectedFromFrameLog() {
    QStringList lines;
    for (const sim::LogEntry &e : sim::frameLog()) {
        const char *kind = e.op == sim::Op::Send    ? "send"
                           : e.op == sim::Op::Get   ? "get"
                           : e.op == sim::Op::Write ? "write"
                           : e.op == sim::Op::Read  ? "read"
                                                    : nullptr;
        if (!kind || (e.op == sim::Op::Read && e.result <= 0)) continue;
        QString line = QLatin1String(kind);
        if (!e.bytes.empty()) line += QLatin1Char(' ') + QString::fromLatin1(tu::hex(e.bytes));
        lines << line + QStringLiteral(" -> ") + QString::number(e.result);
    }
    return lines;
}

}  // namespace

class TraceTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { previousHandler = qInstallMessageHandler(capture); }
    void cleanupTestCase() { qInstallMessageHandler(previousHandler); }

    void everyFrameOnceInHex() {
        QVERIFY(lcProtocol().isDebugEnabled());
        takeCaptured();
        {
            auto w = tu::connectedWindow("M-ZEN");
            QVERIFY(w);
            // An input report, and an LED block as an output report.
            sim::press(0x2007, 5);
            QTRY_COMPARE(sim::pendingReports(0x2007), size_t(0));
            w->writeLedTable(false);
        }  // the window is gone: its reader has stopped, every trace is written

        QStringList got = takeCaptured();
        QStringList expected = expectedFromFrameLog();
        // The GUI thread and the reader trace side by side; compare as multisets.
        got.sort();
        expected.sort();
        QCOMPARE(got, expected);

        const QString identity =
            QStringLiteral("send 02 0b 0d 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 -> 20");
        QVERIFY(got.contains(identity));
        QVERIFY(std::any_of(got.begin(), got.end(), [](const QString &l) {
            return l.startsWith(QLatin1String("get 02 0d 4d 2d 5a 45 4e 00")) &&
                   l.endsWith(QLatin1String(" -> 21"));
        }));
        // Input 5 is bit 5 of byte 5 of the report.
        QVERIFY(std::any_of(got.begin(), got.end(), [](const QString &l) {
            return l.startsWith(QLatin1String("read 01 ")) && l.endsWith(QLatin1String(" -> 17")) &&
                   l.mid(5, 3 * 17 - 1).split(QLatin1Char(' ')).value(5) == QLatin1String("20");
        }));
        QVERIFY(std::any_of(got.begin(), got.end(),
                            [](const QString &l) { return l.startsWith(QLatin1String("write 03 00 ")); }));
    }

    void silentWhenOff() {
        setTraceEnabled(false);
        takeCaptured();
        {
            auto w = tu::connectedWindow("NVA4");
            QVERIFY(w);
            sim::press(0x2007, 1);
            QTRY_COMPARE(sim::pendingReports(0x2007), size_t(0));
        }
        setTraceEnabled(true);
        QVERIFY(!sim::frameLog().empty());
        QCOMPARE(takeCaptured(), QStringList());
    }

    void failedCallsKeepTheirResult() {
        const uint8_t frame[3] = {0x02, 0x0c, 0x08};
        QCOMPARE(protocolTraceLine(device::TraceKind::Send, frame, 3, -1),
                 QStringLiteral("send 02 0c 08 -> -1"));
        QCOMPARE(protocolTraceLine(device::TraceKind::Get, frame, 0, -1), QStringLiteral("get -> -1"));
    }
};

// The rule the README gives users (the rest kept quiet); read when the application starts.
int main(int argc, char *argv[]) {
    qputenv("QT_LOGGING_RULES", "*.debug=false;orvane.protocol.debug=true");
    tu::isolateSettings();
    QApplication app(argc, argv);
    orvaneInitResources();
    TraceTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    const int result = QTest::qExec(&test, argc, argv);
    tu::resetBus();
    return result;
}

#include "test_trace.moc"
