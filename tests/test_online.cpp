// Online update against a real HTTPS server on 127.0.0.1 with a certificate
// made for the test: the check's answers, descriptions and downloads that
// must never reach the wheel, and a newer image that does.
#include "firmware/updatecheck.h"
#include "httpsserver.h"
#include "testutil.h"

#include <QCryptographicHash>
#include <QNetworkProxy>

namespace {

constexpr uint16_t kPid = 0x2007;

QByteArray image(int size) {
    QByteArray data(size, '\0');
    for (int i = 0; i < size; ++i) data[i] = char((i * 13 + 7) & 0xFF);
    return data;
}

QString md5(const QByteArray &data) {
    return QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Md5).toHex());
}

QByteArray versionJson(const char *version, const QString &md5Text) {
    return QByteArray("{\"version\": \"") + version + "\", \"name\": \"fw.bin\", \"md5\": \"" +
           md5Text.toLatin1() + "\", \"notes\": 1}";
}

bool pageIdle(TestWindow &w) {
    return w.ui->pbAutoUpgrade->isEnabled() && w.ui->pbAutoUpgrade->text() == "CHECK UPDATE" &&
           w.ui->pgUpgrade->isHidden() && w.ui->lbUpgrade->isHidden();
}

}  // namespace

class OnlineTest : public QObject {
    Q_OBJECT

    QTemporaryDir certs, userFiles;
    HttpsServer server, untrusted;
    std::unique_ptr<TestWindow> w;
    const QByteArray fw = image(1000), big = image(1024 * 1024 + 1);

    void serve(const QByteArray &json, HttpsServer::Mode mode = HttpsServer::Mode::Normal) {
        server.files["/upgrade/mzen/version.json"] = {json, mode};
        untrusted.files = server.files;
    }

private slots:
    void initTestCase() {
        // Month names must be English whatever the user's language.
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
        QVERIFY(makeCert(certs.path(), "trusted"));
        QVERIFY(makeCert(certs.path(), "untrusted"));
        QSslConfiguration conf = QSslConfiguration::defaultConfiguration();
        conf.addCaCertificates(QSslCertificate::fromPath(certs.filePath("trusted.pem")));
        QSslConfiguration::setDefaultConfiguration(conf);
        QVERIFY(server.start(certs.filePath("trusted.pem"), certs.filePath("trusted.key")));
        QVERIFY(untrusted.start(certs.filePath("untrusted.pem"), certs.filePath("untrusted.key")));
    }

    void init() {
        w = tu::connectedWindow("M-ZEN", kPid);
        QVERIFY(w);
        w->updateFolder = server.base() + "/upgrade/mzen/";
        w->upgradeThread.finishStepMs = 5;
        w->timers.poll.stop();
        server.files = {{"/upgrade/mzen/fw.bin", {fw}}, {"/upgrade/mzen/big.bin", {big}}};
        server.requests.clear();
        untrusted.files = server.files;
        sim::clearLog();
    }
    void cleanup() { w.reset(); }

    // Newer image: asked, downloaded, verified (upper-case digest), written
    // to the wheel and removed; a planted link at the download's name
    // redirects nothing.
    void newerImageReachesWheel() {
        const QString precious = userFiles.filePath("precious.bin");
        QFile f(precious);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("keep me") == 7);
        f.close();
        QVERIFY(QFile::link(precious, firmware::tempFirmwarePath()));
        serve(versionJson("Mar 7 2024,15:21", md5(fw).toUpper()));

        w->timers.retry.setInterval(100);  // back as soon as the wheel has rebooted
        tu::BoxLog boxes;                  // the question, answered Yes, and the end
        w->ui->pbAutoUpgrade->click();
        QTRY_COMPARE_WITH_TIMEOUT(boxes.said.size(), 2, 5000);
        QCOMPARE(boxes.said.last(), QString("Notify: Firmware updated successfully."));

