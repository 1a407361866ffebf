// The window shell and the connection: waiting, connecting, losing the wheel
// and finding it again, dragging, the tray, the sidebar and closing.
#include "testutil.h"

#include <QMenu>
#include <QSignalSpy>
#include <QSystemTrayIcon>

namespace {

// Straight to the handlers: the event path would round fractional positions.
void sendMouse(TestWindow *w, QEvent::Type type, QPointF global, Qt::MouseButton button,
               Qt::MouseButtons buttons) {
    QMouseEvent event(type, w->mapFromGlobal(global), global, button, buttons, Qt::NoModifier);
    if (type == QEvent::MouseButtonPress) w->mousePressEvent(&event);
    else if (type == QEvent::MouseMove) w->mouseMoveEvent(&event);
    else w->mouseReleaseEvent(&event);
}

}  // namespace

class WindowTest : public QObject {
    Q_OBJECT

private slots:
    void init() { tu::resetBus(); }
    void cleanup() { tu::resetBus(); }

    void waitingStateWithoutWheel() {
        auto w = tu::makeWindow();
        QTRY_VERIFY(tu::waiting(*w));
        QCOMPARE(w->ui->lbHead->text(), QStringLiteral("WAITING FOR DEVICE..."));
        QCOMPARE(w->ui->lbMain->styleSheet(), QStringLiteral("border-image:"));
        for (QPushButton *b : {w->ui->pbS1, w->ui->pbS2, w->ui->pbS3, w->ui->pbS4}) QVERIFY(!b->isEnabled());
        QVERIFY(w->ui->pbS5->isChecked());
        QVERIFY(w->ui->lbVersion->isHidden() && w->ui->hsTrigger->isHidden() && w->ui->pbCalL->isHidden());
        QVERIFY(w->ui->pbIB1->isHidden());
        QCOMPARE(w->ui->lbCurVer->text(), QStringLiteral("Orvane Version: v1.25"));
        QVERIFY(!w->trayIcon->isVisible());
        QCOMPARE(w->productId, 0);
    }

    void connectsToTheFirstProductIdInOrder() {
        sim::plug(0x2009, "NVA4");
        sim::plug(0x2007, "M-ZEN");
        auto w = tu::makeWindow();
        QTRY_VERIFY(tu::connected(*w));
        QCOMPARE(w->productId, 0x2007);
        QCOMPARE(w->deviceName, QStringLiteral("M-ZEN"));
        QCOMPARE(w->ui->lbHead->text(), QStringLiteral("TARNWELL M-ZEN"));
        QVERIFY(w->ui->pbStatus->isHidden());
        QVERIFY(w->ui->pbS1->isEnabled() && w->ui->pbS1->isChecked());
    }

    void unplugGoesBackToWaitingAndReplugReconnects() {
        auto w = tu::connectedWindow("PQV7", 0x200C);
        QVERIFY(w);
        QSignalSpy lost(&w->eventThread, &TarnEvent::deviceDisconnect);
        sim::unplug(0x200C);
        QTRY_VERIFY(tu::waiting(*w));
        QVERIFY(!QApplication::activeModalWidget());  // never a message for a lost wheel

        sim::plug(0x200C, "PQV7");
        QTRY_VERIFY_WITH_TIMEOUT(tu::connected(*w), 5000);  // the next retry, at most 3 s later
        QCOMPARE(lost.count(), 1);
        QCOMPARE(sim::closedHandleUses(), 0);
    }

    // An identity answer that names no wheel counts as none: waiting. However
    // often the wheel is lost meanwhile, one retry, 3 s later, finds it.
    void oneRetryFindsTheWheel() {
        sim::plug(0x2007, "M-ZEN");
        sim::injectFault(sim::Op::Get, 1, sim::Fault::Garbage, 1);
        auto w = tu::makeWindow();
        QTRY_VERIFY(tu::waiting(*w) && sim::pendingFaults() == 0);
        sim::unplug(0x2007);
        for (int i = 0; i < 3; ++i) QMetaObject::invokeMethod(w.get(), "onInit", Qt::QueuedConnection);
        QTest::qWait(50);
        sim::plug(0x2007, "M-ZEN");
        sim::clearLog();
        QTest::qWait(2000);
        QVERIFY(tu::waiting(*w));
        QTRY_VERIFY_WITH_TIMEOUT(tu::connected(*w), 3000);
        QTest::qWait(100);
        int opens = 0;
        for (const auto &e : sim::frameLog()) opens += e.op == sim::Op::Open;
        QCOMPARE(opens, 1);
        QCOMPARE(w->ui->lbHead->text(), QStringLiteral("TARNWELL M-ZEN"));
    }

