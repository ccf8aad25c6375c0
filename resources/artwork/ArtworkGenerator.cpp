// Draws every picture under resources/images from code, so the artwork can be changed and redrawn.
// Usage: artwork IMAGES_FOLDER [--scale 2] [--sheet FILE]  (--scale 2 draws the "@2x" pictures for screens with a
// pixel ratio of 2; --sheet also writes an enlarged contact sheet for review)

#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

namespace
{

// The window palette the pictures sit on.
const QColor kWindow(129, 164, 209);
const QColor kCaption(21, 66, 139);
const QColor kListBack(233, 234, 238);

struct Picture {
    QString Path; // below the images folder
    QImage Image;
};

// A picture of w × h pixels with scale × scale device pixels each; painters on it draw in its w × h pixels.
QImage Sized(int w, int h, int scale, QImage::Format format)
{
    QImage image(w * scale, h * scale, format);
    image.setDevicePixelRatio(scale);
    return image;
}

QImage Transparent(int w, int h, int scale)
{
    QImage image = Sized(w, h, scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// A one-pixel frame on the outermost pixels of r, each pixel covered once (a pen would cover the corners twice and
// centre itself between two device pixels at a scale of 2).
void Frame(QPainter& p, const QRect& r, const QColor& colour)
{
    p.fillRect(QRect(r.left(), r.top(), r.width(), 1), colour);
    p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), colour);
    p.fillRect(QRect(r.left(), r.top() + 1, 1, r.height() - 2), colour);
    p.fillRect(QRect(r.right(), r.top() + 1, 1, r.height() - 2), colour);
}

// A top-to-bottom gradient through the given stops.
QLinearGradient Vertical(qreal top, qreal bottom, std::initializer_list<QGradientStop> stops)
{
    QLinearGradient gradient(0, top, 0, bottom);
    gradient.setStops(QGradientStops(stops));
    return gradient;
}

void Smooth(QPainter& p)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.setRenderHint(QPainter::TextAntialiasing);
}

// ---------------------------------------------------------------------------------------------------------------
// List state icons: a round button with a white symbol; green while all is well, red with a cross for a failure,
// so a failed row stands out from a finished one by colour and by shape.

enum class Symbol { Down, Right, Up, Cross };

QPainterPath ArrowDown()
{
    QPolygonF arrow;
    arrow << QPointF(7, 3.5) << QPointF(9, 3.5) << QPointF(9, 8) << QPointF(12.5, 8) << QPointF(8, 12.5)
          << QPointF(3.5, 8) << QPointF(7, 8);
    QPainterPath path;
    path.addPolygon(arrow);
    path.closeSubpath();
    return path;
}

QImage StateIcon(Symbol symbol, int scale)
{
    QImage image = Transparent(16, 16, scale);
    QPainter p(&image);
    Smooth(p);

    const bool failure = symbol == Symbol::Cross;
    const QRectF disc(0.5, 0.5, 15, 15);
    const QLinearGradient body = failure
        ? Vertical(0, 16, { { 0, QColor(244, 118, 104) }, { 0.55, QColor(214, 48, 38) }, { 1, QColor(158, 22, 20) } })
        : Vertical(0, 16, { { 0, QColor(140, 218, 96) }, { 0.55, QColor(70, 170, 52) }, { 1, QColor(30, 124, 30) } });
    p.setPen(QPen(failure ? QColor(128, 18, 18) : QColor(24, 100, 28), 1));
    p.setBrush(body);
    p.drawEllipse(disc);

    QLinearGradient gloss(0, 1.5, 0, 8);
    gloss.setColorAt(0, QColor(255, 255, 255, 170));
    gloss.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(gloss);
    p.drawEllipse(QRectF(3, 1.5, 10, 7));

    QPainterPath mark;
    if (failure) {
        // Two bars of 2.2 pixels crossing at the centre, as a white X.
        QPainterPath bar;
        bar.addRect(QRectF(-4.2, -1.1, 8.4, 2.2));
        for (qreal angle : { 45.0, -45.0 }) {
            QTransform turn;
            turn.translate(8, 8);
            turn.rotate(angle);
            mark = mark.united(turn.map(bar));
        }
    } else {
        QTransform turn;
        turn.translate(8, 8);
        turn.rotate(symbol == Symbol::Down ? 0 : symbol == Symbol::Right ? -90 : 180);
        turn.translate(-8, -8);
        mark = turn.map(ArrowDown());
    }
    p.setBrush(failure ? QColor(90, 10, 10, 90) : QColor(10, 70, 10, 90));
    p.drawPath(mark.translated(0, 0.8));
    p.setBrush(Qt::white);
    p.drawPath(mark);
    return image;
}

