#include "ctl.h"

#include "app/instance.h"
#include "device/access.h"
#include "device/wheelops.h"
#include "firmware/firmwareops.h"
#include "leds/ledops.h"
#include "settings/backup.h"
#include "settings/settingops.h"

#include <QColor>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QTextStream>
#include <QThread>

#include <algorithm>
#include <map>
#include <tuple>

namespace ctl {
namespace {

using device::PaddleMode;
using settings::WheelSettings;

const char kUsage[] = R"(Usage: orvanectl COMMAND [OPTIONS] [ARGUMENTS]

Commands:
  list                             the attached wheels
  show [--json]                    everything the wheel stores
  set [--store] KEY=VALUE...       bite (0 to 100), mode (left, right, disabled),
                                   encoder-pulse, shifter-pulse (40 to 240 ms),
                                   clutches, extra-shifters (on, off)
  leds [--store] TARGET=COLOUR...  all or an LED name from show; #rrggbb or a colour name
  backup FILE                      the wheel's settings into FILE
  restore [--dry-run] FILE         the settings of FILE back into the wheel
  flash [--yes] FILE.bin           update the wheel's firmware
  clear-flash [--yes]              erase the settings the wheel stores

Without --store the wheel applies values only; with it, it keeps them.
Exit status: 0 done, 1 the wheel failed or refused, 2 bad usage or input,
3 no wheel, no permission, or Orvane's window holds the wheel. See orvanectl(1).
)";

// The options each command takes, and how many arguments (-1: one or more).
struct Command {
    const char *name;
    const char *option;
    int arguments;
};
const Command kCommands[] = {
    {"list", nullptr, 0},   {"show", "json", 0},       {"set", "store", -1}, {"leds", "store", -1},
    {"backup", nullptr, 1}, {"restore", "dry-run", 1}, {"flash", "yes", 1},  {"clear-flash", "yes", 0},
};

// What `set` is asked to change; each key once.
struct SetRequest {
    std::optional<int> bite;  // hundredths of a percent
    std::optional<PaddleMode> mode;
    std::optional<int> encoderPulse, shifterPulse;
    std::optional<bool> clutches, extraShifters;
};

std::optional<int> biteOf(const QString &text) {
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,3})(?:\\.(\\d{1,2}))?%?$"));
    const QRegularExpressionMatch m = pattern.match(text);
    if (!m.hasMatch()) return std::nullopt;
    const int hundredths =
        m.captured(1).toInt() * 100 + m.captured(2).leftJustified(2, QLatin1Char('0')).toInt();
    if (hundredths > device::kPaddleMaxLeft) return std::nullopt;
    return hundredths;
}

std::optional<int> pulseOf(const QString &text) {
    bool ok = false;
    const int ms = text.toInt(&ok);
    if (!ok || ms < 40 || ms > 240) return std::nullopt;
    return ms;
}

std::optional<bool> switchOf(const QString &text) {
    if (text == QLatin1String("on")) return true;
    if (text == QLatin1String("off")) return false;
    return std::nullopt;
}

std::optional<PaddleMode> modeOf(const QString &text) {
    if (text == QLatin1String("left")) return PaddleMode::Left;
    if (text == QLatin1String("right")) return PaddleMode::Right;
    if (text == QLatin1String("disabled")) return PaddleMode::Disabled;
    return std::nullopt;
}

// #rrggbb, or a name in Qt's table of colour names.
std::optional<leds::Rgb> colorOf(const QString &text) {
    static const QRegularExpression hex(QStringLiteral("^#[0-9a-fA-F]{6}$"));
    static const QRegularExpression name(QStringLiteral("^[a-zA-Z]+$"));
    if (!hex.match(text).hasMatch() && !(name.match(text).hasMatch() && text != QLatin1String("transparent")))
        return std::nullopt;
    const QColor c = QColor::fromString(text);
    if (!c.isValid()) return std::nullopt;
    return leds::Rgb{uint8_t(c.red()), uint8_t(c.green()), uint8_t(c.blue())};
}

class Runner {
public:
    explicit Runner(Io &io) : m_io(io), m_wheel(device::Device::instance()) {}
    ~Runner() { m_wheel.close(); }
    Runner(const Runner &) = delete;
    Runner &operator=(const Runner &) = delete;

