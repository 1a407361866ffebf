// Firmware upload from a local image against the simulated wheel.
#include "firmware/updatecheck.h"
#include "testutil.h"

#include <QElapsedTimer>
#include <QSignalSpy>

namespace {

constexpr uint16_t kPid = 0x2007;

QByteArray image(int size) {
    QByteArray data(size, '\0');
    for (int i = 0; i < size; ++i) data[i] = char((i * 37 + i / 251 + 5) & 0xFF);
    return data;
}

tu::Bytes bytesOf(const QByteArray &data) { return tu::Bytes(data.begin(), data.end()); }

QList<int> values(const QSignalSpy &spy) {
    QList<int> out;
    for (const auto &args : spy) out << args.at(0).toInt();
    return out;
}

}  // namespace

class UploadTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;  // under the temporary folder, like a user's own files there
    std::unique_ptr<TestWindow> w;

    QString file(const char *name, const QByteArray &data) {
        const QString path = dir.filePath(QLatin1String(name));
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(data) != data.size()) return {};
        return path;
    }

    // Clicks MANUAL UPDATE for `path`, answers the box that ends it and
    // waits for the worker to end.
    std::unique_ptr<tu::ModalAnswerer> upload(const QString &path) {
        w->ui->lePath->setText(path);
        auto box = tu::answerBox(QMessageBox::Ok);
        w->ui->pbUpgrade->click();
        if (!QTest::qWaitFor([&] { return box->answered() && w->upgradeThread.isFinished(); }, 10000))
            return nullptr;
        return box;
    }

private slots:
    void init() {
        w = tu::connectedWindow("M-ZEN", kPid);
        QVERIFY(w);
        w->upgradeThread.finishStepMs = 5;
        w->timers.poll.stop();  // a poll's sends would shift the injected faults
        sim::clearLog();
    }
    void cleanup() { w.reset(); }

    void seventeenByteImage() {
        const QByteArray data = image(17);
        const QString path = file("fw17.bin", data);
        QVERIFY(path.startsWith(QDir::tempPath()));
        w->timers.retry.setInterval(60000);  // only the reconnection after the box may reopen
        QSignalSpy spy(&w->upgradeThread, &TarnUpgrade::progress);
        auto box = upload(path);
        QVERIFY(box);
        QElapsedTimer sinceBox;
        sinceBox.start();

        QCOMPARE(box->title(), QString("Notify"));
        QCOMPARE(box->text(), QString("Firmware updated successfully."));
        QCOMPARE(box->icon(), QMessageBox::Information);
        QCOMPARE(values(spy), QList<int>({0, 90, 97, 98, 99, 100}));

        QCOMPARE(tu::commands().size(), size_t(3));  // two blocks and the finish (frames: core_ops)
        QCOMPARE(tu::hex(sim::firmwareImage(kPid)), tu::hex(bytesOf(data)));

        // A user's file is never removed, wherever it lies.
        QVERIFY(QFile::exists(path));
        QVERIFY(w->ui->pgUpgrade->isHidden());
        QVERIFY(w->ui->lbUpgrade->isHidden());

        // The wheel reboots: the window waits, then reconnects 3 s after the box.
        QTRY_VERIFY(tu::waiting(*w));
        QTRY_VERIFY_WITH_TIMEOUT(tu::connected(*w), 6000);
        QVERIFY(sinceBox.elapsed() >= 2500);
    }

    void emptyImageIsFinishedAtOnce() {
        QSignalSpy spy(&w->upgradeThread, &TarnUpgrade::progress);
        auto box = upload(file("empty.bin", QByteArray()));
        QVERIFY(box);
        QCOMPARE(values(spy), QList<int>({97, 98, 99, 100}));
    }

    void refusedImages_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("size");
        QTest::newRow("one byte too many") << "big.bin" << 229377;
        QTest::newRow("upper-case extension") << "fw.BIN" << 16;
        QTest::newRow("no extension") << "fw" << 16;
    }
    void refusedImages() {
        QFETCH(QString, name);
        QFETCH(int, size);
        const QString path = file(name.toLatin1().constData(), image(size));
        QVERIFY(!path.isEmpty());
        w->ui->lePath->setText(path);
        auto box = tu::answerBox(QMessageBox::Ok);
        w->ui->pbUpgrade->click();
        QVERIFY(box->answered());
        QCOMPARE(box->title(), QString("Error"));
        QCOMPARE(box->text(), QString("Not a valid firmware."));
        QCOMPARE(box->icon(), QMessageBox::Critical);
        QVERIFY(!w->upgradeThread.isRunning());
        QVERIFY(tu::commands().empty());
        QVERIFY(QFile::exists(path));
        QCOMPARE(firmware::classifyUploadPath(path, qint64(device::kMaxFirmwareSize)) ==
                     firmware::UploadPath::Image,
                 path.endsWith(QLatin1String(".bin")));
    }

    void missingFileEndsSilently() {
        QSignalSpy done(&w->upgradeThread, &QThread::finished);
        QSignalSpy spy(&w->upgradeThread, &TarnUpgrade::progress);
        w->ui->lePath->setText(dir.filePath("nothing-here.bin"));
        auto box = tu::answerBox(QMessageBox::Ok);
        w->ui->pbUpgrade->click();
        QTRY_COMPARE(done.count(), 1);
        QTest::qWait(30);
        QVERIFY(!box->answered());
        QCOMPARE(spy.count(), 0);
        QVERIFY(tu::commands().empty());
    }

    // While the worker runs: no second upload, no update check, no closing.
    void busyWhileUploading() {
        w->upgradeThread.finishStepMs = 150;
        const QString first = file("first.bin", image(64));
        const QString second = file("second.bin", image(32));
        w->ui->lePath->setText(first);
        w->ui->pbUpgrade->click();
        QVERIFY(w->upgradeThread.isRunning());  // the finishing steps alone take 600 ms

        auto refuse = [&](const std::function<void()> &act) {
            auto box = tu::answerBox(QMessageBox::Ok);
            act();
            QTRY_VERIFY(box->answered());
            QCOMPARE(box->title(), QString("Notify"));
            QCOMPARE(box->text(),
                     QString("A firmware update is in progress. Please wait until it has finished."));
        };
        w->ui->lePath->setText(second);
        refuse([&] { w->ui->pbUpgrade->click(); });
        QCOMPARE(w->upgradeThread.firmwarePath, first);
        refuse([&] { w->ui->pbAutoUpgrade->click(); });
        QCOMPARE(w->ui->pbAutoUpgrade->text(), QString("CHECK UPDATE"));
        refuse([&] { w->close(); });
        QVERIFY(w->isVisible());
        refuse([&] { w->button("pbClose")->click(); });
        QVERIFY(w->isVisible());
        QVERIFY(w->upgradeThread.isRunning());

        auto done = tu::answerBox(QMessageBox::Ok);
        QTRY_VERIFY_WITH_TIMEOUT(done->answered(), 5000);
        QCOMPARE(done->text(), QString("Firmware updated successfully."));
        QCOMPARE(sim::firmwareImage(kPid), bytesOf(image(64)));
        QTRY_VERIFY(w->upgradeThread.isFinished());
        w->close();
        QVERIFY(!w->isVisible());
    }
};

ORVANE_TEST_MAIN(UploadTest)
#include "test_upload.moc"
