// A wheel's settings as one value: read from the wheel, shown, kept in a
// backup file and written back. Qt Core only: orvanectl and the window share
// it, and both stand on the core's wheel operations.
#pragma once

#include "device/device.h"
#include "device/models.h"
#include "device/protocol.h"
#include "leds/ledlayouts.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace settings {

// The backup file's format version; a file of a higher one is refused.
constexpr int kBackupVersion = 1;

// What a wheel of one model has: the profile row its name matches.
struct Model {
    const device::Profile *profile = nullptr;  // nullptr: a name of no model
    QString name() const;                      // "M-ZEN"; empty for none
    bool paddles() const;                      // paddle record and clutches switch
    bool extraShifters() const;
    bool power() const;  // battery and link
    leds::LedModel led() const;
    bool operator==(const Model &other) const { return profile == other.profile; }
};
Model modelOf(const std::string &wheelName);

// "B1" for pbB1: the name orvanectl and the backup file give an LED.
QString ledName(leds::Button button);
QString colorText(const leds::Rgb &color);  // "#rrggbb"

struct EncoderBinding {
    int up = 255;  // 255 and 255: not bound
    int down = 255;
    bool bound() const { return up != 255 && down != 255; }
};
// The binding the window keeps for a wheel name, and setting it (not bound:
// both keys removed).
EncoderBinding loadBinding(const QString &wheel);
void saveBinding(const QString &wheel, const EncoderBinding &binding);

// Everything a wheel keeps that a user can set, what it reports about
// itself, and the encoder binding the window keeps for it. A field a model
// does not have stays empty.
struct WheelSettings {
    std::string wheel;  // the wheel's name
    Model model;
    uint16_t productId = 0;
    std::string firmware;  // version text
    QString date;          // of a backup file
    std::optional<device::PaddleRecord> paddle;
    std::optional<bool> clutches, extraShifters;
    std::optional<int32_t> encoderPulse, shifterPulse;  // negative: the wheel holds none
    std::optional<leds::Table> ledTable;
    std::optional<device::ExtraColors> extra;  // the Extra colours record, where the model reads it
    std::optional<device::PowerStatus> power;
    std::optional<EncoderBinding> binding;

    // The LEDs the colours page shows for this wheel, in button order, and
    // the color each shows.
    std::vector<leds::Button> ledButtons() const;
    std::vector<std::pair<leds::Button, leds::Rgb>> ledColors() const;
};

// Reads the LED colour table and the Extra colours record of `s.model`'s
// wheel into `s`; false, with the reason, when the wheel did not answer.
bool readLeds(device::Device &wheel, WheelSettings &s, QString *failure);
// Reads everything from the open wheel; nullopt, and in `failure` the read
// the wheel did not answer, when one failed.
std::optional<WheelSettings> readWheelSettings(device::Device &wheel, QString *failure);

// The settings as a user reads them, one (label, value) per line.
std::vector<std::pair<QString, QString>> describe(const WheelSettings &s);

// show --json, and with `backup` the file: format, version, date, the raw
// LED table and extra colours.
QJsonObject toJson(const WheelSettings &s, bool backup);
bool saveBackup(const QString &path, const WheelSettings &s, QString *error);
// The file read and checked whole: nullopt and the reason when anything in
// it is missing, out of range, of an unknown model or a later version.
std::optional<WheelSettings> loadBackup(const QString &path, QString *error);

// What a restore writes to a wheel: the file's values this wheel's model
// has, the LED colours only for the same model.
struct RestorePlan {
    QString wheelName;
    WheelSettings target;  // the fields to write; empty ones are left alone
    QStringList changes;   // "Bite point: 50.00 % -> 42.50 %"
    QStringList leftOut;   // what is not written, and why
};
RestorePlan planRestore(const WheelSettings &file, const WheelSettings &wheel);
// Writes the plan with the store flag, then reads the wheel back. False, with
// every problem (a write not taken, a value read back otherwise), when the
// wheel does not hold the plan.
bool applyRestore(device::Device &wheel, const RestorePlan &plan, QStringList *problems);

}  // namespace settings
