// What the update server and the wheel's version text may say: the JSON
// description, both build dates, their comparison, the digest check and the
// rules for the upload path.
#include "firmware/updatecheck.h"
#include "device/protocol.h"
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
    const fw::UpdateInfo whole =
        fw::parseUpdateInfo(QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size)));
    REQUIRE(whole.valid || (whole.version.isEmpty() && whole.name.isEmpty() && whole.md5.isEmpty()));

    FuzzedDataProvider fdp(data, size);
    const std::string body = fdp.ConsumeRandomLengthString(1024);
    const QString label = text(fdp);
    const QString path = text(fdp);
    const qint64 fileSize = fdp.ConsumeIntegralInRange<qint64>(-1, 2 * qint64(proto::kMaxFirmwareSize));

    const fw::UpdateInfo info = fw::parseUpdateInfo(QByteArray(body.data(), qsizetype(body.size())));

    // A date that parses is the same minute written out again.
    for (const QString &date : {info.version, fw::wheelDateText(label)}) {
        const QDateTime parsed = fw::parseBuildDate(date);
        if (!parsed.isValid()) continue;
        REQUIRE(parsed.timeSpec() == Qt::UTC);
        const QString again = QLocale::c().toString(parsed, QStringLiteral("MMM d yyyy,hh:mm"));
        REQUIRE(fw::parseBuildDate(again) == parsed);
    }

    const QDateTime server = fw::parseBuildDate(info.version);
    const QDateTime wheel = fw::parseBuildDate(fw::wheelDateText(label));
    switch (fw::checkForUpdate(label, info.version)) {
    case fw::UpdateCheck::Available:
        REQUIRE(server.isValid() && wheel.isValid() && wheel < server);
        break;
    case fw::UpdateCheck::UpToDate:
        REQUIRE(server.isValid() && wheel.isValid() && !(wheel < server));
        break;
    case fw::UpdateCheck::NoValidDevice:
        REQUIRE(label.isEmpty() || !server.isValid() || !wheel.isValid());
        break;
    }

    const QByteArray image(body.data(), qsizetype(body.size()));
    const QString digest = fw::md5Hex(image);
    REQUIRE(digest.size() == 32 && digest == digest.toLower());
    REQUIRE(fw::digestMatches(image, QStringLiteral("MD5: ") + digest.toUpper()));
    if (fw::digestMatches(image, info.md5)) REQUIRE(info.md5.toCaseFolded().contains(digest));

    switch (fw::classifyUploadPath(path, fileSize)) {
    case fw::UploadPath::Download:
        REQUIRE(path.startsWith(QLatin1String("https://")));
        break;
    case fw::UploadPath::Image:
        REQUIRE(!path.startsWith(QLatin1String("https://")) && path.endsWith(QLatin1String(".bin")));
        REQUIRE(fileSize >= 0 && fileSize <= qint64(proto::kMaxFirmwareSize));
        break;
    case fw::UploadPath::Invalid:
        REQUIRE(!path.startsWith(QLatin1String("https://")));
        REQUIRE(!path.endsWith(QLatin1String(".bin")) || fileSize < 0 ||
                fileSize > qint64(proto::kMaxFirmwareSize));
        break;
    }
    return 0;
}
