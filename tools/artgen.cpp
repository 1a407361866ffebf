// orvane-artgen: draws every image of resources/img.
//
//   orvane-artgen [--overlay DIR] [OUTPUT_DIR]
//   orvane-artgen --icons DIR     (the desktop icons: DIR/<n>x<n>/apps/orvane.png)
//
// The wheel pictures take their control positions from device::profiles(),
// so after moving a control in device/models.cpp run this again and check
// the result in. --overlay also writes each picture with the widget frames
// drawn over it, for checking that the artwork and the table agree.
#include "device/models.h"

#include <QConicalGradient>
#include <QDir>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QRadialGradient>
#include <QtMath>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#ifndef ORVANE_ART_DIR
#define ORVANE_ART_DIR "resources/img"
#endif

namespace {

const QColor kBackground(26, 25, 25);

// Everything on a wheel picture is drawn in page coordinates (the ones of
// the model table); this maps the picture label's 640 x 365 onto the
// 1280 x 720 image.
constexpr double kSx = double(device::kArtW) / device::kPictureW;
constexpr double kSy = double(device::kArtH) / device::kPictureH;
constexpr double kCx = device::kPictureX + device::kPictureW / 2.0;  // wheel centre line

QTransform pageTransform() {
    QTransform t;
    t.scale(kSx, kSy);
    t.translate(-device::kPictureX, -device::kPictureY);
    return t;
}

QPointF mirror(QPointF p) { return QPointF(2 * kCx - p.x(), p.y()); }

QPainterPath mirrored(const QPainterPath &path) { return QTransform(-1, 0, 0, 1, 2 * kCx, 0).map(path); }

// Closes the left half of an outline (drawn from the top of the centre line
// to its bottom) with its own mirror image.
QPainterPath symmetric(const QPainterPath &half) {
    struct Seg {
        bool curve;
        QPointF c1, c2, p;
    };
    std::vector<Seg> segs;
    const QPointF start = half.elementAt(0);
    for (int i = 1; i < half.elementCount(); ++i) {
        const QPainterPath::Element e = half.elementAt(i);
        if (e.type == QPainterPath::CurveToElement) {
            segs.push_back({true, e, half.elementAt(i + 1), half.elementAt(i + 2)});
            i += 2;
        } else {
            segs.push_back({false, {}, {}, e});
        }
    }
    QPainterPath out(start);
    for (const Seg &s : segs) {
        if (s.curve) out.cubicTo(s.c1, s.c2, s.p);
        else out.lineTo(s.p);
    }
    for (int k = int(segs.size()) - 1; k >= 0; --k) {
        const QPointF to = k == 0 ? start : segs[size_t(k) - 1].p;
        const Seg &s = segs[size_t(k)];
        if (s.curve) out.cubicTo(mirror(s.c2), mirror(s.c1), mirror(to));
        else out.lineTo(mirror(to));
    }
    out.closeSubpath();
    return out;
}

QPainterPath circle(QPointF c, double r) {
    QPainterPath p;
    p.addEllipse(c, r, r);
    return p;
}

// Octagon with equal chamfers; d > 0 gives the outline d further in.
QPainterPath octagon(QRectF r, double chamfer, double d = 0) {
    r.adjust(d, d, -d, -d);
    const double c = chamfer - d * (2 - M_SQRT2);
    QPainterPath p(QPointF(r.left() + c, r.top()));
    p.lineTo(r.right() - c, r.top());
    p.lineTo(r.right(), r.top() + c);
    p.lineTo(r.right(), r.bottom() - c);
    p.lineTo(r.right() - c, r.bottom());
    p.lineTo(r.left() + c, r.bottom());
    p.lineTo(r.left(), r.bottom() - c);
    p.lineTo(r.left(), r.top() + c);
    p.closeSubpath();
    return p;
}

// ---------------------------------------------------------------- materials

std::mt19937 &rng() {
    static std::mt19937 gen(370);  // fixed: the checked-in images must be reproducible
    return gen;
}

QImage noiseTile(QColor base, int amplitude) {
    QImage img(128, 128, QImage::Format_ARGB32_Premultiplied);
    std::uniform_int_distribution<int> d(-amplitude, amplitude);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const int n = d(rng());
            img.setPixelColor(x, y,
                              QColor(qBound(0, base.red() + n, 255), qBound(0, base.green() + n, 255),
                                     qBound(0, base.blue() + n, 255)));
        }
    return img;
}

// 2/2 twill: every visible tow float is two cells long, rounded across its
// width and darker where it dives under the next tow.
QImage carbonTile(QColor dark, QColor light) {
    const int cell = 5, cells = 4;
    QImage img(cell * cells, cell * cells, QImage::Format_ARGB32_Premultiplied);
    img.fill(dark.darker(140));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    auto floatAt = [&](double x, double y, bool horizontal) {
        const QRectF r = horizontal ? QRectF(x, y, 2 * cell, cell) : QRectF(x, y, cell, 2 * cell);
        QLinearGradient across(r.topLeft(), horizontal ? r.bottomLeft() : r.topRight());
        across.setColorAt(0, dark);
        across.setColorAt(0.4, light);
        across.setColorAt(1, dark.darker(120));
        p.fillRect(r, across);
        QLinearGradient along(r.topLeft(), horizontal ? r.topRight() : r.bottomLeft());
        along.setColorAt(0, QColor(0, 0, 0, 90));
        along.setColorAt(0.2, QColor(0, 0, 0, 0));
        along.setColorAt(0.8, QColor(0, 0, 0, 0));
        along.setColorAt(1, QColor(0, 0, 0, 90));
        p.fillRect(r, along);
    };
    // Weft floats cover cells i, i+1 where (i - j) mod 4 == 0; warp floats
    // cover rows j, j+1 where (i - j) mod 4 == 3. Overdraw wraps the tile.
    for (int j = -2; j < cells + 2; ++j)
        for (int i = -2; i < cells + 2; ++i) {
            const int m = ((i - j) % 4 + 4) % 4;
            if (m == 0) floatAt(i * cell, j * cell, true);
            if (m == 3) floatAt(i * cell, j * cell, false);
        }
    return img;
}

// Forged carbon: chopped fibre flakes in resin.
QImage forgedTile() {
    QImage img(160, 160, QImage::Format_ARGB32_Premultiplied);
    img.fill(QColor(22, 22, 24));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    std::uniform_real_distribution<double> pos(0, 160), size(4, 14), angle(0, 360), shade(0, 1);
    for (int i = 0; i < 700; ++i) {
        const QPointF c(pos(rng()), pos(rng()));
        const double w = size(rng()), h = w * 0.45, a = angle(rng());
        const int l = 22 + int(22 * shade(rng()));
        for (int dx = -160; dx <= 160; dx += 160)
            for (int dy = -160; dy <= 160; dy += 160) {
                p.save();
                p.translate(c + QPointF(dx, dy));
                p.rotate(a);
                QPolygonF flake;
                flake << QPointF(-w / 2, -h / 3) << QPointF(w / 3, -h / 2) << QPointF(w / 2, h / 4)
                      << QPointF(-w / 4, h / 2);
                QLinearGradient g(QPointF(0, -h / 2), QPointF(0, h / 2));
                g.setColorAt(0, QColor(l + 12, l + 12, l + 15, 200));
                g.setColorAt(1, QColor(l - 8, l - 8, l - 6, 200));
                p.setPen(Qt::NoPen);
                p.setBrush(g);
                p.drawPolygon(flake);
                p.restore();
            }
    }
    return img;
}

// Transparent grain laid over a shaded surface so the shading survives.
QImage grainTile(int amplitude) {
    QImage img(128, 128, QImage::Format_ARGB32_Premultiplied);
    std::uniform_int_distribution<int> d(-amplitude, amplitude);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const int n = d(rng());
            img.setPixelColor(x, y, n > 0 ? QColor(255, 255, 255, n) : QColor(0, 0, 0, -n));
        }
    return img;
}

QImage brushedTile(QColor base) {
    QImage img(512, 64, QImage::Format_ARGB32_Premultiplied);
    img.fill(base);
    QPainter p(&img);
    std::uniform_int_distribution<int> row(0, 63), len(40, 300), start(0, 511), shade(-18, 18);
    for (int i = 0; i < 500; ++i) {
        const int s = shade(rng());
        p.setPen(QColor(qBound(0, base.red() + s, 255), qBound(0, base.green() + s, 255),
                        qBound(0, base.blue() + s, 255), 140));
        const int y = row(rng()), x = start(rng()), l = len(rng());
        p.drawLine(x, y, x + l, y);
        p.drawLine(x - 512, y, x + l - 512, y);
    }
    return img;
}

// A texture brush that keeps one texel per image pixel under the page transform.
QBrush texture(const QImage &tile, double angle = 0) {
    QBrush b(tile);
    QTransform t;
    t.rotate(angle);
    t.scale(1 / kSx, 1 / kSy);
    b.setTransform(t);
    return b;
}

struct Materials {
    QImage carbon = carbonTile(QColor(20, 20, 22), QColor(58, 59, 64));
    QImage forged = forgedTile();
    QImage grain = grainTile(22);
    QImage satin = noiseTile(QColor(30, 30, 33), 3);
    QImage metal = brushedTile(QColor(150, 154, 160));
};