        QCOMPARE(server.requests, QList<QByteArray>({"/upgrade/mzen/version.json", "/upgrade/mzen/fw.bin"}));
        QCOMPARE(sim::firmwareImage(kPid), tu::Bytes(fw.begin(), fw.end()));
        QTRY_VERIFY(w->upgradeThread.isFinished());
        QVERIFY(!QFileInfo(firmware::tempFirmwarePath()).isSymLink() &&
                !QFile::exists(firmware::tempFirmwarePath()));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("keep me"));
    }

    // What the check answers ("": nothing, the page back as it was), and that
    // it fetches nothing else.
    void check_data() {
        QTest::addColumn<QByteArray>("wheelText");  // the firmware version the wheel reports
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("message");
        const QByteArray newer = versionJson("Mar 8 2024,00:00", md5(image(1000)));
        QByteArray huge = newer;
        huge.insert(1, "\"pad\": \"" + QByteArray(firmware::kMaxVersionJson, 'x') + "\", ");
        // clang-format off
        const QString upToDate = "Your firmware is already up to date.";
        QTest::newRow("same minute") << QByteArray() << versionJson("Mar 7 2024,15:20", "") << 0 << upToDate;
        QTest::newRow("newer, declined") << QByteArray() << newer << 0 << "A new firmware is available, update now?";
        QTest::newRow("wheel's text without tab") << QByteArray("Mar 7 2024,15:20") << newer << 0 << "No valid device.";
        QTest::newRow("server date unreadable") << QByteArray() << versionJson("2024-03-08", "") << 0 << "No valid device.";
        QTest::newRow("not an object") << QByteArray() << QByteArray("[\"Mar 8 2024,00:00\"]") << 0 << "";
        QTest::newRow("not json") << QByteArray() << QByteArray("<html>gone</html>") << 0 << "";
        QTest::newRow("closed early") << QByteArray() << newer << int(HttpsServer::Mode::CloseEarly) << "";
        QTest::newRow("oversized") << QByteArray() << huge << 0 << "";
        QTest::newRow("endless") << QByteArray() << QByteArray() << int(HttpsServer::Mode::Endless) << "";
        QTest::newRow("untrusted certificate") << QByteArray() << newer << -1 << "";
        // clang-format on
    }
    void check() {
        QFETCH(QByteArray, wheelText);
        QFETCH(QByteArray, body);
        QFETCH(int, mode);
        QFETCH(QString, message);
        if (!wheelText.isEmpty()) {
            sim::WheelState s = sim::flash(kPid);
            s.firmwareVersion = wheelText.toStdString();
            sim::setFlash(kPid, s);
            w->readFirmwareVersion();
        }
        serve(body, HttpsServer::Mode(std::max(mode, 0)));
        if (mode < 0) w->updateFolder = untrusted.base() + "/upgrade/mzen/";
        auto box = tu::answerBox(QMessageBox::No);
        w->ui->pbAutoUpgrade->click();
        QVERIFY(!w->ui->pbAutoUpgrade->isEnabled() && w->ui->pbAutoUpgrade->text() == "Checking ...");
        if (!message.isEmpty()) QTRY_COMPARE(box->text(), message);
        QTRY_VERIFY(pageIdle(*w));
        QTest::qWait(50);
        QCOMPARE(box->text(), message);
        QCOMPARE(server.requests,
                 mode < 0 ? QList<QByteArray>() : QList<QByteArray>{"/upgrade/mzen/version.json"});
        QVERIFY(untrusted.requests.isEmpty());
    }

    // A download that is not the image announced never reaches the wheel.
    void downloadRefused_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("expected");  // left in the digest label by a check
        QTest::addColumn<int>("mode");
        const QString good = "MD5: " + md5(image(1000));
        // clang-format off
        QTest::newRow("wrong digest") << "fw.bin" << "MD5: " + md5("other") << 0;
        QTest::newRow("no earlier check") << "fw.bin" << QString() << 0;
        QTest::newRow("closed early") << "fw.bin" << good << int(HttpsServer::Mode::CloseEarly);
        QTest::newRow("untrusted certificate") << "fw.bin" << good << -1;
        QTest::newRow("oversized") << "big.bin" << "MD5: " + md5(big) << 0;
        QTest::newRow("endless") << "fw.bin" << good << int(HttpsServer::Mode::Endless);
        // clang-format on
    }
    void downloadRefused() {
        QFETCH(QString, file);
        QFETCH(QString, expected);
        QFETCH(int, mode);
        server.files["/upgrade/mzen/fw.bin"].mode = HttpsServer::Mode(std::max(mode, 0));
        untrusted.files = server.files;
        w->ui->lbCurMd5->setText(expected);
        w->ui->lePath->setText((mode < 0 ? untrusted : server).base() + "/upgrade/mzen/" + file);
        auto box = tu::answerBox(QMessageBox::Ok);
        w->ui->pbUpgrade->click();
        QTRY_VERIFY_WITH_TIMEOUT(box->answered(), 5000);
        QCOMPARE(box->text(), QString("Download file fail."));
        QCOMPARE(box->icon(), QMessageBox::Critical);
        QVERIFY(pageIdle(*w) && !QFileInfo::exists(firmware::tempFirmwarePath()));
        QVERIFY(!w->upgradeThread.isRunning() && tu::commands().empty());
    }
};

ORVANE_TEST_MAIN(OnlineTest)
#include "test_online.moc"
