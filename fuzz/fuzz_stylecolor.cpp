// Style sheets as text of any kind: reading and replacing the colour token
// never fails on them, and on a colour button's sheet a colour written
// reads back, in every channel order, with one token left.
#include "leds/ledlayouts.h"
#include "leds/stylecolor.h"
#include "require.h"

#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    FuzzedDataProvider fdp(data, size);
    const leds::Rgb rgb{fdp.ConsumeIntegral<uint8_t>(), fdp.ConsumeIntegral<uint8_t>(),
                        fdp.ConsumeIntegral<uint8_t>()};
    const QColor color(rgb[0], rgb[1], rgb[2]);
    const QString token = QStringLiteral("rgb(%1,%2,%3);").arg(rgb[0]).arg(rgb[1]).arg(rgb[2]);

    // Arbitrary text, as UTF-8 and as UTF-16.
    const std::string raw = fdp.ConsumeRandomLengthString(512);
    for (const QString &sheet :
         {QString::fromUtf8(raw.data(), qsizetype(raw.size())),
          QString(reinterpret_cast<const QChar *>(raw.data()), qsizetype(raw.size() / 2))}) {
        for (int order = -1; order <= 6; ++order) colorOfStyle(sheet, order);
        const QString written = withStyleColor(sheet, color);
        REQUIRE(written == sheet || written.contains(token));
    }

    // A colour button's sheet around text that can never spell "rgb" or
    // "color:" (no 'r'): exactly the one token and the one "color:".
    QString plain[3];
    for (QString &p : plain)
        for (unsigned char c : fdp.ConsumeRandomLengthString(64))
            p += QLatin1Char(" \t\n{}:;-#.,()0123456789adeiklmnpsuwxyzQ"[c % 39]);
    const int a = fdp.ConsumeIntegral<uint8_t>(), b = fdp.ConsumeIntegral<uint8_t>(),
              c = fdp.ConsumeIntegral<uint8_t>();
    const QString sheet = plain[0] +
                          QStringLiteral("background-color:  rgb(%1, %2 ,%3);").arg(a).arg(b).arg(c) +
                          plain[1] + QStringLiteral(" color: white;") + plain[2];
    REQUIRE(colorOfStyle(sheet, 0) == QColor(a, b, c));
    const QString once = withStyleColor(sheet, color);
    REQUIRE(withStyleColor(once, color) == once && once.count(QLatin1String("rgb")) == 1);
    REQUIRE(once.contains(QLatin1String("color: white;")));
    for (int order = -1; order <= 6; ++order) {
        const leds::Rgb want = leds::toLed(rgb, order);
        REQUIRE(colorOfStyle(once, order) == QColor(want[0], want[1], want[2]));
    }
    return 0;
}
