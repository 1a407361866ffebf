// The window with the wheel failing, as the owner sees it: each first read
// failing or pulled, each exchange of the three Saves failing, pulls during
// calibrations, uploads and a download.
// No message claims what did not reach the wheel, the window ends waiting or
// connected, and what the wheel keeps is what it had or what a Save meant.
// Then the online update against a real HTTPS server on 127.0.0.1 with a
// certificate made for the test: the check's answers, descriptions and
// downloads that must never reach the wheel, and a newer image that does.
// What each operation makes of a failed exchange: tests/core/core_ops.
#include "httpsserver.h"
#include "testutil.h"

#include "firmware/updatecheck.h"

#include <QCryptographicHash>
#include <QNetworkProxy>

namespace {

constexpr uint16_t kPid = 0x2007;
using Reads = std::vector<std::pair<int, int>>;
enum Page { Paddles, Encoder, Colors };

// A wheel its owner set up: every stored value differs from the factory's
// and the window's defaults, so one written back unread shows.
sim::WheelState ownersWheel(const std::string &name) {
    sim::WheelState s = sim::factoryState(name);
    s.paddleValue = 12345;
    s.paddleLimits = {3900, 3800, 150, 120};
    s.settings[0x04] = 150;
    s.settings[0x0A] = 90;
    s.settings[0x08] = 1;
    s.settings[0x09] = name == "PQV7" ? 1 : 255;
    for (size_t i = 0; i < s.ledTable.size(); ++i) s.ledTable[i] = uint8_t(i * 37 + 11);
    s.extraColours = {17, 53, 86, 199, 4, 226};
    s.shifterThresholds = {{3, 1203}, {5, 1205}};
    return s;
}

// Fields of `after` that are neither what the wheel had nor what a store
// meant to put there: lost or corrupted data. Empty when all is well.
QString damaged(const sim::WheelState &before, const sim::WheelState &intended,
                const sim::WheelState &after) {
    const auto fields = [](const sim::WheelState &s) {
        QMap<QString, QString> f{{"name", QString::fromStdString(s.name)},
                                 {"paddle value", QString::number(s.paddleValue)},
                                 {"extra colours", tu::hex({s.extraColours.begin(), s.extraColours.end()})},
                                 {"led table", tu::hex(s.ledTable)}};
        for (size_t i = 0; i < 4; ++i) f[QString("limit %1").arg(i)] = QString::number(s.paddleLimits[i]);
        for (const auto &[sub, value] : s.settings)
            f[QString("setting %1").arg(sub)] = QString::number(value);
        for (const auto &[sub, value] : s.shifterThresholds)
            f[QString("threshold %1").arg(sub)] = QString::number(value);
        return f;
    };
    const auto b = fields(before), i = fields(intended), a = fields(after);
    QStringList out;
    for (const QString &k : a.keys() + b.keys())
        if (a.value(k) != b.value(k) && a.value(k) != i.value(k))
            out << k + ": had " + b.value(k) + ", meant " + i.value(k) + ", now " + a.value(k);
    return out.join('\n');
}

// The Read record requests of one fault-free connection of `name`, in order,
// up to the first status poll's.
Reads connectionReads(const char *name) {
    tu::resetBus();
    sim::plug(kPid, name);
    auto w = tu::makeWindow();
    const bool up = QTest::qWaitFor([&] {
        const auto reads = tu::readRequests();
        return tu::connected(*w) && (!w->statusPolling || (!reads.empty() && reads.back().first == 0x0F));
    });
    return up ? tu::readRequests() : Reads();
}

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

class FaultsTest : public QObject {
    Q_OBJECT

    QTemporaryDir temp, certs, userFiles;
    HttpsServer server, untrusted;
    const QByteArray fw = image(1600), big = image(1024 * 1024 + 1);
    Reads pqv7;  // what a PQV7 reads as it connects
    std::unique_ptr<tu::BoxLog> boxes;
    std::unique_ptr<TestWindow> w;
    sim::WheelState before;