// The list's background picture: a large faint tick in the lower right, on the list colour, 24-bit.
QImage Watermark(int scale)
{
    QImage image = Sized(256, 256, scale, QImage::Format_RGB888);
    image.fill(kListBack);
    QPainter p(&image);
    Smooth(p);
    QPainterPath tick;
    tick.moveTo(62, 140);
    tick.lineTo(110, 188);
    tick.lineTo(208, 78);
    QLinearGradient tone(60, 190, 210, 70);
    tone.setColorAt(0, QColor(223, 226, 234));
    tone.setColorAt(1, QColor(216, 221, 232));
    p.setPen(QPen(QBrush(tone), 30, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(tick);
    return image;
}

// ---------------------------------------------------------------------------------------------------------------
// Shared pieces of the larger pictures. Icons are drawn in a 64 x 64 box and scaled into place.

QPainterPath Rounded(const QRectF& r, qreal radius)
{
    QPainterPath path;
    path.addRoundedRect(r, radius, radius);
    return path;
}

// A glassy highlight over the upper part of a shape.
void Gloss(QPainter& p, const QPainterPath& shape, qreal top, qreal bottom, int alpha)
{
    p.save();
    p.setClipPath(shape, Qt::IntersectClip);
    QLinearGradient shine(0, top, 0, bottom);
    shine.setColorAt(0, QColor(255, 255, 255, alpha));
    shine.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(shine);
    const QRectF box = shape.boundingRect();
    p.drawEllipse(QRectF(box.left() - box.width() * 0.25, top - (bottom - top), box.width() * 1.5, (bottom - top) * 2));
    p.restore();
}

// A soft oval shadow on which an icon stands.
void GroundShadow(QPainter& p, const QPointF& centre, qreal rx, qreal ry, int alpha)
{
    QRadialGradient shade(centre, rx);
    shade.setColorAt(0, QColor(10, 30, 70, alpha));
    shade.setColorAt(1, QColor(10, 30, 70, 0));
    p.save();
    p.translate(centre);
    p.scale(1, ry / rx);
    p.translate(-centre);
    p.setPen(Qt::NoPen);
    p.setBrush(shade);
    p.drawEllipse(centre, rx, rx);
    p.restore();
}

// A band of light between two curves (each start, two control points, end; the lower one runs back), fading
// from edgeAlpha at the sides to peakAlpha at `peakAt` of the width.
void Swoosh(QPainter& p, qreal width, const QPointF (&upper)[4], const QPointF (&lower)[4], int edgeAlpha,
    int peakAlpha, qreal peakAt)
{
    QPainterPath wave;
    wave.moveTo(upper[0]);
    wave.cubicTo(upper[1], upper[2], upper[3]);
    wave.lineTo(lower[0]);
    wave.cubicTo(lower[1], lower[2], lower[3]);
    wave.closeSubpath();
    QLinearGradient band(0, 0, width, 0);
    band.setColorAt(0, QColor(255, 255, 255, edgeAlpha));
    band.setColorAt(peakAt, QColor(255, 255, 255, peakAlpha));
    band.setColorAt(1, QColor(255, 255, 255, edgeAlpha));
    p.setPen(Qt::NoPen);
    p.setBrush(band);
    p.drawPath(wave);
}

void InBox(QPainter& p, const QRectF& box)
{
    p.translate(box.topLeft());
    p.scale(box.width() / 64.0, box.height() / 64.0);
}

QPainterPath Polygon(std::initializer_list<QPointF> points)
{
    QPainterPath path;
    path.addPolygon(QPolygonF(QList<QPointF>(points)));
    path.closeSubpath();
    return path;
}

// A round green badge with a white symbol path (in the badge's own 64 box).
void Badge(QPainter& p, const QPointF& centre, qreal radius, const QPainterPath& symbol)
{
    const QRectF disc(centre.x() - radius, centre.y() - radius, radius * 2, radius * 2);
    QLinearGradient body(0, disc.top(), 0, disc.bottom());
    body.setColorAt(0, QColor(150, 224, 100));
    body.setColorAt(0.5, QColor(72, 176, 50));
    body.setColorAt(1, QColor(28, 120, 28));
    p.setPen(QPen(Qt::white, radius * 0.16));
    p.setBrush(body);
    p.drawEllipse(disc);
    p.setPen(QPen(QColor(20, 90, 24), radius * 0.06));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(disc.adjusted(-radius * 0.1, -radius * 0.1, radius * 0.1, radius * 0.1));
    QPainterPath shape;
    shape.addEllipse(disc);
    Gloss(p, shape, disc.top(), centre.y(), 150);
    p.save();
    p.translate(disc.topLeft());
    p.scale(disc.width() / 64.0, disc.height() / 64.0);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(10, 70, 10, 90));
    p.drawPath(symbol.translated(0, 2.5));
    p.setBrush(Qt::white);
    p.drawPath(symbol);
    p.restore();
}

QPainterPath PlusSymbol()
{
    QPainterPath across, down;
    across.addRoundedRect(QRectF(13, 26, 38, 12), 2, 2);
    down.addRoundedRect(QRectF(26, 13, 12, 38), 2, 2);
    return across.united(down);
}

// ---------------------------------------------------------------------------------------------------------------
// The four command icons.

// A piece of film with a play mark and a green plus: add video files.
void AddIcon(QPainter& p, const QRectF& box)
{
    p.save();
    InBox(p, box);
    p.save();
    p.translate(31, 30);
    p.rotate(-8);
    p.translate(-31, -30);
    const QPainterPath strip = Rounded(QRectF(8, 4, 44, 52), 4);
    QLinearGradient film(0, 4, 0, 56);
    film.setColorAt(0, QColor(84, 92, 108));
    film.setColorAt(1, QColor(34, 38, 50));
    p.setPen(QPen(QColor(20, 24, 34), 1));
    p.setBrush(film);
    p.drawPath(strip);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(236, 240, 246));
    for (int i = 0; i < 6; ++i) {
        p.drawRoundedRect(QRectF(10.5, 7.5 + i * 8.2, 4, 4.2), 1, 1);
        p.drawRoundedRect(QRectF(45.5, 7.5 + i * 8.2, 4, 4.2), 1, 1);
    }
    const QRectF frame(18, 9, 24, 42);
    QLinearGradient sky(0, frame.top(), 0, frame.bottom());
    sky.setColorAt(0, QColor(140, 205, 255));
    sky.setColorAt(1, QColor(34, 104, 198));
    p.setBrush(sky);
    p.drawRect(frame);
    p.setBrush(QColor(255, 255, 255, 230));
    p.drawPath(Polygon({ { 25, 21 }, { 25, 39 }, { 38, 30 } }));
    Gloss(p, strip, 4, 30, 80);
    p.restore();
    Badge(p, QPointF(47, 47), 14, PlusSymbol());
    p.restore();
}