const Materials &mat() {
    static const Materials m;
    return m;
}

// Light from above: a sheen at the top, shade at the bottom of the shape.
void topLight(QPainter &p, const QPainterPath &path, int sheen = 40, int shade = 90) {
    const QRectF b = path.boundingRect();
    QLinearGradient g(b.topLeft(), b.bottomLeft());
    g.setColorAt(0, QColor(255, 255, 255, sheen));
    g.setColorAt(0.45, QColor(255, 255, 255, 0));
    g.setColorAt(0.55, QColor(0, 0, 0, 0));
    g.setColorAt(1, QColor(0, 0, 0, shade));
    p.fillPath(path, g);
}

// Dark outline and a light upper edge, so a part stands off what is behind it.
void edge(QPainter &p, const QPainterPath &path, double width = 1.0, int light = 110) {
    p.strokePath(path, QPen(QColor(0, 0, 0, 170), width * 1.6));
    const QRectF b = path.boundingRect();
    QLinearGradient g(b.topLeft(), b.bottomLeft());
    g.setColorAt(0, QColor(255, 255, 255, light));
    g.setColorAt(0.5, QColor(255, 255, 255, light / 4));
    g.setColorAt(1, QColor(255, 255, 255, 0));
    p.strokePath(path, QPen(QBrush(g), width * 0.7));
}

QColor mix(QColor a, QColor b, double t) {
    return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * t),
                            float(a.greenF() + (b.greenF() - a.greenF()) * t),
                            float(a.blueF() + (b.blueF() - a.blueF()) * t));
}

