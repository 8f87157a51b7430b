// Draws the program's own pictures: the logo (254 x 154) of the splash screen and the about box, and the
// application icon (64 x 64). Not part of the build; run it by hand when the pictures change:
//
//   g++ -std=c++20 -fPIC tools/make_images.cpp -o /tmp/make_images $(pkg-config --cflags --libs Qt6Widgets Qt6Gui)
//   QT_QPA_PLATFORM=offscreen /tmp/make_images ui/resources
//
// It writes logo.png, logo.bmp and icon.png into the folder it is given.

#include <QColor>
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>
#include <QString>
#include <QTextStream>

#include <array>

namespace {

const QColor kGemLight(0x8f, 0xf0, 0xd8);
const QColor kGemMid(0x2f, 0xb8, 0x9c);
const QColor kGemDark(0x0f, 0x5e, 0x52);

// A cut gem seen from the side: a flat table on top, a crown of three facets and a pointed pavilion.
// centre is the middle of the girdle line; width is the girdle's width.
void DrawGem(QPainter& p, QPointF centre, qreal width) {
    const qreal w = width / 2;
    const qreal crown = width * 0.28;
    const qreal pavilion = width * 0.62;
    const qreal table = w * 0.52;
    const QPointF girdleLeft(centre.x() - w, centre.y());
    const QPointF girdleRight(centre.x() + w, centre.y());
    const QPointF tableLeft(centre.x() - table, centre.y() - crown);
    const QPointF tableRight(centre.x() + table, centre.y() - crown);
    const QPointF tip(centre.x(), centre.y() + pavilion);
    const QPointF crownMid(centre.x(), centre.y());

    // Glow behind the stone.
    QRadialGradient glow(centre, width * 0.95);
    glow.setColorAt(0.0, QColor(0x4f, 0xe0, 0xc0, 110));
    glow.setColorAt(1.0, QColor(0x4f, 0xe0, 0xc0, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(centre, width * 0.95, width * 0.95);

    struct Facet {
        std::array<QPointF, 3> points;
        QColor colour;
    };
    const Facet facets[] = {
        {{tableLeft, girdleLeft, crownMid}, kGemMid.lighter(115)},
        {{tableLeft, tableRight, crownMid}, kGemLight},
        {{tableRight, girdleRight, crownMid}, kGemMid},
        {{girdleLeft, crownMid, tip}, kGemMid.darker(115)},
        {{crownMid, girdleRight, tip}, kGemDark},
    };
    QPen edge(QColor(0xe8, 0xff, 0xf8, 170), width / 60.0);
    edge.setJoinStyle(Qt::RoundJoin);
    p.setPen(edge);
    for (const auto& facet : facets) {
        p.setBrush(facet.colour);
        p.drawPolygon(facet.points.data(), static_cast<int>(facet.points.size()));
    }
    // A single sparkle on the table.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 220));
    const QPointF spark(centre.x() - table * 0.35, centre.y() - crown * 0.7);
    const qreal s = width * 0.07;
    QPainterPath star;
    star.moveTo(spark.x(), spark.y() - s);
    star.quadTo(spark, QPointF(spark.x() + s, spark.y()));
    star.quadTo(spark, QPointF(spark.x(), spark.y() + s));
    star.quadTo(spark, QPointF(spark.x() - s, spark.y()));
    star.quadTo(spark, QPointF(spark.x(), spark.y() - s));
    p.drawPath(star);
}

void DrawPlate(QPainter& p, const QRectF& area, qreal radius) {
    QLinearGradient plate(area.topLeft(), area.bottomRight());
    plate.setColorAt(0.0, QColor(0x1c, 0x26, 0x33));
    plate.setColorAt(1.0, QColor(0x07, 0x0b, 0x12));
    p.setPen(Qt::NoPen);
    p.setBrush(plate);
    p.drawRoundedRect(area, radius, radius);
}

QImage Logo() {
    QImage image(254, 154, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    DrawPlate(p, QRectF(0, 0, 254, 154), 0);

    // Fine diagonal lines give the plate some texture without drawing the eye.
    p.setPen(QPen(QColor(255, 255, 255, 10), 1));
    for (int x = -154; x < 254; x += 9)
        p.drawLine(QPointF(x, 154), QPointF(x + 154, 0));

    DrawGem(p, QPointF(60, 62), 78);

    QFont title(QStringLiteral("DejaVu Sans"));
    title.setBold(true);
    title.setPixelSize(50);
    title.setLetterSpacing(QFont::AbsoluteSpacing, 1);
    QLinearGradient ink(QPointF(0, 36), QPointF(0, 88));
    ink.setColorAt(0.0, QColor(0xf4, 0xfb, 0xff));
    ink.setColorAt(1.0, QColor(0x9c, 0xb8, 0xc8));
    QPainterPath word;
    word.addText(QPointF(110, 84), title, QStringLiteral("Trel"));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 140));
    p.drawPath(word.translated(2, 2));
    p.setBrush(ink);
    p.drawPath(word);

    QFont small(QStringLiteral("DejaVu Sans"));
    small.setPixelSize(11);
    small.setLetterSpacing(QFont::AbsoluteSpacing, 1.5);
    p.setFont(small);
    p.setPen(kGemLight);
    p.drawText(QRectF(112, 92, 140, 16), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("VORN FRONT END"));

    // A thin rule under the picture, in the gem's colour, fading out to the right.
    QLinearGradient rule(QPointF(16, 0), QPointF(238, 0));
    rule.setColorAt(0.0, QColor(kGemMid.red(), kGemMid.green(), kGemMid.blue(), 0));
    rule.setColorAt(0.3, kGemMid);
    rule.setColorAt(1.0, QColor(kGemMid.red(), kGemMid.green(), kGemMid.blue(), 0));
    p.setPen(QPen(QBrush(rule), 1.5));
    p.drawLine(QPointF(16, 132), QPointF(238, 132));
    return image;
}

QImage Icon() {
    QImage image(64, 64, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    DrawPlate(p, QRectF(1, 1, 62, 62), 12);
    DrawGem(p, QPointF(32, 27), 44);
    return image;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);
    if (argc != 2) {
        err << "usage: make_images OUTPUT-FOLDER\n";
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.exists() && !QDir().mkpath(folder.path())) {
        err << "cannot create " << folder.path() << '\n';
        return 1;
    }
    const QString logo = folder.filePath(QStringLiteral("logo.png"));
    const QString icon = folder.filePath(QStringLiteral("icon.png"));
    // The splash screen shows the logo while start-up is still loading: an uncompressed copy is read without
    // any decoding work.
    const QString logoBitmap = folder.filePath(QStringLiteral("logo.bmp"));
    if (!Logo().save(logo, "PNG") || !Icon().save(icon, "PNG") ||
        !Logo().convertToFormat(QImage::Format_RGB888).save(logoBitmap, "BMP")) {
        err << "cannot write the pictures into " << folder.path() << '\n';
        return 1;
    }
    return 0;
}