    void serve(const QByteArray &json, HttpsServer::Mode mode = HttpsServer::Mode::Normal) {
        server.files["/upgrade/mzen/version.json"] = {json, mode};
        untrusted.files = server.files;
    }
    // An M-ZEN's window, its updates looked for on the test's server.
    void online() {
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

    // The owner's wheel on the bus and a window on it; `arm` runs just before the window opens.
    void open(const char *name, const std::function<void()> &arm = {}) {
        tu::resetBus();
        sim::plug(kPid, name);
        sim::setFlash(kPid, ownersWheel(name));
        before = sim::flash(kPid);
        boxes = std::make_unique<tu::BoxLog>();
        if (arm) arm();
        w = tu::makeWindow();
    }
    // After a fault: connected again, or back on the bus after a pull. A
    // retry is driven here, not waited for.
    void settle() {
        QTRY_COMPARE(sim::pendingFaults(), 0);
        if (!sim::isPlugged(kPid)) return replug();
        QTRY_VERIFY(tu::linked(*w) || tu::waiting(*w));
        if (tu::waiting(*w)) w->onInit();  // the retry, driven: no second one left pending
        QVERIFY(tu::linked(*w));
    }
    // Back on the bus after a pull: the window shows what the wheel keeps.
    void replug() {
        QTRY_VERIFY(tu::waiting(*w));
        sim::clearFaults();
        sim::plug(kPid, before.name);
        w->onInit();
        QTRY_VERIFY(tu::connected(*w));
        const sim::WheelState now = sim::flash(kPid);
        QCOMPARE(w->ui->hsBite->statusTip(), QString::number(now.paddleValue));
        QCOMPARE(w->ui->cbClutch->isChecked(), now.settings.at(0x08) == 1);
        QCOMPARE((std::array<uint16_t, 4>{uint16_t(w->rightMax), uint16_t(w->leftMax), uint16_t(w->rightMin),
                                          uint16_t(w->leftMin)}),
                 now.paddleLimits);
    }
    // The owner closes the window: no box, no thread or handle left behind,
    // nothing stored but what it had or what was `intended`.
    void closeAndCheck(const sim::WheelState &intended) {
        if (QTest::currentTestFailed()) return;
        const int shown = boxes->said.size();
        if (w->isVisible()) w->ui->pbClose->click();
        QVERIFY(w->eventThread.isFinished() && !w->upgradeThread.isRunning());
        QTest::qWait(10);  // a late box would show now
        QVERIFY2(boxes->said.size() == shown, qPrintable(boxes->said.join(" | ")));
        w.reset();
        QCOMPARE(sim::openHandles() + sim::closedHandleUses(), 0);
        const QString lost = damaged(before, intended, sim::flash(kPid));
        QVERIFY2(lost.isEmpty(), qPrintable(lost));
    }

private slots:
    void initTestCase() {
        pqv7 = connectionReads("PQV7");
        QVERIFY(pqv7.size() >= 10);
        // Month names must be English whatever the user's language.
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
        qputenv("TMPDIR", temp.path().toLocal8Bit());
        QVERIFY(makeCert(certs.path(), "trusted"));
        QVERIFY(makeCert(certs.path(), "untrusted"));
        QSslConfiguration conf = QSslConfiguration::defaultConfiguration();
        conf.addCaCertificates(QSslCertificate::fromPath(certs.filePath("trusted.pem")));
        QSslConfiguration::setDefaultConfiguration(conf);
        QVERIFY(server.start(certs.filePath("trusted.pem"), certs.filePath("trusted.key")));
        QVERIFY(untrusted.start(certs.filePath("untrusted.pem"), certs.filePath("untrusted.key")));
    }
    void cleanup() {
        server.release();
        boxes.reset();
        w.reset();
        sim::clearFaults();
    }

    // Each read of the connection failing or pulled: the window ends
    // connected, and closing it writes nothing back.
    void firstReads_data() {
        QTest::addColumn<int>("fault");
        QTest::addColumn<int>("nth");
        for (int nth = 1; nth <= int(pqv7.size()); ++nth) {
            const auto [record, sub] = pqv7[size_t(nth - 1)];
            QTest::addRow("fails at %d (%02x %02x)", nth, record, sub) << int(sim::Fault::Fail) << nth;
            QTest::addRow("pulled at %d (%02x %02x)", nth, record, sub) << int(sim::Fault::Unplug) << nth;
        }
    }
    void firstReads() {
        QFETCH(int, fault);
        QFETCH(int, nth);
        open("PQV7", [&] { sim::injectFault(sim::Op::Get, nth, sim::Fault(fault)); });
        settle();
        closeAndCheck(before);
    }

    // Each Save with one exchange failing or pulled (paddles: the record,
    // then each switch read and written; colours: the shifter width, the
    // extra pair, the blocks, the store), and with none.
    void save_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("op");
        QTest::addColumn<int>("fault");
        QTest::addColumn<int>("nth");
        const int S = int(sim::Op::Send), G = int(sim::Op::Get), W = int(sim::Op::Write);
        const int none = -1, fail = int(sim::Fault::Fail), pull = int(sim::Fault::Unplug);
        const std::array<int, 4> rows[] = {
            {Paddles, S, none, 0}, {Paddles, S, fail, 1}, {Paddles, S, fail, 2}, {Paddles, S, fail, 3},
            {Paddles, S, fail, 4}, {Paddles, S, fail, 5}, {Paddles, G, fail, 1}, {Paddles, G, fail, 2},
            {Paddles, S, pull, 3}, {Encoder, S, none, 0}, {Encoder, S, fail, 1}, {Encoder, S, pull, 1},
            {Colors, S, none, 0},  {Colors, S, fail, 1},  {Colors, S, fail, 2},  {Colors, S, fail, 3},
            {Colors, W, fail, 2},  {Colors, W, pull, 3}};
        const char *pages[] = {"paddles", "encoder", "colours"};
        for (const auto &[page, op, fault, nth] : rows)
            QTest::addRow("%s, op %d fault %d at %d", pages[page], op, fault, nth)
                << page << op << fault << nth;
    }
    void save() {
        QFETCH(int, page);
        QFETCH(int, op);
        QFETCH(int, fault);
        QFETCH(int, nth);
        open(page == Colors ? "M-ZEN" : "PQV7");
        QTRY_VERIFY(tu::connected(*w));
        w->timers.poll.stop();
        Ui::MainWindow &ui = *w->ui;
        sim::WheelState intended = before;
        QPushButton *save = ui.pbSaveEnc;
        if (page == Paddles) {
            ui.pbS3->click();
            ui.rbPadL->click();  // live, not stored
            ui.hsBite->setValue(7000);
            ui.cbShifter->setChecked(false);
            ui.cbClutch->setChecked(false);
            intended.paddleValue = 7000;
            intended.settings[0x09] = intended.settings[0x08] = 255;
            save = ui.pbSaveP;
        } else if (page == Encoder) {
            ui.hsTrigger->setValue(200);
            intended.settings[0x04] = 200;
        } else {
            ui.pbS2->click();
            ui.pbSetG->click();  // live, not stored
            ui.hsShifter->setValue(120);
            intended.ledTable = sim::live(kPid).ledTable;
            intended.extraColours = sim::live(kPid).extraColours;
            intended.settings[0x0A] = 120;
            save = ui.pbSave;
        }
        if (fault >= 0) sim::injectFault(sim::Op(op), nth, sim::Fault(fault));
        save->click();
        QTRY_COMPARE(boxes->said.size(), 1);
        QCOMPARE(sim::pendingFaults(), 0);
        // Success only when nothing failed; an error otherwise, even where
        // the live preview had sent the same colours before.
        QVERIFY2(boxes->claims("^Success|successfully") == (fault < 0) &&
                     boxes->claims("^Error: ") == (fault >= 0),
                 qPrintable(boxes->said.join(" | ")));
        QVERIFY(fault >= 0 || damaged(intended, intended, sim::flash(kPid)).isEmpty());
        settle();
        closeAndCheck(intended);
    }

