#include "stylecolor.h"

#include "ledlayouts.h"

#include <QStringView>
#include <QWidget>

QString withStyleColor(const QString &sheet, const QColor &color) {
    const qsizetype at = sheet.indexOf(QLatin1String("rgb"));
    if (at < 0) return sheet;
    const qsizetype end = sheet.indexOf(QLatin1Char(';'), at);
    if (end < 0) return sheet;
    QString out = sheet;
    out.remove(at, end - at + 1);
    const qsizetype colon = out.indexOf(QLatin1String("color:"));
    if (colon < 0) return sheet;
    out.insert(colon + 6,
               QStringLiteral("rgb(%1,%2,%3);").arg(color.red()).arg(color.green()).arg(color.blue()));
    return out;
}

QColor colorOfStyle(const QString &sheet, int channelOrder) {
    const qsizetype open = sheet.indexOf(QLatin1String("rgb("));
    if (open < 0) return {};
    const qsizetype from = open + 4;
    const qsizetype close = sheet.indexOf(QLatin1Char(')'), from);
    if (close < 0) return {};
    const QList<QStringView> pieces = QStringView(sheet).mid(from, close - from).split(QLatin1Char(','));
    if (pieces.size() < 3) return {};

    leds::Rgb color{};
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        const int value = pieces[i].trimmed().toInt(&ok, 10);
        const int v = ok ? value : 0;
        if (v < 0 || v > 255) return {};
        color[size_t(i)] = uint8_t(v);
    }
    const leds::Rgb out = leds::toLed(color, channelOrder);
    return QColor(out[0], out[1], out[2]);
}

void setStyleColor(QWidget *widget, const QColor &color) {
    if (!widget) return;
    const QString sheet = widget->styleSheet();
    const QString updated = withStyleColor(sheet, color);
    // Restyling repolishes the button; skip it when nothing changes.
    if (updated != sheet) widget->setStyleSheet(updated);
}

QColor styleColor(QWidget *widget, int channelOrder) {
    return widget ? colorOfStyle(widget->styleSheet(), channelOrder) : QColor();
}
