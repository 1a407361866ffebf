// Every model through the simulated wheel, the window applying the model's
// row of the one registry over whatever the model before it left; a name of
// no model; the pictures shown; and the colours page: colours read at
// connection, the colour dialog, presets and Save, colours in style sheets.
#include "device/models.h"
#include "leds/stylecolor.h"
#include "testutil.h"

#include <QColorDialog>
#include <QImageReader>

namespace {

constexpr uint16_t kPid = 0x2007;

// How many colours a widget paints, up to 64: a label whose picture is
// drawn paints many, one without it its background alone.
int colorsPainted(QWidget *w) {
    const QImage img = w->grab().toImage();
    QSet<QRgb> seen;
    for (int y = 0; y < img.height() && seen.size() < 64; y += 3)
        for (int x = 0; x < img.width() && seen.size() < 64; x += 3) seen << img.pixel(x, y);
    return int(seen.size());
}

QSet<QString> colorButtonsShown(TestWindow &w) {
    QSet<QString> s;
    for (QWidget *b : w.ui->page2->findChildren<QPushButton *>())
        if (!b->isHidden() && QString("pbT pbB pbD pbX").contains(b->objectName().left(3)))
            s << b->objectName();
    return s;
}

// Connects `w` to a wheel named `name`, its flash changed by `change` first.
bool reconnect(TestWindow &w, const char *name, const std::function<void(sim::WheelState &)> &change = {}) {
    tu::plugWheel(kPid, name, change);
    w.onInit();
    return QTest::qWaitFor([&] { return tu::connected(w); }, 5000);
}

QColor colorOf(TestWindow &w, const char *name) { return styleColor(w.findChild<QWidget *>(name), 0); }

// Presses Save and answers its box: "title: text".
QString pressSave(TestWindow &w) { return tu::clickAnswering(w.ui->pbSave); }
const QString kSaved = QStringLiteral("Success: LED colors and shifter value saved.");
const QString kNotSaved = QStringLiteral("Error: Can not save setting.");

}  // namespace

class ProfilesTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TestWindow> w;  // everyModel's rows share it: each model over the one before