// A rim of any outline: shaded like a tube by stroking its centre line from
// wide and dark to narrow and light, then grained and lit from above.
QPainterPath tube(QPainter &p, const QPainterPath &centreLine, double width, QColor base) {
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setJoinStyle(Qt::RoundJoin);
    const QPainterPath body = stroker.createStroke(centreLine).simplified();
    // Lit from the front: brightness follows the cosine across the section.
    const int steps = 32;
    for (int i = 0; i < steps; ++i) {
        const double x = 1 - 0.95 * double(i) / (steps - 1);
        const QColor c = mix(base.darker(420), base, std::pow(1 - x * x, 1.4));
        p.strokePath(centreLine, QPen(c, width * x, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    }
    p.strokePath(centreLine,
                 QPen(QColor(255, 255, 255, 22), width * 0.3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.fillPath(body, texture(mat().grain));
    topLight(p, body, 50, 120);
    edge(p, body, 0.9, 90);
    return body;
}

void stitches(QPainter &p, const QPainterPath &line, QColor color, double width = 0.9) {
    QPen pen(color, width, Qt::CustomDashLine, Qt::FlatCap);
    pen.setDashPattern({3, 2.5});
    p.strokePath(line, pen);
}

// Soft shadow of a silhouette, drawn below everything else.
void blurAlpha(QImage &img, int radius) {
    const int w = img.width(), h = img.height();
    std::vector<int> line(size_t(std::max(w, h)));
    for (int pass = 0; pass < 3; ++pass) {
        for (int y = 0; y < h; ++y) {
            auto *row = reinterpret_cast<QRgb *>(img.scanLine(y));
            for (int x = 0; x < w; ++x) line[size_t(x)] = qAlpha(row[x]);
            int sum = 0;
            for (int x = -radius; x <= radius; ++x) sum += line[size_t(qBound(0, x, w - 1))];
            for (int x = 0; x < w; ++x) {
                row[x] = qRgba(0, 0, 0, sum / (2 * radius + 1));
                sum += line[size_t(qMin(x + radius + 1, w - 1))] - line[size_t(qMax(x - radius, 0))];
            }
        }
        for (int x = 0; x < w; ++x) {
            for (int y = 0; y < h; ++y)
                line[size_t(y)] = qAlpha(reinterpret_cast<QRgb *>(img.scanLine(y))[x]);
            int sum = 0;
            for (int y = -radius; y <= radius; ++y) sum += line[size_t(qBound(0, y, h - 1))];
            for (int y = 0; y < h; ++y) {
                reinterpret_cast<QRgb *>(img.scanLine(y))[x] = qRgba(0, 0, 0, sum / (2 * radius + 1));
                sum += line[size_t(qMin(y + radius + 1, h - 1))] - line[size_t(qMax(y - radius, 0))];
            }
        }
    }
}

void dropShadow(QImage &target, const QPainterPath &silhouette, QPointF offset, int radius, double opacity) {
    QImage mask(target.size(), QImage::Format_ARGB32);
    mask.fill(Qt::transparent);
    {
        QPainter p(&mask);
        p.setRenderHint(QPainter::Antialiasing);
        p.setTransform(pageTransform());
        p.fillPath(silhouette, Qt::black);
    }
    blurAlpha(mask, radius);
    QPainter p(&target);
    p.setOpacity(opacity);
    p.drawImage(offset, mask);
}

// ---------------------------------------------------------------- controls

QColor withAlpha(QColor c, int a) {
    c.setAlpha(a);
    return c;
}

void contactShadow(QPainter &p, QPointF c, double r) {
    QRadialGradient g(c + QPointF(0.6, 1.6), r * 1.25);
    g.setColorAt(0.7, QColor(0, 0, 0, 150));
    g.setColorAt(1, QColor(0, 0, 0, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(c + QPointF(0.6, 1.6), r * 1.25, r * 1.25);
}

// The milky diffuser ring around a backlit control.
void ledRing(QPainter &p, QPointF c, double rOut, double rIn) {
    QPainterPath ring = circle(c, rOut);
    ring.addPath(circle(c, rIn));
    ring.setFillRule(Qt::OddEvenFill);
    QRadialGradient g(c, rOut);
    g.setColorAt(rIn / rOut, QColor(120, 126, 134));
    g.setColorAt((rIn / rOut + 1) / 2, QColor(214, 220, 228));
    g.setColorAt(1, QColor(110, 116, 124));
    p.fillPath(ring, g);
    p.strokePath(circle(c, rOut), QPen(QColor(0, 0, 0, 160), 0.6));
}

void drawButton(QPainter &p, QRectF r, QColor cap, bool lit, const QString &glyph) {
    const QPointF c = r.center();
    const double d = std::min(r.width(), r.height());
    const double bezel = d * 0.56, top = d * 0.38;
    contactShadow(p, c, bezel);
    QRadialGradient bg(c - QPointF(bezel * 0.3, bezel * 0.4), bezel * 1.3);
    bg.setColorAt(0, QColor(120, 122, 128));
    bg.setColorAt(0.5, QColor(52, 53, 57));
    bg.setColorAt(1, QColor(16, 16, 18));
    p.setBrush(bg);
    p.setPen(QPen(QColor(0, 0, 0, 200), 0.6));
    p.drawEllipse(c, bezel, bezel);
    if (lit) ledRing(p, c, bezel * 0.86, top * 1.08);
    else {
        p.setBrush(QColor(12, 12, 14));
        p.setPen(Qt::NoPen);
        p.drawEllipse(c, top * 1.1, top * 1.1);
    }
    QRadialGradient cg(c - QPointF(top * 0.35, top * 0.45), top * 1.4);
    cg.setColorAt(0, cap.lighter(185));
    cg.setColorAt(0.45, cap);
    cg.setColorAt(1, cap.darker(260));
    p.setBrush(cg);
    p.setPen(QPen(QColor(0, 0, 0, 180), 0.4));
    p.drawEllipse(c, top, top);
    QRadialGradient glint(c - QPointF(top * 0.35, top * 0.5), top * 0.6);
    glint.setColorAt(0, QColor(255, 255, 255, 110));
    glint.setColorAt(1, QColor(255, 255, 255, 0));
    p.setBrush(glint);
    p.setPen(Qt::NoPen);
    p.drawEllipse(c - QPointF(top * 0.3, top * 0.42), top * 0.55, top * 0.4);
    if (!glyph.isEmpty()) {
        QFont f(QStringLiteral("DejaVu Sans"));
        f.setBold(true);
        f.setPixelSize(glyph.size() > 1 ? 4 : 6);
        p.setFont(f);
        p.setPen(QColor(255, 255, 255, cap.lightness() > 150 ? 0 : 200));
        if (cap.lightness() > 150) p.setPen(QColor(20, 20, 20, 210));
        p.drawText(QRectF(c.x() - top, c.y() - top, 2 * top, 2 * top), Qt::AlignCenter, glyph);
    }
}

void drawEncoder(QPainter &p, QRectF r, QColor accent, bool lit) {
    const QPointF c = r.center();
    const double d = std::min(r.width(), r.height());
    const double skirt = d * 0.52, top = d * 0.36;
    if (lit) {
        contactShadow(p, c, d * 0.66);
        p.setBrush(QColor(14, 14, 16));
        p.setPen(QPen(QColor(0, 0, 0, 200), 0.6));
        p.drawEllipse(c, d * 0.66, d * 0.66);
        ledRing(p, c, d * 0.62, skirt * 1.02);
    }
    contactShadow(p, c, skirt);
    QConicalGradient cg(c, 35);
    const QColor m1(190, 194, 200), m2(70, 72, 78), m3(140, 144, 150);
    cg.setColorAt(0, m1);
    cg.setColorAt(0.15, m2);
    cg.setColorAt(0.35, m3);
    cg.setColorAt(0.5, m1.darker(120));
    cg.setColorAt(0.65, m2);
    cg.setColorAt(0.85, m3);
    cg.setColorAt(1, m1);
    p.setBrush(cg);
    p.setPen(QPen(QColor(0, 0, 0, 200), 0.5));
    p.drawEllipse(c, skirt, skirt);
    // Knurling.
    p.setPen(QPen(QColor(0, 0, 0, 120), 0.45));
    for (int i = 0; i < 48; ++i) {
        const double a = i * 2 * M_PI / 48;
        const QPointF u(std::cos(a), std::sin(a));
        p.drawLine(c + u * (top * 1.08), c + u * (skirt * 0.97));
    }
    QRadialGradient tg(c - QPointF(top * 0.4, top * 0.5), top * 1.6);
    tg.setColorAt(0, QColor(92, 94, 100));
    tg.setColorAt(0.6, QColor(38, 39, 43));
    tg.setColorAt(1, QColor(12, 12, 14));
    p.setBrush(tg);
    p.setPen(QPen(QColor(0, 0, 0, 220), 0.5));
    p.drawEllipse(c, top, top);
    p.setPen(QPen(accent, 1.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c + QPointF(0, -top * 0.8), c + QPointF(0, -top * 0.35));
}

void drawStick(QPainter &p, QRectF r, QColor accent) {
    const QPointF c = r.center();
    const double d = std::min(r.width(), r.height());
    const double well = d * 0.74, boot = d * 0.56, cap = d * 0.4;
    QRadialGradient wg(c + QPointF(0, -well * 0.15), well);
    wg.setColorAt(0, QColor(4, 4, 5));
    wg.setColorAt(0.8, QColor(20, 20, 22));
    wg.setColorAt(1, QColor(70, 72, 76));
    p.setBrush(wg);
    p.setPen(QPen(QColor(0, 0, 0, 220), 0.7));
    p.drawEllipse(c, well, well);
    p.setPen(QPen(withAlpha(accent, 200), 0.8));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, well * 0.93, well * 0.93);
    QRadialGradient bg(c - QPointF(0, boot * 0.3), boot * 1.2);
    bg.setColorAt(0, QColor(60, 60, 64));
    bg.setColorAt(1, QColor(14, 14, 15));
    p.setBrush(bg);
    p.setPen(Qt::NoPen);
    p.drawEllipse(c, boot, boot);
    contactShadow(p, c + QPointF(0, 0.6), cap);
    // Concave cap: lit on its lower inside.
    QRadialGradient capg(c + QPointF(cap * 0.25, cap * 0.35), cap * 1.3);
    capg.setColorAt(0, QColor(88, 90, 96));
    capg.setColorAt(0.55, QColor(46, 47, 51));
    capg.setColorAt(1, QColor(18, 18, 20));
    p.setBrush(capg);
    p.setPen(QPen(QColor(150, 152, 158, 160), 0.5));
    p.drawEllipse(c, cap, cap);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(10, 10, 11, 170));
    for (int i = 0; i < 12; ++i) {
        const double a = i * 2 * M_PI / 12;
        p.drawEllipse(c + QPointF(std::cos(a), std::sin(a)) * cap * 0.72, cap * 0.08, cap * 0.08);
    }
    p.drawEllipse(c, cap * 0.12, cap * 0.12);
}

enum class LedShape { Round, Square };

void drawLed(QPainter &p, QRectF r, LedShape shape, QColor tint) {
    const QPointF c = r.center();
    const double w = r.width(), h = r.height();
    QPainterPath housing, lens;
    if (shape == LedShape::Round) {
        const double rr = std::min(w, h) / 2;
        housing = circle(c, rr * 0.92);
        lens = circle(c, rr * 0.6);
    } else {
        const QRectF hr(c.x() - w * 0.58, c.y() - h * 0.58, w * 1.16, h * 1.16);
        housing.addRoundedRect(hr, 2.2, 2.2);
        lens.addRoundedRect(hr.adjusted(1.4, 1.4, -1.4, -1.4), 1.4, 1.4);
    }
    contactShadow(p, c, std::min(w, h) * 0.45);
    QLinearGradient hg(housing.boundingRect().topLeft(), housing.boundingRect().bottomLeft());
    hg.setColorAt(0, QColor(6, 6, 7));
    hg.setColorAt(0.7, QColor(30, 31, 34));
    hg.setColorAt(1, QColor(84, 86, 92));
    p.fillPath(housing, hg);
    p.strokePath(housing, QPen(QColor(0, 0, 0, 200), 0.4));
    // Unlit lens: the diffuser's own tint, brightest low where the light falls in.
    const QRectF lb = lens.boundingRect();
    QRadialGradient lg(lb.center() + QPointF(0, lb.height() * 0.25),
                       std::max(lb.width(), lb.height()) * 0.75);
    lg.setColorAt(0, tint);
    lg.setColorAt(0.55, tint.darker(190));
    lg.setColorAt(1, tint.darker(380));
    p.fillPath(lens, lg);
    p.strokePath(lens, QPen(QColor(0, 0, 0, 200), 0.4));
    QLinearGradient glint(lb.topLeft(), lb.bottomLeft());
    glint.setColorAt(0, QColor(255, 255, 255, 90));
    glint.setColorAt(0.45, QColor(255, 255, 255, 0));
    p.save();
    p.setClipPath(lens);
    p.fillRect(QRectF(lb.left(), lb.top(), lb.width(), lb.height() * 0.5), glint);
    p.restore();
}

// A paddle from a pivot hidden behind the wheel to its visible tip.
struct PaddleFrame {
    QTransform toPage;  // blade coordinates: x along the blade from the pivot
    double length;
    QPainterPath shape;
};

PaddleFrame paddleFrame(QPointF pivot, QPointF tip, double width) {
    const QPointF v = tip - pivot;
    PaddleFrame f;
    f.length = std::hypot(v.x(), v.y()) + width * 0.45;
    f.toPage.translate(pivot.x(), pivot.y());
    f.toPage.rotate(std::atan2(v.y(), v.x()) * 180 / M_PI);
    const double len = f.length;
    QPainterPath blade(QPointF(0, -width * 0.62));
    blade.lineTo(len - width * 0.5, -width * 0.5);
    blade.cubicTo(len + width * 0.05, -width * 0.5, len + width * 0.05, width * 0.5, len - width * 0.5,
                  width * 0.5);
    blade.lineTo(0, width * 0.62);
    blade.closeSubpath();
    f.shape = f.toPage.map(blade);
    return f;
}

void drawPaddle(QPainter &p, QPointF pivot, QPointF tip, double width, bool metal, QColor accent) {
    const PaddleFrame f = paddleFrame(pivot, tip, width);
    const QTransform &t = f.toPage;
    const QPainterPath &shape = f.shape;
    const double len = f.length;
    const QPointF v = tip - pivot;
    const double angle = std::atan2(v.y(), v.x()) * 180 / M_PI;
    p.fillPath(shape, metal ? texture(mat().metal, angle) : texture(mat().carbon, angle));
    // Rounded across the blade.
    QLinearGradient g(t.map(QPointF(0, -width * 0.6)), t.map(QPointF(0, width * 0.6)));
    g.setColorAt(0, QColor(255, 255, 255, metal ? 70 : 45));
    g.setColorAt(0.4, QColor(255, 255, 255, 0));
    g.setColorAt(1, QColor(0, 0, 0, 150));
    p.fillPath(shape, g);
    QPainterPath stripe;
    stripe.moveTo(len - width * 0.9, 0);
    stripe.lineTo(len - width * 0.15, 0);
    if (!metal) {
        QPainterPathStroker s;
        s.setWidth(width * 0.12);
        s.setCapStyle(Qt::RoundCap);
        p.fillPath(t.map(s.createStroke(stripe)), withAlpha(accent, 200));
    }
    edge(p, shape, 0.9, 120);
}

// ---------------------------------------------------------------- decorations

void drawLogo(QPainter &p, QPointF c, double width, QColor color) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setBold(true);
    f.setPixelSize(10);
    f.setLetterSpacing(QFont::AbsoluteSpacing, 1.5);
    const QString text = QStringLiteral("TARNWELL");
    const double tw = QFontMetricsF(f).horizontalAdvance(text);
    p.save();
    p.translate(c);
    p.scale(width / tw, width / tw);
    p.setFont(f);
    const QRectF box(-tw / 2, -8, tw, 16);
    p.setPen(QColor(0, 0, 0, 170));
    p.drawText(box.translated(0.3, 0.5), Qt::AlignCenter, text);
    p.setPen(color);
    p.drawText(box, Qt::AlignCenter, text);
    p.restore();
}

// Quick-release hub with its bolt circle.
void drawHub(QPainter &p, QPointF c, double r, QColor accent) {
    contactShadow(p, c, r);
    QRadialGradient g(c - QPointF(r * 0.3, r * 0.4), r * 1.5);
    g.setColorAt(0, QColor(92, 94, 100));
    g.setColorAt(0.5, QColor(42, 43, 47));
    g.setColorAt(1, QColor(14, 14, 16));
    p.setBrush(g);
    p.setPen(QPen(QColor(0, 0, 0, 220), 0.7));
    p.drawEllipse(c, r, r);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(withAlpha(accent, 220), 1.2));
    p.drawEllipse(c, r * 0.82, r * 0.82);
    for (int i = 0; i < 6; ++i) {
        const double a = M_PI / 6 + i * M_PI / 3;
        const QPointF b = c + QPointF(std::cos(a), std::sin(a)) * r * 0.64;
        QRadialGradient bg(b - QPointF(0.8, 1), 3.2);
        bg.setColorAt(0, QColor(210, 212, 218));
        bg.setColorAt(1, QColor(70, 72, 76));
        p.setBrush(bg);
        p.setPen(QPen(QColor(0, 0, 0, 200), 0.4));
        p.drawEllipse(b, 2.6, 2.6);
        p.setBrush(QColor(20, 20, 22));
        QPolygonF hex;
        for (int k = 0; k < 6; ++k) hex << b + QPointF(std::cos(k * M_PI / 3), std::sin(k * M_PI / 3)) * 1.1;
        p.drawPolygon(hex);
    }
    QRadialGradient cg(c - QPointF(r * 0.1, r * 0.15), r * 0.5);
    cg.setColorAt(0, QColor(70, 72, 78));
    cg.setColorAt(1, QColor(22, 22, 24));
    p.setBrush(cg);
    p.setPen(QPen(QColor(0, 0, 0, 220), 0.5));
    p.drawEllipse(c, r * 0.42, r * 0.42);
    drawLogo(p, c, r * 0.7, QColor(220, 222, 228));
}

// Dash display on standby: dim gear and readouts.
void drawDisplay(QPainter &p, QRectF r, QColor accent) {
    QPainterPath bezel;
    bezel.addRoundedRect(r.adjusted(-3, -3, 3, 3), 6, 6);
    p.fillPath(bezel, QColor(10, 10, 11));
    edge(p, bezel, 0.9, 90);
    QPainterPath glass;
    glass.addRoundedRect(r, 3, 3);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, QColor(24, 28, 34));
    g.setColorAt(1, QColor(6, 7, 9));
    p.fillPath(glass, g);
    p.save();
    p.setClipPath(glass);
    QFont f(QStringLiteral("DejaVu Sans Mono"));
    f.setBold(true);
    f.setPixelSize(int(r.height() * 0.55));
    p.setFont(f);
    p.setPen(withAlpha(accent, 150));
    p.drawText(r, Qt::AlignCenter, QStringLiteral("3"));
    f.setPixelSize(int(r.height() * 0.14));
    p.setFont(f);
    p.setPen(QColor(170, 180, 190, 110));
    p.drawText(r.adjusted(5, 3, -5, -3), Qt::AlignLeft | Qt::AlignTop, QStringLiteral("1:42.318"));
    p.drawText(r.adjusted(5, 3, -5, -3), Qt::AlignRight | Qt::AlignTop, QStringLiteral("P4"));
    p.drawText(r.adjusted(5, 3, -5, -3), Qt::AlignLeft | Qt::AlignBottom, QStringLiteral("TC 3"));
    p.drawText(r.adjusted(5, 3, -5, -3), Qt::AlignRight | Qt::AlignBottom, QStringLiteral("ABS 2"));
    // Glare.
    QPainterPath glare;
    glare.moveTo(r.topLeft());
    glare.lineTo(r.left() + r.width() * 0.55, r.top());
    glare.lineTo(r.left() + r.width() * 0.3, r.bottom());
    glare.lineTo(r.left(), r.bottom());
    glare.closeSubpath();
    p.fillPath(glare, QColor(255, 255, 255, 12));
    p.restore();
}

void drawScrew(QPainter &p, QPointF c) {
    QRadialGradient g(c - QPointF(0.6, 0.8), 2.6);
    g.setColorAt(0, QColor(200, 202, 208));
    g.setColorAt(1, QColor(60, 62, 66));
    p.setBrush(g);
    p.setPen(QPen(QColor(0, 0, 0, 200), 0.35));
    p.drawEllipse(c, 2.0, 2.0);
    p.setPen(QPen(QColor(20, 20, 22), 0.5));
    p.drawLine(c + QPointF(-1.1, 0), c + QPointF(1.1, 0));
    p.drawLine(c + QPointF(0, -1.1), c + QPointF(0, 1.1));
}

// ---------------------------------------------------------------- layout

enum class Kind { Button, Encoder, Stick, ShiftPaddle, ExtraPaddle, Led };

struct Spot {
    std::string name;
    QRectF rect;
    Kind kind;
    bool lit = false;
    LedShape shape = LedShape::Round;
    QColor tint;
};

bool startsWith(const std::string &s, const char *prefix) { return s.rfind(prefix, 0) == 0; }

// Size the form gives a widget; hidden placements never resize.
device::Size formSize(const std::string &n) {
    if (n == "pbIB3" || n == "pbIB11" || n == "pbB3" || n == "pbB11") return {25, 25};
    if (startsWith(n, "pbIB") || startsWith(n, "pbSW") || startsWith(n, "pbISW")) return {24, 24};
    if (startsWith(n, "pbID")) return n[4] <= '4' ? device::Size{26, 25} : device::Size{25, 25};
    if (startsWith(n, "pbJs") || startsWith(n, "pbX")) return {25, 25};
    if (n == "pbD3" || n == "pbD4" || startsWith(n, "pbT")) return {12, 12};
    if (startsWith(n, "pbD")) return {26, 25};
    if (startsWith(n, "pbB")) return {24, 24};
    if (startsWith(n, "pgAdc")) return {101, 10};
    if (startsWith(n, "pbCal")) return {60, 15};
    return {0, 0};
}

device::Size shownSize(const device::Placement &p) {
    const device::Size s = device::lookSize(p.look);
    return s.w ? s : formSize(p.widget);
}

QRectF rectOf(const device::Placement &p, device::Size s) { return QRectF(p.x, p.y, s.w, s.h); }

double distance(QPointF a, QPointF b) { return std::hypot(a.x() - b.x(), a.y() - b.y()); }

QColor ledTint(const std::string &name) {
    if (startsWith(name, "pbTL") || startsWith(name, "pbTR")) return QColor(255, 190, 40);
    if (startsWith(name, "pbT")) {
        const int n = std::atoi(name.c_str() + 3);
        if (n >= 12) return QColor(255, 150, 30);
        if (n <= 4) return QColor(40, 230, 80);
        if (n <= 8) return QColor(255, 40, 40);
        return QColor(60, 120, 255);
    }
    return QColor(200, 210, 230);
}

struct Layout {
    std::vector<Spot> spots;
    std::vector<std::pair<QPointF, QPointF>> clutchTips;  // left, right
};

Layout layoutOf(const device::Profile &row) {
    Layout out;
    bool hasShiftPaddles = false;
    for (const auto &p : row.indicators)
        if (startsWith(p.widget, "pbSW")) hasShiftPaddles = true;
    for (const auto &p : row.indicators) {
        const std::string n = p.widget;
        Kind kind = Kind::Button;
        if (startsWith(n, "pbID")) kind = Kind::Encoder;
        else if (startsWith(n, "pbJs")) kind = Kind::Stick;
        else if (startsWith(n, "pbSW")) kind = Kind::ShiftPaddle;
        else if (startsWith(n, "pbISW")) kind = hasShiftPaddles ? Kind::ExtraPaddle : Kind::ShiftPaddle;
        const QRectF r = rectOf(p, formSize(n));
        bool seen = false;
        for (const Spot &s : out.spots)
            if (s.kind == kind && s.rect.topLeft() == r.topLeft()) seen = true;
        if (!seen) out.spots.push_back({n, r, kind, false, LedShape::Round, QColor()});
    }
    std::vector<device::Placement> leds = row.colorButtons;
    if (row.extraPairButtons == device::ExtraPairButtons::WhenFlagged)
        for (const auto &p : row.extraPairPos) leds.push_back({p.widget, p.x, p.y, device::Look::WhiteDot});
    for (const auto &p : leds) {
        const std::string n = p.widget;
        const QRectF r = rectOf(p, shownSize(p));
        Spot *host = nullptr;
        for (Spot &s : out.spots)
            if ((s.kind == Kind::Button || s.kind == Kind::Encoder) &&
                distance(s.rect.center(), r.center()) < 4)
                host = &s;
        if (host) {
            host->lit = true;
            continue;
        }
        bool seen = false;
        for (const Spot &s : out.spots)
            if (s.kind == Kind::Led && distance(s.rect.center(), r.center()) < 3) seen = true;
        if (seen) continue;
        Spot led{n, r, Kind::Led, false, LedShape::Round, QColor()};
        led.shape = r.width() <= 12 ? LedShape::Square : LedShape::Round;
        led.tint = ledTint(n);
        out.spots.push_back(led);
    }
    if (row.clutchControls) {
        const auto &c = row.calibrationControls;
        const QRectF left = rectOf(c[0], formSize(c[0].widget)).united(rectOf(c[1], formSize(c[1].widget)));
        const QRectF right = rectOf(c[2], formSize(c[2].widget)).united(rectOf(c[3], formSize(c[3].widget)));
        out.clutchTips.push_back({left.center(), right.center()});
    }
    return out;
}

// ---------------------------------------------------------------- wheels

struct Wheel {
    const char *picture;
    QColor accent;
    QColor cap;                                         // most button caps
    std::vector<std::pair<const char *, QColor>> caps;  // the coloured ones
    QPointF shiftPivot, extraPivot, clutchPivot;        // left side; right is mirrored
    double shiftWidth, clutchWidth;
    QPainterPath (*silhouette)();
    void (*body)(QPainter &, const Wheel &);
};

// A half outline through the given corners, each corner rounded by r.
QPainterPath roundedHalf(const std::vector<QPointF> &pts, double r) {
    QPainterPath path(pts.front());
    for (size_t i = 1; i + 1 < pts.size(); ++i) {
        const QPointF a = pts[i - 1], b = pts[i], c = pts[i + 1];
        const double la = distance(a, b), lc = distance(b, c);
        const double rr = std::min({r, la / 2, lc / 2});
        path.lineTo(b + (a - b) * (rr / la));
        path.quadTo(b, b + (c - b) * (rr / lc));
    }
    path.lineTo(pts.back());
    return path;
}

QPainterPath roundedPolygon(const std::vector<QPointF> &pts, double r) {
    std::vector<QPointF> loop = pts;
    const QPointF start = (pts.front() + pts.back()) / 2;
    loop.insert(loop.begin(), start);
    loop.push_back(start);
    QPainterPath path = roundedHalf(loop, r);
    path.closeSubpath();
    return path;
}

// Plate material with its clear coat: a broad diagonal gloss and a dark
// chamfer just inside the outline.
void plate(QPainter &p, const QPainterPath &path, const QImage &tile) {
    p.fillPath(path, texture(tile));
    topLight(p, path, 45, 120);
    const QRectF b = path.boundingRect();
    QLinearGradient gloss(b.topLeft(), b.bottomRight());
    gloss.setColorAt(0.25, QColor(255, 255, 255, 0));
    gloss.setColorAt(0.38, QColor(255, 255, 255, 22));
    gloss.setColorAt(0.5, QColor(255, 255, 255, 0));
    p.fillPath(path, gloss);
    p.save();
    p.setClipPath(path);
    p.strokePath(path, QPen(QColor(0, 0, 0, 90), 7));
    p.restore();
    edge(p, path, 1.0, 120);
}

void grips(QPainter &p, const QPainterPath &grip, QColor base, QColor stitch) {
    for (const QPainterPath &g : {grip, mirrored(grip)}) {
        const QRectF b = g.boundingRect();
        QLinearGradient across(b.topLeft(), b.topRight());
        const bool left = b.center().x() < kCx;
        across.setColorAt(0, base.darker(left ? 320 : 200));
        across.setColorAt(left ? 0.35 : 0.65, base.lighter(150));
        across.setColorAt(1, base.darker(left ? 200 : 320));
        p.fillPath(g, across);
        p.fillPath(g, texture(mat().grain));
        topLight(p, g, 40, 110);
        // Finger ridges on the inside of the grip.
        p.save();
        p.setClipPath(g);
        for (double y = b.top() + b.height() * 0.32; y < b.bottom() - 24; y += 21) {
            p.setPen(QPen(QColor(0, 0, 0, 100), 2.4));
            p.drawLine(QPointF(b.left(), y), QPointF(b.right(), y + 3));
            p.setPen(QPen(QColor(255, 255, 255, 22), 1));
            p.drawLine(QPointF(b.left(), y - 1.8), QPointF(b.right(), y + 1.2));
        }
        p.restore();
        edge(p, g, 1.0, 90);
        QPainterPath seam;
        const QRectF s = b.adjusted(3, 10, -3, -10);
        const double x = left ? s.left() + s.width() * 0.62 : s.left() + s.width() * 0.38;
        seam.moveTo(x, s.top());
        seam.lineTo(x, s.bottom());
        stitches(p, seam, stitch);
    }
}

void badge(QPainter &p, QRectF r, const QString &text, QColor color) {
    QPainterPath b;
    b.addRoundedRect(r, r.height() / 3, r.height() / 3);
    p.fillPath(b, QColor(14, 14, 16));
    edge(p, b, 0.7, 80);
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setBold(true);
    f.setPixelSize(int(r.height() * 0.55));
    f.setLetterSpacing(QFont::AbsoluteSpacing, 0.8);
    p.setFont(f);
    p.setPen(color);
    p.drawText(r, Qt::AlignCenter, text);
}

void screws(QPainter &p, std::initializer_list<QPointF> left) {
    for (QPointF s : left) {
        drawScrew(p, s);
        drawScrew(p, mirror(s));
    }
}

// Formula wheel: curvy carbon plate between two upright grips.
QPainterPath mzenPlate() {
    QPainterPath h(QPointF(kCx, 58));
    h.lineTo(238, 58);
    h.cubicTo(222, 58, 216, 66, 204, 66);
    h.cubicTo(192, 66, 186, 46, 178, 32);
    h.cubicTo(170, 20, 152, 18, 132, 18);
    h.lineTo(98, 18);
    h.cubicTo(76, 18, 64, 36, 64, 64);
    h.lineTo(63, 300);
    h.cubicTo(63, 344, 78, 362, 102, 362);
    h.lineTo(132, 362);
    h.cubicTo(146, 362, 146, 296, 170, 294);
    h.lineTo(196, 294);
    h.cubicTo(214, 296, 208, 362, 236, 362);
    h.lineTo(kCx, 362);
    return symmetric(h);
}

QPainterPath mzenGrip() {
    QPainterPath g(QPointF(63, 80));
    g.cubicTo(63, 40, 74, 21, 94, 21);
    g.cubicTo(108, 21, 113, 32, 111, 50);
    g.cubicTo(105, 110, 102, 230, 109, 316);
    g.cubicTo(112, 348, 104, 360, 92, 360);
    g.cubicTo(74, 360, 63, 344, 63, 300);
    g.closeSubpath();
    return g;
}

void bodyMzen(QPainter &p, const Wheel &w) {
    plate(p, mzenPlate(), mat().carbon);
    QPainterPath stripe(QPointF(240, 63));
    stripe.lineTo(522, 63);
    p.strokePath(stripe, QPen(withAlpha(w.accent, 210), 1.2));
    grips(p, mzenGrip(), QColor(52, 52, 55), withAlpha(w.accent, 200));
    drawHub(p, QPointF(kCx, 200), 34, w.accent);
    screws(p, {QPointF(252, 100), QPointF(100, 350), QPointF(270, 350), QPointF(168, 30)});
    badge(p, QRectF(kCx - 34, 312, 68, 14), QStringLiteral("M-ZEN"), withAlpha(w.accent, 235));
}

// Formula wheel with a rev-light bridge; angular, satin plate, carbon wings.
QPainterPath pqv7Plate() {
    return symmetric(roundedHalf({{kCx, 12},
                                  {262, 12},
                                  {252, 24},
                                  {252, 64},
                                  {238, 86},
                                  {198, 86},
                                  {184, 42},
                                  {168, 24},
                                  {100, 22},
                                  {64, 40},
                                  {62, 300},
                                  {74, 352},
                                  {98, 364},
                                  {126, 364},
                                  {150, 296},
                                  {206, 292},
                                  {222, 330},
                                  {240, 364},
                                  {kCx, 364}},
                                 9));
}

QPainterPath pqv7Wing() {
    return roundedPolygon({{112, 40}, {240, 92}, {250, 170}, {206, 300}, {150, 292}, {112, 200}}, 12);
}

QPainterPath pqv7Grip() {
    return roundedPolygon(
        {{64, 52}, {98, 26}, {103, 52}, {98, 150}, {101, 300}, {112, 356}, {84, 362}, {64, 338}}, 10);
}

void bodyPqv7(QPainter &p, const Wheel &w) {
    plate(p, pqv7Plate(), mat().satin);
    for (const QPainterPath &wing : {pqv7Wing(), mirrored(pqv7Wing())}) {
        p.fillPath(wing, texture(mat().carbon));
        topLight(p, wing, 40, 110);
        edge(p, wing, 0.9, 90);
    }
    // Bridge panel behind the rev lights.
    QPainterPath bridge;
    bridge.addRoundedRect(QRectF(261, 15, 240, 54), 7, 7);
    p.fillPath(bridge, QColor(12, 12, 14));
    edge(p, bridge, 0.8, 80);
    QPainterPath lip(QPointF(262, 70));
    lip.lineTo(500, 70);
    p.strokePath(lip, QPen(withAlpha(w.accent, 220), 1.4));
    grips(p, pqv7Grip(), QColor(46, 46, 49), withAlpha(w.accent, 220));
    drawHub(p, QPointF(kCx, 215), 34, w.accent);
    screws(p, {QPointF(256, 140), QPointF(96, 346), QPointF(150, 34), QPointF(262, 348)});
    drawLogo(p, QPointF(kCx, 330), 70, QColor(210, 212, 218));
}

// Round three-spoke wheel, leather rim.
constexpr double kTideCy = 195, kTideR = 157, kTideRimW = 30;

QPainterPath tidePlate() {
    QPainterPath h(QPointF(kCx, 104));
    h.lineTo(336, 104);
    h.cubicTo(300, 104, 270, 110, 240, 116);
    h.lineTo(224, 118);
    h.lineTo(224, 240);
    h.cubicTo(260, 244, 300, 246, 326, 250);
    h.cubicTo(334, 290, 332, 330, 326, 352);
    h.lineTo(kCx, 356);
    return symmetric(h);
}

void bodyTide(QPainter &p, const Wheel &w) {
    const QPointF c(kCx, kTideCy);
    // Spokes and plate: brushed metal frame with a carbon inlay.
    const QPainterPath frame = tidePlate();
    p.fillPath(frame, texture(mat().metal));
    topLight(p, frame, 70, 140);
    edge(p, frame, 1.0, 140);
    QPainterPath inlay(QPointF(kCx, 112));
    inlay.lineTo(336, 112);
    inlay.cubicTo(300, 112, 272, 118, 246, 124);
    inlay.lineTo(244, 232);
    inlay.cubicTo(276, 236, 304, 238, 334, 242);
    inlay.cubicTo(340, 280, 340, 310, 338, 330);
    inlay.lineTo(kCx, 332);
    plate(p, symmetric(inlay), mat().carbon);
    tube(p, circle(c, kTideR), kTideRimW, QColor(120, 86, 64));
    stitches(p, circle(c, kTideR - kTideRimW * 0.36), QColor(214, 186, 136, 210), 0.8);
    stitches(p, circle(c, kTideR + kTideRimW * 0.36), QColor(214, 186, 136, 210), 0.8);
    QPainterPath marker;
    marker.addRoundedRect(QRectF(kCx - 5, kTideCy - kTideR - kTideRimW / 2 + 1, 10, kTideRimW - 2), 2, 2);
    p.fillPath(marker, QColor(232, 190, 40));
    topLight(p, marker, 60, 90);
    drawHub(p, QPointF(kCx, 200), 30, w.accent);
    drawLogo(p, QPointF(kCx, 322), 44, QColor(214, 196, 166));
    screws(p, {QPointF(234, 130), QPointF(234, 226), QPointF(332, 340)});
}

// D-shaped rim: circle on top, flat bottom, light suede with teal stitching.
QPainterPath lbRim(double inset) {
    const double r = 175 - inset, a = 200;
    const QPointF c(kCx, 190);
    QPainterPath h(QPointF(kCx, c.y() - r));
    h.arcTo(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), 90, a - 90);
    const QPointF end = h.currentPosition();
    const double rad = qDegreesToRadians(a);
    const QPointF tangent(std::sin(rad) * -1, -std::cos(rad));  // direction of travel
    const double bottom = 358 - inset;
    h.cubicTo(end + tangent * (40 - inset * 0.4), QPointF(262 + inset * 0.4, bottom),
              QPointF(312 + inset * 0.3, bottom));
    h.lineTo(kCx, bottom);
    return symmetric(h);
}

QPainterPath lbPlate() {
    QPainterPath h(QPointF(kCx, 96));
    h.lineTo(340, 98);
    h.cubicTo(300, 100, 270, 100, 236, 110);
    h.lineTo(226, 240);
    h.cubicTo(270, 236, 320, 236, 334, 244);
    h.lineTo(334, 336);
    h.lineTo(kCx, 336);
    return symmetric(h);
}

void bodyLb(QPainter &p, const Wheel &w) {
    plate(p, lbPlate(), mat().satin);
    // White lacquer face.
    QPainterPath face(QPointF(kCx, 104));
    face.lineTo(340, 106);
    face.cubicTo(300, 108, 274, 110, 246, 118);
    face.lineTo(240, 230);
    face.cubicTo(280, 228, 322, 230, 340, 238);
    face.lineTo(340, 300);
    face.lineTo(kCx, 300);
    const QPainterPath f = symmetric(face);
    QLinearGradient fg(QPointF(0, 104), QPointF(0, 300));
    fg.setColorAt(0, QColor(236, 238, 240));
    fg.setColorAt(1, QColor(164, 168, 174));
    p.fillPath(f, fg);
    p.fillPath(f, texture(mat().grain));
    edge(p, f, 0.8, 140);
    QPainterPath accent(QPointF(250, 226));
    accent.cubicTo(290, 224, 326, 226, 334, 232);
    for (const QPainterPath &a : {accent, mirrored(accent)})
        p.strokePath(a, QPen(withAlpha(w.accent, 230), 1.6, Qt::SolidLine, Qt::RoundCap));
    tube(p, lbRim(15), 30, QColor(150, 153, 158));
    stitches(p, lbRim(4), withAlpha(w.accent, 230), 0.8);
    stitches(p, lbRim(26), withAlpha(w.accent, 230), 0.8);
    QPainterPath marker;
    marker.addRoundedRect(QRectF(kCx - 5, 16, 10, 28), 2, 2);
    p.fillPath(marker, w.accent);
    topLight(p, marker, 70, 90);
    badge(p, QRectF(kCx - 38, 334, 76, 18), QStringLiteral("HALCYON"), w.accent);
    drawHub(p, QPointF(kCx, 176), 26, w.accent);
}

// Yoke: tall horns, open top and bottom, forged carbon, a display in the middle.
QPainterPath kstarBody() {
    return symmetric(roundedHalf({{kCx, 64},
                                  {272, 66},
                                  {238, 92},
                                  {202, 94},
                                  {178, 46},
                                  {150, 28},
                                  {104, 24},
                                  {75, 38},
                                  {65, 90},
                                  {63, 240},
                                  {74, 288},
                                  {112, 290},
                                  {166, 282},
                                  {214, 304},
                                  {268, 314},
                                  {322, 300},
                                  {kCx, 294}},
                                 14));
}

QPainterPath kstarGrip() {
    return roundedPolygon(
        {{66, 70}, {80, 34}, {104, 26}, {96, 90}, {94, 200}, {100, 284}, {78, 286}, {65, 240}, {63, 110}},
        12);
}

void bodyKstar(QPainter &p, const Wheel &w) {
    plate(p, kstarBody(), mat().forged);
    // Raised satin face around the display, with light bars.
    const QPainterPath face = symmetric(
        roundedHalf({{kCx, 74}, {296, 76}, {264, 96}, {254, 140}, {254, 246}, {282, 290}, {kCx, 286}}, 18));
    p.fillPath(face, texture(mat().satin));
    topLight(p, face, 40, 100);
    edge(p, face, 0.9, 90);
    QPainterPath light(QPointF(262, 138));
    light.lineTo(260, 236);
    for (const QPainterPath &l : {light, mirrored(light)}) {
        p.strokePath(l, QPen(withAlpha(w.accent, 80), 3.4, Qt::SolidLine, Qt::RoundCap));
        p.strokePath(l, QPen(withAlpha(w.accent.lighter(150), 210), 1.0, Qt::SolidLine, Qt::RoundCap));
    }
    grips(p, kstarGrip(), QColor(50, 52, 58), withAlpha(w.accent, 220));
    drawDisplay(p, QRectF(330, 122, 102, 70), w.accent);
    drawLogo(p, QPointF(kCx, 262), 56, QColor(205, 208, 215));
    screws(p, {QPointF(276, 86), QPointF(270, 278), QPointF(150, 274), QPointF(146, 40)});
}

// GT wheel: closed rim with flat top and bottom, LED pod and display.
QPainterPath zorixRimLine() {
    QPainterPath h(QPointF(kCx, 62));
    h.lineTo(210, 62);
    h.cubicTo(150, 62, 124, 80, 120, 140);
    h.lineTo(118, 250);
    h.cubicTo(118, 310, 150, 346, 210, 346);
    h.lineTo(kCx, 346);
    return symmetric(h);
}

QPainterPath zorixPlate() {
    QPainterPath h(QPointF(kCx, 56));
    h.lineTo(240, 58);
    h.cubicTo(180, 70, 150, 90, 140, 120);
    h.lineTo(132, 200);
    h.cubicTo(150, 230, 200, 280, 270, 300);
    h.cubicTo(300, 306, 330, 306, 338, 312);
    h.lineTo(340, 350);
    h.lineTo(kCx, 350);
    return symmetric(h);
}

void bodyZorix(QPainter &p, const Wheel &w) {
    plate(p, zorixPlate(), mat().carbon);
    QPainterPath pod;
    pod.addRoundedRect(QRectF(250, 56, 262, 62), 8, 8);
    p.fillPath(pod, QColor(12, 12, 14));
    topLight(p, pod, 25, 70);
    edge(p, pod, 0.8, 70);
    tube(p, zorixRimLine(), 34, QColor(66, 66, 70));
    QPainterPath marker;
    marker.addRoundedRect(QRectF(kCx - 6, 46, 12, 32), 2, 2);
    p.fillPath(marker, w.accent);
    topLight(p, marker, 60, 90);
    QPainterPath seam(QPointF(120, 130));
    seam.lineTo(118, 260);
    for (const QPainterPath &s : {seam, mirrored(seam)}) stitches(p, s, withAlpha(w.accent, 210));
    drawDisplay(p, QRectF(330, 124, 102, 66), w.accent);
    drawLogo(p, QPointF(kCx, 212), 64, QColor(210, 212, 218));
    drawHub(p, QPointF(kCx, 262), 24, w.accent);
    screws(p, {QPointF(258, 124), QPointF(180, 240), QPointF(350, 330)});
}

// Octagonal rim with the rev lights across its top.
const QRectF kNvaRect(205, 30, 352, 330);
constexpr double kNvaChamfer = 65, kNvaRim = 28;

void bodyNva(QPainter &p, const Wheel &w) {
    plate(p, octagon(kNvaRect, kNvaChamfer, kNvaRim - 2), mat().carbon);
    // Satin chin below the hub.
    const QPainterPath chin = symmetric(roundedHalf({{kCx, 252}, {330, 262}, {336, 330}, {kCx, 332}}, 10));
    p.fillPath(chin, texture(mat().satin));
    topLight(p, chin, 30, 80);
    edge(p, chin, 0.8, 80);
    QPainterPath strip;
    strip.addRoundedRect(QRectF(246, 58, 270, 24), 5, 5);
    p.fillPath(strip, QColor(12, 12, 14));
    edge(p, strip, 0.7, 70);
    tube(p, octagon(kNvaRect, kNvaChamfer, kNvaRim / 2), kNvaRim, QColor(60, 60, 64));
    for (double d : {4.0, kNvaRim - 4})
        stitches(p, octagon(kNvaRect, kNvaChamfer, d), withAlpha(w.accent, 210));
    QPainterPath marker;
    marker.addRoundedRect(QRectF(kCx - 5, 31, 10, 26), 2, 2);
    p.fillPath(marker, w.accent);
    topLight(p, marker, 60, 90);
    drawHub(p, QPointF(kCx, 200), 30, w.accent);
    drawLogo(p, QPointF(kCx, 300), 52, QColor(205, 208, 215));
    screws(p, {QPointF(244, 96), QPointF(242, 240), QPointF(345, 322)});
}

QPainterPath nvaSilhouette() { return octagon(kNvaRect, kNvaChamfer); }
QPainterPath tideSilhouette() { return circle(QPointF(kCx, kTideCy), kTideR + kTideRimW / 2); }
QPainterPath lbSilhouette() { return lbRim(0); }
QPainterPath zorixSilhouette() {
    QPainterPathStroker s;
    s.setWidth(34);
    return s.createStroke(zorixRimLine()).united(zorixRimLine());
}

const std::vector<Wheel> &wheels() {
    static const std::vector<Wheel> list = {
        {"back.mzen.png",
         QColor(255, 120, 20),
         QColor(40, 40, 44),
         {{"pbIB1", QColor(210, 30, 30)},
          {"pbIB9", QColor(30, 170, 60)},
          {"pbIB3", QColor(230, 180, 20)},
          {"pbIB11", QColor(30, 110, 220)}},
         {300, 170},
         {},
         {300, 240},
         44,
         62,
         mzenPlate,
         bodyMzen},
        {"back.pqv7.png",
         QColor(225, 30, 45),
         QColor(40, 40, 44),
         {{"pbIB1", QColor(225, 30, 45)},
          {"pbIB9", QColor(225, 30, 45)},
          {"pbIB4", QColor(240, 200, 30)},
          {"pbIB12", QColor(30, 110, 220)}},
         {300, 170},
         {},
         {300, 240},
         44,
         62,
         pqv7Plate,
         bodyPqv7},
        {"back.mtide.png",
         QColor(200, 160, 90),
         QColor(34, 34, 36),
         {{"pbIB1", QColor(200, 40, 30)}, {"pbIB9", QColor(40, 150, 60)}},
         {330, 170},
         {},
         {330, 230},
         44,
         52,
         tideSilhouette,
         bodyTide},
        {"back.lb370.png",
         QColor(0, 178, 186),
         QColor(46, 48, 52),
         {{"pbIB1", QColor(0, 178, 186)}, {"pbIB9", QColor(0, 178, 186)}},
         {330, 165},
         {},
         {},
         44,
         0,
         lbSilhouette,
         bodyLb},
        {"back.kstar2.png",
         QColor(30, 140, 255),
         QColor(38, 38, 42),
         {{"pbIB1", QColor(30, 140, 255)}, {"pbIB9", QColor(30, 140, 255)}},
         {280, 150},
         {},
         {200, 230},
         46,
         56,
         kstarBody,
         bodyKstar},
        {"back.zorix.png",
         QColor(255, 196, 0),
         QColor(38, 38, 42),
         {{"pbIB1", QColor(255, 196, 0)},
          {"pbIB9", QColor(255, 196, 0)},
          {"pbIB2", QColor(210, 35, 35)},
          {"pbIB10", QColor(40, 160, 70)}},
         {250, 160},
         {250, 190},
         {300, 240},
         48,
         58,
         zorixSilhouette,
         bodyZorix},
        {"back.nva4.png",
         QColor(60, 205, 100),
         QColor(38, 38, 42),
         {{"pbIB1", QColor(60, 205, 100)}, {"pbIB9", QColor(60, 205, 100)}},
         {300, 160},
         {},
         {300, 215},
         44,
         48,
         nvaSilhouette,
         bodyNva},
    };
    return list;
}

QString glyphFor(const std::string &name) {
    static const std::pair<const char *, const char *> glyphs[] = {
        {"pbIB5", "N"}, {"pbIB14", "R"}, {"pbIB6", "P"}, {"pbIB13", "OK"}, {"pbIB4", "+"}, {"pbIB12", "-"},
    };
    for (const auto &g : glyphs)
        if (name == g.first) return QString::fromLatin1(g.second);
    return {};
}

QImage drawWheel(const device::Profile &row, const Wheel &w) {
    const Layout layout = layoutOf(row);
    QImage img(device::kArtW, device::kArtH, QImage::Format_ARGB32_Premultiplied);
    img.fill(kBackground);

    // Paddles first: they sit behind the wheel.
    struct Paddle {
        QPointF pivot, tip;
        double width;
        bool metal;
    };
    std::vector<Paddle> paddles;
    for (const auto &tips : layout.clutchTips) {
        paddles.push_back({w.clutchPivot, tips.first, w.clutchWidth, true});
        paddles.push_back({mirror(w.clutchPivot), tips.second, w.clutchWidth, true});
    }
    for (const Spot &s : layout.spots) {
        if (s.kind != Kind::ShiftPaddle && s.kind != Kind::ExtraPaddle) continue;
        const QPointF tip = s.rect.center();
        const QPointF pivot = s.kind == Kind::ExtraPaddle ? w.extraPivot : w.shiftPivot;
        const bool left = tip.x() < kCx;
        paddles.push_back({left ? pivot : mirror(pivot), tip,
                           w.shiftWidth * (s.kind == Kind::ExtraPaddle ? 0.8 : 1.0),
                           s.kind == Kind::ExtraPaddle});
    }

    // Each layer casts its shadow on what lies behind it.
    QPainterPath paddleSilhouette;
    for (const Paddle &pd : paddles) paddleSilhouette.addPath(paddleFrame(pd.pivot, pd.tip, pd.width).shape);
    dropShadow(img, paddleSilhouette, QPointF(4, 10), 10, 0.8);
    {
        QPainter p(&img);
        p.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
        p.setTransform(pageTransform());
        for (const Paddle &pd : paddles) drawPaddle(p, pd.pivot, pd.tip, pd.width, pd.metal, w.accent);
    }
    dropShadow(img, w.silhouette(), QPointF(6, 14), 14, 0.85);

    QPainter p(&img);
    p.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform | QPainter::TextAntialiasing);
    p.setTransform(pageTransform());
    w.body(p, w);

    for (const Spot &s : layout.spots) {
        switch (s.kind) {
        case Kind::Stick: drawStick(p, s.rect, w.accent); break;
        case Kind::Encoder: drawEncoder(p, s.rect, w.accent, s.lit); break;
        case Kind::Button: {
            QColor cap = w.cap;
            for (const auto &c : w.caps)
                if (s.name == c.first) cap = c.second;
            drawButton(p, s.rect, cap, s.lit, glyphFor(s.name));
            break;
        }
        case Kind::Led: drawLed(p, s.rect, s.shape, s.tint); break;
        case Kind::ShiftPaddle:
        case Kind::ExtraPaddle: break;
        }
    }
    return img;
}

