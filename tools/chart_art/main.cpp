// Draws the chart's background picture and the window icon into a folder:
//   velmora-chart-art OUTDIR  ->  rajz_background.jpg, velmora_icon_32.png, velmora_icon_16.png
// The results are committed under src/ui/resources; run this again only to change the artwork.
// The chart's geometry is what the plotting draws against: zero deviation on row 255 and one
// row per step of deviation, so a deviation d sits on row 255 - d.
#include <QCoreApplication>
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>

namespace {

constexpr int kWidth = 600;
constexpr int kHeight = 510;
constexpr int kZeroRow = 255;
constexpr int kAxisX = 34;

QFont chartFont(int pixelSize, bool bold = false)
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

void arrowHead(QPainter &painter, QPointF tip, QPointF direction)
{
    const QPointF side(-direction.y(), direction.x());
    QPainterPath path;
    path.moveTo(tip);
    path.lineTo(tip - direction * 9 + side * 4);
    path.lineTo(tip - direction * 9 - side * 4);
    path.closeSubpath();
    painter.fillPath(path, Qt::white);
}

void gridLine(QPainter &painter, int deviation, Qt::PenStyle style)
{
    const int row = kZeroRow - deviation;
    painter.setPen(QPen(Qt::white, 1, style));
    painter.drawLine(kAxisX + 1, row, kWidth - 12, row);
    painter.setPen(Qt::white);
    painter.setFont(chartFont(10));
    const QString text
        = (deviation > 0 ? QStringLiteral("+") : QString()) + QString::number(deviation);
    painter.drawText(QRect(0, row - 6, kAxisX - 4, 12), Qt::AlignRight | Qt::AlignVCenter, text);
}

QImage chart()
{
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, kWidth, 0);
    gradient.setColorAt(0, QColor(0, 140, 40));
    gradient.setColorAt(1, QColor(128, 128, 0));
    painter.fillRect(image.rect(), gradient);

    for (int deviation : { 10, -10 })
        gridLine(painter, deviation, Qt::DashLine);
    for (int deviation : { 100, -100, 200, -200 })
        gridLine(painter, deviation, Qt::DotLine);

    painter.setPen(QPen(Qt::white, 1));
    painter.drawLine(kAxisX, 6, kAxisX, kHeight - 7);
    painter.drawLine(kAxisX, kZeroRow, kWidth - 6, kZeroRow);
    painter.setRenderHint(QPainter::Antialiasing);
    arrowHead(painter, QPointF(kAxisX + 0.5, 2), QPointF(0, -1));
    arrowHead(painter, QPointF(kAxisX + 0.5, kHeight - 3), QPointF(0, 1));
    arrowHead(painter, QPointF(kWidth - 2, kZeroRow + 0.5), QPointF(1, 0));

    painter.setPen(Qt::white);
    painter.setFont(chartFont(12, true));
    painter.drawText(QPoint(kAxisX + 10, 16), QStringLiteral("+ Deviation (step)"));
    painter.drawText(QPoint(kAxisX + 10, kHeight - 8), QStringLiteral("- Deviation (step)"));
    painter.drawText(
        QRect(kWidth - 120, kZeroRow + 13, 108, 16), Qt::AlignRight, QStringLiteral("Time"));
    painter.setFont(chartFont(9));
    painter.drawText(QRect(kWidth - 220, kHeight - 16, 212, 12), Qt::AlignRight,
        QStringLiteral("www.velmora-drives.com"));
    return image;
}

// The sixteen colours of the classic desktop palette, so the icon stays a 16-colour icon.
QVector<QRgb> sixteenColours()
{
    return { qRgb(0, 0, 0), qRgb(128, 0, 0), qRgb(0, 128, 0), qRgb(128, 128, 0), qRgb(0, 0, 128),
        qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192), qRgb(128, 128, 128),
        qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(255, 255, 0), qRgb(0, 0, 255), qRgb(255, 0, 255),
        qRgb(0, 255, 255), qRgb(255, 255, 255) };
}

// A small chart: green face, white zero line, a yellow transient that overshoots and settles.
// src/ui/resources/velmora_icon.svg is the same drawing for the larger sizes; change both.
QImage icon(int size)
{
    QImage image(size, size, QImage::Format_RGB32);
    image.fill(QColor(0, 0, 0));
    QPainter painter(&image);
    const qreal s = size / 32.0;
    painter.fillRect(QRectF(1 * s, 1 * s, 30 * s, 30 * s), QColor(0, 128, 0));
    painter.setPen(QPen(Qt::white, 1));
    painter.drawLine(QPointF(3 * s, 3 * s), QPointF(3 * s, 29 * s));
    painter.drawLine(QPointF(3 * s, 16 * s), QPointF(29 * s, 16 * s));
    painter.setPen(QPen(QColor(255, 255, 0), size >= 32 ? 2 : 1));
    const QPointF curve[] = { { 3, 16 }, { 7, 16 }, { 9, 4 }, { 12, 26 }, { 15, 9 }, { 18, 20 },
        { 21, 14 }, { 24, 17 }, { 29, 16 } };
    for (size_t i = 1; i < std::size(curve); ++i)
        painter.drawLine(curve[i - 1] * s, curve[i] * s);
    painter.end();
    return image.convertToFormat(QImage::Format_Indexed8, sixteenColours(), Qt::ThresholdDither);
}

bool save(
    const QImage &image, const QDir &dir, const QString &name, const char *format, int quality = -1)
{
    const QString path = dir.filePath(name);
    if (image.save(path, format, quality))
        return true;
    std::fprintf(stderr, "velmora-chart-art: cannot write %s\n", qPrintable(path));
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: velmora-chart-art OUTDIR\n");
        return 2;
    }
    const QDir dir(args.at(1));
    if (!dir.exists() && !QDir().mkpath(dir.path())) {
        std::fprintf(stderr, "velmora-chart-art: cannot create %s\n", qPrintable(dir.path()));
        return 1;
    }
    const bool ok = save(chart(), dir, QStringLiteral("rajz_background.jpg"), "JPG", 92)
        && save(icon(32), dir, QStringLiteral("velmora_icon_32.png"), "PNG")
        && save(icon(16), dir, QStringLiteral("velmora_icon_16.png"), "PNG");
    return ok ? 0 : 1;
}