    int run(const QStringList &arguments);

private:
    int list();
    int show(bool json);
    int set(const QStringList &pairs, bool store);
    int colorLeds(const QStringList &pairs, bool store);
    int backup(const QString &path);
    int restore(const QString &path, bool dryRun);
    int flash(const QString &path, bool yes);
    int clearFlash(bool yes);

    int fail(int code, const QString &line) {
        m_io.err << "orvanectl: " << line << '\n';
        m_io.err.flush();
        return code;
    }
    int usage(const QString &line) {
        fail(BadInput, line);
        m_io.err << "Try 'orvanectl --help'.\n";
        return BadInput;
    }
    void say(const QString &line) {
        m_io.out << line << '\n';
        m_io.out.flush();
    }
    void sayAll(const std::vector<std::pair<QString, QString>> &lines) {
        for (const auto &[label, value] : lines)
            say(QStringLiteral("%1 %2").arg(label + QLatin1Char(':'), -16).arg(value));
    }
    // Two programs on one wheel would split each other's exchanges.
    int refuseWhileWindowRuns();
    // Opens the first wheel.
    int open();
    // open() and the wheel's name and model.
    int identify(WheelSettings &s);
    bool ask(const QString &question);

    Io &m_io;
    device::Device &m_wheel;
};

int Runner::run(const QStringList &arguments) {
    QCommandLineParser parser;
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
    parser.addOption(help);
    std::map<QString, QCommandLineOption> options;
    for (const char *name : {"json", "store", "dry-run", "yes"}) {
        options.emplace(QLatin1String(name), QCommandLineOption(QLatin1String(name)));
        parser.addOption(options.at(QLatin1String(name)));
    }
    if (!parser.parse(arguments)) return usage(parser.errorText());
    QStringList args = parser.positionalArguments();
    if (parser.isSet(help)) {
        m_io.out << kUsage;
        return Done;
    }
    if (args.isEmpty()) return usage(QStringLiteral("no command given"));
    const QString name = args.takeFirst();
    const auto command = std::find_if(std::begin(kCommands), std::end(kCommands),
                                      [&](const Command &c) { return name == QLatin1String(c.name); });
    if (command == std::end(kCommands)) return usage(QStringLiteral("unknown command \"%1\"").arg(name));
    for (const auto &[option, parsed] : options) {
        if (parser.isSet(parsed) && (!command->option || option != QLatin1String(command->option)))
            return usage(QStringLiteral("%1 takes no --%2").arg(name, option));
    }
    if (command->arguments >= 0 ? args.size() != command->arguments : args.isEmpty())
        return usage(QStringLiteral("wrong number of arguments for %1").arg(name));
    const bool flag = command->option && parser.isSet(options.at(QLatin1String(command->option)));

    if (name == QLatin1String("list")) return list();
    if (name == QLatin1String("show")) return show(flag);
    if (name == QLatin1String("set")) return set(args, flag);
    if (name == QLatin1String("leds")) return colorLeds(args, flag);
    if (name == QLatin1String("backup")) return backup(args.first());
    if (name == QLatin1String("restore")) return restore(args.first(), flag);
    if (name == QLatin1String("flash")) return flash(args.first(), flag);
    return clearFlash(flag);
}

int Runner::refuseWhileWindowRuns() {
    if (!instanceRunning(QStringLiteral("orvane"))) return Done;
    return fail(NoWheel, QStringLiteral("Orvane's window is running; close it first (two programs on one "
                                        "wheel would split each other's exchanges)."));
}

int Runner::open() {
    if (const int code = refuseWhileWindowRuns()) return code;
    if (device::openWheel(m_wheel)) return Done;
    if (!device::wheelsWithoutAccess(device::waitingScan()).empty())
        return fail(NoWheel, QLatin1String(device::kNoAccessHint));
    return fail(NoWheel, QStringLiteral("No Tarnwell wheel found."));
}

int Runner::identify(WheelSettings &s) {
    if (const int code = open()) return code;
    const std::optional<std::string> name = device::readIdentity(m_wheel);
    if (!name) return fail(Failed, QStringLiteral("The wheel did not answer the read of its name."));
    s.wheel = *name;
    s.model = settings::modelOf(*name);
    return Done;
}

