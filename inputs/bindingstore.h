// Where a wheel's encoder binding is kept: the per-user settings store, two
// keys per wheel name. The window binds; backups keep and restore it.
#pragma once

#include <QSettings>
#include <QString>

namespace inputs {

// The program sets no application names globally, so the store is named here.
inline QSettings bindingStore() { return QSettings(QStringLiteral("Tarnwell"), QStringLiteral("Orvane")); }

inline QString upKey(const QString &wheel) { return wheel + QStringLiteral("_ENCODER1"); }
inline QString downKey(const QString &wheel) { return wheel + QStringLiteral("_ENCODER2"); }

constexpr quint8 kNoInput = 255;

// A stored input number cut to 8 bits; absent or unreadable gives none.
inline quint8 storedInput(const QSettings &store, const QString &key) {
    bool ok = false;
    const uint value = store.value(key).toUInt(&ok);
    return ok ? quint8(value) : kNoInput;
}

}  // namespace inputs
