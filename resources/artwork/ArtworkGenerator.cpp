// Draws every picture under resources/images from code, so the artwork can be changed and redrawn.
// Usage: artwork IMAGES_FOLDER [--sheet FILE]  (--sheet also writes an enlarged contact sheet for review)

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

// The window palette the pictures sit on.
const QColor kWindow(129, 164, 209);
const QColor kCaption(21, 66, 139);
const QColor kListBack(233, 234, 238);

struct Picture {
    QString Path; // below the images folder
    QImage Image;
};

QImage Transparent(int w, int h)
{
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

void Smooth(QPainter& p)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.setRenderHint(QPainter::TextAntialiasing);
}

// ---------------------------------------------------------------------------------------------------------------
// List state icons: a green round button with a white symbol.

enum class Symbol { Down, Right, Up, Minus };

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

QImage StateIcon(Symbol symbol)
{
    QImage image = Transparent(16, 16);
    QPainter p(&image);
    Smooth(p);

    const QRectF disc(0.5, 0.5, 15, 15);
    QLinearGradient body(0, 0, 0, 16);
    body.setColorAt(0, QColor(140, 218, 96));
    body.setColorAt(0.55, QColor(70, 170, 52));
    body.setColorAt(1, QColor(30, 124, 30));
    p.setPen(QPen(QColor(24, 100, 28), 1));
    p.setBrush(body);
    p.drawEllipse(disc);

    QLinearGradient gloss(0, 1.5, 0, 8);
    gloss.setColorAt(0, QColor(255, 255, 255, 170));
    gloss.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(gloss);
    p.drawEllipse(QRectF(3, 1.5, 10, 7));

    QPainterPath mark;
    if (symbol == Symbol::Minus) {
        mark.addRect(QRectF(4, 7, 8, 2));
    } else {
        QTransform turn;
        turn.translate(8, 8);
        turn.rotate(symbol == Symbol::Down ? 0 : symbol == Symbol::Right ? -90 : 180);
        turn.translate(-8, -8);
        mark = turn.map(ArrowDown());
    }
    p.setBrush(QColor(10, 70, 10, 90));
    p.drawPath(mark.translated(0, 0.8));
    p.setBrush(Qt::white);
    p.drawPath(mark);
    return image;
}

// The list's background picture: a large faint tick in the lower right, on the list colour, 24-bit.
QImage Watermark()
{
    QImage image(256, 256, QImage::Format_RGB888);
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

std::vector<Picture> AllPictures()
{
    std::vector<Picture> all;
    all.push_back({"list/state-waiting.png", StateIcon(Symbol::Down)});
    all.push_back({"list/state-converting.png", StateIcon(Symbol::Right)});
    all.push_back({"list/state-done.png", StateIcon(Symbol::Up)});
    all.push_back({"list/state-failed.png", StateIcon(Symbol::Minus)});
    all.push_back({"list/watermark.png", Watermark()});
    return all;
}

// Every picture enlarged four times on the window colour, labelled, for looking at them closely.
QImage ContactSheet(const std::vector<Picture>& all)
{
    const int gap = 24, width = 1400;
    const auto scaleOf = [](const QImage& image) { return std::clamp(512 / std::max(image.width(), image.height()), 1, 8); };
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
        std::fprintf(stderr, "usage: artwork IMAGES_FOLDER [--sheet FILE]\n");
        return 2;
    }
    const QDir folder(args[1]);
    const std::vector<Picture> all = AllPictures();
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
