// Draws the program's pictures: the window and tray icons, the help window's icon and the
// banner, plus the large icon the desktop shows. The PNG files it writes are kept in the
// repository; run it again only to change a picture:
//   cmake --build build --target quorvel_drawpictures
//   QT_QPA_PLATFORM=offscreen build/resources/quorvel_drawpictures resources
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtMath>
#include <cstdio>

namespace {

const QColor kLightBlue(0, 153, 255);  // the colour of the program's captions
const QColor kNavy(10, 38, 71);
const QColor kAmber(245, 150, 20);

// A clock face filling `box`, hands at 10:09 (the hour hand between 10 and 11).
void drawClockFace(QPainter& p, const QRectF& box, const QColor& rim) {
    const qreal r = box.width() / 2;
    const QPointF c = box.center();
    p.save();
    p.setRenderHint(QPainter::Antialiasing);

    QRadialGradient face(c - QPointF(r * 0.3, r * 0.3), r * 1.4);
    face.setColorAt(0, Qt::white);
    face.setColorAt(1, QColor(214, 230, 245));
    p.setPen(QPen(rim, qMax(1.5, r * 0.16)));
    p.setBrush(face);
    p.drawEllipse(c, r * 0.9, r * 0.9);

    p.translate(c);
    for (int hour = 0; hour < 12; ++hour) {
        const bool quarter = hour % 3 == 0;
        p.setPen(QPen(kNavy, qMax(1.0, r * (quarter ? 0.09 : 0.05)), Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(0, -r * 0.7), QPointF(0, -r * (quarter ? 0.5 : 0.58)));
        p.rotate(30);
    }
    const auto hand = [&](qreal degrees, qreal length, qreal width, const QColor& colour) {
        p.save();
        p.rotate(degrees);
        p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(0, r * 0.08), QPointF(0, -length));
        p.restore();
    };
    hand(304.5, r * 0.42, qMax(1.8, r * 0.12), kNavy);  // hour
    hand(54, r * 0.62, qMax(1.4, r * 0.08), kNavy);     // minute
    p.setPen(Qt::NoPen);
    p.setBrush(rim);
    p.drawEllipse(QPointF(0, 0), qMax(1.2, r * 0.08), qMax(1.2, r * 0.08));
    p.restore();
}

// Two arrows chasing each other round a circle: "being synchronised".
void drawSyncBadge(QPainter& p, const QRectF& box) {
    const qreal r = box.width() / 2;
    const QPointF c = box.center();
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::white, qMax(1.0, r * 0.15)));
    p.setBrush(kAmber);
    p.drawEllipse(c, r * 0.95, r * 0.95);
    p.translate(c);
    const qreal arc = r * 0.5;
    for (int half = 0; half < 2; ++half) {
        QPainterPath path;
        path.arcMoveTo(QRectF(-arc, -arc, 2 * arc, 2 * arc), 20);
        path.arcTo(QRectF(-arc, -arc, 2 * arc, 2 * arc), 20, 115);
        p.setPen(QPen(Qt::white, qMax(1.6, r * 0.2), Qt::SolidLine, Qt::FlatCap));
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
        // Arrow head at the end of the arc (135 degrees), pointing along the turn.
        const qreal a = qDegreesToRadians(135.0);
        const QPointF tip(arc * qCos(a), -arc * qSin(a));
        const QPointF along(-qSin(a), -qCos(a));  // counter-clockwise tangent on screen
        const QPointF across(qCos(a), -qSin(a));
        const qreal s = r * 0.42;
        QPolygonF head;
        head << tip + along * s << tip + across * s * 0.8 << tip - across * s * 0.8;
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawPolygon(head);
        p.rotate(180);
    }
    p.restore();
}

QImage clockIcon(int size, bool updating) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    drawClockFace(p, QRectF(0, 0, size, size), updating ? kAmber : kLightBlue.darker(130));
    if (updating)
        drawSyncBadge(p, QRectF(size * 0.44, size * 0.44, size * 0.56, size * 0.56));
    return image;
}

QImage helpIcon() {
    QImage image(16, 16, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kNavy, 1));
    p.setBrush(kLightBlue);
    p.drawEllipse(QRectF(0.5, 0.5, 15, 15));
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPixelSize(13);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(0, 0.5, 16, 16), Qt::AlignCenter, QStringLiteral("?"));
    return image;
}

// 468 by 60 pixels, 24-bit: the program advertising itself.
QImage banner() {
    QImage image(468, 60, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    QLinearGradient sky(0, 0, 468, 60);
    sky.setColorAt(0, QColor(4, 18, 38));
    sky.setColorAt(1, QColor(12, 58, 104));
    p.fillRect(image.rect(), sky);
    p.setPen(QPen(kLightBlue, 2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(1, 1, 466, 58));

    drawClockFace(p, QRectF(8, 6, 48, 48), kLightBlue);

    QFont title(QStringLiteral("DejaVu Sans"));
    title.setBold(true);
    title.setPixelSize(24);
    title.setLetterSpacing(QFont::AbsoluteSpacing, 2);
    p.setFont(title);
    p.setPen(kLightBlue);
    p.drawText(QRectF(66, 5, 250, 30), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("QUORVEL"));

    QFont line(QStringLiteral("DejaVu Sans"));
    line.setPixelSize(12);
    p.setFont(line);
    p.setPen(Qt::white);
    p.drawText(QRectF(67, 34, 270, 20), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Your clock, right to the second."));

    const QRectF button(338, 16, 118, 28);
    p.setPen(Qt::NoPen);
    p.setBrush(kAmber);
    p.drawRoundedRect(button, 6, 6);
    QFont call(QStringLiteral("DejaVu Sans"));
    call.setBold(true);
    call.setPixelSize(12);
    p.setFont(call);
    p.setPen(kNavy);
    p.drawText(button, Qt::AlignCenter, QStringLiteral("quorvel.example"));
    return image;
}

bool save(const QImage& image, const QString& path) {
    if (image.save(path))
        return true;
    std::fprintf(stderr, "could not write %s\n", qPrintable(path));
    return false;
}

}  // namespace

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: quorvel_drawpictures RESOURCES-FOLDER\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const bool ok =
        save(clockIcon(32, false), out.filePath(QStringLiteral("icons/idle.png"))) &&
        save(clockIcon(32, true), out.filePath(QStringLiteral("icons/updating.png"))) &&
        save(clockIcon(256, false), out.filePath(QStringLiteral("icons/quorvel-256.png"))) &&
        save(helpIcon(), out.filePath(QStringLiteral("icons/help.png"))) &&
        save(banner(), out.filePath(QStringLiteral("images/banner.png")));
    return ok ? 0 : 1;
}