// Frames of every widget the model places, over its picture.
QImage overlay(const device::Profile &row, const QImage &picture) {
    QImage img = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setTransform(pageTransform());
    auto frame = [&](QRectF r, QColor c) {
        p.setPen(QPen(c, 0.6));
        p.setBrush(Qt::NoBrush);
        p.drawRect(r);
        p.drawLine(r.center() - QPointF(2, 0), r.center() + QPointF(2, 0));
        p.drawLine(r.center() - QPointF(0, 2), r.center() + QPointF(0, 2));
    };
    for (const auto &pl : row.indicators) frame(rectOf(pl, formSize(pl.widget)), QColor(0, 160, 255));
    for (const auto &pl : row.colorButtons) frame(rectOf(pl, shownSize(pl)), QColor(255, 255, 255));
    if (row.extraPairButtons == device::ExtraPairButtons::WhenFlagged)
        for (const auto &pl : row.extraPairPos) frame(rectOf(pl, {24, 24}), QColor(255, 0, 255));
    if (row.calibration == device::Calibration::Shown)
        for (const auto &pl : row.calibrationControls)
            frame(rectOf(pl, formSize(pl.widget)), QColor(255, 80, 80));
    const int y[3] = {row.encoderY[0], row.encoderY[1], row.encoderY[2]};
    frame(QRectF(290, y[0], 181, 21), QColor(255, 220, 0));
    frame(QRectF(309, y[1], 141, 22), QColor(255, 220, 0));
    frame(QRectF(330, y[2], 100, 21), QColor(255, 220, 0));
    return img;
}