// One arc of the conversion cycle: a thick band from startDeg sweeping clockwise, ending in an arrow head.
QPainterPath CycleArrow(qreal startDeg, qreal sweepDeg)
{
    const QPointF c(32, 32);
    const qreal r = 21, band = 8, head = 9.5;
    QPainterPath arc;
    arc.arcMoveTo(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), startDeg);
    arc.arcTo(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), startDeg, -sweepDeg);
    QPainterPathStroker stroker;
    stroker.setWidth(band);
    stroker.setCapStyle(Qt::FlatCap);
    QPainterPath body = stroker.createStroke(arc);
    const qreal end = (startDeg - sweepDeg) * M_PI / 180.0;
    const QPointF at(c.x() + r * std::cos(end), c.y() - r * std::sin(end));
    const QPointF along(std::sin(end), std::cos(end));
    const QPointF out(std::cos(end), -std::sin(end));
    QPainterPath tip = Polygon({ at + out * head, at + along * head * 1.1, at - out * head });
    return body.united(tip).simplified();
}

// Two chasing arrows around a play mark: start converting.
void ConvertIcon(QPainter& p, const QRectF& box)
{
    p.save();
    InBox(p, box);
    const struct {
        qreal start;
        QColor light, dark, line;
    } arrows[] = {
        { 165, QColor(255, 206, 110), QColor(232, 122, 10), QColor(170, 80, 0) },
        { 345, QColor(120, 190, 255), QColor(24, 96, 200), QColor(14, 60, 140) },
    };
    for (const auto& a : arrows) {
        const QPainterPath arrow = CycleArrow(a.start, 128);
        QLinearGradient tone(0, 6, 0, 58);
        tone.setColorAt(0, a.light);
        tone.setColorAt(1, a.dark);
        p.setPen(QPen(a.line, 1.2));
        p.setBrush(tone);
        p.drawPath(arrow);
        Gloss(p, arrow, 4, 34, 90);
    }
    const QPainterPath play = Polygon({ { 26, 20.5 }, { 26, 43.5 }, { 45, 32 } });
    QLinearGradient green(0, 20, 0, 44);
    green.setColorAt(0, QColor(150, 224, 100));
    green.setColorAt(1, QColor(30, 130, 30));
    p.setPen(QPen(QColor(20, 96, 24), 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(green);
    p.drawPath(play);
    Gloss(p, play, 20, 33, 120);
    p.restore();
}

QPainterPath Octagon(const QPointF& c, qreal radius)
{
    QPolygonF points;
    for (int i = 0; i < 8; ++i) {
        const qreal a = (22.5 + 45 * i) * M_PI / 180.0;
        points << QPointF(c.x() + radius * std::cos(a), c.y() + radius * std::sin(a));
    }
    QPainterPath path;
    path.addPolygon(points);
    path.closeSubpath();
    return path;
}

// A red octagon with a white square: stop converting.
void StopIcon(QPainter& p, const QRectF& box)
{
    p.save();
    InBox(p, box);
    const QPointF c(32, 31);
    const QPainterPath outer = Octagon(c, 28);
    const QLinearGradient red
        = Vertical(3, 59, { { 0, QColor(255, 128, 112) }, { 0.5, QColor(226, 42, 32) }, { 1, QColor(150, 12, 12) } });
    p.setPen(QPen(QColor(110, 8, 8), 1.2));
    p.setBrush(red);
    p.drawPath(outer);
    p.setPen(QPen(QColor(255, 255, 255, 220), 2.2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(Octagon(c, 24.5));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 0, 0, 90));
    p.drawRoundedRect(QRectF(21, 22, 22, 22), 3, 3);
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(21, 20.5, 22, 22), 3, 3);
    Gloss(p, outer, 3, 30, 110);
    p.restore();
}

// A life buoy: online support.
void SupportIcon(QPainter& p, const QRectF& box)
{
    p.save();
    InBox(p, box);
    const QPointF c(32, 31);
    const qreal outerR = 27, innerR = 12;
    QPainterPath ring;
    ring.addEllipse(c, outerR, outerR);
    QPainterPath hole;
    hole.addEllipse(c, innerR, innerR);
    ring = ring.subtracted(hole);

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(246, 246, 250));
    p.drawPath(ring);
    p.save();
    p.setClipPath(ring);
    QLinearGradient red(0, 4, 0, 58);
    red.setColorAt(0, QColor(255, 110, 90));
    red.setColorAt(1, QColor(190, 20, 20));
    p.setBrush(red);
    for (int i = 0; i < 4; ++i)
        p.drawPie(QRectF(c.x() - 30, c.y() - 30, 60, 60), int((45 + 90 * i - 24) * 16), 48 * 16);
    // Round the band: dark towards both edges, light along the middle.
    QRadialGradient tube(c, outerR);
    const qreal in = innerR / outerR, mid = (innerR + outerR) / 2 / outerR;
    tube.setColorAt(in, QColor(0, 0, 0, 70));
    tube.setColorAt((in + mid) / 2, QColor(0, 0, 0, 0));
    tube.setColorAt(mid, QColor(255, 255, 255, 60));
    tube.setColorAt((mid + 1) / 2, QColor(0, 0, 0, 0));
    tube.setColorAt(1, QColor(0, 0, 0, 80));
    p.setBrush(tube);
    p.drawEllipse(c, outerR, outerR);
    p.restore();
    p.setPen(QPen(QColor(96, 40, 40), 1.1));
    p.setBrush(Qt::NoBrush);
    p.drawPath(ring);
    Gloss(p, ring, 4, 28, 110);
    p.restore();
}

