// orvanectl in-process against the simulated wheel: each command's exchanges,
// bad input that writes nothing, and backup, clear flash, restore giving
// every model's stored settings back.
#include "app/ctl.h"
#include "app/instance.h"
#include "device/device.h"
#include "settings/backup.h"
#include "sim/simwheel.h"

#include <QLocalServer>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr uint16_t kPid = 0x2007;

struct Run {
    int code;
    QString out, err;
};

Run ctlRun(QStringList args, QString answers = QString()) {
    QString out, err;
    QTextStream o(&out), e(&err), in(&answers);
    ctl::Io io{o, e, &in};
    io.firmwareWriteMs = 0;
    args.prepend(QStringLiteral("orvanectl"));
    const int code = ctl::run(args, io);
    return {code, out, err};
}

void plug(const std::string &name) {
    device::Device::instance().close();
    sim::reset();
    sim::plug(kPid, name);
}

// Every frame sent, in order: "read 0c/04" for a Read record, the bytes in
// hex for the others, trailing zeros left out and runs of one byte as "ffx18".
QString exchanges() {
    QStringList out;
    for (const sim::LogEntry &e : sim::frameLog()) {
        if (e.op != sim::Op::Send && e.op != sim::Op::Write) continue;
        const std::vector<uint8_t> &b = e.bytes;
        if (e.op == sim::Op::Send && b[1] == 0x0B) {
            out << QStringLiteral("read %1").arg(b[2], 2, 16, QLatin1Char('0')) +
                       (b[3] ? QStringLiteral("/%1").arg(b[3], 2, 16, QLatin1Char('0')) : QString());
            continue;
        }
        size_t end = b.size();
        while (end > 0 && b[end - 1] == 0) --end;
        QStringList bytes;
        for (size_t i = 0; i < end;) {
            size_t run = 1;
            while (i + run < end && b[i + run] == b[i]) ++run;
            const QString hex = QStringLiteral("%1").arg(b[i], 2, 16, QLatin1Char('0'));
            if (run >= 4) bytes << hex + QStringLiteral("x%1").arg(run);
            else
                for (size_t k = 0; k < run; ++k) bytes << hex;
            i += run;
        }
        out << bytes.join(QLatin1Char(' '));
    }
    return out.join(QStringLiteral("; "));
}

// Command bytes written (LED blocks as 3), reads left out.
QSet<int> writes() {
    QSet<int> out;
    for (const sim::LogEntry &e : sim::frameLog()) {
        if (e.op == sim::Op::Write) out << 3;
        if (e.op == sim::Op::Send && e.bytes[1] != 0x0B) out << e.bytes[1];
    }
    return out;
}

QByteArray readAll(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
void writeAll(const QString &path, const QByteArray &data) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(data);
}

}  // namespace

class CtlTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() {
        device::Device::instance().close();
        sim::reset();
    }

    void commands_data() {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("answers");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("shows");
        QTest::addColumn<QString>("exchanges");
        const QString blocks4 = QStringLiteral("03 01 ffx18; 03 03 ffx18; 03 02 ffx18");
        const QString image17 = QStringLiteral("02 03 04 05 06 07 08 09 0a 0b 0c 0d 0e 0f 10");
        QTest::newRow("list") << "M-ZEN" << QStringList{"list"} << "" << 0
                              << "c872:2007  M-ZEN  firmware Mar  7 2024,15:20"
                              << "read 0d; read 09";
        QTest::newRow("show") << "M-ZEN" << QStringList{"show"} << "" << 0 << "Bite point:      50.00 %"
                              << "read 0d; read 11; read 00; read 01; read 02; read 03; read 0a; read 0c/04; "
                                 "read 0c/0a; read 0c/08; read 09; read 0f";
        QTest::newRow("set live") << "M-ZEN" << QStringList{"set", "bite=42.5", "mode=right"} << "" << 0
                                  << "Bite point:      42.50 %"
                                  << "read 0d; read 0a; 02 0a ab 37 00 00 10 00 10";
        QTest::newRow("set stored")
            << "PQV7"
            << QStringList{"set", "--store", "encoder-pulse=120", "clutches=off", "extra-shifters=on"} << ""
            << 0 << "Extra shifters:  on"
            << "read 0d; 02 0c 04 78 00 00 00 ef; read 0c/08; 02 0c 08 ff 00 00 00 ef; read 0c/09; "
               "02 0c 09 01 00 00 00 ef";
        QTest::newRow("leds live") << "M-ZEN" << QStringList{"leds", "B1=red"} << "" << 0 << "LED B1: #ff0000"
                                   << "read 0d; read 11; read 00; read 01; read 02; read 03; 02 11 00 ffx6; "
                                      "03 00 0f f0 ffx16; " +
                                          blocks4;
        // ZORIX keeps its extra pair in the table, in green, red, blue order.
        QTest::newRow("leds stored in table")
            << "ZORIX" << QStringList{"leds", "--store", "xl=#102030"} << "" << 0
            << "LED XL: #112735 (the nearest it shows to #102030)"
            << "read 0d; read 00; read 01; read 02; read 03; read 04; read 05; read 06; read 07; "
               "02 11 ef 27 11 35 ff ff ff; 03 00 ffx18; 03 01 ffx18; 03 03 ffx18; 03 04 ffx18; 03 05 ffx18; "
               "03 06 ffx9 35 56 63 ffx6; 03 07 ffx18; 03 02 ffx18; 02 0e";
        QTest::newRow("clear flash") << "NVA4" << QStringList{"clear-flash"} << "y\n"
                                     << 0 << "Flash data has been cleared."
                                     << "read 0d; 02 0c 10";
        QTest::newRow("clear flash declined") << "NVA4" << QStringList{"clear-flash"} << "n\n"
                                              << 1 << "Nothing done."
                                              << "read 0d";
        QTest::newRow("flash") << "KSTAR2" << QStringList{"flash", "--yes", "image.bin"} << "" << 0
                               << "Firmware updated: Mar  7 2024,15:20"
                               << "read 0d; read 09; 02 80 00 10 01 " + image17 + "; 02 80 01 01 11 " +
                                      image17 + "; 02 10 01 01 11 " + image17 + "; read 09";
    }
    void commands() {
        QFETCH(QString, model);
        QFETCH(QStringList, args);
        QFETCH(QString, answers);
        QFETCH(int, code);
        QFETCH(QString, shows);
        QFETCH(QString, exchanges);
        QTemporaryDir dir;
        QByteArray image;
        for (char c = 1; c <= 17; ++c) image += c;
        writeAll(dir.filePath(QStringLiteral("image.bin")), image);
        args.replaceInStrings(QStringLiteral("image.bin"), dir.filePath(QStringLiteral("image.bin")));
        plug(model.toStdString());
        const Run run = ctlRun(args, answers);
        QCOMPARE(run.code, code);
        QVERIFY2(run.out.contains(shows), qPrintable(run.out + run.err));
        QCOMPARE(::exchanges(), exchanges);
    }

    // Every value is checked before anything is sent: bad input, a damaged
    // file or a wheel that does not answer a read writes nothing.
    void badInput_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("file");  // restore's file: a backup of this wheel edited so
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("says");
        QTest::addColumn<QSet<int>>("written");
        const QStringList restore{"restore", "backup.json"};
        QTest::newRow("unknown key") << QStringList{"set", "colour=1"} << "" << 2 << "unknown key \"colour\""
                                     << QSet<int>{};
        QTest::newRow("bite out of range") << QStringList{"set", "mode=left", "bite=100.01"} << "" << 2
                                           << "bite=100.01: a bite point from 0 to 100" << QSet<int>{};
        QTest::newRow("pulse out of range")
            << QStringList{"set", "encoder-pulse=241"} << "" << 2 << "40 to 240" << QSet<int>{};
        QTest::newRow("switch not stored")
            << QStringList{"set", "clutches=off"} << "" << 2 << "add --store" << QSet<int>{};
        QTest::newRow("bad colour") << QStringList{"leds", "B1=red", "B2=#12345"} << "" << 2 << "not a colour"
                                    << QSet<int>{};
        QTest::newRow("LED the model hides")
            << QStringList{"leds", "T1=red"} << "" << 2 << "no LED \"T1\" on this M-ZEN" << QSet<int>{};
        QTest::newRow("table not read") << QStringList{"leds", "B1=red"} << "fault" << 1
                                        << "LED colour table. Nothing was written." << QSet<int>{};
        QTest::newRow("window running")
            << QStringList{"show"} << "window" << 3 << "window is running" << QSet<int>{};
        QTest::newRow("missing file")
            << QStringList{"restore", "none.json"} << "" << 2 << "No such file" << QSet<int>{};
        QTest::newRow("invalid JSON")
            << restore << "{\"format\": orvane}" << 2 << "not valid JSON" << QSet<int>{};
        QTest::newRow("truncated") << restore << "cut" << 2 << "truncated" << QSet<int>{};
        QTest::newRow("foreign") << restore << "{\"version\": 1}" << 2 << "not an Orvane settings backup"
                                 << QSet<int>{};
        QTest::newRow("future version")
            << restore << "\"version\": 2" << 2 << "backup format 2" << QSet<int>{};
        QTest::newRow("bite out of range in file")
            << restore << "\"bite\": 100.5" << 2 << "\"bite\" is not" << QSet<int>{};
        QTest::newRow("colour edited") << restore << "\"B1\": \"#123456\"" << 2 << "disagree" << QSet<int>{};
        QTest::newRow("unknown model")
            << restore << "\"model\": \"Z-9\"" << 2 << "does not know" << QSet<int>{};
        // Everything but the colours goes to a wheel of another model.
        QTest::newRow("another model's file")
            << restore << "KSTAR2" << 0 << "LED colours: the file comes from a wheel of the model KSTAR2"
            << QSet<int>{0x0A, 0x0C};
    }
    void badInput() {
        QFETCH(QStringList, args);
        QFETCH(QString, file);
        QFETCH(int, code);
        QFETCH(QString, says);
        QFETCH(QSet<int>, written);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("backup.json"));
        plug(file == QLatin1String("KSTAR2") ? "KSTAR2" : "M-ZEN");
        QCOMPARE(ctlRun({"backup", path}).code, 0);
        plug("M-ZEN");
        const QByteArray backup = readAll(path);
        if (file.startsWith(QLatin1Char('{'))) writeAll(path, file.toUtf8());
        else if (file == QLatin1String("cut")) writeAll(path, backup.left(backup.size() / 2));
        else if (file.contains(QLatin1Char(':'))) {
            const QByteArray key = file.section(QLatin1Char(':'), 0, 0).toUtf8();
            const qsizetype at = backup.indexOf(key), end = backup.indexOf('\n', at);
            QVERIFY(at > 0);
            writeAll(path, backup.left(at) + file.toUtf8() + (backup.at(end - 1) == ',' ? "," : "") +
                               backup.mid(end));
        }
        QLocalServer window;
        if (file == QLatin1String("window"))
            QVERIFY(window.listen(instanceServerName(QStringLiteral("orvane"))));
        if (file == QLatin1String("fault")) sim::injectFault(sim::Op::Get, 4, sim::Fault::Fail);
        args.replaceInStrings(QStringLiteral("backup.json"), path);
        const sim::WheelState before = sim::flash(kPid);
        sim::clearLog();
        const Run run = ctlRun(args);
        QCOMPARE(run.code, code);
        QVERIFY2((run.err + run.out).contains(says), qPrintable(run.err + run.out));
        QCOMPARE(writes(), written);
        if (written.isEmpty()) QCOMPARE(sim::live(kPid).ledTable, before.ledTable);
    }

    // Backup, clear flash, restore: the stored settings come back exactly,
    // and so does the encoder binding the window keeps for the wheel.
    void roundTrip_data() {
        QTest::addColumn<QString>("model");
        for (const device::Profile &row : device::profiles())
            QTest::newRow(row.modelString) << row.modelString;
    }
    void roundTrip() {
        QFETCH(QString, model);
        const std::string name = "Tarnwell " + model.toStdString();
        plug(name);
        const settings::Model m = settings::modelOf(name);
        const sim::WheelState factory = sim::flash(kPid);
        sim::WheelState s = sim::showroomState(name);
        s.settings[device::SetEncoderPulse] = 150;
        s.settings[device::SetShifterPulse] = 60;
        if (m.paddles()) {
            s.paddleValue = 14251;
            s.paddleLimits = {4000, 3900, 100, 200};
            s.settings[device::SetClutchEnabled] = 255;
        }
        if (m.extraShifters()) s.settings[device::SetExtraShiftersEnabled] = 1;
        if (!m.led().layout) s.ledTable = factory.ledTable;
        if (m.led().extraPair == leds::ExtraPairStore::None) s.extraColours = factory.extraColours;
        // What the window sends for a ZORIX's pair: table positions 78 and 26.
        if (m.led().extraPair == leds::ExtraPairStore::InTable) s.extraColours = {106, 0, 255, 255, 199, 0};
        sim::setFlash(kPid, s);
        const QString wheel = QString::fromStdString(name);
        settings::saveBinding(wheel, {35, 34});

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("settings.json"));
        QCOMPARE(ctlRun({"backup", path}).code, 0);
        QCOMPARE(ctlRun({"clear-flash", "--yes"}).code, 0);
        settings::saveBinding(wheel, {});
        QVERIFY(sim::flash(kPid).settings != s.settings);
        const Run run = ctlRun({"restore", path});
        QVERIFY2(run.code == 0, qPrintable(run.out + run.err));

        const sim::WheelState back = sim::flash(kPid);
        QCOMPARE(back.paddleValue, s.paddleValue);
        QCOMPARE(back.paddleLimits, s.paddleLimits);
        QCOMPARE(back.settings, s.settings);
        QCOMPARE(back.ledTable, s.ledTable);
        QCOMPARE(back.extraColours, s.extraColours);
        QCOMPARE(back.shifterThresholds, s.shifterThresholds);
        QCOMPARE(settings::loadBinding(wheel).up, 35);
        QCOMPARE(settings::loadBinding(wheel).down, 34);
    }
};

int main(int argc, char *argv[]) {
    // The settings store and the guard's runtime folder in a scratch folder.
    QTemporaryDir scratch;
    qputenv("XDG_CONFIG_HOME", scratch.path().toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", scratch.path().toLocal8Bit());
    QCoreApplication app(argc, argv);
    CtlTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    const int result = QTest::qExec(&test, argc, argv);
    device::Device::instance().close();
    return result;
}

#include "test_ctl.moc"