// ---------------------------------------------------------------- the rest

QImage newImage(int w, int h, QColor fill = Qt::transparent) {
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(fill);
    return img;
}

// Wheel emblem used by the logo, the icon and the About picture: a rim with
// three spokes and a top marker, centred on c.
void emblem(QPainter &p, QPointF c, double r, QColor rim, QColor accent) {
    const double w = r * 0.2;
    QRadialGradient g(c, r + w);
    g.setColorAt((r - w) / (r + w), rim.darker(170));
    g.setColorAt(r / (r + w), rim.lighter(120));
    g.setColorAt(1, rim.darker(200));
    QPainterPath ring = circle(c, r + w / 2);
    ring.addPath(circle(c, r - w / 2));
    ring.setFillRule(Qt::OddEvenFill);
    p.fillPath(ring, g);
    p.setPen(Qt::NoPen);
    QPainterPath spokes;
    spokes.addRect(QRectF(c.x() - r, c.y() - w * 0.45, 2 * r, w * 0.9));
    spokes.addRect(QRectF(c.x() - w * 0.45, c.y(), w * 0.9, r));
    spokes.setFillRule(Qt::WindingFill);
    spokes = spokes.simplified();
    QLinearGradient sg(c - QPointF(0, r), c + QPointF(0, r));
    sg.setColorAt(0, rim.lighter(130));
    sg.setColorAt(1, rim.darker(160));
    p.fillPath(spokes, sg);
    QRadialGradient hg(c - QPointF(r * 0.08, r * 0.1), r * 0.3);
    hg.setColorAt(0, accent.lighter(150));
    hg.setColorAt(1, accent.darker(140));
    p.setBrush(hg);
    p.drawEllipse(c, r * 0.26, r * 0.26);
    p.setBrush(rim.darker(300));
    p.drawEllipse(c, r * 0.12, r * 0.12);
    p.setBrush(accent);
    p.drawRoundedRect(QRectF(c.x() - w * 0.35, c.y() - r - w / 2, w * 0.7, w), w * 0.15, w * 0.15);
}