bool Runner::ask(const QString &question) {
    m_io.out << question << " [y/N] ";
    m_io.out.flush();
    const QString answer = m_io.in ? m_io.in->readLine().trimmed().toLower() : QString();
    if (!m_io.typed) m_io.out << '\n';
    if (answer == QLatin1String("y") || answer == QLatin1String("yes")) return true;
    say(QStringLiteral("Nothing done."));
    return false;
}

int Runner::list() {
    if (const int code = refuseWhileWindowRuns()) return code;
    const std::vector<uint16_t> blocked = device::wheelsWithoutAccess(device::waitingScan());
    bool opened = false, listed = false;
    for (const uint16_t pid : device::kProductIds) {
        const QString id = QStringLiteral("c872:%1").arg(pid, 4, 16, QLatin1Char('0'));
        if (!m_wheel.open(device::kVendorId, pid)) {
            if (std::find(blocked.begin(), blocked.end(), pid) == blocked.end()) continue;
            say(QStringLiteral("%1  cannot be opened: %2").arg(id, QLatin1String(device::kNoAccessHint)));
            listed = true;
            continue;
        }
        const std::optional<std::string> name = device::readIdentity(m_wheel);
        const std::optional<std::string> version = device::readFirmwareVersion(m_wheel);
        m_wheel.close();
        const settings::Model model = settings::modelOf(name.value_or(std::string()));
        // The wheel's own name where it says more than the model's.
        QString what = model.profile ? model.name() : QStringLiteral("unknown");
        if (name && QString::fromStdString(*name) != what)
            what += QStringLiteral(" (\"%1\")").arg(QString::fromStdString(*name));
        say(QStringLiteral("%1  %2  firmware %3")
                .arg(id, what,
                     version ? QString::fromStdString(*version).trimmed() : QStringLiteral("(no answer)")));
        opened = listed = true;
    }
    if (!listed) return fail(NoWheel, QStringLiteral("No Tarnwell wheel found."));
    return opened ? Done : NoWheel;
}

int Runner::show(bool json) {
    if (const int code = open()) return code;
    QString failure;
    const std::optional<WheelSettings> s = settings::readWheelSettings(m_wheel, &failure);
    if (!s) return fail(Failed, failure);
    if (json) m_io.out << QJsonDocument(settings::toJson(*s, false)).toJson();
    else sayAll(settings::describe(*s));
    return Done;
}

