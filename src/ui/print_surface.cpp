// Persistent text output on the main window's surface.
#include "ui/print_surface.h"

#include <QFontMetrics>
#include <QPainter>

PrintSurface::PrintSurface(QWidget *parent)
    : QWidget(parent)
{
}

void PrintSurface::Print(const QString &text)
{
    const QFontMetrics metrics(font());
    m_printed.append({ m_position, text });
    update(QRect(m_position, QSize(metrics.horizontalAdvance(text), metrics.height())));
    m_position = QPoint(0, m_position.y() + metrics.height());
}

void PrintSurface::paintEvent(QPaintEvent *)
{
    if (m_printed.isEmpty())
        return;
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    const int ascent = QFontMetrics(font()).ascent();
    for (const PrintedText &line : m_printed)
        painter.drawText(line.topLeft + QPoint(0, ascent), line.text);
}
