// Updates that break half-way: the wheel pulled or a block lost at the
// first, a middle and the last block of an upload and at its finish frame,
// and the wheel pulled while the online update downloads. Never a success
// message for an image the wheel did not get whole; the window comes back.
#include "faultutil.h"
#include "httpsserver.h"

#include "firmware/updatecheck.h"

#include <QCryptographicHash>
#include <QNetworkProxy>

namespace {

constexpr uint16_t kPid = 0x2007;
constexpr int kBlocks = 100;

QByteArray image(int size) {
    QByteArray data(size, '\0');
    for (int i = 0; i < size; ++i) data[i] = char((i * 29 + 3) & 0xFF);
    return data;
}

bool mentionsSuccess(const ft::BoxLog &boxes) { return boxes.successShown(); }

}  // namespace

class FaultsFirmwareTest : public QObject {
    Q_OBJECT

    QTemporaryDir temp, certs;
    HttpsServer server;
    std::unique_ptr<ft::Scenario> sc;
    const QByteArray fw = image(kBlocks * 16);

    TestWindow &open() {
        sc = std::make_unique<ft::Scenario>();
        sc->pid = kPid;
        sc->open("M-ZEN");
        TestWindow &w = *sc->w;
        w.upgradeThread.finishStepMs = 5;
        return w;
    }

private slots:
    void initTestCase() {
        QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
        QVERIFY(temp.isValid());
        qputenv("TMPDIR", temp.path().toLocal8Bit());
        QVERIFY(makeCert(certs.path(), "server"));
        QSslConfiguration conf = QSslConfiguration::defaultConfiguration();
        conf.addCaCertificates(QSslCertificate::fromPath(certs.filePath("server.pem")));
        QSslConfiguration::setDefaultConfiguration(conf);
        QVERIFY(server.start(certs.filePath("server.pem"), certs.filePath("server.key")));
    }
    void cleanup() {
        server.release();
        sc.reset();
    }

