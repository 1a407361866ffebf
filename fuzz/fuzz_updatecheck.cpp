// What the update server and the wheel's version text may say: the JSON
// description, both build dates, their comparison, the digest check and the
// rules for the upload path.
#include "device/protocol.h"
#include "firmware/updatecheck.h"
#include "require.h"

#include <QLocale>

#include <fuzzer/FuzzedDataProvider.h>

namespace {

QString text(FuzzedDataProvider &fdp) {
    const std::string s = fdp.ConsumeRandomLengthString(256);
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    // The whole input as a description first.
    const firmware::UpdateInfo whole = firmware::parseUpdateInfo(
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size)));
    REQUIRE(whole.valid || (whole.version.isEmpty() && whole.name.isEmpty() && whole.md5.isEmpty()));

    FuzzedDataProvider fdp(data, size);
    const std::string body = fdp.ConsumeRandomLengthString(1024);
    const QString label = text(fdp);
    const QString path = text(fdp);
    const qint64 fileSize = fdp.ConsumeIntegralInRange<qint64>(-1, 2 * qint64(device::kMaxFirmwareSize));

    const firmware::UpdateInfo info =
        firmware::parseUpdateInfo(QByteArray(body.data(), qsizetype(body.size())));

    // A date that parses is the same minute written out again.
    for (const QString &date : {info.version, firmware::wheelDateText(label)}) {
        const QDateTime parsed = firmware::parseBuildDate(date);
        if (!parsed.isValid()) continue;
        REQUIRE(parsed.timeSpec() == Qt::UTC);
        const QString again = QLocale::c().toString(parsed, QStringLiteral("MMM d yyyy,hh:mm"));
        REQUIRE(firmware::parseBuildDate(again) == parsed);
    }

    const QDateTime server = firmware::parseBuildDate(info.version);
    const QDateTime wheel = firmware::parseBuildDate(firmware::wheelDateText(label));
    switch (firmware::checkForUpdate(label, info.version)) {
    case firmware::UpdateCheck::Available:
        REQUIRE(server.isValid() && wheel.isValid() && wheel < server);
        break;
    case firmware::UpdateCheck::UpToDate:
        REQUIRE(server.isValid() && wheel.isValid() && !(wheel < server));
        break;
    case firmware::UpdateCheck::NoValidDevice:
        REQUIRE(label.isEmpty() || !server.isValid() || !wheel.isValid());
        break;
    }

    const QByteArray image(body.data(), qsizetype(body.size()));
    const QString digest = firmware::md5Hex(image);
    REQUIRE(digest.size() == 32 && digest == digest.toLower());
    REQUIRE(firmware::digestMatches(image, QStringLiteral("MD5: ") + digest.toUpper()));
    if (firmware::digestMatches(image, info.md5)) REQUIRE(info.md5.toCaseFolded().contains(digest));

    switch (firmware::classifyUploadPath(path, fileSize)) {
    case firmware::UploadPath::Download: REQUIRE(path.startsWith(QLatin1String("https://"))); break;
    case firmware::UploadPath::Image:
        REQUIRE(!path.startsWith(QLatin1String("https://")) && path.endsWith(QLatin1String(".bin")));
        REQUIRE(fileSize >= 0 && fileSize <= qint64(device::kMaxFirmwareSize));
        break;
    case firmware::UploadPath::Invalid:
        REQUIRE(!path.startsWith(QLatin1String("https://")));
        REQUIRE(!path.endsWith(QLatin1String(".bin")) || fileSize < 0 ||
                fileSize > qint64(device::kMaxFirmwareSize));
        break;
    }
    return 0;
}