int Runner::set(const QStringList &pairs, bool store) {
    SetRequest r;
    for (const QString &pair : pairs) {
        const QString key = pair.section(QLatin1Char('='), 0, 0);
        const QString value = pair.section(QLatin1Char('='), 1);
        if (!pair.contains(QLatin1Char('=')))
            return usage(QStringLiteral("\"%1\" is not KEY=VALUE").arg(pair));
        // Each key: where its value goes, how it reads, and what it may be.
        auto take = [&](auto &field, auto parsed, const char *allowed) {
            if (field) return usage(QStringLiteral("%1 is given twice").arg(key));
            if (!parsed) return usage(QStringLiteral("%1: %2").arg(pair, QLatin1String(allowed)));
            field = *parsed;
            return int(Done);
        };
        int code = Done;
        if (key == QLatin1String("bite"))
            code = take(r.bite, biteOf(value), "a bite point from 0 to 100 (two decimals at most)");
        else if (key == QLatin1String("mode")) code = take(r.mode, modeOf(value), "left, right or disabled");
        else if (key == QLatin1String("encoder-pulse"))
            code = take(r.encoderPulse, pulseOf(value), "40 to 240 (ms)");
        else if (key == QLatin1String("shifter-pulse"))
            code = take(r.shifterPulse, pulseOf(value), "40 to 240 (ms)");
        else if (key == QLatin1String("clutches")) code = take(r.clutches, switchOf(value), "on or off");
        else if (key == QLatin1String("extra-shifters"))
            code = take(r.extraShifters, switchOf(value), "on or off");
        else
            return usage(QStringLiteral("unknown key \"%1\" (keys: bite, mode, encoder-pulse, shifter-pulse, "
                                        "clutches, extra-shifters)")
                             .arg(key));
        if (code) return code;
    }
    // The wheel keeps a switch as soon as it takes it; there is nothing to apply only.
    if ((r.clutches || r.extraShifters) && !store)
        return usage(QStringLiteral("clutches and extra-shifters are only written stored: add --store"));

    WheelSettings s;
    if (const int code = identify(s)) return code;
    const QString model = s.model.profile ? s.model.name() : QString::fromStdString(s.wheel);
    if ((r.bite || r.mode || r.clutches) && !s.model.paddles())
        return usage(QStringLiteral("this %1 has no clutch paddles (bite, mode, clutches)").arg(model));
    if (r.extraShifters && !s.model.extraShifters())
        return usage(QStringLiteral("this %1 has no extra shifters").arg(model));

    WheelSettings done;
    if (r.bite || r.mode) {
        // The record carries the calibration too: only the wheel's own goes back.
        std::optional<device::PaddleRecord> record = settings::readPaddleRecord(m_wheel);
        if (!record)
            return fail(Failed, QStringLiteral("The wheel did not answer the read of its paddle record; "
                                               "nothing was written."));
        const device::PaddleSetting now = device::decodePaddleValue(record->value);
        const PaddleMode mode = r.mode.value_or(now.mode);
        if (r.bite && mode == PaddleMode::Disabled)
            return usage(
                QStringLiteral("the paddle mode is disabled, so a bite point does not apply: give "
                               "mode=left or mode=right with it"));
        record->value = device::encodePaddleValue(mode, r.bite.value_or(now.bitePoint));
        if (!settings::writePaddleRecord(m_wheel, *record, store))
            return fail(Failed, QStringLiteral("The wheel did not take the paddle record."));
        done.paddle = record;
    }
    for (auto [sub, value, field] :
         {std::make_tuple(device::SetEncoderPulse, r.encoderPulse, &done.encoderPulse),
          std::make_tuple(device::SetShifterPulse, r.shifterPulse, &done.shifterPulse)}) {
        if (!value) continue;
        if (!settings::writeSetting(m_wheel, sub, *value, store))
            return fail(Failed, QStringLiteral("The wheel did not take the pulse width."));
        *field = *value;
    }
    for (auto [sub, on, field] :
         {std::make_tuple(device::SetClutchEnabled, r.clutches, &done.clutches),
          std::make_tuple(device::SetExtraShiftersEnabled, r.extraShifters, &done.extraShifters)}) {
        if (!on) continue;
        if (!settings::storeSwitch(m_wheel, sub, *on))
            return fail(Failed, QStringLiteral("The wheel did not take the switch."));
        *field = *on;
    }
    auto lines = settings::describe(done);
    lines.erase(std::remove_if(lines.begin(), lines.end(),
                               [](const auto &l) { return l.first == QLatin1String("Calibration"); }),
                lines.end());
    sayAll(lines);
    say(store ? QStringLiteral("Stored in the wheel.")
              : QStringLiteral("Applied; the wheel forgets it when unplugged (add --store to keep it)."));
    return Done;
}

