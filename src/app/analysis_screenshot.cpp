// The analysis window's screenshot.
#include "app/analysis_screenshot.h"

#include "ui/folap.h"
#include "ui/history_table_model.h"
#include "ui/transient_analysis.h"

#include <QCoreApplication>
#include <QTimer>

namespace {

constexpr int kWaitMs = 60000;
// Long enough for the chart's deferred layout after the last change.
constexpr int kSettleMs = 300;
// Where B goes when the capture rings less than a period.
constexpr double kCursorSpanMs = 10;

} // namespace

void shootTransientAnalysis(
    Folap &window, QList<AnalysisOutput> outputs, std::function<void(const QString &)> complain)
{
    window.Analysis_Click();
    TransientAnalysis *analysis = window.transientAnalysis();
    HistoryTableModel &history = window.transientHistory();
    QObject::connect(&history, &HistoryTableModel::captureAdded, analysis,
        [analysis, &history, outputs, complain] {
            if (history.count() == 1) {
                analysis->setAsReference();
                return;
            }
            if (history.count() != 2)
                return;
            // One period of the ringing, from its first extreme to the next of the same sign;
            // from the peak on when it rings less.
            const TransientFigures &f = history.at(0).figures;
            if (f.extremes.size() > 2) {
                analysis->placeCursors(
                    f.timeMs(f.extremes.at(0).index), f.timeMs(f.extremes.at(2).index));
            } else {
                const double a = f.peak ? f.timeMs(f.peak->index) : 0;
                analysis->placeCursors(a, a + kCursorSpanMs);
            }
            QTimer::singleShot(kSettleMs, analysis, [analysis, outputs, complain] {
                int status = 0;
                for (const AnalysisOutput &output : outputs) {
                    const QString problem = output(*analysis);
                    if (!problem.isEmpty()) {
                        complain(problem);
                        status = 1;
                    }
                }
                QCoreApplication::exit(status);
            });
        });
    QTimer::singleShot(kWaitMs, analysis, [complain] {
        complain(QStringLiteral("fewer than two transients were captured within a minute"));
        QCoreApplication::exit(1);
    });
}
