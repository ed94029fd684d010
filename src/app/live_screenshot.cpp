// The live chart's screenshot.
#include "app/live_screenshot.h"

#include "ui/folap.h"
#include "ui/live_chart.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QTimer>

namespace {

// Long enough for the 2 s span to fill and the statistics to settle.
constexpr int kRunMs = 5000;
// Long enough for the cursor panel's layout.
constexpr int kSettleMs = 300;

} // namespace

void shootLiveChart(
    Folap &window, const QString &file, std::function<void(const QString &)> complain)
{
    QTimer::singleShot(kRunMs, &window, [&window, file, complain] {
        LiveChart *chart = window.liveChart();
        if (!chart) {
            complain(QStringLiteral("the live chart is not open"));
            QCoreApplication::exit(1);
            return;
        }
        if (auto *cursors = chart->findChild<QCheckBox *>(QStringLiteral("liveCursors")))
            cursors->setChecked(true);
        QTimer::singleShot(kSettleMs, chart, [chart, file, complain] {
            const bool saved = chart->grab().save(file, "PNG");
            if (!saved)
                complain(QStringLiteral("cannot write %1").arg(file));
            QCoreApplication::exit(saved ? 0 : 1);
        });
    });
}