    // A value the window holds from the wheel before, which this one never
    // showed or answered for, is never written into it: by Save or on close.
    // One the user sets here goes out with this wheel's limits only.
    void earlierWheelsValues_data() {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("second");
        QTest::addColumn<int>("unread");  // record << 8 | sub-index, not answered at connection
        const std::tuple<const char *, const char *, const char *, const char *, int> rows[] = {
            {"extra shifters, hidden", "PQV7", "", "M-ZEN", -1},
            {"extra shifters, unread", "PQV7", "", "ZORIX", 0x0C09},
            {"clutches, unread", "M-ZEN", "clutches off", "NVA4", 0x0C08},
            {"paddle record, unread", "M-ZEN", "bite point", "NVA4", 0x0A00},
            {"paddle record, unread, set here", "M-ZEN", "bite point here", "PQV7", 0x0A00}};
        for (const auto &[name, first, change, second, unread] : rows)
            QTest::newRow(name) << QString(first) << QString(change) << QString(second) << unread;
    }
    void earlierWheelsValues() {
        QFETCH(QString, first);
        QFETCH(QString, change);
        QFETCH(QString, second);
        QFETCH(int, unread);
        const Reads reads = connectionReads(qPrintable(second));
        open(qPrintable(first));
        QTRY_VERIFY(tu::connected(*w));
        if (change == "bite point") w->ui->rbPadL->click();  // live, not stored
        if (change == "clutches off") w->ui->cbClutch->click();

        sim::unplug(kPid);
        QTRY_VERIFY(tu::waiting(*w));
        sim::plug(kPid, second.toStdString());
        sim::setFlash(kPid, ownersWheel(second.toStdString()));
        before = sim::flash(kPid);
        for (size_t i = 0; i < reads.size(); ++i)
            if (reads[i] == std::make_pair(unread >> 8, unread & 0xFF))
                sim::injectFault(sim::Op::Get, int(i + 1), sim::Fault::Fail);
        w->onInit();
        QTRY_VERIFY(tu::connected(*w) && sim::pendingFaults() == 0);
        sim::WheelState intended = before;
        if (change == "bite point here") {
            // The wheel does not answer for the record again: no record, an error.
            w->ui->hsBite->setValue(7000);
            sim::injectFault(sim::Op::Get, 1, sim::Fault::Fail);
            w->ui->pbSaveP->click();
            QTRY_VERIFY(boxes->claims("^Error: "));
            QCOMPARE(damaged(before, before, sim::flash(kPid)), QString());
            // A live change asks the wheel first, so it applies the owner's
            // limits, and the bite point set here.
            w->ui->rbPadL->click();
            QCOMPARE(sim::live(kPid).paddleLimits, before.paddleLimits);
            QCOMPARE(sim::live(kPid).paddleValue, uint16_t(7000));
            intended.paddleValue = 7000;
        }
        w->ui->pbSaveP->click();
        QTRY_VERIFY(!boxes->said.isEmpty() && boxes->said.last().startsWith("Success: "));
        closeAndCheck(intended);
    }