    void dragBand() {
        auto w = tu::makeWindow();
        w->setWindowFlags(Qt::FramelessWindowHint);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        w->move(100, 100);
        QTRY_COMPARE(w->pos(), QPoint(100, 100));
        QTest::qWait(20);
        const QPointF top(w->x() + 300, w->y());
        const QPointF marker(2147483647.0, 2147483647.0);
        for (int dy : {0, 50, 120}) {
            sendMouse(w.get(), QEvent::MouseButtonPress, top + QPointF(0, dy), Qt::LeftButton,
                      Qt::LeftButton);
            QCOMPARE(w->dragOrigin, marker);
        }
        for (int dy : {1, 49}) {
            sendMouse(w.get(), QEvent::MouseButtonPress, top + QPointF(850 - 300, dy), Qt::LeftButton,
                      Qt::LeftButton);
            QCOMPARE(w->dragOrigin, top + QPointF(550, dy));
        }
        // Two moves add up; fractions are cut toward zero at each step.
        const QPoint start = w->pos();
        const QPointF origin = w->dragOrigin;
        sendMouse(w.get(), QEvent::MouseMove, origin + QPointF(10.7, 5.2), Qt::NoButton, Qt::LeftButton);
        sendMouse(w.get(), QEvent::MouseMove, origin + QPointF(20.9, -3.5), Qt::NoButton, Qt::LeftButton);
        QTRY_COMPARE(w->pos(), start + QPoint(10 + 10, 5 - 8));
        sendMouse(w.get(), QEvent::MouseButtonRelease, origin, Qt::LeftButton, Qt::NoButton);
        QCOMPARE(w->dragOrigin, marker);

        // The right button never moves the window, inside the band or not.
        const QPoint before = w->pos();
        sendMouse(w.get(), QEvent::MouseButtonPress, top + QPointF(0, 10), Qt::RightButton, Qt::RightButton);
        QCOMPARE(w->dragOrigin, marker);
        sendMouse(w.get(), QEvent::MouseMove, top + QPointF(40, 40), Qt::NoButton, Qt::RightButton);
        QCOMPARE(w->pos(), before);
    }

    void trayMinimiseAndRestore() {
        auto w = tu::makeWindow();
        w->onMinimize();
        QVERIFY(w->isHidden());
        QVERIFY(w->trayIcon->isVisible());
        w->onTrayActivated(QSystemTrayIcon::Trigger);
        w->onTrayActivated(QSystemTrayIcon::Context);
        QTest::qWait(700);
        QVERIFY(w->isHidden());
        w->onTrayActivated(QSystemTrayIcon::DoubleClick);
        QTest::qWait(300);
        QVERIFY(w->isHidden());  // half a second later, not at once
        QTRY_VERIFY(w->isVisible());
        QVERIFY(!w->trayIcon->isVisible());

        w->onMinimize();
        QAction *restore = w->trayIcon->contextMenu()->actions().value(0);
        QVERIFY(restore);
        QCOMPARE(restore->text(), QStringLiteral("Restore"));
        restore->trigger();
        QVERIFY(w->isVisible());
        QVERIFY(!w->trayIcon->isVisible());
    }

    void secondStartBringsTheWindowBack() {
        auto w = tu::makeWindow();
        QVERIFY(w->localServer.isListening());
        w->onMinimize();
        QVERIFY(instanceRunning());
        QTRY_VERIFY(w->isVisible());
        QVERIFY(!w->trayIcon->isVisible());
    }

    void sidebar() {
        auto w = tu::connectedWindow("M-ZEN");
        QVERIFY(w);
        w->ui->pbS3->click();
        QCOMPARE(w->ui->stackedWidget->currentIndex(), 2);
        QVERIFY(w->ui->pbS3->isChecked() && !w->ui->pbS1->isChecked());
        w->ui->pbS4->click();
        QCOMPARE(w->ui->stackedWidget->currentIndex(), 3);
        w->ui->pbS5->click();
        QCOMPARE(w->ui->stackedWidget->currentIndex(), 4);

        // A button whose name has no digit at index 3 unchecks all and stays put.
        QPushButton stray(QStringLiteral("x"));
        stray.setObjectName(QStringLiteral("pbSx"));
        QObject::connect(&stray, SIGNAL(clicked(bool)), w.get(), SLOT(onSidebar()));
        stray.click();
        QCOMPARE(w->ui->stackedWidget->currentIndex(), 4);
        for (QPushButton *b : {w->ui->pbS1, w->ui->pbS2, w->ui->pbS3, w->ui->pbS4, w->ui->pbS5})
            QVERIFY(!b->isChecked());
    }

    void closeStopsTheReader() {
        auto w = tu::connectedWindow("M-ZEN");
        QVERIFY(w);
        QSignalSpy lost(&w->eventThread, &TarnEvent::deviceDisconnect);
        w->onClose();
        QVERIFY(!w->eventThread.isRunning());
        QVERIFY(!device::Device::instance().isOpen());
        QVERIFY(!w->isVisible());
        QCOMPARE(lost.count(), 0);
        QCOMPARE(sim::closedHandleUses(), 0);
        QCOMPARE(sim::openHandles(), 0);
    }
};

ORVANE_TEST_MAIN(WindowTest)
#include "test_window.moc"