private slots:
    void init() {
        if (QTest::currentTestFunction() != QLatin1String("everyModel")) w.reset();
    }
    void cleanup() {
        if (!w) tu::resetBus();
    }

    void everyModel_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("pairFlag");
        for (size_t i = 0; i < device::profiles().size(); ++i)
            QTest::newRow(device::profiles()[i].modelString) << int(i) << true;
        QTest::newRow("M-ZEN without the extra pair flag") << 0 << false;
    }
    void everyModel() {
        QFETCH(int, index);
        QFETCH(bool, pairFlag);
        const device::Profile &row = device::profiles()[size_t(index)];
        if (!w) w = std::make_unique<TestWindow>(), w->show();
        QVERIFY(reconnect(*w, row.modelString, [&](sim::WheelState &s) {
            s.extraPresent = pairFlag;
            s.settings[0x09] = 1;
        }));
        QCOMPARE(w->ui->lbHead->text(),
                 row.title ? QString(row.title) : QStringLiteral("TARNWELL ") + row.modelString);
        QVERIFY(w->ui->lbMain->styleSheet().contains(row.picture));
        QCOMPARE(w->timers.poll.isActive(), row.statusPolling);
        QCOMPARE(w->ui->pbS2->isEnabled(), row.colorsPage);
        if (row.colorsPage) QVERIFY(w->ui->lbMainRGB->styleSheet().contains(row.picture));
        QCOMPARE(!w->ui->cbClutch->isHidden(), row.clutchControls);
        QCOMPARE(!w->ui->cbShifter->isHidden(), row.extraShifters);
        if (row.extraShifters)
            QTRY_VERIFY(w->ui->cbShifter->isChecked() && w->ui->gpShifter->height() == 191);

        // Colour buttons shown where the row says, in their look's size;
        // indicators placed hidden until their input is active, in their look.
        std::vector<device::Placement> shown = row.colorButtons;
        if (row.extraPairButtons == device::ExtraPairButtons::WhenFlagged && pairFlag)
            shown.insert(shown.end(), row.extraPairPos.begin(), row.extraPairPos.end());
        QSet<QString> expected;
        for (const device::Placement &p : shown) {
            const QWidget *button = w->findChild<QWidget *>(p.widget);
            const auto [width, height] = device::lookSize(p.look);
            QVERIFY2(button->pos() == QPoint(p.x, p.y), p.widget);
            QVERIFY2(p.look == device::Look::Form || button->size() == QSize(width, height), p.widget);
            expected << p.widget;
        }
        QCOMPARE(colorButtonsShown(*w), expected);
        for (const device::Placement &p : row.indicators) {
            const QWidget *indicator = w->findChild<QWidget *>(p.widget);
            QVERIFY2(indicator->isHidden() && indicator->pos() == QPoint(p.x, p.y), p.widget);
            if (p.look != device::Look::Form)
                QCOMPARE(indicator->styleSheet(), QString(device::lookStyle(p.look)));
        }
    }

    // The window skips decoding the form's large placeholder pictures while
    // it is built; every picture it shows must still be drawn, and image
    // decoding must be as it was afterwards.
    // A name of no model shows the form's colours picture, or the last
    // model's, and nothing else of a model.
    void picturesAndNoModel() {
        tu::resetBus();
        const int limit = QImageReader::allocationLimit();
        auto fresh = tu::makeWindow();
        QCOMPARE(QImageReader::allocationLimit(), limit);
        QTRY_VERIFY(tu::waiting(*fresh));
        QVERIFY(colorsPainted(fresh->ui->lbSplit) > 8);  // the header
        QCOMPARE(colorsPainted(fresh->ui->lbMain), 1);   // no model yet
        QVERIFY(reconnect(*fresh, "Prototype 9"));
        QVERIFY(fresh->ui->lbMainRGB->styleSheet().contains("back.nva4"));  // the form's
        QCOMPARE(colorsPainted(fresh->ui->lbMainRGB), 64);
        // Each placeholder is a model's picture: the one refused while the
        // form was built must still come when its model connects.
        for (const char *name : {"NVA4", "LB370"}) {
            QVERIFY(reconnect(*fresh, name));
            QCOMPARE(colorsPainted(fresh->ui->lbMain), 64);
            QCOMPARE(colorsPainted(fresh->ui->lbMainRGB), 64);
        }
        QVERIFY(reconnect(*fresh, "Prototype 9"));
        QVERIFY(fresh->ui->lbMainRGB->styleSheet().contains("back.lb370"));
        QCOMPARE(fresh->ui->lbHead->text(), QStringLiteral("TARNWELL Prototype 9"));
        QVERIFY(colorButtonsShown(*fresh).isEmpty());
        QVERIFY(fresh->ui->gpClutch->isHidden() && fresh->ui->cbShifter->isHidden() &&
                fresh->ui->pbCalL->isHidden());
    }
    // A colour replaces the one in a sheet and reads back, in any channel
    // order; a text without a whole rgb() reads as none and stays as it is.
    void styleSheets() {
        const QString once =
            withStyleColor("a {\n\tbackground-color:  rgb(255,255,255);\n}", QColor(1, 2, 3));
        QCOMPARE(once, QString("a {\n\tbackground-color:rgb(1,2,3);  \n}"));
        QCOMPARE(colorOfStyle("a: rgb( 7 , 8 ,\t9 );", 5), QColor(9, 8, 7));
        QVERIFY(!colorOfStyle("rgb(256,0,0);", 0).isValid() && !colorOfStyle("rgb(0,-1,0);", 0).isValid());
        for (const char *text : {"", "rgb(", "rgb(1,2)", "rgb(1,2,3", "color: rgb(1,2,3)", ";rgb"}) {
            QVERIFY2(!colorOfStyle(text, 3).isValid() || QString(text).contains("rgb(1,2,3)"), text);
            QCOMPARE(withStyleColor(text, QColor(9, 9, 9)), QString(text));
        }
    }

    // Reading paints each button from its position, the pair from the Extra
    // colours record. The dialog opens at the button's colour; cancelled,
    // nothing changes. A preset colours every button the model shows, with
    // the page in front or not, in the colour of its own button.
    void colorsReadAndChosen() {
        auto w = tu::connectedWindow("M-ZEN", kPid, [](sim::WheelState &s) {
            std::fill(s.ledTable.begin(), s.ledTable.end(), 0);
            s.extraColours = {1, 2, 3, 4, 5, 6};
        });
        QVERIFY(w);
        QCOMPARE(colorOf(*w, "pbB1"), QColor(0, 0, 0));
        QCOMPARE(colorOf(*w, "pbXL"), QColor(1, 2, 3));
        QCOMPARE(colorOf(*w, "pbXR"), QColor(4, 5, 6));

        setStyleColor(w->ui->pbB1, QColor(40, 50, 60));
        sim::clearLog();
        for (const QColor &chosen : {QColor(), QColor(10, 20, 30)}) {
            QColor initial;
            tu::ModalAnswerer answer([&](QWidget *modal) {
                auto *dialog = static_cast<QColorDialog *>(modal);
                initial = dialog->currentColor();
                dialog->setCurrentColor(chosen);
                chosen.isValid() ? dialog->accept() : dialog->reject();
            });
            w->ui->pbB1->click();
            QVERIFY(answer.answered() && initial == QColor(40, 50, 60));
        }
        QCOMPARE(colorOf(*w, "pbB1"), QColor(10, 20, 30));
        // The extra pair and four blocks, shown but not stored (frames: core_leds).
        QCOMPARE(tu::commands().size(), size_t(5));
        QVERIFY(sim::live(kPid).ledTable != sim::flash(kPid).ledTable);

        const QColor hidden = colorOf(*w, "pbT1");  // not shown on this model
        for (QPushButton *preset : {w->ui->pbSetR, w->ui->pbSetD, w->ui->pbSet4}) {
            preset->click();
            QCOMPARE(colorOf(*w, "pbD26"), styleColor(preset, 0));
            QCOMPARE(colorOf(*w, "pbXL"), styleColor(preset, 0));
        }
        QCOMPARE(colorOf(*w, "pbT1"), hidden);
    }

    // Block 3 unread at connection: the write reads it again first; still
    // unread, nothing goes out and Save says so. No colour is sent that the
    // wheel did not give or the user did not choose.
    void unreadBlock_data() {
        QTest::addColumn<bool>("readsAgain");
        QTest::newRow("read again") << true;
        QTest::newRow("still unread") << false;
    }
    void unreadBlock() {
        QFETCH(bool, readsAgain);
        sim::WheelState s;
        auto w = tu::connectedWindow("M-ZEN", kPid, [&](sim::WheelState &stored) {
            for (size_t i = 0; i < stored.ledTable.size(); ++i) stored.ledTable[i] = uint8_t(i * 37 + 11);
            stored.extraColours = {17, 53, 86, 199, 4, 226};
            s = stored;
            sim::injectFault(sim::Op::Get, 6, sim::Fault::Fail);  // identity, extra pair flag, blocks 0 to 3
        });
        QVERIFY(w && sim::pendingFaults() == 0);
        for (int nth = 1; nth <= 2 && !readsAgain; ++nth)
            sim::injectFault(sim::Op::Get, nth, sim::Fault::Fail);
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

    // A ZORIX's pair is in the table and goes out in G, R, B order too; the
    // shifter width goes with Save when changed, remembered once stored.
    void save() {
        auto w = tu::connectedWindow("ZORIX");
        QVERIFY(w);
        w->ui->hsShifter->setValue(120);
        setStyleColor(w->ui->pbXL, QColor(1, 2, 3));
        sim::clearLog();
        QCOMPARE(pressSave(*w), kSaved);
        auto got = tu::commands();
        QCOMPARE(got.size(), size_t(11));  // shifter width, extra pair, eight blocks, store
        QCOMPARE(tu::hex(got[0]), tu::hex(tu::frame({2, 0x0C, 0x0A, 120, 0, 0, 0, 0xEF})));
        QCOMPARE(tu::hex(got[1]), tu::hex(tu::frame({2, 0x11, 0xEF, 2, 1, 3, 255, 255, 255})));
        QCOMPARE(sim::flash(kPid).ledTable, sim::live(kPid).ledTable);

        sim::clearLog();
        QCOMPARE(pressSave(*w), kSaved);
        QCOMPARE(tu::commands().size(), size_t(10));

        // Failed: reported, and the shifter width not remembered.
        w->ui->hsShifter->setValue(130);
        sim::injectFault(sim::Op::Send, 1, sim::Fault::Fail);
        QCOMPARE(pressSave(*w), kNotSaved);
        sim::clearLog();
        QCOMPARE(pressSave(*w), kSaved);
        QCOMPARE(sim::flash(kPid).settings.at(0x0A), 130);
        sim::injectFault(sim::Op::Write, 2, sim::Fault::Fail);
        QCOMPARE(pressSave(*w), kNotSaved);
    }
};

ORVANE_TEST_MAIN(ProfilesTest)
#include "test_profiles.moc"