    // A calibration ends with the loss: nothing half-learnt is stored,
    // reports after the return widen nothing, and the next click starts a
    // shifter calibration anew rather than finishing one the wheel never began.
    void pulledDuringCalibrations() {
        open("PQV7");
        QTRY_VERIFY(tu::connected(*w));
        w->ui->pbCalL->click();
        w->onCalibrate();
        sim::setPaddles(kPid, 2100, 3000);
        QTRY_COMPARE(w->leftMax, 3000u);
        QVERIFY(w->leftMin <= 3000u);
        w->ui->pbBearRCa->click();
        sim::unplug(kPid);
        replug();
        for (QPushButton *b : {w->ui->pbCalL, w->ui->pbBearRCa})
            QVERIFY(!b->isChecked() && b->text() == "CALIBRATE");
        sim::setPaddles(kPid, 10, 4000);
        QTRY_COMPARE(w->ui->pgAdcL->value(), 4000);
        QCOMPARE(w->leftMax, 3800u);
        sim::clearLog();
        w->ui->pbBearRCa->click();
        QCOMPARE(tu::hex(tu::commands().at(0)), tu::hex(tu::frame({0x02, 0x0C, 0x05})));
        w->ui->pbBearRCa->click();
        sim::WheelState intended = before;
        intended.shifterThresholds[5] = 1005;
        closeAndCheck(intended);
    }

