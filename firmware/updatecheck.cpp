#include "updatecheck.h"

#include "device/protocol.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QStringList>

namespace firmware {

UploadPath classifyUploadPath(const QString &path, qint64 fileSize) {
    if (path.startsWith(QLatin1String("https://"))) return UploadPath::Download;
    if (path.endsWith(QLatin1String(".bin")) && fileSize >= 0 && fileSize <= qint64(device::kMaxFirmwareSize))
        return UploadPath::Image;
    return UploadPath::Invalid;
}

UpdateInfo parseUpdateInfo(const QByteArray &body) {
    UpdateInfo info;
    const QJsonDocument doc = QJsonDocument::fromJson(body);
    if (!doc.isObject()) return info;
    const QJsonObject o = doc.object();
    info.valid = true;
    info.version = o.value(QLatin1String("version")).toString();
    info.name = o.value(QLatin1String("name")).toString();
    info.md5 = o.value(QLatin1String("md5")).toString();
    return info;
}

QString wheelDateText(const QString &versionLabel) {
    QString date = versionLabel.split(QLatin1Char('\t')).value(1);
    date.replace(QLatin1String("  "), QLatin1String(" "));
    return date;
}

QDateTime parseBuildDate(const QString &text) {
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 2) return {};
    const QLocale c = QLocale::c();
    const QDate date = c.toDate(parts[0], QStringLiteral("MMM d yyyy"));
    const QTime time = c.toTime(parts[1], QStringLiteral("hh:mm"));
    if (!date.isValid() || !time.isValid()) return {};
    return QDateTime(date, time, Qt::UTC);
}

UpdateCheck checkForUpdate(const QString &versionLabel, const QString &serverVersion) {
    if (versionLabel.isEmpty()) return UpdateCheck::NoValidDevice;
    const QDateTime server = parseBuildDate(serverVersion);
    const QDateTime wheel = parseBuildDate(wheelDateText(versionLabel));
    if (!server.isValid() || !wheel.isValid()) return UpdateCheck::NoValidDevice;
    return wheel < server ? UpdateCheck::Available : UpdateCheck::UpToDate;
}

QString md5Hex(const QByteArray &data) {
    return QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Md5).toHex());
}

bool digestMatches(const QByteArray &data, const QString &expected) {
    return expected.toCaseFolded().contains(md5Hex(data), Qt::CaseSensitive);
}

QString tempFirmwarePath() { return QDir::tempPath() + QLatin1String("/tarn.firmware.bin"); }

bool writeFreshFile(const QString &path, const QByteArray &data) {
    QFile::remove(path);  // a link goes, never its target
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) return false;
    const bool written = file.write(data) == data.size() && file.flush();
    file.close();
    if (!written || file.error() != QFileDevice::NoError) {
        file.remove();
        return false;
    }
    return true;
}

}  // namespace firmware
