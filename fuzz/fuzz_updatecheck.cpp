// What the update server and the wheel's version text may say: the JSON
// description, both build dates, their comparison, the digest check and the
// rules for the upload path.
#include "device/protocol.h"
#include "firmware/updatecheck.h"
#include "require.h"

#include <QLocale>

#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    FuzzedDataProvider fdp(data, size);
    const std::string body = fdp.ConsumeRandomLengthString(1024), label = fdp.ConsumeRandomLengthString(256),
                      path = fdp.ConsumeRandomLengthString(256);
    const QString wheelText = QString::fromUtf8(label.data(), qsizetype(label.size()));
    const QString uploadPath = QString::fromUtf8(path.data(), qsizetype(path.size()));
    const qint64 fileSize = fdp.ConsumeIntegralInRange<qint64>(-1, 2 * qint64(device::kMaxFirmwareSize));
    const QByteArray json(body.data(), qsizetype(body.size()));
    const firmware::UpdateInfo info = firmware::parseUpdateInfo(json);
    REQUIRE(info.valid || (info.version.isEmpty() && info.name.isEmpty() && info.md5.isEmpty()));

    // A date that parses is the same minute written out again.
    const QDateTime server = firmware::parseBuildDate(info.version);
    const QDateTime wheel = firmware::parseBuildDate(firmware::wheelDateText(wheelText));
    for (const QDateTime &parsed : {server, wheel}) {
        if (!parsed.isValid()) continue;
        REQUIRE(parsed.timeSpec() == Qt::UTC);
        REQUIRE(firmware::parseBuildDate(QLocale::c().toString(parsed, QStringLiteral("MMM d yyyy,hh:mm"))) ==
                parsed);
    }
    const bool dated = server.isValid() && wheel.isValid() && !wheelText.isEmpty();
    switch (firmware::checkForUpdate(wheelText, info.version)) {
    case firmware::UpdateCheck::Available: REQUIRE(dated && wheel < server); break;
    case firmware::UpdateCheck::UpToDate: REQUIRE(dated && !(wheel < server)); break;
    case firmware::UpdateCheck::NoValidDevice: REQUIRE(!dated); break;
    }

    const QString digest = firmware::md5Hex(json);
    REQUIRE(digest.size() == 32 && digest == digest.toLower());
    REQUIRE(firmware::digestMatches(json, QStringLiteral("MD5: ") + digest.toUpper()));
    if (firmware::digestMatches(json, info.md5)) REQUIRE(info.md5.toCaseFolded().contains(digest));

    // Only an https address is downloaded; an image is a file no larger than a wheel takes.
    const firmware::UploadPath kind = firmware::classifyUploadPath(uploadPath, fileSize);
    REQUIRE((kind == firmware::UploadPath::Download) == uploadPath.startsWith(QLatin1String("https://")));
    REQUIRE(kind != firmware::UploadPath::Image ||
            (fileSize >= 0 && fileSize <= qint64(device::kMaxFirmwareSize)));
    return 0;
}