const QColor kBlue(17, 146, 207);

QImage header() {
    QImage img = newImage(2000, 131);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, 131);
    g.setColorAt(0, QColor(44, 44, 47));
    g.setColorAt(1, QColor(22, 22, 23));
    p.fillRect(img.rect(), g);
    p.setPen(QPen(QColor(255, 255, 255, 7), 6));
    for (int x = -200; x < 2200; x += 26) p.drawLine(x, 131, x + 131, 0);
    QLinearGradient accent(0, 0, 2000, 0);
    accent.setColorAt(0, QColor(9, 74, 105));
    accent.setColorAt(0.5, kBlue);
    accent.setColorAt(1, QColor(9, 74, 105));
    p.fillRect(QRectF(0, 125, 2000, 6), accent);
    p.fillRect(QRectF(0, 124, 2000, 1), QColor(255, 255, 255, 40));
    return img;
}

QImage logo(int size) {
    QImage img = newImage(size, size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = size / 128.0;
    p.scale(s, s);
    emblem(p, QPointF(64, 66), 46, QColor(225, 228, 234), kBlue);
    return img;
}

QImage windowButton(bool close, bool hover) {
    QImage img = newImage(32, 32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    if (hover) {
        p.setPen(Qt::NoPen);
        p.setBrush(close ? QColor(215, 40, 40) : kBlue);
        p.drawEllipse(QPointF(16, 16), 15, 15);
    }
    p.setPen(QPen(hover ? Qt::white : QColor(200, 200, 204), 3, Qt::SolidLine, Qt::RoundCap));
    if (close) {
        p.drawLine(QPointF(10, 10), QPointF(22, 22));
        p.drawLine(QPointF(22, 10), QPointF(10, 22));
    } else {
        p.drawLine(QPointF(9, 17), QPointF(23, 17));
    }
    return img;
}

QImage about() {
    QImage img = newImage(800, 250);
    QPainter p(&img);
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    emblem(p, QPointF(125, 125), 78, QColor(225, 228, 234), kBlue);
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setBold(true);
    f.setPixelSize(100);
    f.setLetterSpacing(QFont::AbsoluteSpacing, 6);
    // Fit the name to the space right of the emblem.
    f.setPixelSize(int(100 * 520 / QFontMetricsF(f).horizontalAdvance(QStringLiteral("TARNWELL"))));
    p.setFont(f);
    const QRectF box(240, 40, 540, 120);
    p.setPen(QColor(0, 0, 0, 160));
    p.drawText(box.translated(3, 4), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("TARNWELL"));
    QLinearGradient tg(0, 60, 0, 150);
    tg.setColorAt(0, QColor(255, 255, 255));
    tg.setColorAt(1, QColor(170, 176, 186));
    p.setPen(QPen(QBrush(tg), 1));
    p.drawText(box, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("TARNWELL"));
    p.fillRect(QRectF(246, 170, 520, 5), kBlue);
    f.setPixelSize(26);
    f.setBold(false);
    f.setLetterSpacing(QFont::AbsoluteSpacing, 10);
    p.setFont(f);
    p.setPen(QColor(190, 194, 200));
    p.drawText(QRectF(246, 182, 540, 40), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("SIM RACING WHEELS"));
    return img;
}

QImage tarn() {
    QImage img = newImage(400, 400);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient bg(QPointF(200, 200), 200);
    bg.setColorAt(0, QColor(48, 48, 52));
    bg.setColorAt(0.97, QColor(20, 20, 22));
    bg.setColorAt(1, QColor(20, 20, 22, 0));
    p.setBrush(bg);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(200, 200), 198, 198);
    emblem(p, QPointF(200, 200), 140, QColor(225, 228, 234), kBlue);
    return img;
}

bool save(const QImage &img, const QString &path, const char *format = nullptr) {
    QImageWriter writer(path, format ? QByteArray(format) : QByteArray());
    if (!writer.write(img)) {
        std::fprintf(stderr, "orvane-artgen: %s: %s\n", qPrintable(path), qPrintable(writer.errorString()));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

}  // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    QString outDir = QStringLiteral(ORVANE_ART_DIR), overlayDir, iconDir;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--overlay") && i + 1 < args.size()) overlayDir = args[++i];
        else if (args[i] == QLatin1String("--icons") && i + 1 < args.size()) iconDir = args[++i];
        else outDir = args[i];
    }
    if (!iconDir.isEmpty()) {
        // The hicolor sizes of packaging/icons; the emblem is drawn at each size, not scaled.
        bool ok = true;
        for (int size : {48, 64, 128, 256}) {
            const QString dir = QStringLiteral("%1/%2x%2/apps").arg(iconDir).arg(size);
            QDir().mkpath(dir);
            ok &=
                save(logo(size).convertToFormat(QImage::Format_ARGB32), dir + QStringLiteral("/orvane.png"));
        }
        return ok ? 0 : 1;
    }
    QDir().mkpath(outDir);
    if (!overlayDir.isEmpty()) QDir().mkpath(overlayDir);
    const QDir out(outDir);

    bool ok = true;
    ok &= save(header(), out.filePath(QStringLiteral("head.png")));
    ok &= save(logo(128), out.filePath(QStringLiteral("logo.png")));
    ok &= save(windowButton(true, false), out.filePath(QStringLiteral("close.png")));
    ok &= save(windowButton(true, true), out.filePath(QStringLiteral("closeh.png")));
    ok &= save(windowButton(false, false), out.filePath(QStringLiteral("min.png")));
    ok &= save(windowButton(false, true), out.filePath(QStringLiteral("minh.png")));
    ok &= save(about(), out.filePath(QStringLiteral("about.png")));
    ok &= save(tarn(), out.filePath(QStringLiteral("tarn.png")));
    // The tray and window icon: one 48 x 48 image with alpha.
    ok &= save(logo(48).convertToFormat(QImage::Format_ARGB32), out.filePath(QStringLiteral("main.ico")),
               "ico");

    for (const device::Profile &row : device::profiles()) {
        const char *file = std::strrchr(row.picture, '/') + 1;
        const Wheel *wheel = nullptr;
        for (const Wheel &w : wheels())
            if (std::strcmp(w.picture, file) == 0) wheel = &w;
        if (!wheel) {
            std::fprintf(stderr, "orvane-artgen: no drawing for %s\n", file);
            ok = false;
            continue;
        }
        const QImage picture = drawWheel(row, *wheel).convertToFormat(QImage::Format_RGB32);
        ok &= save(picture, out.filePath(QString::fromLatin1(file)));
        if (!overlayDir.isEmpty())
            ok &= save(overlay(row, picture), QDir(overlayDir).filePath(QString::fromLatin1(file)));
    }
    return ok ? 0 : 1;
}
