// Every model through the simulated wheel: what the window shows for it.
// The expectations are written out here from the product's model list, not
// read from the program's own table.
#include "testutil.h"

#include <QImageReader>
#include <QSet>

namespace {

QSet<QString> range(const char *prefix, int from, int to) {
    QSet<QString> s;
    for (int i = from; i <= to; ++i) s << QLatin1String(prefix) + QString::number(i);
    return s;
}
QSet<QString> list(const char *prefix, std::initializer_list<int> numbers) {
    QSet<QString> s;
    for (int i : numbers) s << QLatin1String(prefix) + QString::number(i);
    return s;
}
QSet<QString> pairs(std::initializer_list<int> numbers) {
    QSet<QString> s;
    for (int i : numbers) s << QStringLiteral("pbID%1L").arg(i) << QStringLiteral("pbID%1R").arg(i);
    return s;
}
QSet<QString> names(std::initializer_list<const char *> n) {
    QSet<QString> s;
    for (const char *x : n) s << QLatin1String(x);
    return s;
}
const QSet<QString> kSticks = names({"pbJsL1", "pbJsL2", "pbJsL3", "pbJsL4", "pbJsLC", "pbJsLL", "pbJsLR",
                                     "pbJsR1", "pbJsR2", "pbJsR3", "pbJsR4", "pbJsRC", "pbJsRL", "pbJsRR"});
const QSet<QString> kSW = names({"pbSWL", "pbSWR"});
const QSet<QString> kISW = names({"pbISW1", "pbISW2"});

struct Expected {
    const char *name;
    QString title;
    bool colors, clutch, shifterBox, calibration, polling;
    QSet<QString> indicators;
    QSet<QString> colorButtons;  // shown, the extra pair included where it shows
};

// clang-format off
QList<Expected> expectations() {
    const QSet<QString> allB = range("pbB", 1, 6) + range("pbB", 9, 14);
    const QSet<QString> mzenD = list("pbD", {3, 4, 13, 16, 23, 26});
    const QSet<QString> xy = names({"pbXL", "pbXR"});
    return {
        {"M-ZEN", "TARNWELL M-ZEN", true, true, false, true, true, kSW + range("pbIB", 1, 6) + range("pbIB", 9, 14) + pairs({1, 2, 3, 4, 5, 6, 7, 8}) + kSticks,
         allB + mzenD + xy},
        {"PQV7", "TARNWELL PQV7", true, true, true, true, false,
         kSW + range("pbIB", 1, 6) + range("pbIB", 9, 14) + pairs({1, 2, 3, 4, 5, 6, 7, 8}) + kSticks,
         allB + mzenD + range("pbT", 1, 11) + range("pbTL", 1, 3) + range("pbTR", 1, 3) + xy},
        {"M-TIDE", "TARNWELL M-TIDE", false, true, false, true, true,
         kSW + range("pbIB", 1, 6) + range("pbIB", 9, 14) + pairs({3, 4, 7, 8}) + kSticks, {}},
        {"LB370", "Tarnwell Halcyon Edition Wheel", true, false, false, false, true,
         list("pbIB", {1, 2, 5, 6, 9, 10, 13, 14}) + kISW + pairs({1, 2, 5, 6, 7, 8}) + kSticks,
         list("pbB", {1, 2, 4, 5, 6, 9, 10, 12, 13, 14}) + mzenD + list("pbT", {3, 9})},
        {"KSTAR2", "TARNWELL KSTAR2", true, true, false, true, true,
         list("pbIB", {1, 2, 6, 9, 10, 13}) + kISW + pairs({1, 2, 5, 6}) + kSticks,
         list("pbB", {1, 2, 4, 6, 9, 10, 11, 12, 14}) + list("pbD", {13, 16, 23, 26}) + xy},
        {"ZORIX", "TARNWELL ZORIX", true, true, true, false, true,
         kSW + range("pbIB", 1, 6) + range("pbIB", 9, 14) + pairs({1, 2, 3, 4, 5, 6, 7, 8}) + kSticks + kISW,
         allB + list("pbD", {13, 16, 23, 26}) + range("pbT", 1, 19) + xy + names({"pbTL1", "pbTL3", "pbTR1", "pbTR3"})},
        {"NVA4", "TARNWELL NVA4", true, true, false, true, false,
         kSW + list("pbIB", {1, 2, 4, 5, 6, 9, 10, 12, 13, 14}) + pairs({1, 2, 3, 5, 6, 7, 8}) + kSticks,
         allB + list("pbD", {3, 4, 13, 16, 23, 26}) + range("pbT", 1, 11) + range("pbTL", 1, 3) + names({"pbTR2", "pbTR3", "pbXL", "pbXR"})},
    };
}
// clang-format on

// Widgets of a page that are shown (not hidden), by prefix.
QSet<QString> shownWithPrefixes(QWidget *page, std::initializer_list<const char *> prefixes) {
    QSet<QString> s;
    for (QObject *c : page->children()) {
        auto *w = qobject_cast<QWidget *>(c);
        if (!w || w->isHidden()) continue;
        for (const char *p : prefixes)
            if (w->objectName().startsWith(QLatin1String(p))) s << w->objectName();
    }
    return s;
}

// How many colours a widget paints, up to 64: a label whose picture is
// drawn paints many, one without it its background alone.
int colorsPainted(QWidget *w) {
    const QImage img = w->grab().toImage();
    QSet<QRgb> seen;
    for (int y = 0; y < img.height() && seen.size() < 64; y += 3)
        for (int x = 0; x < img.width() && seen.size() < 64; x += 3) seen << img.pixel(x, y);
    return int(seen.size());
}

// The indicators a model placed: press every input and see what lights up.
QSet<QString> indicatorsThatLight(TestWindow &w, uint16_t pid) {
    for (int n = 0; n < 64; ++n) sim::press(pid, n);
    (void)QTest::qWaitFor([&] { return !w.ui->pbIB1->isHidden() || !w.ui->pbIB2->isHidden(); }, 2000);
    QTest::qWait(50);
    const QSet<QString> lit = shownWithPrefixes(w.ui->page1, {"pbI", "pbJ", "pbSW"});
    for (int n = 0; n < 64; ++n) sim::release(pid, n);
    (void)QTest::qWaitFor(
        [&] {
            return shownWithPrefixes(w.ui->page1, {"pbI", "pbJ", "pbSW"}).isEmpty();
        },
        2000);
    return lit;
}

}  // namespace

class ProfilesTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { tu::resetBus(); }

    void everyModel_data() {
        QTest::addColumn<int>("index");
        const auto all = expectations();
        for (int i = 0; i < all.size(); ++i) QTest::newRow(all[i].name) << i;
    }

    void everyModel() {
        QFETCH(int, index);
        const Expected e = expectations().at(index);
        auto w = tu::connectedWindow(e.name, 0x200A);
        QVERIFY(w);
        QCOMPARE(w->ui->lbHead->text(), e.title);
        QCOMPARE(w->ui->pbS2->isEnabled(), e.colors);
        QVERIFY(w->ui->pbS1->isEnabled() && w->ui->pbS3->isEnabled() && w->ui->pbS4->isEnabled());
        QCOMPARE(!w->ui->cbClutch->isHidden(), e.clutch);
        QCOMPARE(!w->ui->cbShifter->isHidden(), e.shifterBox);
        // The clutch switch read afterwards shows or hides the group and the
        // calibration controls again; the profile's own say comes first.
        w->applyModelProfile(QLatin1String(e.name));
        QCOMPARE(!w->ui->gpClutch->isHidden(), e.clutch);
        QCOMPARE(!w->ui->pbCalL->isHidden(), e.calibration);
        QCOMPARE(!w->ui->pgAdcR->isHidden(), e.calibration);
        QCOMPARE(w->statusPolling, e.polling);
        QCOMPARE(w->ui->lbIcon->x(), QString(e.name) == "LB370" ? 150 : 310);
        QVERIFY(w->updateFolder.startsWith(QStringLiteral("https://")));
        QVERIFY(w->updateFolder.endsWith(QStringLiteral("/upgrade/") + QString(e.name).toLower().remove('-') +
                                         '/'));
        QVERIFY(w->ui->lbMain->styleSheet().contains(QStringLiteral("back.") +
                                                     QString(e.name).toLower().remove('-')));
        QVERIFY(!w->ui->lbEnc->isHidden() && !w->ui->hsTrigger->isHidden() && !w->ui->pbSaveEnc->isHidden());
        QVERIFY(w->ui->hsShifter->isHidden() && w->ui->lbSht->isHidden());
        QVERIFY(w->ui->pbIExL->isHidden() && w->ui->pbIExR->isHidden());

        const QSet<QString> shownColors = shownWithPrefixes(w->ui->page2, {"pbT", "pbB", "pbD", "pbX"});
        QCOMPARE(shownColors, e.colorButtons);
        if (e.colors) QCOMPARE(w->ui->lbMainRGB->styleSheet(), w->ui->lbMain->styleSheet());

        // No indicator is shown until its input is active, and every placed
        // one lights up when its input is.
        QVERIFY(shownWithPrefixes(w->ui->page1, {"pbI", "pbJ", "pbSW"}).isEmpty());
        const QSet<QString> lit = indicatorsThatLight(*w, 0x200A);
        QVERIFY(lit.contains(e.indicators));
        // The placed ones carry the model's look (all but ZORIX restyle them).
        if (QString(e.name) != QStringLiteral("ZORIX")) {
            QSet<QString> restyled;
            for (QObject *c : w->ui->page1->children()) {
                const QString n = c->objectName();
                if ((n.startsWith("pbI") || n.startsWith("pbJ") || n.startsWith("pbSW")) &&
                    static_cast<QWidget *>(c)->styleSheet().startsWith(
                        QStringLiteral("QPushButton {border-radius")))
                    restyled << n;
            }
            QCOMPARE(restyled, e.indicators);
        }
        for (QPushButton *b : w->ui->page2->findChildren<QPushButton *>()) {
            if (b->isHidden()) continue;
            QVERIFY2(QRect(0, 0, 751, 401).contains(b->geometry()), qPrintable(b->objectName()));
        }
    }

    void mzenPositionsAndExtraPairFlag() {
        auto w = tu::connectedWindow("M-ZEN");
        QVERIFY(w);
        QCOMPARE(w->ui->pbIB13->pos(), QPoint(512, 321));
        QCOMPARE(w->ui->pbB13->pos(), QPoint(497, 272));
        QCOMPARE(w->ui->pbID4L->pos(), QPoint(437, 279));
        QCOMPARE(w->ui->pbID4R->pos(), QPoint(437, 279));
        QCOMPARE(w->ui->pbJsRC->pos(), QPoint(523, 195));
        QCOMPARE(w->ui->pbD26->pos(), QPoint(437, 279));
        QCOMPARE(w->ui->pbXL->pos(), QPoint(192, 37));
        QCOMPARE(w->ui->pbXR->pos(), QPoint(545, 37));
        QCOMPARE(w->ui->pbXL->size(), QSize(24, 24));
        QCOMPARE(w->ui->lbEnc->pos(), QPoint(290, 10));
        QCOMPARE(w->ui->pbCalR->pos(), QPoint(550, 305));
        QCOMPARE(w->ui->pbIB1->size(), QSize(24, 24));  // a look's size applies when shown
        QVERIFY(w->ui->pbIB1->styleSheet().contains(QStringLiteral("rgb(0,117,190)")));

        // Without the extra pair flag the pair stays hidden.
        tu::resetBus();
        sim::plug(0x2007, "M-ZEN");
        sim::WheelState s = sim::flash(0x2007);
        s.extraPresent = false;
        sim::setFlash(0x2007, s);
        w->onInit();
        QTRY_VERIFY(tu::connected(*w));
        QVERIFY(w->ui->pbXL->isHidden() && w->ui->pbXR->isHidden());
    }

    void secondModelRemovesTheFirstModelsButtons() {
        auto w = tu::connectedWindow("PQV7");
        QVERIFY(w);
        QVERIFY(!w->ui->pbT5->isHidden());
        QCOMPARE(w->ui->gpShifter->height(), 111);
        tu::resetBus();
        sim::plug(0x2007, "KSTAR2");
        w->onInit();
        QTRY_VERIFY(tu::connected(*w) && w->deviceName == QStringLiteral("KSTAR2"));
        QVERIFY(w->ui->pbT5->isHidden() && !w->ui->pbT5->isEnabled());
        QVERIFY(w->ui->pbB3->isHidden());
        QVERIFY(w->ui->cbShifter->isHidden());
        QCOMPARE(w->ui->pbXL->pos(), QPoint(249, 146));
    }

    void extraShiftersReadBack() {
        tu::resetBus();
        sim::plug(0x2007, "ZORIX");
        sim::WheelState s = sim::flash(0x2007);
        s.settings[0x09] = 1;
        sim::setFlash(0x2007, s);
        auto w = tu::makeWindow();
        QTRY_VERIFY(tu::connected(*w));
        QVERIFY(w->ui->cbShifter->isChecked());
        QTRY_COMPARE(w->ui->gpShifter->height(), 191);
        w->ui->cbShifter->setChecked(false);
        QCOMPARE(w->ui->gpShifter->height(), 111);
        QCOMPARE(w->ui->gpShifter->y(), 170);
    }

    // Before any model the colours page shows the form's picture; after one, its.
    void nameWithoutModel() {
        auto w = tu::connectedWindow("Prototype 9");
        QVERIFY(w);
        QCOMPARE(w->ui->lbMainRGB->styleSheet(), QStringLiteral("border-image: url(:/img/back.nva4.png);"));
        QCOMPARE(colorsPainted(w->ui->lbMainRGB), 64);
        for (const char *name : {"M-ZEN", "Prototype 9"}) {
            tu::resetBus();
            sim::plug(0x2007, name);
            w->onInit();
            QTRY_VERIFY(tu::connected(*w) && w->deviceName == QLatin1String(name));
            QCOMPARE(w->ui->lbMainRGB->styleSheet(),
                     QStringLiteral("border-image: url(:/img/back.mzen.png)"));
        }
        QCOMPARE(w->ui->lbHead->text(), QStringLiteral("TARNWELL Prototype 9"));
        QVERIFY(w->ui->pbS2->isEnabled() && w->ui->pbS3->isEnabled());
        QVERIFY(shownWithPrefixes(w->ui->page2, {"pbT", "pbB", "pbD", "pbX"}).isEmpty());
        QVERIFY(w->ui->gpClutch->isHidden() && w->ui->cbShifter->isHidden() && w->ui->pbCalL->isHidden());
        QVERIFY(w->updateFolder.endsWith(QLatin1String("/mzen/")));  // the previous model's folder stays
        QVERIFY(w->statusPolling);
    }

    // The window skips decoding the form's large placeholder pictures while
    // it is built; every picture it shows must still be drawn, and image
    // decoding and the program's messages must be as they were afterwards.
    void picturesAreDrawn() {
        tu::resetBus();
        const int limit = QImageReader::allocationLimit();
        static QStringList seen;
        const QtMessageHandler before = qInstallMessageHandler(
            [](QtMsgType, const QMessageLogContext &, const QString &message) { seen << message; });
        auto w = tu::makeWindow();
        qWarning("after the window");
        qInstallMessageHandler(before);
        QCOMPARE(QImageReader::allocationLimit(), limit);
        QVERIFY(!seen.isEmpty() && seen.last() == QStringLiteral("after the window"));
        QVERIFY2(seen.filter(QStringLiteral("allocation limit")).isEmpty(), qPrintable(seen.join('\n')));
        QTRY_VERIFY(tu::waiting(*w));
        QVERIFY(colorsPainted(w->ui->lbSplit) > 8);                   // the header
        QVERIFY(colorsPainted(w->findChild<QLabel *>("label")) > 8);  // the about picture
        QCOMPARE(colorsPainted(w->ui->lbMain), 1);                    // no model yet
        QCOMPARE(colorsPainted(w->ui->lbMainRGB), 1);

        // Each placeholder is a model's picture: the one refused while the
        // form was built must still come when its model connects.
        sim::plug(0x2007, "NVA4");  // the colours page's placeholder
        QTRY_VERIFY_WITH_TIMEOUT(tu::connected(*w), 5000);
        QCOMPARE(colorsPainted(w->ui->lbMain), 64);
        QCOMPARE(colorsPainted(w->ui->lbMainRGB), 64);
        sim::unplug(0x2007);
        QTRY_VERIFY_WITH_TIMEOUT(tu::waiting(*w), 5000);
        sim::plug(0x2007, "LB370");  // the inputs page's placeholder
        QTRY_VERIFY_WITH_TIMEOUT(tu::connected(*w), 5000);
        QCOMPARE(colorsPainted(w->ui->lbMain), 64);
    }
};

ORVANE_TEST_MAIN(ProfilesTest)
#include "test_profiles.moc"
