#include "backup.h"

#include "device/wheelops.h"
#include "inputs/bindingstore.h"
#include "inputs/encoderpairs.h"
#include "leds/ledops.h"
#include "settingops.h"

#include <QDateTime>
#include <QFile>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSaveFile>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <set>
#include <tuple>

namespace settings {

using device::PaddleMode;

QString Model::name() const { return profile ? QString::fromLatin1(profile->modelString) : QString(); }
bool Model::paddles() const { return profile && profile->clutchControls; }
bool Model::extraShifters() const { return profile && profile->extraShifters; }
bool Model::power() const { return profile && profile->statusPolling; }
leds::LedModel Model::led() const { return profile ? profile->led : leds::LedModel{}; }

Model modelOf(const std::string &wheelName) {
    // The window applies every row the name matches, the later one last.
    const auto rows = device::matchingProfiles(wheelName.c_str());
    return Model{rows.empty() ? nullptr : rows.back()};
}

namespace {

// The Extra colours record is read where it holds the pair or says whether
// the wheel has one.
bool readsExtraRecord(const Model &model) {
    return model.led().layout && (model.led().extraPair == leds::ExtraPairStore::Record ||
                                  model.profile->extraPairButtons == device::ExtraPairButtons::WhenFlagged);
}

QString modeText(PaddleMode mode) {
    switch (mode) {
    case PaddleMode::Left: return QStringLiteral("left");
    case PaddleMode::Right: return QStringLiteral("right");
    case PaddleMode::Disabled: break;
    }
    return QStringLiteral("disabled");
}

QString onOff(bool on) { return on ? QStringLiteral("on") : QStringLiteral("off"); }

QString pulseText(int32_t ms) { return ms < 0 ? QStringLiteral("none") : QStringLiteral("%1 ms").arg(ms); }

// As the window's device page shows it.
bool onUsb(const device::PowerStatus &p) { return p.link == 1 || p.reading > 4299 || p.percent == 100; }

const char *const kCalibrationKeys[4] = {"right-max", "left-max", "right-min", "left-min"};
std::array<uint16_t *, 4> limitsOf(device::PaddleRecord &r) {
    return {&r.rightMax, &r.leftMax, &r.rightMin, &r.leftMin};
}

QString hex(const uint8_t *data, size_t size) {
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(data), int(size)).toHex());
}

std::optional<leds::Rgb> parseColor(const QJsonValue &v) {
    static const QRegularExpression pattern(QStringLiteral("^#[0-9a-fA-F]{6}$"));
    if (!v.isString() || !pattern.match(v.toString()).hasMatch()) return std::nullopt;
    const uint rgb = v.toString().mid(1).toUInt(nullptr, 16);
    return leds::Rgb{uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb)};
}

int tableBytes(const Model &model) { return model.led().blocks * int(leds::kBlockBytes); }

}  // namespace

QString ledName(leds::Button button) { return QString::fromLatin1(leds::buttonName(button)).mid(2); }

QString colorText(const leds::Rgb &c) {
    return QStringLiteral("#%1").arg((uint(c[0]) << 16) | (uint(c[1]) << 8) | c[2], 6, 16, QLatin1Char('0'));
}

EncoderBinding loadBinding(const QString &wheel) {
    const QSettings store = inputs::bindingStore();
    return {inputs::storedInput(store, inputs::upKey(wheel)),
            inputs::storedInput(store, inputs::downKey(wheel))};
}

void saveBinding(const QString &wheel, const EncoderBinding &binding) {
    QSettings store = inputs::bindingStore();
    if (binding.bound()) {
        store.setValue(inputs::upKey(wheel), binding.up);
        store.setValue(inputs::downKey(wheel), binding.down);
    } else {
        store.remove(inputs::upKey(wheel));
        store.remove(inputs::downKey(wheel));
    }
    store.sync();
}

