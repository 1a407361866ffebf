// The form as uic builds it: every style sheet, the texts, the indicators'
// creation order and a few geometries. Style sheets are compared to the
// character, since other code rewrites colours inside them.
#include "testutil.h"

#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QRadioButton>
#include <QSlider>
#include <QStackedWidget>

// clang-format off
namespace {

const char *const kSidebar =
    "QPushButton {\n\tcolor: white;\n\tborder: 1px solid rgb(112, 112,112);\n\tbackground-color:rgba(0, 0, 0, 0);\n\tfont-family: "
    "Arial;\n\tfont-size: 15px;\n\tfont-weight: bold;\n}\n\nQPushButton:checked {\n\tbackground-color:qlineargradient(spread:pad, "
    "x1:0, y1:0, x2:1, y2:0, stop:0 rgba(17, 146, 207, 255), stop:1 rgba(9, 74, 105, 255))\n}\n\nQPushButton:hover {\n\tcolor: "
    "lightgray;\n}";
const char *const kIndicator =
    "QPushButton {\n\tborder-radius: 12px;\n\tbackground-color:  rgb(0,117,190);\n\tborder: 1px solid white;\n\tcolor: white;\n}";
const char *const kLabel = "QLabel {\n\tcolor:white;\n\tfont-family: Arial;\n\tfont-size:14px;\n}";
const char *const kValue = "color:white;\nfont-size:14px;";
const char *const kSlider =
    " QSlider::groove:horizontal {\n     border: 1px solid #999999;\n     height: 5px; \n     background: "
    "lightgray/*qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #B1B1B1, stop:1 #f0f0f0)*/;\n     margin: 2px 0;\n }\n\n "
    "QSlider::handle:horizontal {\n     background: #1192cf/*qlineargradient(x1:0, y1:0, x2:1, y2:1, stop:0 #b4b4b4, stop:1 "
    "#1192cf)*/;\n     border: 1px solid white/*#5c5c5c*/;\n     width: 10px;\n     margin: -4px 0; \n     border-radius: 2px;\n "
    "}\n";
const char *const kLedCircle =
    "QPushButton {\n\tborder-radius: 12px;\n\tbackground-color:  rgb(255,255,255);\n\tborder: 1px solid white;\n}";
const char *const kLedSquare =
    "QPushButton {\n\tborder-radius: 4px;\n\tbackground-color:  rgb(255,255,255);\n\tborder: 1px solid white;\n}";
const char *const kRadio =
    "QRadioButton {\n  font-family: Arial;\n  font-size: 14px;\n  color: white;\n}\n\nQRadioButton::indicator {\n  width: 10px;\n  "
    "height: 10px;\n  border-radius: 6px;\n}\n\nQRadioButton::indicator:checked {\n  background-color: rgb(17, 146, 207);\n  border: "
    "2px solid white;\n}\n\nQRadioButton::indicator:unchecked {\n  background-color: white;\n  border: 2px solid white;\n}";

QString preset(const char *rgb, const char *text) {
    return QStringLiteral("QPushButton {\n\tborder-radius: 12px;\n\tbackground-color:  rgb(%1);\n   color: %2;\n\tborder: 1px "
                          "solid white;\n}")
        .arg(QLatin1String(rgb), QLatin1String(text));
}

const char *const kIndicatorTexts[] = {
    "pbIB1",  "pbISW1", "pbID5L", "pbID5R", "pbID1L", "pbID1R", "pbIB2",   "pbIB6",  "pbJsL1", "pbJsL2", "pbJsL3",
    "pbJsL4", "pbJsLC", "pbJsLL", "pbJsLR", "pbIB5",  "pbID7L", "pbID7R",  "pbID3L", "pbID3R", "pbIB3",  "pbIB4",
    "pbIBarR", "pbSWL", "pbID8L", "pbID8R", "pbID4L", "pbID4R", "pbIB11",  "pbIB12", "pbIBarL", "pbSWR", "pbIB9",
    "pbISW2", "pbID6L", "pbID6R", "pbID2L", "pbID2R", "pbIB10", "pbIB13",  "pbJsR1", "pbJsR2", "pbJsR3", "pbJsR4",
    "pbJsRC", "pbJsRL", "pbJsRR", "pbIB14", "pbIExR", "pbIExL", "pbIEbL",  "pbIEbR"};

}  // namespace

