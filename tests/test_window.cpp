// The window shell and the connection: waiting, losing the wheel and finding
// it again, dragging, the tray, the sidebar and closing; and the protocol
// trace: with the logging rule the README gives users, every frame to and
// from the wheel appears once in hex under orvane.protocol, with it off none.
#include "app/trace.h"
#include "testutil.h"

#include <QElapsedTimer>
#include <QMenu>
#include <QMutex>

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

}  // namespace

class WindowTest : public QObject {
    Q_OBJECT

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