std::vector<leds::Button> WheelSettings::ledButtons() const {
    std::vector<leds::Button> out;
    if (!model.led().layout) return out;
    for (const device::Placement &p : model.profile->colorButtons) {
        for (int b = 0; b < leds::ButtonCount; ++b)
            if (std::strcmp(p.widget, leds::buttonName(leds::Button(b))) == 0) out.push_back(leds::Button(b));
    }
    if (model.profile->extraPairButtons == device::ExtraPairButtons::WhenFlagged && extra && extra->present) {
        out.push_back(leds::XL);
        out.push_back(leds::XR);
    }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

std::vector<std::pair<leds::Button, leds::Rgb>> WheelSettings::ledColors() const {
    std::vector<std::pair<leds::Button, leds::Rgb>> out;
    if (!ledTable) return out;
    const leds::LedModel led = model.led();
    const auto colors = leds::readColors(*led.layout, *ledTable);
    for (leds::Button b : ledButtons()) {
        const bool fromRecord =
            led.extraPair == leds::ExtraPairStore::Record && (b == leds::XL || b == leds::XR);
        if (fromRecord && extra) out.emplace_back(b, b == leds::XL ? extra->extra1 : extra->extra2);
        else if (!fromRecord && colors[b]) out.emplace_back(b, *colors[b]);
    }
    return out;
}

namespace {
QString noAnswer(const char *what) {
    return QStringLiteral("The wheel did not answer the read of its %1.").arg(QLatin1String(what));
}
}  // namespace

bool readLeds(device::Device &wheel, WheelSettings &s, QString *failure) {
    const leds::LedModel led = s.model.led();
    if (readsExtraRecord(s.model) && !(s.extra = device::readExtraColors(wheel))) {
        if (failure) *failure = noAnswer("extra colours");
        return false;
    }
    if (led.layout) {
        const leds::TableRead read = leds::readLedTable(wheel, led);
        if (!read.complete()) {
            if (failure) *failure = noAnswer("LED colour table");
            return false;
        }
        s.ledTable = read.table;
    }
    return true;
}

std::optional<WheelSettings> readWheelSettings(device::Device &wheel, QString *failure) {
    auto fail = [failure](const char *what) -> std::optional<WheelSettings> {
        if (failure) *failure = noAnswer(what);
        return std::nullopt;
    };
    WheelSettings s;
    s.productId = wheel.productId();
    const std::optional<std::string> name = device::readIdentity(wheel);
    if (!name) return fail("name");
    s.wheel = *name;
    s.model = modelOf(*name);
    if (!readLeds(wheel, s, failure)) return std::nullopt;
    if (s.model.paddles() && !(s.paddle = readPaddleRecord(wheel))) return fail("paddle record");
    if (!(s.encoderPulse = readSetting(wheel, device::SetEncoderPulse))) return fail("encoder pulse width");
    if (!(s.shifterPulse = readSetting(wheel, device::SetShifterPulse))) return fail("shifter pulse width");
    if (s.model.paddles()) {
        const std::optional<int32_t> on = readSetting(wheel, device::SetClutchEnabled);
        if (!on) return fail("clutches switch");
        s.clutches = *on == 1;
    }
    if (s.model.extraShifters()) {
        const std::optional<int32_t> on = readSetting(wheel, device::SetExtraShiftersEnabled);
        if (!on) return fail("extra shifters switch");
        s.extraShifters = *on == 1;
    }
    const std::optional<std::string> version = device::readFirmwareVersion(wheel);
    if (!version) return fail("firmware version");
    s.firmware = QString::fromStdString(*version).trimmed().toStdString();
    if (s.model.power() && !(s.power = device::readPowerStatus(wheel))) return fail("battery state");
    s.binding = loadBinding(QString::fromStdString(s.wheel));
    return s;
}

std::vector<std::pair<QString, QString>> describe(const WheelSettings &s) {
    std::vector<std::pair<QString, QString>> out;
    auto add = [&out](const QString &label, const QString &value) { out.emplace_back(label, value); };
    if (!s.wheel.empty()) {
        add(QStringLiteral("Wheel"), QString::fromStdString(s.wheel));
        add(QStringLiteral("Model"), s.model.profile ? s.model.name() : QStringLiteral("unknown"));
    }
    if (s.productId)
        add(QStringLiteral("USB ID"), QStringLiteral("c872:%1").arg(s.productId, 4, 16, QLatin1Char('0')));
    if (!s.firmware.empty()) add(QStringLiteral("Firmware"), QString::fromStdString(s.firmware));
    if (!s.date.isEmpty()) add(QStringLiteral("Backed up"), s.date);
    if (s.paddle) {
        const device::PaddleSetting p = device::decodePaddleValue(s.paddle->value);
        add(QStringLiteral("Paddle mode"), modeText(p.mode));
        if (p.mode != PaddleMode::Disabled)
            add(QStringLiteral("Bite point"),
                QString::asprintf("%d.%02d %%", p.bitePoint / 100, p.bitePoint % 100));
        add(QStringLiteral("Calibration"), QStringLiteral("left %1 to %2, right %3 to %4")
                                               .arg(s.paddle->leftMin)
                                               .arg(s.paddle->leftMax)
                                               .arg(s.paddle->rightMin)
                                               .arg(s.paddle->rightMax));
    }
    if (s.clutches) add(QStringLiteral("Clutches"), onOff(*s.clutches));
    if (s.extraShifters) add(QStringLiteral("Extra shifters"), onOff(*s.extraShifters));
    if (s.encoderPulse) add(QStringLiteral("Encoder pulse"), pulseText(*s.encoderPulse));
    if (s.shifterPulse) add(QStringLiteral("Shifter pulse"), pulseText(*s.shifterPulse));
    if (s.power) {
        add(QStringLiteral("Battery"),
            onUsb(*s.power) ? QStringLiteral("USB") : QStringLiteral("%1 %").arg(s.power->percent));
        add(QStringLiteral("Link"), s.power->link == 0 ? QStringLiteral("Bluetooth") : QStringLiteral("USB"));
    }
    if (s.binding)
        add(QStringLiteral("Encoder binding"),
            s.binding->bound()
                ? QStringLiteral("inputs %1 up, %2 down").arg(s.binding->up).arg(s.binding->down)
                : QStringLiteral("none"));
    for (const auto &[button, color] : s.ledColors())
        add(QStringLiteral("LED ") + ledName(button), colorText(color));
    return out;
}

QJsonObject toJson(const WheelSettings &s, bool backup) {
    QJsonObject o;
    o[QLatin1String("wheel")] = QString::fromStdString(s.wheel);
    o[QLatin1String("model")] = s.model.name();
    if (s.productId)
        o[QLatin1String("product-id")] = QStringLiteral("%1").arg(s.productId, 4, 16, QLatin1Char('0'));
    o[QLatin1String("firmware")] = QString::fromStdString(s.firmware);
    if (s.paddle) {
        const device::PaddleSetting p = device::decodePaddleValue(s.paddle->value);
        o[QLatin1String("mode")] = modeText(p.mode);
        o[QLatin1String("bite")] =
            p.mode == PaddleMode::Disabled ? QJsonValue() : QJsonValue(p.bitePoint / 100.0);
        device::PaddleRecord r = *s.paddle;
        QJsonObject limits;
        for (size_t i = 0; i < 4; ++i) limits[QLatin1String(kCalibrationKeys[i])] = int(*limitsOf(r)[i]);
        o[QLatin1String("calibration")] = limits;
    }
    if (s.clutches) o[QLatin1String("clutches")] = *s.clutches;
    if (s.extraShifters) o[QLatin1String("extra-shifters")] = *s.extraShifters;
    auto pulse = [](int32_t ms) { return ms < 0 ? QJsonValue() : QJsonValue(ms); };
    if (s.encoderPulse) o[QLatin1String("encoder-pulse")] = pulse(*s.encoderPulse);
    if (s.shifterPulse) o[QLatin1String("shifter-pulse")] = pulse(*s.shifterPulse);
    if (s.power) {
        o[QLatin1String("battery")] =
            onUsb(*s.power) ? QJsonValue(QStringLiteral("USB")) : QJsonValue(int(s.power->percent));
        o[QLatin1String("link")] = s.power->link == 0 ? QStringLiteral("Bluetooth") : QStringLiteral("USB");
    }
    if (s.binding) {
        o[QLatin1String("encoder-binding")] =
            s.binding->bound() ? QJsonValue(QJsonObject{{QStringLiteral("up"), s.binding->up},
                                                        {QStringLiteral("down"), s.binding->down}})
                               : QJsonValue();
    }
    if (s.ledTable) {
        QJsonObject colors;
        for (const auto &[button, color] : s.ledColors()) colors[ledName(button)] = colorText(color);
        o[QLatin1String("leds")] = colors;
    }
    if (!backup) return o;
    o[QLatin1String("format")] = QStringLiteral("orvane-settings");
    o[QLatin1String("version")] = kBackupVersion;
    o[QLatin1String("date")] = s.date;
    if (s.ledTable) o[QLatin1String("led-table")] = hex(s.ledTable->data(), size_t(tableBytes(s.model)));
    if (s.extra) {
        o[QLatin1String("extra-colors")] = QJsonObject{{QStringLiteral("present"), s.extra->present},
                                                       {QStringLiteral("left"), colorText(s.extra->extra1)},
                                                       {QStringLiteral("right"), colorText(s.extra->extra2)}};
    }
    return o;
}

bool saveBackup(const QString &path, const WheelSettings &s, QString *error) {
    WheelSettings dated = s;
    dated.date = QDateTime::currentDateTimeUtc().toString(Qt::ISODate);
    QSaveFile file(path);
    const bool ok = file.open(QIODevice::WriteOnly) &&
                    file.write(QJsonDocument(toJson(dated, true)).toJson()) >= 0 && file.commit();
    if (!ok && error) *error = QStringLiteral("%1: %2").arg(path, file.errorString());
    return ok;
}

namespace {

// Checks one backup object field by field; the first problem is kept.
class FileCheck {
public:
    explicit FileCheck(const QJsonObject &o) : m_o(o) {}
    QString problem;

    bool ok() const { return problem.isEmpty(); }
    void fail(const QString &key, const QString &why) {
        if (problem.isEmpty()) problem = QStringLiteral("\"%1\" %2").arg(key, why);
    }
    // Present exactly where the model has the field.
    bool expect(const char *key, bool wanted) {
        m_known.insert(QLatin1String(key));
        const bool present = m_o.contains(QLatin1String(key));
        if (present && !wanted) fail(QLatin1String(key), QStringLiteral("does not belong to this model"));
        if (!present && wanted) fail(QLatin1String(key), QStringLiteral("is missing"));
        return present && wanted && ok();
    }
    QJsonValue value(const char *key) const { return m_o.value(QLatin1String(key)); }
    std::optional<int> integer(const char *key, const QJsonValue &v, int min, int max) {
        const double d = v.toDouble();
        if (!v.isDouble() || d != std::floor(d) || d < min || d > max) {
            fail(QLatin1String(key), QStringLiteral("is not a whole number from %1 to %2").arg(min).arg(max));
            return std::nullopt;
        }
        return int(d);
    }
    std::optional<bool> boolean(const char *key) {
        if (!value(key).isBool()) fail(QLatin1String(key), QStringLiteral("is neither true nor false"));
        return value(key).toBool();
    }
    std::optional<leds::Rgb> color(const QString &key, const QJsonValue &v) {
        const std::optional<leds::Rgb> c = parseColor(v);
        if (!c) fail(key, QStringLiteral("is not a colour #rrggbb"));
        return c;
    }
    void noOthers() {
        for (const QString &key : m_o.keys())
            if (!m_known.count(key)) fail(key, QStringLiteral("is not a field of a settings backup"));
    }

private:
    const QJsonObject &m_o;
    std::set<QString> m_known;
};

std::optional<device::PaddleRecord> paddleOf(FileCheck &c) {
    const QString mode = c.value("mode").toString();
    const PaddleMode modes[] = {PaddleMode::Left, PaddleMode::Right, PaddleMode::Disabled};
    const auto found =
        std::find_if(std::begin(modes), std::end(modes), [&](PaddleMode m) { return modeText(m) == mode; });
    const QJsonValue b = c.value("bite");
    const double hundredths = b.toDouble() * 100;
    if (found == std::end(modes)) {
        c.fail(QStringLiteral("mode"), QStringLiteral("is not left, right or disabled"));
    } else if (*found == PaddleMode::Disabled && !b.isNull()) {
        c.fail(QStringLiteral("bite"), QStringLiteral("is given with mode disabled"));
    } else if (*found != PaddleMode::Disabled &&
               (!b.isDouble() || std::fabs(hundredths - std::round(hundredths)) > 1e-6 || hundredths < 0 ||
                hundredths > device::kPaddleMaxLeft)) {
        c.fail(QStringLiteral("bite"), QStringLiteral("is not a bite point from 0 to 100 (two decimals)"));
    }
    const QJsonObject limits = c.value("calibration").toObject();
    if (limits.size() != 4)
        c.fail(QStringLiteral("calibration"), QStringLiteral("does not hold the four limits"));
    if (!c.ok()) return std::nullopt;
    device::PaddleRecord r;
    r.value = device::encodePaddleValue(*found, int(std::lround(hundredths)));
    for (size_t i = 0; i < 4; ++i) {
        const char *key = kCalibrationKeys[i];
        const std::optional<int> v = c.integer(key, limits.value(QLatin1String(key)), 0, 65535);
        if (!v) return std::nullopt;
        *limitsOf(r)[i] = uint16_t(*v);
    }
    return r;
}

std::optional<int32_t> pulseOf(FileCheck &c, const char *key) {
    const QJsonValue v = c.value(key);
    if (v.isNull()) return -1;
    return c.integer(key, v, 40, 240);
}

}  // namespace

std::optional<WheelSettings> loadBackup(const QString &path, QString *error) {
    auto fail = [&](const QString &why) -> std::optional<WheelSettings> {
        if (error) *error = QStringLiteral("%1: %2").arg(path, why);
        return std::nullopt;
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return fail(file.errorString());
    const QByteArray data = file.readAll();
    QJsonParseError parsed{};
    const QJsonDocument doc = QJsonDocument::fromJson(data, &parsed);
    if (parsed.error != QJsonParseError::NoError) {
        // Qt stops at the end of the text when the file was cut short.
        if (parsed.offset >= data.trimmed().size() - 1)
            return fail(QStringLiteral("the file ends too early (truncated?); nothing was restored from it"));
        return fail(
            QStringLiteral("not valid JSON (%1 at byte %2)").arg(parsed.errorString()).arg(parsed.offset));
    }
    const QJsonObject o = doc.object();
    if (o.value(QLatin1String("format")).toString() != QLatin1String("orvane-settings"))
        return fail(QStringLiteral("not an Orvane settings backup"));
    const QJsonValue version = o.value(QLatin1String("version"));
    if (!version.isDouble() || version.toDouble() != std::floor(version.toDouble()) || version.toDouble() < 1)
        return fail(QStringLiteral("the backup has no valid format version"));
    if (version.toDouble() > kBackupVersion)
        return fail(QStringLiteral("written by a later Orvane (backup format %1; this one reads up to %2)")
                        .arg(version.toDouble())
                        .arg(kBackupVersion));

    WheelSettings s;
    s.wheel = o.value(QLatin1String("wheel")).toString().toStdString();
    s.model = modelOf(s.wheel);
    if (!s.model.profile || o.value(QLatin1String("model")).toString() != s.model.name())
        return fail(QStringLiteral("made for a wheel model Orvane does not know (\"%1\")")
                        .arg(o.value(QLatin1String("model")).toString()));
    FileCheck c(o);
    for (const char *key : {"format", "version", "wheel", "model", "firmware", "date"}) c.expect(key, true);
    for (const char *key : {"wheel", "firmware", "date"})
        if (!c.value(key).isString()) c.fail(QLatin1String(key), QStringLiteral("is not text"));
    c.expect("product-id", o.contains(QLatin1String("product-id")));
    c.expect("battery", o.contains(QLatin1String("battery")));
    c.expect("link", o.contains(QLatin1String("link")));
    s.firmware = c.value("firmware").toString().toStdString();
    s.date = c.value("date").toString();
    if (!QDateTime::fromString(s.date, Qt::ISODate).isValid())
        c.fail(QStringLiteral("date"), QStringLiteral("is not a date"));
    const bool mode = c.expect("mode", s.model.paddles());
    const bool bite = c.expect("bite", s.model.paddles());
    if (c.expect("calibration", s.model.paddles()) && mode && bite) s.paddle = paddleOf(c);
    if (c.expect("clutches", s.model.paddles())) s.clutches = c.boolean("clutches");
    if (c.expect("extra-shifters", s.model.extraShifters())) s.extraShifters = c.boolean("extra-shifters");
    if (c.expect("encoder-pulse", true)) s.encoderPulse = pulseOf(c, "encoder-pulse");
    if (c.expect("shifter-pulse", true)) s.shifterPulse = pulseOf(c, "shifter-pulse");
    if (c.expect("encoder-binding", true)) {
        const QJsonValue b = c.value("encoder-binding");
        const QJsonObject pair = b.toObject();
        const std::optional<inputs::EncoderPair> known =
            inputs::encoderPairOf(pair.value(QLatin1String("up")).toInt(-1));
        if (b.isNull()) s.binding = EncoderBinding{};
        else if (known && pair.size() == 2 && pair.value(QLatin1String("up")) == QJsonValue(int(known->up)) &&
                 pair.value(QLatin1String("down")) == QJsonValue(int(known->down)))
            s.binding = EncoderBinding{known->up, known->down};
        else
            c.fail(QStringLiteral("encoder-binding"), QStringLiteral("is not the two inputs of one encoder"));
    }
    const bool hasLeds = s.model.led().layout != nullptr;
    if (c.expect("extra-colors", readsExtraRecord(s.model))) {
        const QJsonObject extra = c.value("extra-colors").toObject();
        device::ExtraColors e;
        e.present = extra.value(QLatin1String("present")).toBool();
        const auto left = c.color(QStringLiteral("extra-colors"), extra.value(QLatin1String("left")));
        const auto right = c.color(QStringLiteral("extra-colors"), extra.value(QLatin1String("right")));
        if (left && right && extra.size() == 3 && extra.value(QLatin1String("present")).isBool()) {
            e.extra1 = *left;
            e.extra2 = *right;
            s.extra = e;
        } else {
            c.fail(QStringLiteral("extra-colors"), QStringLiteral("is not present, left and right"));
        }
    }
    if (c.expect("led-table", hasLeds)) {
        const QString text = c.value("led-table").toString();
        static const QRegularExpression hexDigits(QStringLiteral("^[0-9a-fA-F]*$"));
        if (text.size() != 2 * tableBytes(s.model) || !hexDigits.match(text).hasMatch()) {
            c.fail(QStringLiteral("led-table"),
                   QStringLiteral("is not %1 bytes in hex").arg(tableBytes(s.model)));
        } else {
            leds::Table table{};
            const QByteArray bytes = QByteArray::fromHex(text.toLatin1());
            std::copy(bytes.begin(), bytes.end(), table.begin());
            s.ledTable = table;
        }
    }
    if (c.expect("leds", hasLeds) && c.ok()) {
        // The readable colours must be those of the table: a hand-edited or
        // damaged file is refused rather than half restored.
        QJsonObject expected;
        for (const auto &[button, color] : s.ledColors()) expected[ledName(button)] = colorText(color);
        const QJsonObject given = c.value("leds").toObject();
        for (const QString &key : expected.keys() + given.keys())
            if (expected.value(key) != QJsonValue(given.value(key).toString().toLower()))
                c.fail(QStringLiteral("leds"), QStringLiteral("disagree with \"led-table\" at %1").arg(key));
    }
    c.noOthers();
    if (!c.ok()) return fail(c.problem);
    return s;
}

namespace {

// Lines of `want` that `have` shows otherwise, each put in words by `line`
// (label, what `have` shows, what `want` shows).
QStringList differences(
    const WheelSettings &want, const WheelSettings &have,
    const std::function<QString(const QString &, const QString &, const QString &)> &line) {
    QStringList out;
    const auto shown = describe(have);
    bool ledLine = false;
    for (const auto &wanted : describe(want)) {
        const QString &label = wanted.first, &value = wanted.second;
        const auto it =
            std::find_if(shown.begin(), shown.end(), [&](const auto &l) { return l.first == wanted.first; });
        const QString now = it == shown.end() ? QStringLiteral("-") : it->second;
        if (now != value) out << line(label, now, value);
        ledLine = ledLine || (now != value && label.startsWith(QLatin1String("LED ")));
    }
    // Positions no LED name shows (a run's later LEDs, hidden buttons).
    if (want.ledTable && have.ledTable && *want.ledTable != *have.ledTable && !ledLine)
        out << line(QStringLiteral("LED colour table"), QStringLiteral("other levels"),
                    QStringLiteral("the file's"));
    if (want.extra && have.extra && !ledLine &&
        (want.extra->extra1 != have.extra->extra1 || want.extra->extra2 != have.extra->extra2))
        out << line(QStringLiteral("Extra colours"), QStringLiteral("others"), QStringLiteral("the file's"));
    return out;
}

}  // namespace

RestorePlan planRestore(const WheelSettings &file, const WheelSettings &wheel) {
    RestorePlan plan;
    plan.wheelName = QString::fromStdString(wheel.wheel);
    WheelSettings &t = plan.target;
    t.model = wheel.model;
    const QString fileModel = file.model.name();
    const QString wheelModel = wheel.model.profile ? wheel.model.name() : QString::fromStdString(wheel.wheel);
    auto take = [&](const char *what, bool wheelHas, bool fileHas, auto apply) {
        if (wheelHas && fileHas) apply();
        else if (wheelHas)
            plan.leftOut << QStringLiteral("%1: not in the file (the %2 it comes from has none)")
                                .arg(QLatin1String(what), fileModel);
        else if (fileHas)
            plan.leftOut << QStringLiteral("%1: this %2 has none").arg(QLatin1String(what), wheelModel);
    };
    take("bite point, paddle mode and clutch calibration", wheel.model.paddles(), file.paddle.has_value(),
         [&] { t.paddle = file.paddle; });
    take("clutches", wheel.model.paddles(), file.clutches.has_value(), [&] { t.clutches = file.clutches; });
    take("extra shifters", wheel.model.extraShifters(), file.extraShifters.has_value(),
         [&] { t.extraShifters = file.extraShifters; });
    for (auto [what, from, to] :
         {std::make_tuple("encoder pulse width", &file.encoderPulse, &t.encoderPulse),
          std::make_tuple("shifter pulse width", &file.shifterPulse, &t.shifterPulse)}) {
        if (from->value_or(-1) >= 0) *to = *from;
        else plan.leftOut << QStringLiteral("%1: the file holds none").arg(QLatin1String(what));
    }
    if (file.model == wheel.model) {
        t.ledTable = file.ledTable;
        if (file.extra && wheel.extra) {
            t.extra = file.extra;
            t.extra->present = wheel.extra->present;  // the wheel's to say, not the file's
        }
    } else if (file.ledTable && wheel.model.led().layout) {
        plan.leftOut << QStringLiteral(
                            "LED colours: the file comes from a wheel of the model %1, this one is a %2; "
                            "colours go back "
                            "only to the same model")
                            .arg(fileModel, wheelModel);
    }
    t.binding = file.binding;
    plan.changes = differences(t, wheel, [](const QString &label, const QString &now, const QString &then) {
        return QStringLiteral("%1: %2 -> %3").arg(label, now, then);
    });
    return plan;
}

bool applyRestore(device::Device &wheel, const RestorePlan &plan, QStringList *problems) {
    const WheelSettings &t = plan.target;
    bool sent = true;
    if (t.paddle) sent = writePaddleRecord(wheel, *t.paddle, true) && sent;
    if (t.encoderPulse) sent = writeSetting(wheel, device::SetEncoderPulse, *t.encoderPulse, true) && sent;
    if (t.shifterPulse) sent = writeSetting(wheel, device::SetShifterPulse, *t.shifterPulse, true) && sent;
    if (t.clutches) sent = storeSwitch(wheel, device::SetClutchEnabled, *t.clutches) && sent;
    if (t.extraShifters) sent = storeSwitch(wheel, device::SetExtraShiftersEnabled, *t.extraShifters) && sent;
    if (t.ledTable) {
        const device::ExtraColors pair = t.extra.value_or(device::ExtraColors{});
        sent = leds::writeColors(wheel, t.model.led(), *t.ledTable, {pair.extra1, pair.extra2}, true) && sent;
    }
    if (t.binding) saveBinding(plan.wheelName, *t.binding);
    QStringList found;
    if (!sent) found << QStringLiteral("The wheel did not take every write.");
    QString failure;
    const std::optional<WheelSettings> back = readWheelSettings(wheel, &failure);
    if (!back) found << failure;
    else
        found << differences(t, *back, [](const QString &label, const QString &now, const QString &then) {
            return QStringLiteral("%1: the wheel holds %2, not %3").arg(label, now, then);
        });
    if (problems) *problems = found;
    return found.isEmpty();
}

}  // namespace settings
