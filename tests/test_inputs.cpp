// The inputs page: input reports lighting the indicators the input map names,
// the paddle bars, a rotary encoder bound to the bite point, and live frames
// that look like a paint from scratch.
#include "inputs/inputmap.h"
#include "testutil.h"

namespace {

constexpr uint16_t kPid = 0x2007;
using tu::payload;

QStringList lit(TestWindow &w) {
    QStringList s;
    for (const char *name : inputs::kIndicatorNames)
        if (!w.findChild<QWidget *>(name)->isHidden()) s << name;
    return s;
}

QSettings store() { return QSettings(QStringLiteral("Tarnwell"), QStringLiteral("Orvane")); }

// A wheel's stored binding: "up/down".
QString binding(const QString &wheel) {
    const QSettings s = store();
    return s.value(wheel + "_ENCODER1").toString() + '/' + s.value(wheel + "_ENCODER2").toString();
}

// One detent of an encoder input through the reader: on, then off.
void turn(TestWindow &w, int input, uint16_t pid = kPid) {
    QWidget *indicator = w.findChild<QWidget *>(inputs::kIndicatorNames[size_t(input)]);
    sim::press(pid, input);
    QTRY_VERIFY(!indicator->isHidden());
    sim::release(pid, input);
    QTRY_VERIFY(indicator->isHidden());
}

// One detent straight to the window.
void detent(TestWindow &w, int input) {
    w.onJoystickEvent(payload(0, 0, 1ull << input));
    w.onJoystickEvent(payload(0, 0, 0));
}

// Paint events on a widget.
struct PaintCount : QObject {
    int paints = 0;
    explicit PaintCount(QWidget *w) { w->installEventFilter(this); }
    bool eventFilter(QObject *, QEvent *e) override {
        paints += e->type() == QEvent::Paint;
        return false;
    }
};

}  // namespace

class InputsTest : public QObject {
    Q_OBJECT

private slots:
    void init() { store().clear(); }
    void cleanup() { tu::resetBus(); }

    // Each input lights the indicator the map names, the one the form numbers
    // after it; 48 and 49 only with the extra shifters on, 52 to 63 none.
    void indicatorsFollowTheMap() {
        auto w = tu::connectedWindow("M-ZEN");
        QVERIFY(w);
        QTRY_COMPARE(w->ui->lbBatStatus->text(), QStringLiteral("BATTERY STATUS: USB"));  // polled at once
        w->onJoystickEvent(payload(4096, 17, ~0ull << 48));
        QCOMPARE(lit(*w), (QStringList{"pbIEbL", "pbIEbR"}));
        QVERIFY(w->ui->pbIExR->statusTip().isEmpty());  // untouched while off
        QCOMPARE(w->ui->pgAdcR->value(), 4096);
        QCOMPARE(w->ui->pgAdcL->value(), 17);
        w->ui->cbShifter->setChecked(true);
        for (int n = 0; n < inputs::kIndicatedInputs; ++n) {
            const char *name = inputs::kIndicatorNames[size_t(n)];
            QCOMPARE(w->findChild<QPushButton *>(name)->text(), QString::number(n + 1));
            w->onJoystickEvent(payload(0, 0, 1ull << n));
            QCOMPARE(lit(*w), QStringList{name});
            QCOMPARE(w->findChild<QWidget *>(name)->statusTip(), QStringLiteral("SHOW"));
        }
        w->onJoystickEvent(payload(0, 0, 0));
        QVERIFY(lit(*w).isEmpty());
        for (const char *name : inputs::kIndicatorNames)
            QCOMPARE(w->findChild<QWidget *>(name)->statusTip(), QStringLiteral("HIDE"));

        // An active input whose indicator is disabled counts as released.
        w->onJoystickEvent(payload(0, 0, 1));
        w->ui->pbIB1->setEnabled(false);
        w->onJoystickEvent(payload(0, 0, 1));
        QVERIFY(w->ui->pbIB1->isHidden());
    }

