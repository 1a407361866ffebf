// Clearing the wheel's flash against the simulated wheel.
#include "testutil.h"

class ClearFlashTest : public QObject {
    Q_OBJECT

private slots:
    void clearFlash_data() {
        QTest::addColumn<int>("answer");  // 0 Yes, 1 No, 2 Escape
        QTest::newRow("yes") << 0;
        QTest::newRow("no") << 1;
        QTest::newRow("escape") << 2;
    }
    void clearFlash() {
        QFETCH(int, answer);
        auto w = tu::connectedWindow("M-ZEN");
        QVERIFY(w);
        sim::WheelState stored = sim::flash(0x2007);
        stored.paddleValue = 1234;
        sim::setFlash(0x2007, stored);
        sim::clearLog();

        auto question = answer == 2 ? tu::pressKeyInBox(Qt::Key_Escape)
                                    : tu::answerBox(answer == 0 ? QMessageBox::Yes : QMessageBox::No);
        // Whatever box follows the question is answered too, never left open.
        std::unique_ptr<tu::ModalAnswerer> confirmation;
        QTimer follow;
        connect(&follow, &QTimer::timeout, this, [&] {
            if (question->answered() && !confirmation) confirmation = tu::answerBox(QMessageBox::Ok);
        });
        follow.start(1);
        QTimer::singleShot(0, w->button("pbClearFlash"), &QPushButton::click);
        QTRY_VERIFY(confirmation);
        QCOMPARE(question->title(), QString("Notify"));
        QCOMPARE(question->text(), QString("Do you want to continue?\nThis operation will delete all the "
                                           "settings stored in the device flash memory."));
        QCOMPARE(question->icon(), QMessageBox::Question);

        if (answer == 0) {
            QTRY_VERIFY(confirmation->answered());
            QCOMPARE(confirmation->title(), QString("Notify"));
            QCOMPARE(confirmation->text(), QString("Flash data has been cleared."));
            QCOMPARE(confirmation->icon(), QMessageBox::Information);
            const auto sent = tu::commands();
            QCOMPARE(sent.size(), size_t(1));
            QCOMPARE(tu::hex(sent[0]), tu::hex(tu::frame({0x02, 0x0C, 0x10})));
            QCOMPARE(sim::flash(0x2007).paddleValue, uint16_t(5000));
        } else {
            QTest::qWait(60);
            QVERIFY(!confirmation->answered());
            QVERIFY(tu::commands().empty());
            QCOMPARE(sim::flash(0x2007).paddleValue, uint16_t(1234));
        }
    }
};

ORVANE_TEST_MAIN(ClearFlashTest)
#include "test_clearflash.moc"