class FormTest : public QObject {
    Q_OBJECT

    QMainWindow window;
    Ui::MainWindow ui;

    QWidget *w(const char *name) { return window.findChild<QWidget *>(QLatin1String(name)); }

private slots:
    void initTestCase() { ui.setupUi(&window); }

    void everyStyleSheet() {
        const QString sidebar = QLatin1String(kSidebar);
        const QString option = QString(sidebar).replace(QLatin1String("font-size: 15px;"), QLatin1String("font-size: 14px;"));
        QHash<QString, QString> expected;
        auto set = [&](std::initializer_list<const char *> names, const QString &style) {
            for (const char *n : names) expected.insert(QLatin1String(n), style);
        };
        set({"page1", "page2", "page3", "page4", "page5"}, QStringLiteral("QWidget {background-color: rgb(26,25,25);}"));
        set({"lbSplit"}, QStringLiteral("border-image: url(:/img/head.png)"));
        set({"lbIcon"}, QStringLiteral("border-image: url(:/img/logo.png)"));
        set({"lbHead"}, QStringLiteral("color: white;\nfont-size: 20px;\nfont-weight: bold;"));
        set({"lbLine"}, QStringLiteral("background: rgb(112,112,112)"));
        set({"pbS1", "pbS3", "pbS4", "pbS5", "pbSaveEnc", "pbSave", "pbSaveP", "pbPath", "pbUpgrade", "pbAutoUpgrade",
             "pbClearFlash"},
            sidebar);
        set({"pbS2"}, sidebar + QStringLiteral("\n\nQPushButton:disabled {\n    color: gray;\n}"));
        set({"pbEncoder", "pbBearLCa", "pbBearRCa", "pbBearExLCa", "pbBearExRCa"}, option);
        set({"pbClose"}, QStringLiteral("QPushButton {\n    border-image:url(:/img/close.png)\n}\n\nQPushButton:hover {\n    "
                                        "border-image:url(:/img/closeh.png)\n}\n"));
        set({"pbMin"}, QStringLiteral("QPushButton {\n    border-image:url(:/img/min.png)\n}\n\nQPushButton:hover {\n    "
                                      "border-image:url(:/img/minh.png)\n}\n"));
        set({"pbStatus"},
            QStringLiteral("QPushButton {\n\tborder-radius: 12px;\n\tbackground-color: red;\n\tborder: 2px solid white;\n}"));
        for (const char *n : kIndicatorTexts) expected.insert(QLatin1String(n), QLatin1String(kIndicator));
        set({"pgAdcR", "pgAdcL"},
            QStringLiteral("QProgressBar {\n\tborder-radius: 2px;\n\tbackground-color:  white;\n\tborder: 1px solid "
                           "white;\n}\n\nQProgressBar::chunk {\n     background-color: rgb(0,117,190);\n     border-radius: 2px;\n }"));
        set({"pgUpgrade"},
            QStringLiteral("QProgressBar {\n\tborder-radius: 2px;\n\tbackground-color:  white;\n\tborder: 1px solid "
                           "lightgray;\n}\n\nQProgressBar::chunk {\n     background-color: rgb(0,117,190);\n     border-radius: "
                           "2px;\n     border: 1px solid white;\n }"));
        set({"lbEnc", "lbSht", "lbBiteS", "lbLShT", "lbRShT", "lbLShT_2", "lbRShT_2", "label_4", "lbUpgrade", "lbBTStatus",
             "lbBatStatus"},
            QLatin1String(kLabel));
        set({"label_2"},
            QStringLiteral("QLabel {\n\tcolor:white;\n\tfont-family: Arial;\n\tfont-size:14px;\n\tfont-weight: bold;\n}"));
        set({"lbTrigger", "lbShifter", "lbBite", "lbCurVersion", "lbCurMd5", "lbVersion", "lbCurVer"}, QLatin1String(kValue));
        set({"hsTrigger", "hsShifter", "hsBite"}, QLatin1String(kSlider));
        set({"pbCalL", "pbCalR"},
            QStringLiteral("QPushButton {\n\tcolor: white;\n\tbackground-color: rgb(0,117,190);\n\tborder-radius: "
                           "5px;\n\tfont-family: Arial;\n\tfont-size: 10px;\n\tfont-weight: bold;\n}\n\nQPushButton:checked {\n   "
                           "color: rgb(0,117,190);\n\tbackground-color: white;\n}\n\nQPushButton:hover {\n\tcolor: "
                           "white;\n\tbackground-color: rgb(30,177,255);\n}"));
        set({"pbB1", "pbB2", "pbB3", "pbB4", "pbB5", "pbB6", "pbB9", "pbB10", "pbB11", "pbB12", "pbB13", "pbB14", "pbD3",
             "pbD4", "pbD13", "pbD16", "pbD23", "pbD26", "pbXL", "pbXR"},
            QLatin1String(kLedCircle));
        set({"pbT1", "pbT2", "pbT3", "pbT4", "pbT5", "pbT6", "pbT7", "pbT8", "pbT9", "pbT10", "pbT11", "pbT12", "pbT13",
             "pbT14", "pbT15", "pbT16", "pbT17", "pbT18", "pbT19", "pbTL1", "pbTL2", "pbTL3", "pbTR1", "pbTR2", "pbTR3"},
            QLatin1String(kLedSquare));
        expected.insert(QStringLiteral("pbSetW"), preset("255,255,255", "gray"));
        expected.insert(QStringLiteral("pbSetR"), preset("255,0,0", "white"));
        expected.insert(QStringLiteral("pbSet3"), preset("255,85,0", "white"));
        expected.insert(QStringLiteral("pbSet4"), preset("255,255,0", "white"));
        expected.insert(QStringLiteral("pbSetG"), preset("0,255,0", "white"));
        expected.insert(QStringLiteral("pbSet1"), preset("0,170,255", "white"));
        expected.insert(QStringLiteral("pbSetB"), preset("0,0,255", "white"));
        expected.insert(QStringLiteral("pbSet2"), preset("255,0,255", "white"));
        expected.insert(QStringLiteral("pbSetD"), preset("0,0,0", "white"));
        set({"gpClutch", "gpShifter"}, QStringLiteral("QGroupBox {\n  font-family: Arial;\n  font-size: 14px;\n  color: white;\n}\n"));
        set({"rbPadNo", "rbPadR", "rbPadL", "cbClutch", "cbShifter"}, QLatin1String(kRadio));
        set({"lePath"}, QStringLiteral("QLineEdit {\n  color:white;\n  border-radius: 2px;\n  border: 1px solid lightgray;\n}"));
        set({"lbMain"}, QStringLiteral("border-image: url(:/img/back.lb370.png);\n"));
        set({"lbMainRGB"}, QStringLiteral("border-image: url(:/img/back.nva4.png);"));
        set({"label"}, QStringLiteral("border-image: url(:/img/about.png);"));

        QCOMPARE(window.styleSheet(), QStringLiteral("QMainWindow#MainWindow {\n  background-color: rgb(26,25,25);\n}"));
        int named = 0;
        for (QWidget *child : window.findChildren<QWidget *>()) {
            const QString name = child->objectName();
            if (name.isEmpty() || name.startsWith(QLatin1String("qt_"))) continue;
            ++named;
            QVERIFY2(child->styleSheet() == expected.value(name), qPrintable(name));
        }
        QCOMPARE(named, 175);
    }