using IconPainter = std::function<void(QPainter&, const QRectF&)>;

// ---------------------------------------------------------------------------------------------------------------
// The big command buttons: an icon on a glassy tile; the lower part stays calm for the caption label.

enum class Face { Normal, Hover, Pressed, Disabled };

QImage Greyed(const QImage& source, qreal opacity)
{
    QImage image = source.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int grey = qGray(line[x]) / 2 + 110;
            line[x] = qRgba(grey, grey, std::min(255, grey + 12), int(qAlpha(line[x]) * opacity));
        }
    }
    return image;
}

QImage CommandButton(const IconPainter& icon, Face face, int scale)
{
    QImage image = Transparent(112, 101, scale);
    QPainter p(&image);
    Smooth(p);
    const QPainterPath tile = Rounded(QRectF(3.5, 2.5, 105, 96), 11);

    // White of the tile's top and bottom, of its border and of the glow around it, by face.
    struct Look {
        int top, bottom, border, glow;
    };
    const Look looks[] = { { 70, 30, 110, 0 }, { 170, 95, 230, 70 }, { 40, 70, 170, 0 }, { 34, 20, 70, 0 } };
    const Look look = looks[static_cast<int>(face)];
    if (look.glow) {
        for (int i = 3; i >= 1; --i) {
            p.setPen(QPen(QColor(255, 255, 255, look.glow / i), i * 2));
            p.setBrush(Qt::NoBrush);
            p.drawPath(tile);
        }
    }
    QLinearGradient fill(0, 2, 0, 99);
    if (face == Face::Pressed) {
        fill.setColorAt(0, QColor(40, 80, 150, 90));
        fill.setColorAt(0.25, QColor(60, 100, 170, 60));
        fill.setColorAt(1, QColor(255, 255, 255, look.bottom));
    } else {
        fill.setColorAt(0, QColor(255, 255, 255, look.top));
        fill.setColorAt(0.7, QColor(255, 255, 255, look.bottom));
        fill.setColorAt(1, QColor(255, 255, 255, look.bottom));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawPath(tile);
    if (face != Face::Pressed)
        Gloss(p, tile, 2, 40, look.top / 2);
    p.setPen(QPen(QColor(255, 255, 255, look.border), 1));
    p.setBrush(Qt::NoBrush);
    p.drawPath(tile);
    p.setPen(QPen(QColor(40, 80, 150, face == Face::Pressed ? 150 : 60), 1));
    p.drawPath(Rounded(QRectF(2.5, 1.5, 107, 98), 12));

    const QRectF iconBox = face == Face::Pressed ? QRectF(27, 9, 58, 58) : QRectF(26, 7, 60, 60);
    QImage art = Transparent(112, 101, scale);
    {
        QPainter a(&art);
        Smooth(a);
        GroundShadow(a, QPointF(iconBox.center().x(), iconBox.bottom() + 2), 26, 5, 90);
        icon(a, iconBox);
    }
    p.drawImage(0, 0, face == Face::Disabled ? Greyed(art, 0.55) : art);
    return image;
}

// ---------------------------------------------------------------------------------------------------------------
// The header background: soft light over the top left, fading into the window colour on every edge.

QImage Header(int scale)
{
    QImage image = Transparent(400, 200, scale);
    QPainter p(&image);
    Smooth(p);
    QRadialGradient light(QPointF(150, 30), 260);
    light.setColorAt(0, QColor(255, 255, 255, 80));
    light.setColorAt(0.55, QColor(255, 255, 255, 30));
    light.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(light);
    p.drawRect(image.rect());

    // Two long swooshes of light.
    for (int i = 0; i < 2; ++i) {
        const qreal y = 118 + i * 22;
        Swoosh(p, 400, { { -10, y + 40 }, { 90, y - 30 }, { 220, y + 36 }, { 410, y - 48 } },
            { { 410, y - 40 + i * 6 }, { 230, y + 46 }, { 100, y - 16 }, { -10, y + 58 } }, 0, i ? 40 : 60, 0.3);
    }

    // Fade every edge to nothing so the picture melts into the window.
    p.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    QLinearGradient right(0, 0, 400, 0);
    right.setColorAt(0.6, Qt::black);
    right.setColorAt(1, Qt::transparent);
    p.fillRect(image.rect(), right);
    QLinearGradient bottom(0, 0, 0, 200);
    bottom.setColorAt(0.55, Qt::black);
    bottom.setColorAt(1, Qt::transparent);
    p.fillRect(image.rect(), bottom);
    return image;
}

// ---------------------------------------------------------------------------------------------------------------
// The tab above the list; its lower rows disappear under the list, so it is drawn in the list colour there.

QImage ListTab(Face face, int scale)
{
    QImage image = Transparent(66, 29, scale);
    QPainter p(&image);
    Smooth(p);
    QPainterPath tab;
    tab.moveTo(0.5, 29);
    tab.lineTo(0.5, 5.5);
    tab.quadTo(0.5, 0.5, 5.5, 0.5);
    tab.lineTo(60.5, 0.5);
    tab.quadTo(65.5, 0.5, 65.5, 5.5);
    tab.lineTo(65.5, 29);
    QLinearGradient fill(0, 0, 0, 26);
    const QColor top = face == Face::Hover ? QColor(255, 255, 255)
        : face == Face::Pressed            ? QColor(206, 222, 244)
                                           : QColor(250, 251, 253);
    const QColor bottom = face == Face::Pressed ? QColor(222, 228, 240) : kListBack;
    fill.setColorAt(0, top);
    fill.setColorAt(1, bottom);
    p.setPen(QPen(face == Face::Hover ? QColor(110, 150, 210) : QColor(141, 178, 227), 1));
    p.setBrush(fill);
    p.drawPath(tab);
    if (face == Face::Hover) {
        p.setPen(QPen(QColor(255, 200, 90), 2));
        p.drawLine(QPointF(5, 1.5), QPointF(61, 1.5));
    }
    // A small list glyph left of the caption.
    p.setRenderHint(QPainter::Antialiasing, false);
    const int shift = face == Face::Pressed ? 1 : 0;
    for (int i = 0; i < 3; ++i) {
        const int y = 8 + i * 4 + shift;
        p.fillRect(QRect(7 + shift, y, 3, 3), QColor(60, 140, 60));
        p.fillRect(QRect(12 + shift, y + 1, 8, 1), kCaption);
    }
    return image;
}

// ---------------------------------------------------------------------------------------------------------------
// The strip along the bottom edge (stretched across the window) and the grip mark in its corner.

// Its two top lines are a pixel each; below them every device row has its own shade.
QImage BottomStrip(int scale)
{
    QImage image = Sized(6, 21, scale, QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        const qreal row = qreal(y) / scale;
        QColor c;
        if (row < 1)
            c = QColor(92, 126, 178);
        else if (row < 2)
            c = QColor(168, 196, 232);
        else {
            const qreal t = (row - 2) / 18.0;
            c = QColor(int(138 - 40 * t), int(170 - 38 * t), int(216 - 34 * t));
        }
        for (int x = 0; x < image.width(); ++x)
            image.setPixelColor(x, y, c);
    }
    return image;
}

QImage Corner(int scale)
{
    QImage image = Transparent(11, 11, scale);
    QPainter p(&image);
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            if (row + col < 2)
                continue;
            const int x = 1 + col * 3, y = 1 + row * 3;
            p.fillRect(QRect(x + 1, y + 1, 2, 2), QColor(60, 90, 140, 200));
            p.fillRect(QRect(x, y, 2, 2), QColor(255, 255, 255, 230));
        }
    }
    return image;
}