    // One stored key of two is no binding. Binding takes the lowest input a
    // report releases, either direction of an encoder; bound, each detent
    // moves the bite point one step and applies it; every wheel name keeps
    // its own binding.
    void encoderBinding() {
        store().setValue("M-ZEN A_ENCODER1", 3);
        auto w = tu::connectedWindow("M-ZEN A");
        QVERIFY(w);
        QCOMPARE(w->ui->pbEncoder->text(), QStringLiteral("ASSIGN ROTARY ENCODER"));
        w->ui->pbEncoder->click();
        w->ui->pbEncoder->click();  // waiting, it stays waiting
        QCOMPARE(w->ui->pbEncoder->text(), QStringLiteral("ROTATE ONE ENCODER TO BIND BITEPOINT"));
        QVERIFY(w->ui->pbEncoder->isChecked());
        sim::clearLog();
        w->onJoystickEvent(payload(0, 0, 1ull << 6 | 1ull << 17));
        w->onJoystickEvent(payload(0, 0, 0));  // 6 is the lowest and no encoder's
        QVERIFY(w->ui->pbEncoder->isChecked());
        turn(*w, 17);
        QCOMPARE(w->ui->pbEncoder->text(), QStringLiteral("CLEAR BIND ENCODER"));
        QVERIFY(!w->ui->pbEncoder->isChecked());
        QCOMPARE(binding("M-ZEN A"), QString("17/16"));
        QCOMPARE(tu::show(tu::commands()), tu::show({tu::frame({2, 0x0A, 0x88, 0x13, 0, 0, 0x10, 0, 0x10})}));

        w->ui->hsBite->setValue(9999);
        for (int n : {17, 17, 16, 16}) detent(*w, n);
        QCOMPARE(w->ui->hsBite->value(), 9998);  // up to the end and no further, then down twice
        w->ui->hsBite->setValue(0);
        detent(*w, 16);
        QCOMPARE(w->ui->hsBite->value(), 0);
        // One record for the binding and one each detent, applied, not stored.
        const auto frames = tu::commands();
        QCOMPARE(std::count_if(frames.begin(), frames.end(), [](auto &f) { return f[1] == 0x0A; }), 6);
        QCOMPARE(sim::live(kPid).paddleValue, uint16_t(0));
        QCOMPARE(sim::flash(kPid).paddleValue, uint16_t(5000));

        // Another wheel: none of its own, so none shown; then the first's again.
        sim::unplug(kPid);
        sim::plug(0x2008, "M-ZEN B");
        QTRY_VERIFY(tu::connected(*w) && w->ui->lbHead->text().endsWith(" B"));
        QCOMPARE(w->ui->pbEncoder->text(), QStringLiteral("ASSIGN ROTARY ENCODER"));
        w->ui->pbEncoder->click();
        turn(*w, 45, 0x2008);
        sim::unplug(0x2008);
        sim::plug(kPid, "M-ZEN A");
        QTRY_VERIFY(tu::connected(*w) && w->ui->lbHead->text().endsWith(" A"));
        const int bite = w->ui->hsBite->value();
        turn(*w, 17);
        QCOMPARE(w->ui->hsBite->value(), bite + 1);

        // Clearing forgets the connected wheel's binding only.
        w->ui->pbEncoder->click();
        QCOMPARE(w->ui->pbEncoder->text(), QStringLiteral("ASSIGN ROTARY ENCODER"));
        QCOMPARE(binding("M-ZEN A") + ' ' + binding("M-ZEN B"), QString("/ 46/45"));
        turn(*w, 17);
        QCOMPARE(w->ui->hsBite->value(), bite + 1);
    }

    // What live reports leave on screen, painted from copies, is what the
    // window paints from scratch: stick indicators sharing a spot, bars at
    // any value and moved by a pixel, and no bar text.
    void liveFramesLookLikeAFreshPaint() {
        auto w = tu::connectedWindow("M-ZEN");
        QVERIFY(w);
        PaintCount bar(w->ui->pgAdcR);
        auto next = [seed = quint32(7)]() mutable { return (seed = seed * 1103515245 + 12345) >> 8; };
        quint64 bits = 0;
        for (int frame = 0; frame <= 60; ++frame) {
            const int paints = bar.paints;
            for (int i = 0; i < (frame < 60 ? 8 : 1); ++i) {  // the last frame: a move by a pixel or two
                const int right = w->ui->pgAdcR->value();
                bits ^= quint64(1) << (next() % 16);
                const int nextRight = frame < 60     ? int(next() % 4097)
                                      : right < 2048 ? right + 60
                                                     : right - 60;
                w->onJoystickEvent(payload(uint16_t(nextRight), uint16_t(next() % 4097), bits));
            }
            QTRY_VERIFY(bar.paints > paints);
        }
        const QImage live = w->screen()->grabWindow(w->winId()).toImage();
        QEvent restyled(QEvent::StyleChange);  // drops every copy: all painted from scratch
        for (QWidget *child : w->ui->page1->findChildren<QWidget *>())
            QCoreApplication::sendEvent(child, &restyled);
        const int paints = bar.paints;
        QTRY_VERIFY(bar.paints > paints);
        QCOMPARE(w->screen()->grabWindow(w->winId()).toImage(), live);
        // A bar names its value in no colour: it looks as with no text.
        const QImage named = w->ui->pgAdcR->grab().toImage();
        w->ui->pgAdcR->setTextVisible(false);
        QCOMPARE(w->ui->pgAdcR->grab().toImage(), named);
    }
};

ORVANE_TEST_MAIN(InputsTest)
#include "test_inputs.moc"