    void upload_data() {
        QTest::addColumn<int>("fault");
        QTest::addColumn<int>("nth");
        for (auto [name, fault] :
             {std::pair{"pulled", sim::Fault::Unplug}, std::pair{"lost", sim::Fault::Fail}}) {
            QTest::addRow("%s at the first block", name) << int(fault) << 1;
            QTest::addRow("%s at a middle block", name) << int(fault) << kBlocks / 2;
            QTest::addRow("%s at the last block", name) << int(fault) << kBlocks;
            QTest::addRow("%s at the finish", name) << int(fault) << kBlocks + 1;
        }
    }
    void upload() {
        QFETCH(int, fault);
        QFETCH(int, nth);
        TestWindow &w = open();
        QTRY_VERIFY(tu::connected(w));
        w.timers.poll.stop();  // only the upload sends
        const QString path = temp.filePath("fw.bin");
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(fw) == fw.size());
        }
        sim::injectFault(sim::Op::Send, nth, sim::Fault(fault));
        w.ui->lePath->setText(path);
        w.ui->pbUpgrade->click();
        QTRY_COMPARE(sc->boxes->boxes.size(), 1);
        QVERIFY(w.upgradeThread.wait(5000));
        QVERIFY2(!mentionsSuccess(*sc->boxes), qPrintable(sc->boxes->summary()));
        QVERIFY(sc->boxes->errorShown());
        QCOMPARE(sim::firmwareUploads(kPid), 0);
        QVERIFY(w.ui->pgUpgrade->isHidden() && w.ui->pbAutoUpgrade->isEnabled());  // ready for another try

        // Starts over from a fresh connection, or waits for the wheel.
        if (sim::Fault(fault) == sim::Fault::Unplug) {
            sc->replug();
        } else {
            QTRY_VERIFY(tu::connected(w));
        }
        if (QTest::currentTestFailed()) return;
        QVERIFY(sim::firmwareImage(kPid).empty());
        sc->closeAndCheck(sc->before);
    }

    // An upload that arrives whole reconnects once, 3 s after the message.
    void uploadArrives() {
        TestWindow &w = open();
        QTRY_VERIFY(tu::connected(w));
        w.timers.poll.stop();
        const QString path = temp.filePath("fw.bin");
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(fw) == fw.size());
        }
        sim::clearLog();
        w.ui->lePath->setText(path);
        w.ui->pbUpgrade->click();
        QTRY_COMPARE(sc->boxes->boxes.size(), 1);
        QVERIFY(mentionsSuccess(*sc->boxes));
        QCOMPARE(sim::firmwareImage(kPid), tu::Bytes(fw.begin(), fw.end()));
        // The reboot is noticed: waiting, one retry pending.
        QTRY_VERIFY(tu::waiting(w));
        QTRY_VERIFY_WITH_TIMEOUT(tu::connected(w), 4000);
        QTest::qWait(3300);
        int opened = 0;
        for (const auto &e : sim::frameLog()) opened += e.op == sim::Op::Open && e.result == 0;
        QCOMPARE(opened, 1);
        QVERIFY(tu::connected(w));
        sc->closeAndCheck(sc->before);
    }

    // Pulled while the online update downloads: the download finishes to no
    // wheel and nothing is written or claimed; back before it finishes, the
    // update goes on as the user asked; another model back instead gets
    // nothing, and the user is told.
    void pulledDuringDownload_data() {
        QTest::addColumn<QString>("back");  // the wheel on the bus as the download ends
        QTest::newRow("still away") << QString();
        QTest::newRow("back before the download ends") << "M-ZEN";
        QTest::newRow("another model instead") << "NVA4";
    }
    void pulledDuringDownload() {
        QFETCH(QString, back);
        TestWindow &w = open();
        QTRY_VERIFY(tu::connected(w));
        w.timers.poll.stop();
        w.updateFolder = server.base() + "/upgrade/mzen/";
        const QString md5 =
            QString::fromLatin1(QCryptographicHash::hash(fw, QCryptographicHash::Md5).toHex());
        server.files.clear();
        server.files["/upgrade/mzen/version.json"] = {
            "{\"version\": \"Mar 8 2024,00:00\", \"name\": \"fw.bin\", \"md5\": \"" + md5.toLatin1() + "\"}"};
        server.files["/upgrade/mzen/fw.bin"] = {fw, HttpsServer::Mode::Held};
        w.ui->pbAutoUpgrade->click();
        QTRY_COMPARE(server.held(), 1);
        QCOMPARE(sc->boxes->boxes.size(), 1);  // the question, answered Yes

        sim::unplug(kPid);
        QTRY_VERIFY(tu::waiting(w));
        if (!back.isEmpty()) {
            sim::plug(kPid, back.toStdString());
            sc->before = sim::flash(kPid);
            w.onInit();
            QTRY_VERIFY(tu::connected(w));
        }
        server.release();
        const bool sameModel = back == QLatin1String("M-ZEN");
        if (back.isEmpty()) {
            // Stored in the temporary folder, then handed to an upload that
            // finds no wheel.
            QTRY_VERIFY(QFileInfo::exists(firmware::tempFirmwarePath()));
            QTest::qWait(300);
            sc->replug();
            if (QTest::currentTestFailed()) return;
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(sc->boxes->boxes.size(), 2, 5000);
            QTRY_VERIFY_WITH_TIMEOUT(tu::connected(w), 5000);
            QTRY_VERIFY(!QFileInfo::exists(firmware::tempFirmwarePath()));
        }
        QCOMPARE(sc->boxes->summary().contains(sameModel ? "Firmware updated successfully."
                                                         : "The firmware was not updated."),
                 !back.isEmpty());
        QCOMPARE(mentionsSuccess(*sc->boxes), sameModel);
        QCOMPARE(sim::firmwareImage(kPid), sameModel ? tu::Bytes(fw.begin(), fw.end()) : tu::Bytes());
        // The page is ready for another try.
        QTRY_VERIFY(w.ui->pbAutoUpgrade->isEnabled() && w.ui->pgUpgrade->isHidden());
        sc->closeAndCheck(sc->before);
    }
};

ORVANE_TEST_MAIN(FaultsFirmwareTest)
#include "test_faults_firmware.moc"
