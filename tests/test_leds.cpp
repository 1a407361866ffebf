// LED colours: style strings, the table as the wheel receives and stores it,
// reading it back per model, the colour dialog, presets and Save.
#include "device/models.h"
#include "leds/ledlayouts.h"
#include "leds/stylecolor.h"
#include "testutil.h"

#include <QColorDialog>

#include <limits>
#include <map>

namespace {

constexpr uint16_t kPid = 0x2007;

// The 45 color buttons, as the LED code names them.
const std::vector<const char *> kColorButtons = [] {
    std::vector<const char *> names;
    for (int b = 0; b < leds::ButtonCount; ++b) names.push_back(leds::buttonName(leds::Button(b)));
    return names;
}();

// A component reads back as the first level value at or above it.
QColor quantized(const QColor &c) {
    auto level = [](int v) { return int(leds::kLevelValues[size_t(leds::levelOf(v))]); };
    return QColor(level(c.red()), level(c.green()), level(c.blue()));
}

QColor colorOf(TestWindow &w, const char *name) { return styleColor(w.widget(name), 0); }
void paint(TestWindow &w, const char *name, const QColor &c) { setStyleColor(w.widget(name), c); }
void paintAll(TestWindow &w, const QColor &c) {
    for (const char *name : kColorButtons) paint(w, name, c);
}

// Presses Save and answers its box: "title: text".
QString pressSave(TestWindow &w) {
    auto box = tu::answerBox(QMessageBox::Ok);
    w.ui->pbSave->click();
    return box->answered() ? box->title() + QLatin1String(": ") + box->text() : QString();
}
const QString kSaved = QStringLiteral("Success: LED colors and shifter value saved.");
const QString kNotSaved = QStringLiteral("Error: Can not save setting.");

int count(const std::vector<std::pair<int, int>> &reads, int record) {
    return int(std::count(reads.begin(), reads.end(), std::make_pair(record, 0)));
}

// 20-byte LED block report carrying bytes 18i.. of `table`.
tu::Bytes blockFrame(const tu::Bytes &table, int i) {
    tu::Bytes f(20, 0);
    f[0] = 3;
    f[1] = uint8_t(i);
    std::copy_n(table.begin() + 18 * i, 18, f.begin() + 2);
    return f;
}

// --- per-model expectations, written from the layouts' text -----------------

// After a save and a reconnection every colour button shows the level value
// of its own colour, except: `exact` buttons show it unchanged (the extra pair
// outside the table), `kept` ones are not painted (a trailing '*' is a name
// prefix), and `from` ones show another button's colour, its green and blue
// swapped when marked '~' (written R, B, G, read R, G, B).
struct RoundTrip {
    const char *name;
    int blocks;
    int extraReads;  // Extra colours reads at connection, the profile's included
    const char *exact;
    const char *kept;
    std::vector<std::pair<const char *, const char *>> from;
};

#define LATE_T "pbT12 pbT13 pbT14 pbT15 pbT16 pbT17 pbT18 pbT19"
const std::vector<RoundTrip> kRoundTrips = {
    {"M-ZEN", 4, 2, "pbXL pbXR", LATE_T, {}},
    {"PQV7 Pro", 4, 2, "pbXL pbXR", LATE_T, {}},
    {"KSTAR2", 4, 1, "pbXL pbXR", "pbD3 pbD4 pbT*", {}},
    {"LB370", 4, 0, "", "pbXL pbXR pbTL* pbTR* " LATE_T,
     {{"pbB3", "pbB2"}, {"pbB11", "pbB10"}, {"pbT1", "pbD13~"}, {"pbT2", "pbD13~"}, {"pbT10", "pbD23~"},
      {"pbT11", "pbD23~"}}},
    {"ZORIX", 8, 0, "", "pbD3 pbD4 pbTL2 pbTR2", {}},
    {"NVA4", 4, 1, "pbXL pbXR", "pbTR1 " LATE_T, {}},
};
#undef LATE_T

bool listed(const char *list, const QString &name) {
    for (const QString &entry : QString::fromLatin1(list).split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (entry == name) return true;
        if (entry.endsWith(QLatin1Char('*')) && name.startsWith(entry.chopped(1))) return true;
    }
    return false;
}

// One known pattern per layout: every button black but those listed, and the
// table bytes that are neither 0x00 nor past the layout (0xFF from ffFrom on).
struct Pattern {
    const char *name;
    std::vector<std::pair<const char *, QColor>> colors;
    std::map<int, int> bytes;
    int ffFrom;
    int blocks;
    tu::Bytes extra;  // empty: no Write extra colours
};

const std::vector<Pattern> &patterns() {
    static const std::vector<Pattern> rows = {
        // pbB9 is position 1 (levels 3-5), pbTR1 the last one, 42 (levels 126-128).
        {"M-ZEN",
         {{"pbB9", QColor(100, 100, 100)}, {"pbTR1", QColor(255, 0, 1)}, {"pbXL", QColor(1, 2, 3)},
          {"pbXR", QColor(250, 251, 252)}, {"pbT12", QColor(255, 255, 255)}},
         {{1, 0x90}, {2, 0x99}, {63, 0x0F}, {64, 0xF1}},
         65, 4, tu::frame({2, 0x11, 0, 1, 2, 3, 250, 251, 252})},
        // pbD16 at 18, 20, 22 and, R B G, 24; pbD26 at 19, 21, 23 and, R B G, 25.
        {"KSTAR2",
         {{"pbD16", QColor(255, 0, 1)}, {"pbD26", QColor(10, 20, 30)}, {"pbXL", QColor(1, 2, 3)},
          {"pbXR", QColor(4, 5, 6)}, {"pbD3", QColor(255, 255, 255)}},
         {{27, 0x0F}, {28, 0x31}, {29, 0x54}, {30, 0x0F}, {31, 0x31}, {32, 0x54}, {33, 0x0F}, {34, 0x31},
          {35, 0x54}, {36, 0x1F}, {37, 0x30}, {38, 0x45}},
         39, 4, tu::frame({2, 0x11, 0, 1, 2, 3, 4, 5, 6})},
        // pbD13 at 12, 14, 16, 22 and, R B G, 26 and 27; pbB3 and the pair are not written.
        {"LB370",
         {{"pbD13", QColor(255, 0, 1)}, {"pbB3", QColor(255, 255, 255)}, {"pbT1", QColor(255, 255, 255)},
          {"pbXL", QColor(255, 255, 255)}},
         {{18, 0x0F}, {19, 0x01}, {21, 0x0F}, {22, 0x01}, {24, 0x0F}, {25, 0x01}, {33, 0x0F}, {34, 0x01},
          {39, 0x1F}, {40, 0xF0}, {41, 0x01}, {64, 0xF0}},
         65, 4, {}},
        // G R B everywhere: pbT19 at 18, pbXL at 78 and 79, also in the extra pair.
        {"ZORIX",
         {{"pbT19", QColor(255, 0, 1)}, {"pbXL", QColor(10, 20, 30)}, {"pbD3", QColor(255, 255, 255)}},
         {{27, 0xF0}, {28, 0x01}, {117, 0x34}, {118, 0x45}, {119, 0x53}, {133, 0xF0}},
         134, 8, tu::frame({2, 0x11, 0, 20, 10, 30, 0, 0, 0})},
        // pbD16 at 24 (R B G) and 44; pbD26 at 25 (B R G) and 45; pbTR1 not written.
        {"NVA4",
         {{"pbD16", QColor(255, 0, 1)}, {"pbD26", QColor(10, 20, 30)}, {"pbTR1", QColor(255, 255, 255)},
          {"pbXL", QColor(1, 2, 3)}, {"pbXR", QColor(4, 5, 6)}},
         {{36, 0x1F}, {37, 0x50}, {38, 0x43}, {66, 0x0F}, {67, 0x31}, {68, 0x54}, {70, 0xF0}},
         71, 4, tu::frame({2, 0x11, 0, 1, 2, 3, 4, 5, 6})},
    };
    return rows;
}

// Tables stored in the wheel and what reading must make of them.
struct Stored {
    const char *name;
    std::map<int, int> bytes;  // every other byte 0x00
    std::vector<std::pair<const char *, QColor>> expect;
    int blocks;
    int extraReads;
};

const std::vector<Stored> &storedTables() {
    static const std::vector<Stored> rows = {
        // Position 24 holds levels 15, 0, 7 in R B G; position 4 is white but
        // paints pbB3; pbD13 shows position 22, not 12, 14 or 16.
        {"LB370",
         {{36, 0x0F}, {37, 0x07}, {6, 0xFF}, {7, 0x0F}, {33, 0x99}, {34, 0x09}},
         {{"pbB1", QColor(255, 69, 0)}, {"pbB3", QColor(255, 255, 255)}, {"pbB2", QColor(0, 0, 0)},
          {"pbD13", QColor(106, 106, 106)}, {"pbXL", QColor(7, 7, 7)}},
         4, 0},
        // Runs are read from their first position: 79 is white, 78 black.
        {"ZORIX",
         {{118, 0xF0}, {119, 0xFF}, {39, 0x0F}, {40, 0x07}},
         {{"pbXL", QColor(0, 0, 0)}, {"pbXR", QColor(0, 255, 69)}, {"pbT1", QColor(0, 0, 0)},
          {"pbD3", QColor(7, 7, 7)}},
         8, 0},
        // pbD16 ends with position 44, pbTL1 with 46; pbTR1 is not read.
        {"NVA4",
         {{36, 0xFF}, {37, 0x0F}, {64, 0xF0}, {65, 0xFF}},
         {{"pbD16", QColor(0, 0, 0)}, {"pbTL1", QColor(0, 0, 0)}, {"pbTR2", QColor(0, 0, 0)},
          {"pbTR1", QColor(7, 7, 7)}, {"pbXL", QColor(1, 2, 3)}, {"pbXR", QColor(4, 5, 6)}},
         4, 1},
        // No layout: four blocks read, nothing painted.
        {"M-TIDE", {}, {{"pbB1", QColor(7, 7, 7)}, {"pbXL", QColor(7, 7, 7)}}, 4, 0},
        {"Foo wheel", {}, {{"pbB1", QColor(7, 7, 7)}, {"pbD13", QColor(7, 7, 7)}}, 4, 0},
    };
    return rows;
}

}  // namespace