    void textsAndIndicators() {
        // Each indicator's text is its input number counted from 1.
        for (int n = 0; n < 52; ++n) {
            auto *b = qobject_cast<QPushButton *>(w(kIndicatorTexts[n]));
            QVERIFY2(b, kIndicatorTexts[n]);
            QCOMPARE(b->text(), QString::number(n + 1));
        }
        const QList<QPair<const char *, const char *>> texts = {
            {"lbHead", "TARNWELL"}, {"pbS1", "INPUTS"}, {"pbS2", "RGB"}, {"pbS3", "PADDLES"}, {"pbS4", "DEVICE"},
            {"pbS5", "ABOUT"}, {"pbSaveEnc", "Save Setting"}, {"lbEnc", "ENCODER PULSE WIDTH"}, {"lbTrigger", "100ms"},
            {"pbCalL", "CALIBRATE"}, {"pbCalR", "CALIBRATE"}, {"pbSave", "Save Setting"}, {"lbSht", "SHIFTER PULSE WIDTH"},
            {"lbShifter", "100ms"}, {"pbSaveP", "Save Setting"}, {"lbBiteS", "BITE POINT"}, {"lbBite", "50.00%"},
            {"rbPadNo", "DISABLE"}, {"rbPadR", "RIGHT"}, {"rbPadL", "LEFT"}, {"pbEncoder", "ASSIGN ROTARY ENCODER"},
            {"lbLShT", "LEFT SHIFTER THRESHOLD"}, {"lbRShT", "RIGHT SHIFTER THRESHOLD"}, {"pbBearLCa", "CALIBRATE"},
            {"lbLShT_2", "EXTRA L SHIFTER THRESHOLD"}, {"lbRShT_2", "EXTRA R SHIFTER THRESHOLD"},
            {"cbClutch", "ENABLE CLUTCHES"}, {"cbShifter", "ENABLE EXTRA SHIFTERS"}, {"label_4", "FIRMWARE"}, {"pbPath", "..."},
            {"pbUpgrade", "MANUAL UPDATE"}, {"lbUpgrade", "UPLOADING..."}, {"pbAutoUpgrade", "CHECK UPDATE"},
            {"lbBTStatus", "BLUETOOTH CONNECTED"}, {"lbBatStatus", "BATTERY STATUS:"}, {"pbClearFlash", "CLEAR FLASH DATA"},
            {"lbCurVer", "Orvane Version: "}, {"lbVersion", ""}, {"pbStatus", ""}, {"lbMain", ""}};
        for (const auto &[name, text] : texts) {
            QWidget *widget = w(name);
            QVERIFY2(widget, name);
            const QVariant value = widget->property("text");
            QVERIFY2(value.toString() == QLatin1String(text), name);
        }
        QCOMPARE(ui.gpClutch->title(), QStringLiteral("CLUTCH BITE POINT"));
        QCOMPARE(ui.gpShifter->title(), QStringLiteral("SHIFTERS"));
        QCOMPARE(window.windowTitle(), QStringLiteral("Tarnwell Setting"));
        QVERIFY(!ui.label_2->text().isEmpty());
    }