int Runner::colorLeds(const QStringList &pairs, bool store) {
    std::vector<std::pair<QString, leds::Rgb>> requests;
    for (const QString &pair : pairs) {
        const QString target = pair.section(QLatin1Char('='), 0, 0);
        const std::optional<leds::Rgb> color = colorOf(pair.section(QLatin1Char('='), 1));
        if (!pair.contains(QLatin1Char('=')))
            return usage(QStringLiteral("\"%1\" is not TARGET=COLOUR").arg(pair));
        if (!color)
            return usage(
                QStringLiteral("%1: not a colour; give #rrggbb or a colour name such as red").arg(pair));
        requests.emplace_back(target, *color);
    }

    WheelSettings s;
    if (const int code = identify(s)) return code;
    const leds::LedModel led = s.model.led();
    const QString model = s.model.profile ? s.model.name() : QString::fromStdString(s.wheel);
    if (!led.layout) return usage(QStringLiteral("this %1 has no LEDs to colour").arg(model));
    // Every LED not named keeps exactly what the wheel holds.
    QString failure;
    if (!settings::readLeds(m_wheel, s, &failure))
        return fail(Failed, failure + QStringLiteral(" Nothing was written."));
    const std::vector<leds::Button> shown = s.ledButtons();
    QStringList names;
    for (leds::Button b : shown) names << settings::ledName(b);
    device::ExtraColors extra = s.extra.value_or(device::ExtraColors{});
    std::map<leds::Button, leds::Rgb> asked;
    for (const auto &[target, color] : requests) {
        std::vector<leds::Button> buttons = shown;
        if (target.compare(QLatin1String("all"), Qt::CaseInsensitive) != 0) {
            const qsizetype at = names.indexOf(target.toUpper());
            if (at < 0)
                return usage(QStringLiteral("no LED \"%1\" on this %2; its LEDs: %3")
                                 .arg(target, model, names.join(QLatin1Char(' '))));
            buttons = {shown[size_t(at)]};
        }
        for (leds::Button b : buttons) {
            asked[b] = color;
            if (led.extraPair == leds::ExtraPairStore::Record && (b == leds::XL || b == leds::XR))
                (b == leds::XL ? extra.extra1 : extra.extra2) = leds::toLed(color, led.extraOrder);
            else leds::paintButton(*s.ledTable, *led.layout, b, color);
        }
    }
    if (!leds::writeColors(m_wheel, led, *s.ledTable, {extra.extra1, extra.extra2}, store))
        return fail(Failed, QStringLiteral("The wheel did not take every LED frame."));
    s.extra = extra;
    // One line per outcome: "LEDs B2 B3 B4: #000000".
    std::vector<std::pair<QString, QStringList>> outcomes;
    for (const auto &[button, color] : s.ledColors()) {
        if (!asked.count(button)) continue;
        const QString shows = settings::colorText(color), wanted = settings::colorText(asked[button]);
        const QString outcome =
            shows +
            (shows == wanted ? QString() : QStringLiteral(" (the nearest it shows to %1)").arg(wanted));
        auto it =
            std::find_if(outcomes.begin(), outcomes.end(), [&](const auto &o) { return o.first == outcome; });
        if (it == outcomes.end()) it = outcomes.insert(outcomes.end(), {outcome, {}});
        it->second << settings::ledName(button);
    }
    for (const auto &[outcome, names] : outcomes)
        say(QStringLiteral("LED%1 %2: %3")
                .arg(names.size() > 1 ? "s" : "", names.join(QLatin1Char(' ')), outcome));
    say(store ? QStringLiteral("Stored in the wheel.")
              : QStringLiteral("Applied; the wheel forgets it when unplugged (add --store to keep it)."));
    return Done;
}

int Runner::backup(const QString &path) {
    if (const int code = open()) return code;
    QString error;
    const std::optional<WheelSettings> s = settings::readWheelSettings(m_wheel, &error);
    if (!s) return fail(Failed, error + QStringLiteral(" No backup was written."));
    if (!settings::saveBackup(path, *s, &error)) return fail(BadInput, error);
    say(QStringLiteral("The settings of %1 are in %2.").arg(QString::fromStdString(s->wheel), path));
    return Done;
}

int Runner::restore(const QString &path, bool dryRun) {
    QString error;
    const std::optional<WheelSettings> file = settings::loadBackup(path, &error);
    if (!file) return fail(BadInput, error);
    if (const int code = open()) return code;
    const std::optional<WheelSettings> now = settings::readWheelSettings(m_wheel, &error);
    if (!now) return fail(Failed, error + QStringLiteral(" Nothing was written."));
    const settings::RestorePlan plan = settings::planRestore(*file, *now);
    say(QStringLiteral("%1: the settings of %2 backed up %3")
            .arg(path, QString::fromStdString(file->wheel), file->date));
    say(plan.changes.isEmpty() ? QStringLiteral("The wheel holds them already.")
                               : QStringLiteral("Changes:"));
    for (const QString &line : plan.changes) say(QStringLiteral("  ") + line);
    if (!plan.leftOut.isEmpty()) say(QStringLiteral("Left out:"));
    for (const QString &line : plan.leftOut) say(QStringLiteral("  ") + line);
    if (dryRun) {
        say(QStringLiteral("Nothing was written (--dry-run)."));
        return Done;
    }
    QStringList problems;
    if (!settings::applyRestore(m_wheel, plan, &problems)) {
        for (const QString &line : problems) fail(Failed, line);
        return Failed;
    }
    say(QStringLiteral("Restored and stored in the wheel; it reads every value back."));
    return Done;
}

