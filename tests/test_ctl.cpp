// orvanectl in-process against the simulated wheel: each command's exit
// code, what it prints and what the wheel then applies and stores; bad input
// that changes nothing; a backup restored whole, binding included.
#include "app/ctl.h"
#include "app/instance.h"
#include "settings/backup.h"
#include "testutil.h"

#include <QLocalServer>

namespace {

constexpr uint16_t kPid = 0x2007;

struct Run {
    int code;
    QString text;  // out and err
};

Run ctlRun(QStringList args, QString answers = QString()) {
    QString text;
    QTextStream out(&text), in(&answers);
    ctl::Io io{out, out, &in};
    io.firmwareWriteMs = 0;
    args.prepend(QStringLiteral("orvanectl"));
    const int code = ctl::run(args, io);
    return {code, text};
}

// A wheel of `model` as it left the factory, except for a stored encoder pulse of 150 ms.
void plug(const std::string &model) {
    tu::plugWheel(kPid, model, [](sim::WheelState &s) { s.settings[device::SetEncoderPulse] = 150; });
}

// What `after` holds that `before` did not: "paddle 14251, setting 4=120, led 0=0f, extra 2=30".
QString changes(const sim::WheelState &before, const sim::WheelState &after) {
    QStringList out;
    if (after.paddleValue != before.paddleValue) out << QStringLiteral("paddle %1").arg(after.paddleValue);
    if (after.paddleLimits != before.paddleLimits) out << QStringLiteral("limits");
    for (const auto &[sub, value] : after.settings)
        if (!before.settings.count(sub) || before.settings.at(sub) != value)
            out << QStringLiteral("setting %1=%2").arg(sub).arg(value);
    const auto bytes = [&](const char *name, const auto &was, const auto &is) {
        for (size_t i = 0; i < is.size(); ++i)
            if (is[i] != was[i])
                out << QStringLiteral("%1 %2=%3").arg(name).arg(i).arg(int(is[i]), 2, 16, QChar('0'));
    };
    bytes("led", before.ledTable, after.ledTable);
    bytes("extra", before.extraColours, after.extraColours);
    if (sim::firmwareUploads(kPid)) out << QStringLiteral("firmware %1").arg(sim::firmwareImage(kPid).size());
    return out.join(QStringLiteral(", "));
}

}  // namespace

class CtlTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString file(const char *name) const { return dir.filePath(QLatin1String(name)); }

