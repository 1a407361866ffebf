// Style sheets as text of any kind: reading and replacing the colour token
// never fails on them, and on a colour button's sheet a colour written
// reads back, in every channel order, with one token left.
#include "leds/ledlayouts.h"
#include "leds/stylecolor.h"
#include "require.h"

#include <fuzzer/FuzzedDataProvider.h>

namespace {

// Text that can never spell "rgb" or "color:" (no 'r'), so the sheet built
// around it has exactly the one token and the one "color:" of the button.
QString plain(FuzzedDataProvider &fdp) {
    static const char alphabet[] = " \t\n{}:;-#.,()0123456789adeiklmnpsuwxyzQ";
    const std::string bytes = fdp.ConsumeRandomLengthString(64);
    QString out;
    for (unsigned char c : bytes) out += QLatin1Char(alphabet[c % (sizeof alphabet - 1)]);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    FuzzedDataProvider fdp(data, size);
    const QColor color(fdp.ConsumeIntegral<uint8_t>(), fdp.ConsumeIntegral<uint8_t>(),
                       fdp.ConsumeIntegral<uint8_t>());

    // Arbitrary text, as UTF-8 and as UTF-16.
    const std::string raw = fdp.ConsumeRandomLengthString(512);
    const QString texts[] = {QString::fromUtf8(raw.data(), qsizetype(raw.size())),
                             QString(reinterpret_cast<const QChar *>(raw.data()), qsizetype(raw.size() / 2))};
    for (const QString &sheet : texts) {
        for (int order = -1; order <= 6; ++order) {
            const QColor read = colorOfStyle(sheet, order);
            REQUIRE(!read.isValid() || (read.red() <= 255 && read.green() <= 255 && read.blue() <= 255));
        }
        const QString written = withStyleColor(sheet, color);
        const QString token =
            QStringLiteral("rgb(%1,%2,%3);").arg(color.red()).arg(color.green()).arg(color.blue());
        REQUIRE(written == sheet || written.contains(token));
    }

    // A colour button's sheet around any plain text.
    const int a = fdp.ConsumeIntegral<uint8_t>(), b = fdp.ConsumeIntegral<uint8_t>(),
              c = fdp.ConsumeIntegral<uint8_t>();
    const QString sheet = plain(fdp) +
                          QStringLiteral("background-color:  rgb(%1, %2 ,%3);").arg(a).arg(b).arg(c) +
                          plain(fdp) + QStringLiteral(" color: white;") + plain(fdp);
    REQUIRE(colorOfStyle(sheet, 0) == QColor(a, b, c));
    const QString once = withStyleColor(sheet, color);
    const QString twice = withStyleColor(once, color);
    REQUIRE(twice == once);
    REQUIRE(once.count(QLatin1String("rgb")) == 1);
    REQUIRE(once.contains(QLatin1String("color: white;")));
    const leds::Rgb rgb{uint8_t(color.red()), uint8_t(color.green()), uint8_t(color.blue())};
    for (int order = -1; order <= 6; ++order) {
        const leds::Rgb want = leds::toLed(rgb, order);
        REQUIRE(colorOfStyle(once, order) == QColor(want[0], want[1], want[2]));
    }
    return 0;
}
