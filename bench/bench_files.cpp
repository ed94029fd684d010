// Saving and loading the chart's bitmap: the file work behind one Save and one Load click.
#include "bench_harness.h"

#include "files/transient_bitmap.h"

#include <QPainter>
#include <QTemporaryDir>

#include <cstdio>

namespace {

// A chart-sized picture with a gradient and a curve, so the file is not all one colour.
QImage chartPicture()
{
    QImage chart(600, 510, QImage::Format_RGB32);
    QPainter painter(&chart);
    QLinearGradient gradient(0, 0, 600, 0);
    gradient.setColorAt(0, QColor(0, 128, 0));
    gradient.setColorAt(1, QColor(128, 128, 0));
    painter.fillRect(chart.rect(), gradient);
    painter.setPen(Qt::black);
    for (int x = 1; x < 600; ++x)
        painter.drawLine(x - 1, 255 + (x * 37 % 200) - 100, x, 255 + ((x + 1) * 37 % 200) - 100);
    return chart;
}

} // namespace

VELMORA_BENCHMARK(saveAndLoadTheChartBitmap)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Tranziens.bmp"));
    const QImage chart = chartPicture();
    run.measure([&] {
        QImage loaded;
        if (saveTransientBitmap(chart, path) != kFileOk
            || loadTransientPicture(path, &loaded) != kFileOk)
            std::fprintf(stderr, "saveAndLoadTheChartBitmap: file operation failed\n");
        bench::keep(loaded);
    });
}