private slots:
    void initTestCase() {
        tu::writeFile(file("image.bin"), QByteArray(int(device::kMaxFirmwareSize), '\x5A'));
        tu::writeFile(file("big.bin"), QByteArray(int(device::kMaxFirmwareSize) + 1, '\x5A'));
        tu::writeFile(file("empty.bin"), QByteArray());
    }

    // `input`: the answers typed, or for restore how its file (an M-ZEN's
    // backup, bite 42.50 % and pulse 120 ms) is spoilt: replaced whole, cut,
    // or one "key": value put in; "window": Orvane's window runs; "fault:N":
    // the wheel fails its Nth answer; "refuse": its first LED block.
    // Applied and stored: what the wheel holds then that it did not ("?":
    // not compared).
    void commands_data() {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("input");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("says");
        QTest::addColumn<QString>("applied");
        QTest::addColumn<QString>("stored");
        const QStringList restore{"restore", "backup.json"};
        const QString cleared = "setting 4=100";
        // clang-format off
        QTest::newRow("list") << "M-ZEN" << QStringList{"list"} << "" << 0 << "c872:2007  M-ZEN  firmware Mar  7 2024,15:20" << "" << "";
        QTest::newRow("show") << "M-ZEN" << QStringList{"show"} << "" << 0 << "Encoder pulse:   150 ms" << "" << "";
        QTest::newRow("set live") << "M-ZEN" << QStringList{"set", "bite=42.5", "mode=right"} << "" << 0 << "Bite point:      42.50 %" << "paddle 14251" << "";
        QTest::newRow("set mode keeps bite") << "M-ZEN" << QStringList{"set", "--store", "mode=right"} << "" << 0 << "Stored in the wheel." << "paddle 15001" << "paddle 15001";
        QTest::newRow("bite 100") << "M-ZEN" << QStringList{"set", "bite=100"} << "" << 0 << "Bite point:      100.00 %" << "paddle 10000" << "";
        QTest::newRow("set stored") << "PQV7" << QStringList{"set", "--store", "encoder-pulse=120", "clutches=off", "extra-shifters=on"} << "" << 0 << "Extra shifters:  on" << "setting 4=120, setting 8=255, setting 9=1" << "setting 4=120, setting 8=255, setting 9=1";
        QTest::newRow("leds live") << "M-ZEN" << QStringList{"leds", "B1=red"} << "" << 0 << "LED B1: #ff0000" << "led 0=0f, led 1=f0" << "";
        QTest::newRow("leds stored in record") << "M-ZEN" << QStringList{"leds", "--store", "XL=#0000ff"} << "" << 0 << "LED XL: #0000ff" << "extra 0=00, extra 1=00" << "extra 0=00, extra 1=00";
        QTest::newRow("leds stored in table") << "ZORIX" << QStringList{"leds", "--store", "xl=#102030"} << "" << 0 << "LED XL: #112735 (the nearest it shows to #102030)" << "led 117=35, led 118=56, led 119=63, extra 0=27, extra 1=11, extra 2=35" << "led 117=35, led 118=56, led 119=63, extra 0=27, extra 1=11, extra 2=35";
        QTest::newRow("clear flash") << "NVA4" << QStringList{"clear-flash"} << "y\n" << 0 << "Flash data has been cleared." << cleared << cleared;
        QTest::newRow("clear flash, Enter") << "NVA4" << QStringList{"clear-flash"} << "\n" << 1 << "Nothing done." << "" << "";
        QTest::newRow("clear flash --yes") << "NVA4" << QStringList{"clear-flash", "--yes"} << "" << 0 << "cleared" << cleared << cleared;
        QTest::newRow("flash, largest image") << "KSTAR2" << QStringList{"flash", "--yes", "image.bin"} << "" << 0 << "Firmware updated: Mar  7 2024,15:20" << "firmware 229376" << "firmware 229376";
        QTest::newRow("flash declined") << "KSTAR2" << QStringList{"flash", "image.bin"} << "n\n" << 1 << "Nothing done." << "" << "";
        QTest::newRow("restore --dry-run") << "M-ZEN" << QStringList{"restore", "--dry-run", "backup.json"} << "" << 0 << "Bite point: 50.00 % -> 42.50 %" << "" << "";
        // Everything but the colours goes to a wheel of another model.
        QTest::newRow("another model's file") << "KSTAR2" << restore << "" << 0 << "LED colours: the file comes from a wheel of the model M-ZEN" << "paddle 4250, limits, setting 4=120, setting 8=255, setting 10=60" << "paddle 4250, limits, setting 4=120, setting 8=255, setting 10=60";
        QTest::newRow("restore") << "M-ZEN" << restore << "" << 0 << "reads every value back" << "?" << "all";
        QTest::newRow("the pair's flag the wheel's") << "M-ZEN" << QStringList{"restore", "--dry-run", "backup.json"} << "pair unflagged" << 0 << "LED XL" << "" << "";
        QTest::newRow("restore refused") << "M-ZEN" << restore << "refuse" << 1 << "did not take every write" << "?" << "?";

        // Every value is checked before anything is sent.
        QTest::newRow("no command") << "M-ZEN" << QStringList{} << "" << 2 << "no command given" << "" << "";
        QTest::newRow("another command's option") << "M-ZEN" << QStringList{"show", "--store"} << "" << 2 << "show takes no --store" << "" << "";
        QTest::newRow("unknown key") << "M-ZEN" << QStringList{"set", "colour=1"} << "" << 2 << "unknown key \"colour\"" << "" << "";
        QTest::newRow("bite out of range") << "M-ZEN" << QStringList{"set", "mode=left", "bite=100.01"} << "" << 2 << "bite=100.01: a bite point from 0 to 100" << "" << "";
        QTest::newRow("bite, mode disabled") << "M-ZEN" << QStringList{"set", "mode=disabled", "bite=10"} << "" << 2 << "does not apply" << "" << "";
        QTest::newRow("pulse out of range") << "M-ZEN" << QStringList{"set", "encoder-pulse=241"} << "" << 2 << "40 to 240" << "" << "";
        QTest::newRow("switch not stored") << "PQV7" << QStringList{"set", "extra-shifters=on"} << "" << 2 << "add --store" << "" << "";
        QTest::newRow("no clutch paddles") << "LB370" << QStringList{"set", "--store", "clutches=on"} << "" << 2 << "no clutch paddles" << "" << "";
        QTest::newRow("bad colour") << "M-ZEN" << QStringList{"leds", "B1=red", "B2=#12345"} << "" << 2 << "not a colour" << "" << "";
        QTest::newRow("LED the model hides") << "M-ZEN" << QStringList{"leds", "T1=red"} << "" << 2 << "no LED \"T1\" on this M-ZEN" << "" << "";
        QTest::newRow("table not read") << "M-ZEN" << QStringList{"leds", "B1=red"} << "fault:4" << 1 << "LED colour table. Nothing was written." << "" << "";
        QTest::newRow("no wheel") << "" << QStringList{"show"} << "" << 3 << "No Tarnwell wheel found." << "" << "";
        QTest::newRow("window running") << "M-ZEN" << QStringList{"show"} << "window" << 3 << "window is running" << "" << "";
        QTest::newRow("image not .bin") << "KSTAR2" << QStringList{"flash", "--yes", "notes.txt"} << "" << 2 << "ends in .bin" << "" << "";
        QTest::newRow("image too large") << "KSTAR2" << QStringList{"flash", "--yes", "big.bin"} << "" << 2 << "larger than 229376 bytes" << "" << "";
        QTest::newRow("image empty") << "KSTAR2" << QStringList{"flash", "--yes", "empty.bin"} << "" << 2 << "empty" << "" << "";
        QTest::newRow("missing file") << "M-ZEN" << QStringList{"restore", "none.json"} << "" << 2 << "No such file" << "" << "";
        QTest::newRow("invalid JSON") << "M-ZEN" << restore << "{\"format\": orvane}" << 2 << "not valid JSON" << "" << "";
        QTest::newRow("truncated") << "M-ZEN" << restore << "cut" << 2 << "truncated" << "" << "";
        QTest::newRow("foreign") << "M-ZEN" << restore << "{\"version\": 1}" << 2 << "not an Orvane settings backup" << "" << "";
        QTest::newRow("future version") << "M-ZEN" << restore << "\"version\": 2" << 2 << "backup format 2" << "" << "";
        QTest::newRow("bite out of range in file") << "M-ZEN" << restore << "\"bite\": 100.5" << 2 << "\"bite\" is not" << "" << "";
        QTest::newRow("pulse out of range in file") << "M-ZEN" << restore << "\"encoder-pulse\": 250" << 2 << "\"encoder-pulse\" is not" << "" << "";
        QTest::newRow("unknown field") << "M-ZEN" << restore << "\"bite\": 42.5, \"turbo\": 1" << 2 << "\"turbo\" is not a field" << "" << "";
        QTest::newRow("binding of two encoders") << "M-ZEN" << restore << "\"encoder-binding\": {\"up\": 35, \"down\": 36}" << 2 << "not the two inputs of one encoder" << "" << "";
        QTest::newRow("colour edited") << "M-ZEN" << restore << "\"B1\": \"#123456\"" << 2 << "disagree" << "" << "";
        QTest::newRow("unknown model") << "M-ZEN" << restore << "\"model\": \"Z-9\"" << 2 << "does not know" << "" << "";
        QTest::newRow("model not the wheel's") << "M-ZEN" << restore << "\"model\": \"PQV7\"" << 2 << "does not know" << "" << "";
        // clang-format on
    }
    void commands() {
        QFETCH(QString, model);
        QFETCH(QStringList, args);
        QFETCH(QString, input);
        QFETCH(int, code);
        QFETCH(QString, says);
        QFETCH(QString, applied);
        QFETCH(QString, stored);
        const QString path = file("backup.json");
        sim::WheelState backedUp = sim::showroomState("M-ZEN");
        if (args.contains(QStringLiteral("backup.json"))) {
            plug("M-ZEN");
            backedUp.paddleValue = 4250;
            backedUp.paddleLimits = {4000, 3900, 100, 200};
            backedUp.settings[device::SetEncoderPulse] = 120;
            backedUp.settings[device::SetShifterPulse] = 60;
            backedUp.settings[device::SetClutchEnabled] = 255;
            backedUp.extraPresent = input != QLatin1String("pair unflagged");
            sim::setFlash(kPid, backedUp);
            settings::saveBinding(QStringLiteral("M-ZEN"), {});
            QCOMPARE(ctlRun({"backup", path}).code, 0);
            settings::saveBinding(QStringLiteral("M-ZEN"), {35, 34});  // the file's "none" must replace it
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadOnly));
            const QByteArray backup = f.readAll();
            if (input.startsWith(QLatin1Char('{'))) tu::writeFile(path, input.toUtf8());
            else if (input == QLatin1String("cut")) tu::writeFile(path, backup.left(backup.size() / 2));
            else if (input.startsWith(QLatin1Char('"'))) {
                const QByteArray key = input.section(QLatin1Char(':'), 0, 0).toUtf8();
                const qsizetype at = backup.indexOf(key), end = backup.indexOf('\n', at);
                QVERIFY(at > 0);
                tu::writeFile(path, backup.left(at) + input.toUtf8() +
                                        (backup.at(end - 1) == ',' ? "," : "") + backup.mid(end));
            }
        }
        if (model.isEmpty()) tu::resetBus();
        else plug(model.toStdString());
        QLocalServer window;
        if (input == QLatin1String("window"))
            QVERIFY(window.listen(instanceServerName(QStringLiteral("orvane"))));
        if (input.startsWith(QLatin1String("fault:")))
            sim::injectFault(sim::Op::Get, input.mid(6).toInt(), sim::Fault::Fail);
        if (input == QLatin1String("refuse")) sim::injectFault(sim::Op::Write, 1, sim::Fault::Fail);
        for (QString &arg : args)
            if (QRegularExpression(QStringLiteral("^\\w+\\.\\w+$")).match(arg).hasMatch())
                arg = dir.filePath(arg);

        const sim::WheelState before = sim::flash(kPid);
        const Run run = ctlRun(args, input.contains(QLatin1Char('\n')) ? input : QString());
        QCOMPARE(run.code, code);
        QVERIFY2(run.text.contains(says), qPrintable(run.text));
        if (applied != QLatin1String("?")) QCOMPARE(changes(before, sim::live(kPid)), applied);
        if (stored == QLatin1String("all")) {  // everything the backup holds, binding included
            QCOMPARE(changes(backedUp, sim::flash(kPid)) + changes(sim::flash(kPid), backedUp), QString());
            QVERIFY(!settings::loadBinding(QStringLiteral("M-ZEN")).bound());
        } else if (stored != QLatin1String("?")) QCOMPARE(changes(before, sim::flash(kPid)), stored);
    }
};

ORVANE_TEST_MAIN(CtlTest)
#include "test_ctl.moc"