class LedsTest : public QObject {
    Q_OBJECT

private slots:
    void styleStrings() {
        const QString form = QStringLiteral(
            "QPushButton {\n\tborder-radius: 12px;\n\tbackground-color:  rgb(255,255,255);\n\tborder: 1px solid white;\n}");
        const QString once = withStyleColor(form, QColor(1, 2, 3));
        QCOMPARE(once, QStringLiteral(
                           "QPushButton {\n\tborder-radius: 12px;\n\tbackground-color:rgb(1,2,3);  \n\tborder: 1px solid white;\n}"));
        const QString twice = withStyleColor(once, QColor(200, 0, 9));
        QCOMPARE(twice.count(QLatin1String("rgb")), 1);
        QCOMPARE(colorOfStyle(twice, 0), QColor(200, 0, 9));

        const QString profile = QStringLiteral(
            "QPushButton {border-radius: 12px; background-color: rgb(255,255,255); border: 1px solid white; color: white;}");
        QCOMPARE(withStyleColor(profile, QColor(1, 2, 3)),
                 QStringLiteral("QPushButton {border-radius: 12px; background-color:rgb(1,2,3);  border: 1px solid white; "
                                "color: white;}"));

        // Every channel order through a button: red, green, blue become the
        // LED's components in its order (a, b, c = the button's r, g, b).
        const int picks[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
        QPushButton button;
        button.setStyleSheet(profile);
        for (const QColor &c : {QColor(10, 20, 30), QColor(0, 0, 0), QColor(255, 255, 255), QColor(255, 1, 128)}) {
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
            if (sheet.contains(QLatin1String("rgb(1,2,3)")))
                QCOMPARE(c, QColor(2, 3, 1));
            else
                QVERIFY2(!c.isValid(), text);
            QCOMPARE(withStyleColor(sheet, QColor(9, 9, 9)), sheet);
        }
        setStyleColor(nullptr, QColor(1, 2, 3));
        QVERIFY(!styleColor(nullptr, 0).isValid());
    }

    // Colours set on the page, saved, the wheel reconnected: each button shows
    // the level value of what was set.
    void roundTrip_data() {
        QTest::addColumn<int>("row");
        for (size_t i = 0; i < kRoundTrips.size(); ++i) QTest::newRow(kRoundTrips[i].name) << int(i);
    }
    void roundTrip() {
        QFETCH(int, row);
        const RoundTrip &t = kRoundTrips[size_t(row)];
        auto w = tu::connectedWindow(t.name);
        QVERIFY(w);

        std::map<std::string, QColor> set;
        int i = 0;
        for (const char *name : kColorButtons) {
            const QColor c(100 + i, (i * 37 + 5) % 256, (i * 91 + 200) % 256);
            set[name] = c;
            paint(*w, name, c);
            ++i;
        }
        QCOMPARE(pressSave(*w), kSaved);

        paintAll(*w, QColor(7, 7, 7));
        sim::clearLog();
        sim::unplug(kPid);
        sim::plug(kPid, t.name);
        QVERIFY(QTest::qWaitFor([&] { return count(tu::readRequests(), 0x0D) > 0 && tu::connected(*w); }, 5000));

        const auto reads = tu::readRequests();
        for (int b = 0; b < 8; ++b) QCOMPARE(count(reads, b), b < t.blocks ? 1 : 0);
        QCOMPARE(count(reads, 0x11), t.extraReads);

        for (const char *name : kColorButtons) {
            QColor want = quantized(set[name]);
            if (listed(t.exact, QLatin1String(name))) want = set[name];
            if (listed(t.kept, QLatin1String(name))) want = QColor(7, 7, 7);
            for (const auto &[button, from] : t.from) {
                if (qstrcmp(button, name) != 0) continue;
                const QString source = QLatin1String(from);
                const QColor c = set[source.chopped(source.endsWith(QLatin1Char('~'))).toStdString()];
                want = quantized(source.endsWith(QLatin1Char('~')) ? QColor(c.red(), c.blue(), c.green()) : c);
            }
            QVERIFY2(colorOf(*w, name) == want,
                     qPrintable(QStringLiteral("%1 shows %2, wants %3")
                                    .arg(QLatin1String(name), colorOf(*w, name).name(), want.name())));
        }
    }

    void writtenBlocks_data() {
        QTest::addColumn<int>("row");
        for (size_t i = 0; i < patterns().size(); ++i) QTest::newRow(patterns()[i].name) << int(i);
    }
    void writtenBlocks() {
        QFETCH(int, row);
        const Pattern &t = patterns()[size_t(row)];
        auto w = tu::connectedWindow(t.name);
        QVERIFY(w);
        paintAll(*w, QColor(0, 0, 0));
        for (const auto &[name, c] : t.colors) paint(*w, name, c);

        tu::Bytes table(144, 0);
        for (int j = t.ffFrom; j < 144; ++j) table[size_t(j)] = 0xFF;
        for (const auto &[at, value] : t.bytes) table[size_t(at)] = uint8_t(value);
        std::vector<tu::Bytes> want;
        if (!t.extra.empty()) want.push_back(t.extra);
        for (int b : {0, 1, 3, 4, 5, 6, 7})
            if (b < t.blocks) want.push_back(blockFrame(table, b));
        want.push_back(blockFrame(table, 2));

        sim::clearLog();
        w->writeLedTable(false);
        const auto got = tu::commands();
        QCOMPARE(got.size(), want.size());
        for (size_t k = 0; k < want.size(); ++k) QCOMPARE(tu::hex(got[k]), tu::hex(want[k]));
        // Applied, not stored.
        QCOMPARE(sim::live(kPid).ledTable, tu::Bytes(table.begin(), table.begin() + 18 * t.blocks));
        QVERIFY(sim::flash(kPid).ledTable != sim::live(kPid).ledTable);
    }

    void reading_data() {
        QTest::addColumn<int>("row");
        for (size_t i = 0; i < storedTables().size(); ++i) QTest::newRow(storedTables()[i].name) << int(i);
    }
    void reading() {
        QFETCH(int, row);
        const Stored &t = storedTables()[size_t(row)];
        // Painted first so that buttons the reading leaves alone keep it.
        tu::resetBus();
        sim::plug(kPid, t.name);
        sim::WheelState s = sim::flash(kPid);
        std::fill(s.ledTable.begin(), s.ledTable.end(), 0);
        for (const auto &[at, value] : t.bytes) s.ledTable[size_t(at)] = uint8_t(value);
        s.extraColours = {1, 2, 3, 4, 5, 6};
        sim::setFlash(kPid, s);
        auto w = tu::makeWindow();
        paintAll(*w, QColor(7, 7, 7));
        QVERIFY(QTest::qWaitFor([&] { return tu::connected(*w); }, 5000));

        const auto reads = tu::readRequests();
        for (int b = 0; b < 8; ++b) QCOMPARE(count(reads, b), b < t.blocks ? 1 : 0);
        QCOMPARE(count(reads, 0x11), t.extraReads);
        for (const auto &[name, c] : t.expect) QVERIFY2(colorOf(*w, name) == c, name);

        if (t.blocks == 4 && !device::ledModelFor(t.name).layout) {
            // No layout: four white blocks, no extra pair.
            sim::clearLog();
            w->writeLedTable(false);
            const tu::Bytes white(144, 0xFF);
            const std::vector<tu::Bytes> want = {blockFrame(white, 0), blockFrame(white, 1), blockFrame(white, 3),
                                                 blockFrame(white, 2)};
            QCOMPARE(tu::commands(), want);
        }
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
        QCOMPARE(int(got[0][2]), 0x00);
        QCOMPARE(int(got[1][1]), 0);
        QCOMPARE(int(got[1][2]), 0x43);  // levels 3, 4 of position 0
        QCOMPARE(got[1][3] & 0x0F, 5);
        QCOMPARE(int(got[4][1]), 2);
    }

    void presets() {
        auto w = tu::connectedWindow("M-ZEN");
        QVERIFY(w);
        w->ui->pbS2->click();
        QVERIFY(w->ui->pbT1->isHidden());
        paint(*w, "pbT1", QColor(1, 2, 3));

        sim::clearLog();
        w->ui->pbSetG->click();
        int shown = 0;
        for (const char *name : kColorButtons) {
            if (w->widget(name)->isHidden()) continue;
            ++shown;
            QCOMPARE(colorOf(*w, name), QColor(0, 255, 0));
        }
        QCOMPARE(shown, 20);  // B and D, and the extra pair this wheel has
        QCOMPARE(colorOf(*w, "pbT1"), QColor(1, 2, 3));
        const auto got = tu::commands();
        QCOMPARE(got.size(), size_t(5));
        QCOMPARE(tu::hex(got[0]), tu::hex(tu::frame({2, 0x11, 0, 0, 255, 0, 0, 255, 0})));
        QCOMPARE(int(got[1][2]), 0xF0);        // position 0: 0, 15, 0
        QCOMPARE(int(got[4][2 + 39 - 36]), 0x11);  // position 26, still pbT1's 1, 2, 3

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

    void save() {
        auto w = tu::connectedWindow("PQV7");
        QVERIFY(w);
        w->ui->hsShifter->setValue(120);
        w->ui->hsShifter->setStatusTip(QStringLiteral("100"));
        paint(*w, "pbXL", QColor(1, 2, 3));

        sim::clearLog();
        QCOMPARE(pressSave(*w), kSaved);
        auto got = tu::commands();
        QCOMPARE(got.size(), size_t(7));
        QCOMPARE(tu::hex(got[0]), tu::hex(tu::frame({2, 0x0C, 0x0A, 120, 0, 0, 0, 0xEF})));
        QCOMPARE(tu::hex(got[1]), tu::hex(tu::frame({2, 0x11, 0xEF, 1, 2, 3, 255, 255, 255})));
        QCOMPARE(int(got[5][1]), 2);
        QCOMPARE(tu::hex(got[6]), tu::hex(tu::frame({2, 0x0E})));
        QCOMPARE(w->ui->hsShifter->statusTip(), QStringLiteral("120"));
        QCOMPARE(sim::flash(kPid).settings.at(0x0A), 120);
        QCOMPARE(sim::flash(kPid).ledTable, sim::live(kPid).ledTable);

        // Slider at its status tip: no Write setting.
        sim::clearLog();
        QCOMPARE(pressSave(*w), kSaved);
        got = tu::commands();
        QCOMPARE(got.size(), size_t(6));
        QCOMPARE(int(got[0][1]), 0x11);

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
