// A colour button's colour lives only in its style sheet, as the token
// "rgb(r,g,b);" of its background. These read and write that token.
#pragma once

#include <QColor>
#include <QString>

class QWidget;

// The style sheet with its first "rgb...;" token replaced by the colour's,
// placed right after the first "color:". A text without such a token, or
// without "color:" once it is taken out, comes back unchanged.
QString withStyleColor(const QString &sheet, const QColor &color);
// The colour of the first "rgb(a,b,c)" token, its components rearranged into
// the order an LED of `channelOrder` takes them. A number outside 0..255, or
// a token that is missing, unclosed or short of three numbers, gives an
// invalid colour; a piece that is not a number reads as 0.
QColor colorOfStyle(const QString &sheet, int channelOrder);

void setStyleColor(QWidget *widget, const QColor &color);
QColor styleColor(QWidget *widget, int channelOrder);
