// Binding a rotary encoder to the bite point, driven by input reports from the
// simulated wheel through the real reader thread.
#include "inputs/inputmap.h"
#include "testutil.h"

#include <QSettings>

namespace {

constexpr uint16_t kPid = 0x2007;

QSettings store() { return QSettings(QStringLiteral("Tarnwell"), QStringLiteral("Orvane")); }

// One detent: the input goes on and off again, as an encoder reports it.
void turn(TestWindow &w, int input, uint16_t pid = kPid) {
    QWidget *indicator = w.widget(inputs::kIndicatorNames[size_t(input)]);
    sim::press(pid, input);
    QTRY_COMPARE(indicator->statusTip(), QStringLiteral("SHOW"));
    sim::release(pid, input);
    QTRY_COMPARE(indicator->statusTip(), QStringLiteral("HIDE"));
}

int paddleRecordsSent() {
    const auto frames = tu::commands();
    return int(std::count_if(frames.begin(), frames.end(), [](const tu::Bytes &f) { return f[1] == 0x0A; }));
}

}  // namespace

class EncoderTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        // Test mode sends QSettings to ~/.qttest whatever XDG_CONFIG_HOME says;
        // keep the store in the scratch folder.
        const QString scratch = QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME"));
        QVERIFY(!scratch.isEmpty());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, scratch);
        QSettings s = store();
        s.setValue(QStringLiteral("probe"), 1);
        s.sync();
        QVERIFY2(s.fileName().startsWith(scratch) && QFile::exists(s.fileName()), qPrintable(s.fileName()));
    }

    void init() {
        QSettings s = store();
        s.clear();
        s.sync();
    }

    void bindsByLowestReleasedEncoderInput() {
        auto w = tu::connectedWindow("M-ZEN", kPid);
        QVERIFY(w);
        QCOMPARE(w->ui->pbEncoder->text(), QStringLiteral("ASSIGN ROTARY ENCODER"));
        w->ui->pbEncoder->click();
        w->ui->pbEncoder->click();  // while waiting it stays waiting
        QCOMPARE(w->encoderBindState, 1);
        QCOMPARE(w->ui->pbEncoder->text(), QStringLiteral("ROTATE ONE ENCODER TO BIND BITEPOINT"));
        QVERIFY(w->ui->pbEncoder->isChecked());

        // 6 and 13 released by one report: 6 is the lowest and binds nothing.
        sim::clearLog();
        sim::press(kPid, 6);
        sim::press(kPid, 13);
        QTRY_COMPARE(w->widget("pbJsLL")->statusTip(), QStringLiteral("SHOW"));
        std::vector<uint8_t> idle(17, 0);
        idle[0] = 0x01;
        sim::sendRawReport(kPid, idle);
        QTRY_COMPARE(w->widget("pbJsLL")->statusTip(), QStringLiteral("HIDE"));
        QCOMPARE(w->encoderBindState, 1);
        QCOMPARE(paddleRecordsSent(), 0);

        // The wheel lets 6 go first, then 13 alone: the pair 13/14 is bound.
        sim::release(kPid, 6);
        sim::release(kPid, 13);
        QTRY_COMPARE(w->encoderBindState, 2);
        QCOMPARE(int(w->encoderUpInput), 14);
        QCOMPARE(int(w->encoderDownInput), 13);
        QCOMPARE(w->ui->pbEncoder->text(), QStringLiteral("CLEAR BIND ENCODER"));
        QVERIFY(!w->ui->pbEncoder->isChecked());
        QCOMPARE(store().value(QStringLiteral("M-ZEN_ENCODER1")).toInt(), 14);
        QCOMPARE(store().value(QStringLiteral("M-ZEN_ENCODER2")).toInt(), 13);
        QCOMPARE(tu::hex(tu::commands().back()),  // applied, not stored
                 tu::hex(tu::frame({0x02, 0x0A, 0x88, 0x13, 0x00, 0x00, 0x10, 0x00, 0x10})));

        // Either direction of an encoder binds the pair the same way.
        for (int input : {3, 2}) {
            w->ui->pbEncoder->click();  // clear
            QCOMPARE(w->encoderBindState, 0);
            QVERIFY(!store().contains(QStringLiteral("M-ZEN_ENCODER1")));
            QVERIFY(!store().contains(QStringLiteral("M-ZEN_ENCODER2")));
            w->ui->pbEncoder->click();
            turn(*w, input);
            QCOMPARE(w->encoderBindState, 2);
            QCOMPARE(int(w->encoderUpInput), 3);
            QCOMPARE(int(w->encoderDownInput), 2);
        }
    }

    void stepsBitePointWithinSlider() {
        QSettings s = store();
        s.setValue(QStringLiteral("M-ZEN_ENCODER1"), 3);
        s.setValue(QStringLiteral("M-ZEN_ENCODER2"), 2);
        s.sync();
        auto w = tu::connectedWindow("M-ZEN", kPid);
        QVERIFY(w);
        QCOMPARE(w->encoderBindState, 2);
        QSlider *bite = w->ui->hsBite;

        bite->setValue(9999);
        sim::clearLog();
        turn(*w, 3);
        QCOMPARE(bite->value(), 10000);
        QCOMPARE(w->ui->lbBite->text(), QStringLiteral("100.00%"));
        QCOMPARE(tu::hex(tu::commands().back()),
                 tu::hex(tu::frame({0x02, 0x0A, 0x10, 0x27, 0x00, 0x00, 0x10, 0x00, 0x10})));
        turn(*w, 3);  // at the end: no move, the record still goes out
        QCOMPARE(bite->value(), 10000);
        turn(*w, 2);
        QCOMPARE(bite->value(), 9999);
        bite->setValue(0);
        turn(*w, 2);
        QCOMPARE(bite->value(), 0);
        QCOMPARE(paddleRecordsSent(), 4);
        QCOMPARE(sim::flash(kPid).paddleValue, uint16_t(5000));  // live only
    }

    void oneKeyMissingRestoresNothing() {
        QSettings s = store();
        s.setValue(QStringLiteral("M-ZEN_ENCODER1"), 3);
        s.sync();
        auto w = tu::connectedWindow("M-ZEN", kPid);
        QVERIFY(w);
        QCOMPARE(w->encoderBindState, 0);
        turn(*w, 3);
        QCOMPARE(w->ui->hsBite->value(), 5000);
    }

    void bindingsArePerWheelName() {
        auto w = tu::connectedWindow("M-ZEN A", 0x2007);
        QVERIFY(w);
        w->ui->pbEncoder->click();
        turn(*w, 3, 0x2007);
        QCOMPARE(w->encoderBindState, 2);

        // Another wheel in the same run: no binding of its own, so none shown.
        sim::unplug(0x2007);
        sim::plug(0x2008, "M-ZEN B");
        QTRY_VERIFY(tu::connected(*w) && w->deviceName == QStringLiteral("M-ZEN B"));
        QCOMPARE(w->encoderBindState, 0);
        QCOMPARE(w->ui->pbEncoder->text(), QStringLiteral("ASSIGN ROTARY ENCODER"));
        w->ui->pbEncoder->click();
        turn(*w, 46, 0x2008);
        QCOMPARE(w->encoderBindState, 2);

        sim::unplug(0x2008);
        sim::plug(0x2007, "M-ZEN A");
        QTRY_VERIFY(tu::connected(*w) && w->deviceName == QStringLiteral("M-ZEN A"));
        QCOMPARE(w->encoderBindState, 2);
        QCOMPARE(int(w->encoderUpInput), 3);
        QCOMPARE(int(w->encoderDownInput), 2);

        // Clearing forgets only the connected wheel's binding.
        w->ui->pbEncoder->click();
        QSettings s = store();
        QVERIFY(!s.contains(QStringLiteral("M-ZEN A_ENCODER1")) &&
                !s.contains(QStringLiteral("M-ZEN A_ENCODER2")));
        QCOMPARE(s.value(QStringLiteral("M-ZEN B_ENCODER1")).toInt(), 46);
        QCOMPARE(s.value(QStringLiteral("M-ZEN B_ENCODER2")).toInt(), 45);
    }
};

ORVANE_TEST_MAIN(EncoderTest)
#include "test_encoder.moc"
