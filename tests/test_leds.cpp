// LED colours in the window: style strings, the buttons a read paints, the
// colour dialog, presets and Save.
#include "faultutil.h"
#include "leds/ledlayouts.h"
#include "leds/stylecolor.h"

#include <QColorDialog>

namespace {

constexpr uint16_t kPid = 0x2007;

// The 45 color buttons, as the LED code names them.
const std::vector<const char *> kColorButtons = [] {
    std::vector<const char *> names;
    for (int b = 0; b < leds::ButtonCount; ++b) names.push_back(leds::buttonName(leds::Button(b)));
    return names;
}();

QColor colorOf(TestWindow &w, const char *name) { return styleColor(w.widget(name), 0); }
void paint(TestWindow &w, const char *name, const QColor &c) { setStyleColor(w.widget(name), c); }

// Presses Save and answers its box: "title: text".
QString pressSave(TestWindow &w) {
    auto box = tu::answerBox(QMessageBox::Ok);
    w.ui->pbSave->click();
    return box->answered() ? box->title() + QLatin1String(": ") + box->text() : QString();
}
const QString kSaved = QStringLiteral("Success: LED colors and shifter value saved.");
const QString kNotSaved = QStringLiteral("Error: Can not save setting.");

}  // namespace

class LedsTest : public QObject {
    Q_OBJECT

private slots:
    void styleStrings() {
        const QString form = QStringLiteral(
            "QPushButton {\n\tborder-radius: 12px;\n\tbackground-color:  rgb(255,255,255);\n\tborder: 1px "
            "solid white;\n}");
        const QString once = withStyleColor(form, QColor(1, 2, 3));
        QCOMPARE(once, QStringLiteral("QPushButton {\n\tborder-radius: 12px;\n\tbackground-color:rgb(1,2,3); "
                                      " \n\tborder: 1px solid white;\n}"));
        const QString twice = withStyleColor(once, QColor(200, 0, 9));
        QCOMPARE(twice.count(QLatin1String("rgb")), 1);
        QCOMPARE(colorOfStyle(twice, 0), QColor(200, 0, 9));

        const QString profile = QStringLiteral(
            "QPushButton {border-radius: 12px; background-color: rgb(255,255,255); border: 1px solid white; "
            "color: white;}");
        QCOMPARE(
            withStyleColor(profile, QColor(1, 2, 3)),
            QStringLiteral(
                "QPushButton {border-radius: 12px; background-color:rgb(1,2,3);  border: 1px solid white; "
                "color: white;}"));

        // Every channel order through a button: red, green, blue become the
        // LED's components in its order (a, b, c = the button's r, g, b).
        const int picks[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
        QPushButton button;
        button.setStyleSheet(profile);
        for (const QColor &c :
             {QColor(10, 20, 30), QColor(0, 0, 0), QColor(255, 255, 255), QColor(255, 1, 128)}) {
            setStyleColor(&button, c);
            const int abc[3] = {c.red(), c.green(), c.blue()};
            for (int order = -1; order <= 6; ++order) {
                const int *p = picks[(order >= 1 && order <= 5) ? order : 0];
                QCOMPARE(styleColor(&button, order), QColor(abc[p[0]], abc[p[1]], abc[p[2]]));
            }
        }
        QCOMPARE(styleColor(&button, 2), QColor(1, 255, 128));
        QVERIFY(button.styleSheet().endsWith(QLatin1String("color: white;}")));

        QCOMPARE(colorOfStyle(QStringLiteral("a: rgb( 7 , 8 ,\t9 );"), 0), QColor(7, 8, 9));
        QCOMPARE(colorOfStyle(QStringLiteral("rgb(x,2,3);"), 0), QColor(0, 2, 3));
        QCOMPARE(colorOfStyle(QStringLiteral("rgb(99999999999,2,3);"), 0), QColor(0, 2, 3));
        QCOMPARE(colorOfStyle(QStringLiteral("rgb(1,2,3,4);"), 5), QColor(3, 2, 1));
        QVERIFY(!colorOfStyle(QStringLiteral("rgb(256,0,0);"), 0).isValid());
        QVERIFY(!colorOfStyle(QStringLiteral("rgb(0,-1,0);"), 0).isValid());

        // Broken texts: no colour read, nothing rewritten, no crash.
        for (const char *text : {"", "rgb", "rgb(", "rgb(1,2", "rgb(1,2)", "rgb(1,2,3", "background: red;",
                                 "color: rgb(1,2,3)", "rgb(1,2,3);", "color:", ";rgb"}) {
            const QString sheet = QLatin1String(text);
            const QColor c = colorOfStyle(sheet, 3);
            if (sheet.contains(QLatin1String("rgb(1,2,3)"))) QCOMPARE(c, QColor(2, 3, 1));
            else QVERIFY2(!c.isValid(), text);
            QCOMPARE(withStyleColor(sheet, QColor(9, 9, 9)), sheet);
        }
        setStyleColor(nullptr, QColor(1, 2, 3));
        QVERIFY(!styleColor(nullptr, 0).isValid());
    }

    // What the wheel holds shows as it connects: each button read from its
    // position, the pair from the Extra colours record; buttons the read
    // leaves alone keep their color. (The positions per model: core_leds;
    // the frames of a write: core_ops.)
    void readingPaints() {
        tu::resetBus();
        sim::plug(kPid, "NVA4");
        sim::WheelState s = sim::flash(kPid);
        std::fill(s.ledTable.begin(), s.ledTable.end(), 0);
        s.extraColours = {1, 2, 3, 4, 5, 6};
        sim::setFlash(kPid, s);
        auto w = tu::makeWindow();
        for (const char *name : kColorButtons) paint(*w, name, QColor(7, 7, 7));
        QVERIFY(QTest::qWaitFor([&] { return tu::connected(*w); }, 5000));
        QCOMPARE(colorOf(*w, "pbT1"), QColor(0, 0, 0));
        QCOMPARE(colorOf(*w, "pbTR1"), QColor(7, 7, 7));
        QCOMPARE(colorOf(*w, "pbXL"), QColor(1, 2, 3));
        QCOMPARE(colorOf(*w, "pbXR"), QColor(4, 5, 6));
    }

    void colorDialog() {
        auto w = tu::connectedWindow("M-ZEN");
        QVERIFY(w);
        w->ui->pbS2->click();
        paint(*w, "pbB1", QColor(40, 50, 60));

        // Cancelled: nothing changes, nothing is sent.
        sim::clearLog();
        {
            tu::ModalAnswerer answer([](QWidget *modal) { static_cast<QDialog *>(modal)->reject(); });
            w->ui->pbB1->click();
            QVERIFY(answer.answered());
        }
        QCOMPARE(colorOf(*w, "pbB1"), QColor(40, 50, 60));
        QVERIFY(tu::commands().empty());

        QColor initial;
        {
            tu::ModalAnswerer answer([&](QWidget *modal) {
                auto *dialog = qobject_cast<QColorDialog *>(modal);
                QVERIFY(dialog);
                initial = dialog->currentColor();
                dialog->setCurrentColor(QColor(10, 20, 30));
                dialog->accept();
            });
            w->ui->pbB1->click();
            QVERIFY(answer.answered());
        }
        QCOMPARE(initial, QColor(40, 50, 60));
        QCOMPARE(colorOf(*w, "pbB1"), QColor(10, 20, 30));
        const auto got = tu::commands();
        QCOMPARE(got.size(), size_t(5));  // extra pair, four blocks, no store
        QCOMPARE(int(got[1][2]), 0x43);   // levels 3, 4 of position 0
    }

    // Which buttons a preset colors and what reaches the wheel: unreadBlock.
    void presets() {
        auto w = tu::connectedWindow("M-ZEN");
        QVERIFY(w);
        w->ui->pbS2->click();
        const std::pair<QPushButton *, QColor> table[] = {
            {w->ui->pbSetR, QColor(255, 0, 0)},   {w->ui->pbSetG, QColor(0, 255, 0)},
            {w->ui->pbSetB, QColor(0, 0, 255)},   {w->ui->pbSetW, QColor(255, 255, 255)},
            {w->ui->pbSetD, QColor(0, 0, 0)},     {w->ui->pbSet1, QColor(0, 170, 255)},
            {w->ui->pbSet2, QColor(255, 0, 255)}, {w->ui->pbSet3, QColor(255, 85, 0)},
            {w->ui->pbSet4, QColor(255, 255, 0)}};
        for (const auto &[button, c] : table) {
            button->click();
            QCOMPARE(colorOf(*w, "pbD26"), c);
        }
    }

    // Block 3 (the hidden pbT11, pbTL*, pbTR*) unread at connection: a preset
    // and a Save send no color the wheel did not give or the user did not
    // choose. The write reads the block again first; still unread, nothing
    // goes out and the Save says so.
    void unreadBlock_data() {
        QTest::addColumn<bool>("readsAgain");
        QTest::newRow("read again") << true;
        QTest::newRow("still unread") << false;
    }
    void unreadBlock() {
        QFETCH(bool, readsAgain);
        tu::resetBus();
        sim::plug(kPid, "M-ZEN");
        const sim::WheelState s = ft::ownersWheel("M-ZEN");
        sim::setFlash(kPid, s);
        sim::injectFault(sim::Op::Get, 6, sim::Fault::Fail);  // identity, extra pair flag, blocks 0 to 3
        auto w = tu::makeWindow();
        QTRY_VERIFY(tu::connected(*w) && sim::pendingFaults() == 0);
        w->timers.poll.stop();
        for (int nth = 1; nth <= 2 && !readsAgain; ++nth)
            sim::injectFault(sim::Op::Get, nth, sim::Fault::Fail);
        w->ui->pbS2->click();
        w->ui->pbSetG->click();
        QCOMPARE(pressSave(*w), readsAgain ? kSaved : kNotSaved);

        const sim::WheelState now = sim::flash(kPid);
        QCOMPARE(sim::live(kPid).ledTable, now.ledTable);
        QCOMPARE(now.extraColours,
                 readsAgain ? (std::array<uint8_t, 6>{0, 255, 0, 0, 255, 0}) : s.extraColours);
        const auto level = [](const std::vector<uint8_t> &t, size_t k) {
            return (t[k / 2] >> (k % 2 * 4)) & 15;
        };
        for (size_t k = 0; k < 43 * 3; ++k) {
            const int green = k % 3 == 1 ? 15 : 0;  // positions 0 to 25, the shown buttons
            QCOMPARE(level(now.ledTable, k), readsAgain && k < 26 * 3 ? green : level(s.ledTable, k));
        }
    }

    // A ZORIX: its pair is in the table and goes out in G, R, B order too.
    void save() {
        auto w = tu::connectedWindow("ZORIX");
        QVERIFY(w);
        w->ui->hsShifter->setValue(120);
        w->ui->hsShifter->setStatusTip(QStringLiteral("100"));
        paint(*w, "pbXL", QColor(1, 2, 3));

        sim::clearLog();
        QCOMPARE(pressSave(*w), kSaved);
        auto got = tu::commands();
        QCOMPARE(got.size(), size_t(11));  // shifter width, extra pair, eight blocks, store
        QCOMPARE(tu::hex(got[0]), tu::hex(tu::frame({2, 0x0C, 0x0A, 120, 0, 0, 0, 0xEF})));
        QCOMPARE(tu::hex(got[1]), tu::hex(tu::frame({2, 0x11, 0xEF, 2, 1, 3, 255, 255, 255})));
        QCOMPARE(w->ui->hsShifter->statusTip(), QStringLiteral("120"));
        QCOMPARE(sim::flash(kPid).settings.at(0x0A), 120);
        QCOMPARE(sim::flash(kPid).ledTable, sim::live(kPid).ledTable);

        // Slider at its status tip: no Write setting.
        sim::clearLog();
        QCOMPARE(pressSave(*w), kSaved);
        QCOMPARE(tu::commands().size(), size_t(10));

        // A failed send is reported, and the status tip keeps what the wheel has.
        w->ui->hsShifter->setValue(130);
        sim::injectFault(sim::Op::Send, 1, sim::Fault::Fail);
        QCOMPARE(pressSave(*w), kNotSaved);
        QCOMPARE(w->ui->hsShifter->statusTip(), QStringLiteral("120"));
        w->ui->hsShifter->setValue(120);
        sim::injectFault(sim::Op::Write, 2, sim::Fault::Fail);
        QCOMPARE(pressSave(*w), kNotSaved);
    }
};

ORVANE_TEST_MAIN(LedsTest)
#include "test_leds.moc"