    void creationOrder() {
        const char *first48[] = {
            "pbIB1",  "pbIB11", "pbIB14", "pbID3L", "pbID8L", "pbIB4",  "pbID2L", "pbIB3",  "pbID1L", "pbIB5",
            "pbID4L", "pbIB10", "pbIB9",  "pbIB12", "pbIB2",  "pbID7L", "pbIB6",  "pbIB13", "pbSWL",  "pbSWR",
            "pbIBarL", "pbIBarR", "pbJsLL", "pbJsRL", "pbID1R", "pbID2R", "pbID3R", "pbID4R", "pbID5L", "pbID5R",
            "pbID6R", "pbID6L", "pbID7R", "pbID8R", "pbJsLR", "pbJsRR", "pbJsL1", "pbJsL2", "pbJsL3", "pbJsL4",
            "pbJsR2", "pbJsR4", "pbJsR3", "pbJsR1", "pbJsLC", "pbJsRC", "pbISW1", "pbISW2"};
        const QObjectList children = ui.page1->children();
        QCOMPARE(children.at(0)->objectName(), QStringLiteral("lbMain"));
        for (int i = 0; i < 48; ++i) QCOMPARE(children.at(i + 1)->objectName(), QLatin1String(first48[i]));
        QCOMPARE(children.at(49)->objectName(), QStringLiteral("pgAdcR"));
        QCOMPARE(children.last()->objectName(), QStringLiteral("pbIEbR"));

        QStringList sidebar;
        for (QObject *c : ui.centralwidget->children())
            if (c->objectName().startsWith(QLatin1String("pbS"))) sidebar << c->objectName();
        QCOMPARE(sidebar, (QStringList{"pbS1", "pbS2", "pbS4", "pbS3", "pbS5", "pbStatus"}));
        QCOMPARE(ui.centralwidget->children().last()->objectName(), QStringLiteral("pbMin"));
        for (int i = 0; i < 5; ++i)
            QCOMPARE(ui.stackedWidget->widget(i)->objectName(), QStringLiteral("page%1").arg(i + 1));
    }

