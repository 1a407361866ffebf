// The rules of the update page that need no window: which path starts what,
// what version.json says, whose build date is newer, whether a download is
// the image it claims to be, and where it is kept.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace firmware {

// Bodies beyond these are refused before they are read: no image comes near
// 1 MiB and the description is a few lines.
constexpr qint64 kMaxImageDownload = 1024 * 1024;
constexpr qint64 kMaxVersionJson = 64 * 1024;

enum class UploadPath { Download, Image, Invalid };
// `fileSize` is what QFileInfo reports (0 for a path that names no file).
UploadPath classifyUploadPath(const QString &path, qint64 fileSize);

struct UpdateInfo {
    bool valid = false;  // the body was a JSON object
    QString version, name, md5;
};
UpdateInfo parseUpdateInfo(const QByteArray &body);

// The build date the wheel reported, from the text of the version label:
// what follows its first tab, with doubled spaces folded once.
QString wheelDateText(const QString &versionLabel);
// "MMM d yyyy,hh:mm" with English month names whatever the system locale,
// taken as UTC so no time-zone rule can make a date vanish or move.
QDateTime parseBuildDate(const QString &text);

enum class UpdateCheck { NoValidDevice, Available, UpToDate };
UpdateCheck checkForUpdate(const QString &versionLabel, const QString &serverVersion);

// MD5 as 32 lower-case hex digits.
QString md5Hex(const QByteArray &data);
// Whether the digest of `data` appears in `expected`, whatever its case.
bool digestMatches(const QByteArray &data, const QString &expected);

QString tempFirmwarePath();
// Writes `data` to a file created anew at `path`: whatever sits there (a
// stale download, a planted link) is removed first and the file is opened
// exclusively, so the write can never land anywhere else.
bool writeFreshFile(const QString &path, const QByteArray &data);

}  // namespace firmware