// ---------------------------------------------------------------------------------------------------------------
// The folder: a list icon for the add dialog and a small glyph for the folder button.

QImage Folder(int size, int scale)
{
    QImage image = Transparent(size, size, scale);
    QPainter p(&image);
    Smooth(p);
    const qreal s = size / 32.0;
    p.scale(s, s);
    const qreal line = 1.0;
    QPainterPath back;
    back.moveTo(2.5, 27.5);
    back.lineTo(2.5, 6.5);
    back.quadTo(2.5, 5, 4, 5);
    back.lineTo(11.5, 5);
    back.lineTo(14, 8);
    back.lineTo(27.5, 8);
    back.quadTo(29.5, 8, 29.5, 10);
    back.lineTo(29.5, 27.5);
    back.closeSubpath();
    QLinearGradient backTone(0, 5, 0, 28);
    backTone.setColorAt(0, QColor(240, 190, 70));
    backTone.setColorAt(1, QColor(200, 140, 30));
    p.setPen(QPen(QColor(150, 100, 10), line / s));
    p.setBrush(backTone);
    p.drawPath(back);
    // A sheet of paper peeking out.
    p.setPen(QPen(QColor(170, 170, 180), line / s));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(5.5, 10.5, 21, 12));
    QPainterPath front = Polygon({ { 2.5, 27.5 }, { 5, 14.5 }, { 31, 14.5 }, { 29.5, 27.5 } });
    QLinearGradient frontTone(0, 14, 0, 28);
    frontTone.setColorAt(0, QColor(255, 232, 140));
    frontTone.setColorAt(1, QColor(246, 192, 64));
    p.setPen(QPen(QColor(160, 106, 10), line / s, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(frontTone);
    p.drawPath(front);
    if (size > 16) {
        p.setPen(QPen(QColor(255, 248, 210), 1 / s));
        p.drawLine(QPointF(6, 15.7), QPointF(29.6, 15.7));
    }
    return image;
}

// ---------------------------------------------------------------------------------------------------------------
// The program icon: a film reel on a blue tile, with a green arrow badge where there is room for it.

// A film reel of radius r at c: a disc with round windows and a hub.
void Reel(QPainter& p, const QPointF& c, qreal r, int holes, const QColor& outline, qreal outlineWidth)
{
    QPainterPath reel;
    reel.addEllipse(c, r, r);
    for (int i = 0; i < holes; ++i) {
        const qreal a = (-90 + 360.0 / holes * i) * M_PI / 180.0;
        const QPointF at(c.x() + r * 0.55 * std::cos(a), c.y() + r * 0.55 * std::sin(a));
        QPainterPath h;
        h.addEllipse(at, r * 0.24, r * 0.24);
        reel = reel.subtracted(h);
    }
    QPainterPath hub;
    hub.addEllipse(c, r * 0.13, r * 0.13);
    reel = reel.subtracted(hub);
    QLinearGradient metal(0, c.y() - r, 0, c.y() + r);
    metal.setColorAt(0, QColor(255, 255, 255));
    metal.setColorAt(1, QColor(196, 208, 226));
    p.setPen(outlineWidth > 0 ? QPen(outline, outlineWidth) : QPen(Qt::NoPen));
    p.setBrush(metal);
    p.drawPath(reel);
}

void ProgramIcon(QPainter& p, const QRectF& box, bool detailed)
{
    p.save();
    InBox(p, box);
    const QPainterPath tile = Rounded(QRectF(1.5, 1.5, 61, 61), 12);
    QLinearGradient blue(0, 0, 0, 64);
    blue.setColorAt(0, QColor(104, 164, 236));
    blue.setColorAt(1, QColor(22, 70, 156));
    p.setPen(QPen(QColor(16, 50, 116), detailed ? 1.0 : 2.0));
    p.setBrush(blue);
    p.drawPath(tile);

    Reel(p, QPointF(detailed ? 29 : 32, detailed ? 29 : 32), detailed ? 21 : 23, detailed ? 5 : 4, QColor(14, 44, 100),
        detailed ? 1.0 : 2.0);
    if (detailed) {
        Badge(p, QPointF(46, 46), 13, Polygon({ { 22, 18 }, { 22, 46 }, { 47, 32 } }));
    }
    Gloss(p, tile, 1.5, 30, 90);
    p.restore();
}

QImage AppIcon(int size)
{
    QImage image = Transparent(size, size, 1);
    QPainter p(&image);
    Smooth(p);
    ProgramIcon(p, QRectF(0, 0, size, size), size >= 32);
    return image;
}

// ---------------------------------------------------------------------------------------------------------------
// The splash picture: the product name on deep blue with a large reel; shown at 200/255 opacity.

QImage Splash(int scale)
{
    QImage image = Sized(570, 330, scale, QImage::Format_RGB32);
    QPainter p(&image);
    Smooth(p);
    QLinearGradient sky(0, 0, 570, 330);
    sky.setColorAt(0, QColor(34, 86, 164));
    sky.setColorAt(0.6, QColor(70, 128, 204));
    sky.setColorAt(1, QColor(129, 164, 209));
    p.fillRect(image.rect(), sky);
    QRadialGradient glow(QPointF(150, 90), 330);
    glow.setColorAt(0, QColor(255, 255, 255, 60));
    glow.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillRect(image.rect(), glow);

    // A large faint reel turning off the right edge.
    p.save();
    p.setOpacity(0.14);
    Reel(p, QPointF(490, 190), 132, 5, Qt::white, 0);
    p.restore();

    // Swooshes of light across the lower part.
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 3; ++i) {
        const qreal y = 250 + i * 16;
        Swoosh(p, 570, { { -10, y }, { 160, y - 70 }, { 360, y + 40 }, { 580, y - 60 } },
            { { 580, y - 50 + i * 4 }, { 360, y + 56 }, { 160, y - 50 }, { -10, y + 18 } }, 10, 70 - i * 18, 0.45);
    }

    // A film strip running along the top.
    p.setBrush(QColor(14, 30, 64, 150));
    p.drawRect(QRectF(0, 18, 570, 26));
    p.setBrush(QColor(255, 255, 255, 120));
    for (int x = 6; x < 570; x += 16) {
        p.drawRoundedRect(QRectF(x, 21, 8, 5), 1.5, 1.5);
        p.drawRoundedRect(QRectF(x, 36, 8, 5), 1.5, 1.5);
    }

    ProgramIcon(p, QRectF(40, 92, 84, 84), true);

    QFont light("Open Sans");
    light.setPixelSize(46);
    light.setWeight(QFont::Light);
    QFont bold("Open Sans");
    bold.setPixelSize(46);
    bold.setWeight(QFont::Bold);
    const QString first = "Quor ", second = "Reelhand";
    const QPointF base(142, 150);
    const qreal firstWidth = QFontMetricsF(light).horizontalAdvance(first);
    const auto drawTitle = [&](const QPointF& offset, const QColor& colour) {
        p.setPen(colour);
        p.setFont(light);
        p.drawText(base + offset, first);
        p.setFont(bold);
        p.drawText(base + offset + QPointF(firstWidth, 0), second);
    };
    drawTitle(QPointF(0, 2), QColor(10, 30, 80, 110));
    drawTitle(QPointF(0, 0), Qt::white);

    QFont sub("Open Sans");
    sub.setPixelSize(18);
    sub.setWeight(QFont::DemiBold);
    p.setFont(sub);
    p.setPen(QColor(206, 226, 255));
    p.drawText(QPointF(145, 180), "Batch video converter");

    QFont small("Open Sans");
    small.setPixelSize(12);
    p.setFont(small);
    p.setPen(QColor(255, 255, 255, 210));
    p.drawText(QRectF(0, 300, 550, 20), Qt::AlignRight | Qt::AlignVCenter, "Loading\u2026");

    // A fine frame, since the window has none of its own.
    p.setRenderHint(QPainter::Antialiasing, false);
    Frame(p, QRect(0, 0, 570, 330), QColor(16, 50, 116));
    Frame(p, QRect(1, 1, 568, 328), QColor(255, 255, 255, 90));
    return image;
}

