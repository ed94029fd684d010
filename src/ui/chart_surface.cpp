// The chart's persistent image and its line drawing.
#include "ui/chart_surface.h"

#include "ui/back_color.h"

#include <QPainter>
#include <QPen>

ChartSurface::ChartSurface(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setPicture(QImage(QStringLiteral(":/ui/rajz_background.jpg")));
}

QSize ChartSurface::sizeHint() const
{
    return QSize(kWidth + 2 * kBorder, kHeight + 2 * kBorder);
}

void ChartSurface::Cls()
{
    m_image = m_picture;
    m_current = QPoint(0, 0);
    update();
}

void ChartSurface::setDrawWidth(int width)
{
    m_drawWidth = qMax(1, width);
}

void ChartSurface::Line(QPoint from, QPoint to, quint32 colorBgr)
{
    if (from != to) {
        QPainter painter(&m_image);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(
            QPen(colorFromBgr(colorBgr), m_drawWidth, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        painter.drawLine(from, to);
        update();
    }
    m_current = to;
}

void ChartSurface::LineTo(QPoint to, quint32 colorBgr)
{
    Line(m_current, to, colorBgr);
}

void ChartSurface::setPicture(const QImage &picture)
{
    QImage area(kWidth, kHeight, QImage::Format_RGB32);
    area.fill(palette().color(QPalette::Window));
    if (!picture.isNull()) {
        QPainter painter(&area);
        painter.drawImage(QPoint(0, 0), picture);
    }
    m_picture = area;
    m_image = area;
    update();
}

void ChartSurface::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    painter.drawImage(QPoint(kBorder, kBorder), m_image);
}