    void geometryAndState() {
        QCOMPARE(window.minimumSize(), QSize(900, 500));
        QCOMPARE(window.maximumSize(), QSize(900, 500));
        QCOMPARE(window.sizePolicy().horizontalPolicy(), QSizePolicy::Fixed);
        QCOMPARE(ui.stackedWidget->currentIndex(), 1);
        QCOMPARE(ui.lbSplit->geometry(), QRect(0, 0, 901, 71));
        QCOMPARE(ui.pbS3->geometry(), QRect(0, 248, 131, 81));
        QCOMPARE(ui.stackedWidget->geometry(), QRect(140, 90, 751, 401));
        QCOMPARE(ui.hsBite->geometry(), QRect(259, 45, 371, 22));
        QCOMPARE(ui.gpShifter->geometry(), QRect(50, 170, 661, 191));
        QCOMPARE(ui.pbIB1->geometry(), QRect(120, 43, 24, 24));
        QCOMPARE(ui.pbJsLC->geometry(), QRect(206, 158, 25, 25));
        QCOMPARE(ui.pbID1L->size(), QSize(26, 25));
        QCOMPARE(ui.pbT11->geometry(), QRect(443, 73, 12, 12));
        QCOMPARE(ui.pbSetD->geometry(), QRect(720, 360, 24, 24));
        QCOMPARE(ui.lbCurMd5->geometry(), QRect(240, 150, 361, 21));
        QVERIFY(ui.pbS1->isChecked());
        for (QPushButton *b : {ui.pbS2, ui.pbS3, ui.pbS4, ui.pbS5}) QVERIFY(b->isCheckable() && !b->isChecked());
        QVERIFY(ui.rbPadL->autoExclusive());
        QVERIFY(!ui.cbClutch->autoExclusive() && !ui.cbShifter->autoExclusive());
        QCOMPARE(ui.hsBite->maximum(), 10000);
        QCOMPARE(ui.hsBite->value(), 5000);
        QCOMPARE(ui.hsTrigger->minimum(), 40);
        QCOMPARE(ui.hsTrigger->maximum(), 240);
        QCOMPARE(ui.pgAdcR->maximum(), 4096);
        QVERIFY(!ui.pgAdcR->isTextVisible());
        QVERIFY(ui.pbCalL->isCheckable() && ui.pbEncoder->isCheckable() && ui.pbBearExRCa->isCheckable());
        QCOMPARE(ui.lbHead->font().bold(), true);
        QCOMPARE(ui.pbS1->font().family(), QStringLiteral("Arial"));
        QCOMPARE(ui.lePath->font().pointSize(), 11);
        QCOMPARE(ui.pgUpgrade->font().pointSize(), 9);
    }
};
// clang-format on

ORVANE_TEST_MAIN(FormTest)
#include "test_form.moc"