int Runner::flash(const QString &path, bool yes) {
    // The window's rules: a .bin name, no larger than the wheel takes. An
    // empty image would leave the wheel without firmware.
    QFile file(path);
    if (!path.endsWith(QLatin1String(".bin")))
        return usage(QStringLiteral("%1: a firmware image's name ends in .bin").arg(path));
    if (!file.open(QIODevice::ReadOnly))
        return fail(BadInput, QStringLiteral("%1: %2").arg(path, file.errorString()));
    if (file.size() > qint64(device::kMaxFirmwareSize))
        return fail(BadInput, QStringLiteral("%1: larger than %2 bytes, not a firmware image")
                                  .arg(path)
                                  .arg(device::kMaxFirmwareSize));
    if (file.size() == 0) return fail(BadInput, QStringLiteral("%1: the file is empty").arg(path));
    const QByteArray image = file.readAll();

    WheelSettings s;
    if (const int code = identify(s)) return code;
    const QString before =
        QString::fromStdString(device::readFirmwareVersion(m_wheel).value_or(std::string())).trimmed();
    if (!yes && !ask(QStringLiteral(
                         "Update the firmware of %1 (now %2) with %3 (%4 bytes)? Keep the wheel plugged in "
                         "until it is done.")
                         .arg(QString::fromStdString(s.wheel), before, path)
                         .arg(image.size())))
        return Failed;
    int shown = -1;
    auto progress = [&](int percent) {
        if (m_io.terminal) {
            m_io.out << QStringLiteral("\r[%1] %2 %")
                            .arg(QString(percent / 5, QLatin1Char('#')), -20)
                            .arg(percent, 3);
            m_io.out.flush();
        } else if (percent / 10 != shown / 10 || percent == 100) {
            say(QStringLiteral("%1 %").arg(percent));
        }
        shown = percent;
    };
    if (!firmware::uploadImage(m_wheel, std::vector<uint8_t>(image.begin(), image.end()), progress)) {
        if (m_io.terminal) m_io.out << '\n';
        return fail(Failed, QStringLiteral(
                                "Firmware update failed at %1 %. Please reconnect the wheel and try again.")
                                .arg(qMax(shown, 0)));
    }
    progress(100);
    if (m_io.terminal) m_io.out << '\n';
    say(QStringLiteral("Writing ..."));
    m_wheel.close();
    QThread::msleep(ulong(m_io.firmwareWriteMs));
    QElapsedTimer waited;
    waited.start();
    std::optional<std::string> after;
    while (!(device::openWheel(m_wheel) && (after = device::readFirmwareVersion(m_wheel)))) {
        m_wheel.close();
        if (waited.elapsed() > m_io.reconnectMs)
            return fail(Failed, QStringLiteral("The wheel did not come back after the update; unplug it and "
                                               "plug it in again."));
        QThread::msleep(100);
    }
    say(QStringLiteral("Firmware updated: %1").arg(QString::fromStdString(*after).trimmed()));
    return Done;
}

int Runner::clearFlash(bool yes) {
    WheelSettings s;
    if (const int code = identify(s)) return code;
    if (!yes &&
        !ask(QStringLiteral("Delete every setting stored in the flash memory of %1? (orvanectl backup "
                            "FILE keeps them first.)")
                 .arg(QString::fromStdString(s.wheel))))
        return Failed;
    if (!firmware::clearFlash(m_wheel))
        return fail(Failed, QStringLiteral("The wheel did not take the command."));
    say(QStringLiteral("Flash data has been cleared."));
    return Done;
}

}  // namespace

int run(const QStringList &arguments, Io &io) {
    Runner runner(io);
    const int code = runner.run(arguments);
    io.out.flush();
    io.err.flush();
    return code;
}

}  // namespace ctl