// ---------------------------------------------------------------------------------------------------------------

// The pictures the windows place, drawn at a scale (1, or 2 for the "@2x" ones); the program icons are drawn in
// each size a desktop asks for, at scale 1 only.
std::vector<Picture> AllPictures(int scale)
{
    std::vector<Picture> all;
    all.push_back({ "list/state-waiting.png", StateIcon(Symbol::Down, scale) });
    all.push_back({ "list/state-converting.png", StateIcon(Symbol::Right, scale) });
    all.push_back({ "list/state-done.png", StateIcon(Symbol::Up, scale) });
    all.push_back({ "list/state-failed.png", StateIcon(Symbol::Cross, scale) });
    all.push_back({ "list/watermark.png", Watermark(scale) });

    const struct {
        const char* name;
        IconPainter icon;
    } commands[] = { { "add", AddIcon }, { "convert", ConvertIcon }, { "stop", StopIcon }, { "support", SupportIcon } };
    const struct {
        const char* name;
        Face face;
    } faces[] = { { "normal", Face::Normal }, { "hover", Face::Hover }, { "pressed", Face::Pressed },
        { "disabled", Face::Disabled } };
    for (const auto& command : commands)
        for (const auto& face : faces)
            all.push_back({ QString("app/%1-%2.png").arg(command.name, face.name),
                CommandButton(command.icon, face.face, scale) });
    for (const auto& face : faces)
        if (face.face != Face::Disabled)
            all.push_back({ QString("app/list-%1.png").arg(face.name), ListTab(face.face, scale) });

    all.push_back({ "app/header.png", Header(scale) });
    all.push_back({ "app/bottom.png", BottomStrip(scale) });
    all.push_back({ "app/corner.png", Corner(scale) });
    all.push_back({ "app/folder32.png", Folder(32, scale) });
    all.push_back({ "app/folder16.png", Folder(16, scale) });
    if (scale == 1)
        for (int size : { 16, 24, 32, 48, 64, 72, 96, 128, 256 })
            all.push_back({ QString("app/icon-%1.png").arg(size), AppIcon(size) });
    all.push_back({ "app/splash.jpg", Splash(scale) });
    if (scale != 1)
        for (Picture& picture : all) {
            const QFileInfo file(picture.Path);
            picture.Path
                = QString("%1/%2@%3x.%4").arg(file.path(), file.completeBaseName()).arg(scale).arg(file.suffix());
        }
    return all;
}

