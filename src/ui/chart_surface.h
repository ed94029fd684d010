// The chart Rajz: a 600 x 510 drawing area inside a one-pixel border. Lines drawn on it stay in
// its image until it is cleared; clearing brings back the background picture, which is the chart
// artwork until another picture is loaded.
//
// Drawing only schedules a repaint, so a redraw of hundreds of lines costs one paint.
#pragma once

#include <QImage>
#include <QPoint>
#include <QWidget>

class ChartSurface : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kWidth = 600;
    static constexpr int kHeight = 510;
    static constexpr int kBorder = 1;

    explicit ChartSurface(QWidget *parent = nullptr);

    // image := background picture, current point := (0, 0).
    void Cls();

    int DrawWidth() const { return m_drawWidth; }
    void setDrawWidth(int width);

    // Lines in a 0x00BBGGRR colour, clipped to the area; each one's end becomes the current
    // point. A line of zero length draws nothing and only moves the current point.
    void Line(QPoint from, QPoint to, quint32 colorBgr);
    void LineTo(QPoint to, quint32 colorBgr);
    QPoint currentPoint() const { return m_current; }

    // The persistent image: background picture plus the lines drawn since the last clearing.
    const QImage &image() const { return m_image; }

    // A new background picture, placed at the top-left corner and cut to the area; any part of
    // the area it does not cover shows the window background. It replaces the image at once,
    // like a clearing that keeps the current point.
    void setPicture(const QImage &picture);
    const QImage &picture() const { return m_picture; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_picture;
    QImage m_image;
    QPoint m_current;
    int m_drawWidth = 1;
};