    // A block lost, or the wheel pulled at the finish frame: an error, not a
    // success; nothing flashed; the page ready for another try.
    void upload_data() {
        QTest::addColumn<int>("fault");
        QTest::addColumn<int>("nth");
        QTest::newRow("a middle block lost") << int(sim::Fault::Fail) << 50;
        QTest::newRow("pulled at the finish") << int(sim::Fault::Unplug) << 101;
    }
    void upload() {
        QFETCH(int, fault);
        QFETCH(int, nth);
        open("M-ZEN");
        QTRY_VERIFY(tu::connected(*w));
        w->timers.poll.stop();  // only the upload sends
        const QString path = tu::writeFile(temp.filePath("fw.bin"), fw);
        QVERIFY(!path.isEmpty());
        sim::clearLog();
        sim::injectFault(sim::Op::Send, nth, sim::Fault(fault));
        w->ui->lePath->setText(path);
        QObject context;  // the worker's end as the window sees it: after all it said before
        bool ended = false;
        connect(&w->upgradeThread, &QThread::finished, &context, [&] { ended = true; });
        w->ui->pbUpgrade->click();
        QTRY_VERIFY_WITH_TIMEOUT(ended, 5000);
        QVERIFY2(boxes->said.size() == 1 && boxes->claims("^Error: "), qPrintable(boxes->said.join(" | ")));
        // The wheel holds part of an image: the window starts over with it.
        QTRY_VERIFY(fault != int(sim::Fault::Fail) || !tu::readRequests().empty());
        QCOMPARE(sim::firmwareUploads(kPid), 0);
        QVERIFY(w->ui->pgUpgrade->isHidden() && w->ui->pbAutoUpgrade->isEnabled());
        settle();
        closeAndCheck(before);
    }

    // Pulled while the online update downloads, back before it ends: the
    // update goes on as the user asked; another model back instead gets
    // nothing and the user is told.
    void pulledDuringDownload_data() {
        QTest::addColumn<QString>("back");  // the wheel on the bus as the download ends
        QTest::newRow("the same wheel") << "M-ZEN";
        QTest::newRow("another model") << "NVA4";
    }
    void pulledDuringDownload() {
        QFETCH(QString, back);
        open("M-ZEN");
        QTRY_VERIFY(tu::connected(*w));
        w->timers.poll.stop();
        w->upgradeThread.finishStepMs = 5;
        sim::setRebootTime(std::chrono::milliseconds(0));  // back at once: no 3 s retry to wait for
        w->updateFolder = server.base() + "/upgrade/mzen/";
        server.files["/upgrade/mzen/version.json"] = {versionJson("Mar 8 2024,00:00", md5(fw))};
        server.files["/upgrade/mzen/fw.bin"] = {fw, HttpsServer::Mode::Held};
        w->ui->pbAutoUpgrade->click();
        QTRY_COMPARE(server.held(), 1);
        QCOMPARE(boxes->said.size(), 1);  // the question, answered Yes

        sim::unplug(kPid);
        QTRY_VERIFY(tu::waiting(*w));
        sim::plug(kPid, back.toStdString());
        before = sim::flash(kPid);
        w->onInit();
        QTRY_VERIFY(tu::connected(*w));
        server.release();
        QTRY_COMPARE_WITH_TIMEOUT(boxes->said.size(), 2, 5000);
        QTRY_VERIFY(tu::connected(*w) && !QFileInfo::exists(firmware::tempFirmwarePath()));
        QCOMPARE(boxes->said.last(),
                 QString(back == "M-ZEN" ? "Notify: Firmware updated successfully."
                                         : "Error: The wheel changed during the download. "
                                           "The firmware was not updated."));
        QCOMPARE(sim::firmwareImage(kPid), back == "M-ZEN" ? tu::Bytes(fw.begin(), fw.end()) : tu::Bytes());
        QTRY_VERIFY(w->ui->pgUpgrade->isHidden() && w->ui->pbAutoUpgrade->isEnabled());
        closeAndCheck(before);
    }

    // Newer image: asked, downloaded, verified (upper-case digest), written
    // to the wheel and removed; a planted link at the download's name
    // redirects nothing.
    void newerImageReachesWheel() {
        online();
        const QString precious = tu::writeFile(userFiles.filePath("precious.bin"), "keep me");
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
        QFile f(precious);
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
        const QByteArray newer = versionJson("Mar 8 2024,00:00", md5(fw));
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
        online();
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
        const QString good = "MD5: " + md5(fw);
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
        online();
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

ORVANE_TEST_MAIN(FaultsTest)
#include "test_faults.moc"