// Every picture enlarged four times on the window colour, labelled, for looking at them closely.
QImage ContactSheet(const std::vector<Picture>& all)
{
    const int gap = 24, width = 1400;
    const auto scaleOf
        = [](const QImage& image) { return std::clamp(512 / std::max(image.width(), image.height()), 1, 8); };
    int x = gap, y = gap, rowHeight = 0;
    std::vector<QPoint> places;
    for (const Picture& picture : all) {
        const QSize size = picture.Image.size() * scaleOf(picture.Image);
        if (x + size.width() > width - gap) {
            x = gap;
            y += rowHeight + gap + 14;
            rowHeight = 0;
        }
        places.push_back(QPoint(x, y));
        x += size.width() + gap;
        rowHeight = std::max(rowHeight, size.height());
    }
    QImage sheet(width, y + rowHeight + gap + 14, QImage::Format_RGB32);
    sheet.fill(kWindow);
    QPainter p(&sheet);
    p.setRenderHint(QPainter::TextAntialiasing);
    for (size_t i = 0; i < all.size(); ++i) {
        const QImage& image = all[i].Image;
        const int scale = scaleOf(image);
        p.drawImage(QRect(places[i], image.size() * scale), image);
        p.setPen(kCaption);
        p.drawText(places[i] + QPoint(0, image.height() * scale + 12), QFileInfo(all[i].Path).fileName());
    }
    return sheet;
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: artwork IMAGES_FOLDER [--scale 2] [--sheet FILE]\n");
        return 2;
    }
    const QDir folder(args[1]);
    const int scaleAt = args.indexOf("--scale");
    const int scale = scaleAt > 0 && scaleAt + 1 < args.size() ? args[scaleAt + 1].toInt() : 1;
    if (scale < 1 || scale > 4) {
        std::fprintf(stderr, "the scale is 1 to 4\n");
        return 2;
    }
    const std::vector<Picture> all = AllPictures(scale);
    for (const Picture& picture : all) {
        const QString path = folder.filePath(picture.Path);
        QDir().mkpath(QFileInfo(path).path());
        const int quality = path.endsWith(".jpg") ? 92 : -1;
        if (!picture.Image.save(path, nullptr, quality)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    const int sheetAt = args.indexOf("--sheet");
    if (sheetAt > 0 && sheetAt + 1 < args.size() && !ContactSheet(all).save(args[sheetAt + 1])) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(args[sheetAt + 1]));
        return 1;
    }
    return 0;
}
