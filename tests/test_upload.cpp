// Firmware upload from a local image against the simulated wheel.
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

bool isBlock(const tu::Bytes &f) { return f.size() == 20 && (f[1] & 0x80); }
bool isFinish(const tu::Bytes &f) { return f.size() == 20 && f[1] == 0x10; }

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
        w->pollTimer.stop();  // a poll's sends would shift the injected faults
        sim::clearLog();
    }
    void cleanup() { w.reset(); }

    void seventeenByteImage() {
        const QByteArray data = image(17);
        const QString path = file("fw17.bin", data);
        QVERIFY(path.startsWith(QDir::tempPath()));
        w->retryTimer.setInterval(60000);  // only the reconnection after the box may reopen
        QSignalSpy spy(&w->upgradeThread, &TarnUpgrade::progress);
        auto box = upload(path);
        QVERIFY(box);
        QElapsedTimer sinceBox;
        sinceBox.start();

        QCOMPARE(box->title(), QString("Notify"));
        QCOMPARE(box->text(), QString("Firmware updated successfully."));
        QCOMPARE(box->icon(), QMessageBox::Information);
        QCOMPARE(values(spy), QList<int>({0, 90, 97, 98, 99, 100}));

        tu::Bytes first = tu::frame({0x02, 0x80, 0x00, 0x10});
        std::copy(data.begin(), data.begin() + 16, first.begin() + 4);
        tu::Bytes second = first;
        second[2] = 0x01;
        second[3] = 0x01;
        second[4] = uint8_t(data[16]);
        tu::Bytes finish = second;
        finish[1] = 0x10;
        const auto sent = tu::commands();
        QCOMPARE(sent.size(), size_t(3));
        QCOMPARE(tu::hex(sent[0]), tu::hex(first));
        QCOMPARE(tu::hex(sent[1]), tu::hex(second));
        QCOMPARE(tu::hex(sent[2]), tu::hex(finish));
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

    // The largest image, with the status poll hammering the wheel meanwhile.
    void largestImageWithPolls() {
        const QByteArray data = image(229376);
        const QString path = file("full.bin", data);
        // A USB link's pace, so the polls surely fall among the blocks.
        sim::setSendDelay(std::chrono::microseconds(20));
        QTimer poll;
        connect(&poll, &QTimer::timeout, w.get(), [this] { w->onDeviceUpdate(); });
        poll.start(0);
        QSignalSpy spy(&w->upgradeThread, &TarnUpgrade::progress);
        auto box = upload(path);
        poll.stop();
        sim::setSendDelay(std::chrono::microseconds(0));
        QVERIFY(box);
        QCOMPARE(box->text(), QString("Firmware updated successfully."));
        QCOMPARE(sim::firmwareImage(kPid), bytesOf(data));
        QCOMPARE(values(spy).last(), 100);
        QCOMPARE(values(spy).first(), 0);
        QVERIFY(values(spy).contains(95));

        const auto log = sim::frameLog();
        std::vector<sim::LogEntry> exchanges;
        for (const auto &e : log)
            if (e.op == sim::Op::Send || e.op == sim::Op::Get) exchanges.push_back(e);
        int blocks = 0, pollsDuringUpload = 0;
        bool streaming = false;
        for (size_t i = 0; i < exchanges.size(); ++i) {
            const auto &e = exchanges[i];
            if (e.op == sim::Op::Send && isBlock(e.bytes)) {
                ++blocks;
                streaming = true;
            }
            if (e.op == sim::Op::Send && isFinish(e.bytes)) streaming = false;
            if (e.op == sim::Op::Send && e.bytes[1] == 0x0B && e.result >= 0) {
                pollsDuringUpload += streaming;
                QVERIFY2(i + 1 < exchanges.size() && exchanges[i + 1].op == sim::Op::Get &&
                             exchanges[i + 1].thread == e.thread,
                         "a Read record exchange was split");
            }
        }
        QCOMPARE(blocks, 14336);
        QVERIFY(pollsDuringUpload > 0);
    }

    void emptyImageSendsOnlyFinish() {
        const QString path = file("empty.bin", QByteArray());
        QSignalSpy spy(&w->upgradeThread, &TarnUpgrade::progress);
        auto box = upload(path);
        QVERIFY(box);
        QCOMPARE(box->text(), QString("Firmware updated successfully."));
        QCOMPARE(values(spy), QList<int>({97, 98, 99, 100}));
        const auto sent = tu::commands();
        QCOMPARE(sent.size(), size_t(1));
        QCOMPARE(tu::hex(sent[0]), tu::hex(tu::frame({0x02, 0x10})));
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

    // A frame lost on the way never ends in the success message.
    void failedSend_data() {
        QTest::addColumn<int>("nth");
        QTest::addColumn<int>("delivered");
        QTest::newRow("first block") << 1 << 0;
        QTest::newRow("middle block") << 2 << 1;
        QTest::newRow("last block") << 3 << 2;
        QTest::newRow("finish frame") << 4 << 3;
    }
    void failedSend() {
        QFETCH(int, nth);
        QFETCH(int, delivered);
        const QString path = file("fw40.bin", image(40));
        sim::injectFault(sim::Op::Send, nth, sim::Fault::Fail);
        QSignalSpy spy(&w->upgradeThread, &TarnUpgrade::progress);
        auto box = upload(path);
        QVERIFY(box);
        QCOMPARE(box->title(), QString("Error"));
        QCOMPARE(box->text(), QString("Firmware update failed. Please reconnect the wheel and try again."));
        QCOMPARE(box->icon(), QMessageBox::Critical);
        const QList<int> got = values(spy);
        QCOMPARE(got.last(), -1);
        for (int v : got) QVERIFY(v < 97);

        const auto log = sim::frameLog();
        int ok = 0, finishes = 0;
        for (const auto &e : log) {
            if (e.op != sim::Op::Send) continue;
            ok += isBlock(e.bytes) && e.result > 0;
            finishes += isFinish(e.bytes);
        }
        QCOMPARE(ok, delivered);
        QCOMPARE(finishes, nth == 4 ? 1 : 0);  // only ever the failed one
        QCOMPARE(sim::firmwareUploads(kPid), 0);
        QVERIFY(w->ui->pgUpgrade->isHidden());
        QVERIFY(w->ui->pbAutoUpgrade->isEnabled());

        // The window starts over from a fresh connection.
        auto reopened = [&] {
            const auto now = sim::frameLog();
            return std::any_of(now.begin() + long(log.size()), now.end(),
                               [](const sim::LogEntry &e) { return e.op == sim::Op::Open; });
        };
        QTRY_VERIFY(reopened());
        QTRY_VERIFY(tu::connected(*w));
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
            QCOMPARE(box->text(), QString("A firmware update is in progress. Please wait until it has finished."));
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
