// Online update against a real HTTPS server on 127.0.0.1 with a certificate
// made for the test, and the update page's rules on their own.
#include "testutil.h"

#include "firmware/updatecheck.h"
#include "httpsserver.h"

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

    QTemporaryDir certs, temp, userFiles;
    HttpsServer server, untrusted;
    std::unique_ptr<TestWindow> w;
    const QByteArray fw = image(1000);

    QString url(const HttpsServer &s, const char *file) const {
        return s.base() + "/upgrade/mzen/" + QLatin1String(file);
    }
    void serve(const QByteArray &json, HttpsServer::Mode mode = HttpsServer::Mode::Normal) {
        server.files["/upgrade/mzen/version.json"] = {json, mode};
    }
    void expectBox(const tu::ModalAnswerer &box, const char *title, const char *text) {
        QCOMPARE(box.title(), QString(title));
        QCOMPARE(box.text(), QString(text));
    }

private slots:
    void initTestCase() {
        // Month names must be English whatever the user's language.
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
        // A temporary folder of our own, so parallel runs never share the download's name.
        QVERIFY(temp.isValid());
        qputenv("TMPDIR", temp.path().toLocal8Bit());
        QCOMPARE(QDir::tempPath(), QDir(temp.path()).canonicalPath());

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
        QCOMPARE(w->ui->lbVersion->text(), QString("Firmware Version:\tMar  7 2024,15:20"));
        w->updateFolder = server.base() + "/upgrade/mzen/";
        w->upgradeThread.finishStepMs = 5;
        w->timers.poll.stop();
        server.files.clear();
        server.files["/upgrade/mzen/fw.bin"] = {fw};
        server.requests.clear();
        untrusted.files = server.files;
        QFile::remove(firmware::tempFirmwarePath());
        sim::clearLog();
    }
    void cleanup() { w.reset(); }

    // Newer image: asked, downloaded, verified (upper-case digest), written
    // to the wheel; a planted link at the download's name redirects nothing.
    void newerImageReachesWheel() {
        const QString precious = userFiles.filePath("precious.bin");
        {
            QFile f(precious);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("keep me");
        }
        QVERIFY(QFile::link(precious, firmware::tempFirmwarePath()));
        serve(versionJson("Mar 7 2024,15:21", md5(fw).toUpper()));

        w->timers.retry.setInterval(100);  // back as soon as the wheel has rebooted
        auto question = tu::answerBox(QMessageBox::Yes);
        w->ui->pbAutoUpgrade->click();
        QTRY_VERIFY(question->answered());
        expectBox(*question, "Update", "A new firmware is available, update now?");
        auto done = tu::answerBox(QMessageBox::Ok);
        QTRY_VERIFY_WITH_TIMEOUT(done->answered(), 5000);
        expectBox(*done, "Notify", "Firmware updated successfully.");

        QCOMPARE(server.requests, QList<QByteArray>({"/upgrade/mzen/version.json", "/upgrade/mzen/fw.bin"}));
        QCOMPARE(sim::firmwareImage(kPid), tu::Bytes(fw.begin(), fw.end()));
        QCOMPARE(w->ui->lePath->text(), firmware::tempFirmwarePath());
        QTRY_VERIFY(w->upgradeThread.isFinished());
        QVERIFY(!QFileInfo(firmware::tempFirmwarePath()).exists());
        QVERIFY(!QFileInfo(firmware::tempFirmwarePath()).isSymLink());
        QFile kept(precious);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("keep me"));

        // Typed by hand later: checked against the digest the check left.
        QTRY_VERIFY(tu::connected(*w));
        w->ui->lePath->setText(url(server, "fw.bin"));
        auto again = tu::answerBox(QMessageBox::Ok);
        w->ui->pbUpgrade->click();
        QTRY_VERIFY_WITH_TIMEOUT(again->answered(), 5000);
        expectBox(*again, "Notify", "Firmware updated successfully.");
        QCOMPARE(sim::firmwareUploads(kPid), 2);
    }

    void checkAnswers_data() {
        QTest::addColumn<QByteArray>("wheelText");
        QTest::addColumn<QByteArray>("serverVersion");
        QTest::addColumn<QString>("message");  // empty: the question, answered No
        QTest::newRow("same minute") << QByteArray() << QByteArray("Mar 7 2024,15:20")
                                     << "Your firmware is already up to date.";
        QTest::newRow("older") << QByteArray() << QByteArray("Mar 7 2024,15:19")
                               << "Your firmware is already up to date.";
        QTest::newRow("newer, declined") << QByteArray() << QByteArray("Mar 8 2024,00:00") << QString();
        QTest::newRow("no tab") << QByteArray("Mar 7 2024,15:20") << QByteArray("Mar 8 2024,00:00")
                                << "No valid device.";
        QTest::newRow("server date unreadable")
            << QByteArray() << QByteArray("2024-03-08") << "No valid device.";
    }
    void checkAnswers() {
        QFETCH(QByteArray, wheelText);
        QFETCH(QByteArray, serverVersion);
        QFETCH(QString, message);
        if (!wheelText.isEmpty()) {
            sim::WheelState s = sim::flash(kPid);
            s.firmwareVersion = wheelText.toStdString();
            sim::setFlash(kPid, s);
            w->readFirmwareVersion();
        }
        serve(versionJson(serverVersion.constData(), md5(fw)));
        auto box = tu::answerBox(QMessageBox::No);
        w->ui->pbAutoUpgrade->click();
        QVERIFY(!w->ui->pbAutoUpgrade->isEnabled());
        QCOMPARE(w->ui->pbAutoUpgrade->text(), QString("Checking ..."));
        QTRY_VERIFY(box->answered());
        if (message.isEmpty()) expectBox(*box, "Update", "A new firmware is available, update now?");
        else expectBox(*box, "Update", message.toLatin1().constData());
        QTRY_VERIFY(pageIdle(*w));
        QTest::qWait(30);
        QCOMPARE(server.requests, QList<QByteArray>({"/upgrade/mzen/version.json"}));
    }

    // A check that gets no usable description ends quietly.
    void checkFailsQuietly_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("trusted");
        const QByteArray newer = versionJson("Mar 8 2024,00:00", md5(image(1000)));
        QByteArray huge = newer;
        huge.insert(1, "\"pad\": \"" + QByteArray(100 * 1024, 'x') + "\", ");
        QTest::newRow("not json") << QByteArray("<html>gone</html>") << 0 << true;
        QTest::newRow("closed early") << newer << int(HttpsServer::Mode::CloseEarly) << true;
        QTest::newRow("oversized") << huge << int(HttpsServer::Mode::Normal) << true;
        QTest::newRow("endless") << QByteArray() << int(HttpsServer::Mode::Endless) << true;
        QTest::newRow("untrusted certificate") << newer << 0 << false;
    }
    void checkFailsQuietly() {
        QFETCH(QByteArray, body);
        QFETCH(int, mode);
        QFETCH(bool, trusted);
        serve(body, HttpsServer::Mode(mode));
        untrusted.files = server.files;
        if (!trusted) w->updateFolder = untrusted.base() + "/upgrade/mzen/";
        auto box = tu::answerBox(QMessageBox::No);
        w->ui->pbAutoUpgrade->click();
        QTRY_VERIFY(pageIdle(*w));
        QTest::qWait(50);
        QVERIFY2(!box->answered(), qPrintable(box->text()));
        QVERIFY(!server.requests.contains("/upgrade/mzen/fw.bin"));
        QCOMPARE(untrusted.requests.size(), 0);
    }

    // A download that is not the image announced never reaches the wheel.
    void downloadRefused_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("expected");  // left in the digest label by a check
        QTest::addColumn<int>("mode");
        const QString good = "MD5: " + md5(image(1000));
        const QByteArray big = image(2 * 1024 * 1024);
        QTest::newRow("wrong digest") << "fw.bin"
                                      << "MD5: " + md5("other") << 0;
        QTest::newRow("no earlier check") << "fw.bin" << QString() << 0;
        QTest::newRow("closed early") << "fw.bin" << good << int(HttpsServer::Mode::CloseEarly);
        QTest::newRow("untrusted certificate") << "untrusted" << good << 0;
        QTest::newRow("oversized") << "big.bin"
                                   << "MD5: " + md5(big) << 0;
        QTest::newRow("endless") << "fw.bin" << good << int(HttpsServer::Mode::Endless);
    }
    void downloadRefused() {
        QFETCH(QString, address);
        QFETCH(QString, expected);
        QFETCH(int, mode);
        server.files["/upgrade/mzen/fw.bin"].mode = HttpsServer::Mode(mode);
        server.files["/upgrade/mzen/big.bin"] = {image(2 * 1024 * 1024), HttpsServer::Mode(mode)};
        untrusted.files = server.files;
        w->ui->lbCurMd5->setText(expected);
        w->ui->lePath->setText(address == "untrusted" ? url(untrusted, "fw.bin")
                                                      : url(server, address.toLatin1().constData()));
        auto box = tu::answerBox(QMessageBox::Ok);
        w->ui->pbUpgrade->click();
        QTRY_VERIFY_WITH_TIMEOUT(box->answered(), 5000);
        expectBox(*box, "Error", "Download file fail.");
        QCOMPARE(box->icon(), QMessageBox::Critical);
        QVERIFY(pageIdle(*w));
        QVERIFY(!QFileInfo::exists(firmware::tempFirmwarePath()));
        QVERIFY(!w->upgradeThread.isRunning());
        QCOMPARE(sim::firmwareUploads(kPid), 0);
        QVERIFY(tu::commands().empty());
    }

    // The page's rules with no window: dates, digests, paths.
    void rules() {
        using firmware::UpdateCheck;
        QCOMPARE(firmware::wheelDateText("Firmware Version:\tMar  7 2024,15:20"),
                 QString("Mar 7 2024,15:20"));
        QCOMPARE(firmware::wheelDateText("A\tB   C\tD"), QString("B  C"));  // one folding pass
        QCOMPARE(firmware::wheelDateText("no tab"), QString());
        QCOMPARE(firmware::parseBuildDate("Dec 31 2023,23:59"),
                 QDateTime(QDate(2023, 12, 31), QTime(23, 59), Qt::UTC));
        QVERIFY(!firmware::parseBuildDate("Dez 31 2023,23:59").isValid());
        QVERIFY(!firmware::parseBuildDate("Mar 7 2024 15:20").isValid());
        QCOMPARE(firmware::checkForUpdate("", "Mar 7 2024,15:20"), UpdateCheck::NoValidDevice);
        QCOMPARE(firmware::checkForUpdate("x\tMar 7 2024,15:20", "Mar 7 2024,15:21"), UpdateCheck::Available);
        QCOMPARE(firmware::checkForUpdate("x\tMar 7 2024,15:20", "Mar 7 2024,15:20"), UpdateCheck::UpToDate);

        const QString digest = md5("abc");
        QCOMPARE(firmware::md5Hex("abc"), digest);
        QVERIFY(firmware::digestMatches("abc", "MD5: " + digest.toUpper() + " (release)"));
        QVERIFY(!firmware::digestMatches("abd", "MD5: " + digest));
        QVERIFY(!firmware::digestMatches(QByteArray(), QString()));

        QCOMPARE(firmware::parseUpdateInfo("[1]").valid, false);
        const firmware::UpdateInfo info = firmware::parseUpdateInfo("{\"version\": 3, \"name\": \"a.bin\"}");
        QVERIFY(info.valid);
        QCOMPARE(info.version, QString());
        QCOMPARE(info.md5, QString());
        QCOMPARE(info.name, QString("a.bin"));
    }
};

ORVANE_TEST_MAIN(OnlineTest)
#include "test_online.moc"
