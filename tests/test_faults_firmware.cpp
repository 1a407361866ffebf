// Updates that break half-way: a block lost or the wheel pulled at the
// finish frame of an upload, and the wheel pulled while the online update
// downloads. Never a success message for an image the wheel did not get
// whole; the page is ready for another try and the window comes back.
#include "faultutil.h"
#include "httpsserver.h"

#include "firmware/updatecheck.h"

#include <QCryptographicHash>
#include <QNetworkProxy>

namespace {
constexpr uint16_t kPid = ft::Scenario::pid;
}  // namespace

class FaultsFirmwareTest : public QObject {
    Q_OBJECT

    QTemporaryDir temp, certs;
    HttpsServer server;
    QByteArray fw = QByteArray(1600, '\x5A');

    bool pageReady(TestWindow &w) { return w.ui->pgUpgrade->isHidden() && w.ui->pbAutoUpgrade->isEnabled(); }

private slots:
    void initTestCase() {
        QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
        QVERIFY(temp.isValid());
        qputenv("TMPDIR", temp.path().toLocal8Bit());
        for (int i = 0; i < fw.size(); ++i) fw[i] = char(i * 29 + 3);
        QVERIFY(makeCert(certs.path(), "server"));
        QSslConfiguration conf = QSslConfiguration::defaultConfiguration();
        conf.addCaCertificates(QSslCertificate::fromPath(certs.filePath("server.pem")));
        QSslConfiguration::setDefaultConfiguration(conf);
        QVERIFY(server.start(certs.filePath("server.pem"), certs.filePath("server.key")));
    }
    void cleanup() { server.release(); }

    void upload_data() {
        QTest::addColumn<int>("fault");
        QTest::addColumn<int>("nth");
        QTest::newRow("a middle block lost") << int(sim::Fault::Fail) << 50;
        QTest::newRow("pulled at the finish") << int(sim::Fault::Unplug) << 101;
    }
    void upload() {
        QFETCH(int, fault);
        QFETCH(int, nth);
        ft::Scenario sc("M-ZEN");
        TestWindow &w = *sc.w;
        QTRY_VERIFY(tu::connected(w));
        w.timers.poll.stop();  // only the upload sends
        QFile f(temp.filePath("fw.bin"));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(fw) == fw.size());
        f.close();
        sim::injectFault(sim::Op::Send, nth, sim::Fault(fault));
        w.ui->lePath->setText(f.fileName());
        w.ui->pbUpgrade->click();
        QTRY_COMPARE(sc.boxes.boxes.size(), 1);
        QVERIFY(w.upgradeThread.wait(5000));
        QVERIFY2(!sc.boxes.successShown() && sc.boxes.errorShown(), qPrintable(sc.boxes.summary()));
        QCOMPARE(sim::firmwareUploads(kPid), 0);
        QVERIFY(pageReady(w));
        // Starts over from a fresh connection, or waits for the wheel.
        sc.settle();
        if (QTest::currentTestFailed()) return;
        QVERIFY(sim::firmwareImage(kPid).empty());
        sc.closeAndCheck(sc.before);
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
        ft::Scenario sc("M-ZEN");
        TestWindow &w = *sc.w;
        QTRY_VERIFY(tu::connected(w));
        w.timers.poll.stop();
        w.upgradeThread.finishStepMs = 5;
        sim::setRebootTime(std::chrono::milliseconds(0));  // back at once: no 3 s retry to wait for
        w.updateFolder = server.base() + "/upgrade/mzen/";
        const QByteArray md5 = QCryptographicHash::hash(fw, QCryptographicHash::Md5).toHex();
        server.files.clear();
        server.files["/upgrade/mzen/version.json"] = {
            "{\"version\": \"Mar 8 2024,00:00\", \"name\": \"fw.bin\", \"md5\": \"" + md5 + "\"}"};
        server.files["/upgrade/mzen/fw.bin"] = {fw, HttpsServer::Mode::Held};
        w.ui->pbAutoUpgrade->click();
        QTRY_COMPARE(server.held(), 1);
        QCOMPARE(sc.boxes.boxes.size(), 1);  // the question, answered Yes

        sim::unplug(kPid);
        QTRY_VERIFY(tu::waiting(w));
        if (!back.isEmpty()) {
            sim::plug(kPid, back.toStdString());
            sc.before = sim::flash(kPid);
            w.onInit();
            QTRY_VERIFY(tu::connected(w));
        }
        server.release();
        const bool sameModel = back == QLatin1String("M-ZEN");
        if (back.isEmpty()) {
            // Stored in the temporary folder, then handed to an upload that
            // finds no wheel.
            QTRY_VERIFY(QFileInfo::exists(firmware::tempFirmwarePath()));
            QTRY_VERIFY(w.upgradeThread.isFinished());
            sc.replug();
            if (QTest::currentTestFailed()) return;
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(sc.boxes.boxes.size(), 2, 5000);
            QTRY_VERIFY_WITH_TIMEOUT(tu::connected(w), 5000);
            QTRY_VERIFY(!QFileInfo::exists(firmware::tempFirmwarePath()));
        }
        QCOMPARE(sc.boxes.summary().contains(sameModel ? "Firmware updated successfully."
                                                       : "The firmware was not updated."),
                 !back.isEmpty());
        QCOMPARE(sc.boxes.successShown(), sameModel);
        QCOMPARE(sim::firmwareImage(kPid), sameModel ? tu::Bytes(fw.begin(), fw.end()) : tu::Bytes());
        QTRY_VERIFY(pageReady(w));
        sc.closeAndCheck(sc.before);
    }
};

ORVANE_TEST_MAIN(FaultsFirmwareTest)
#include "test_faults_firmware.moc"
