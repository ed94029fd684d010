// The live chart window.
#include "ui/live_chart.h"

#include "analysis/figure_number.h"
#include "capture/capture_session.h"
#include "core/app_title.h"
#include "core/stored_settings.h"
#include "core/user_prompts.h"
#include "files/live_stream_export.h"
#include "files/live_stream_log.h"
#include "ui/event_log_model.h"
#include "ui/form_design.h"
#include "ui/frame_clock.h"
#include "ui/plot/plot_widget.h"
#include "ui_live_chart.h"

#include <QDateTime>
#include <QFileInfo>
#include <QHeaderView>
#include <QShortcut>
#include <QSignalBlocker>

#include <algorithm>
#include <cmath>

namespace {

const QColor kStreamColor(0x1f, 0x4e, 0x9c);
// Held samples wait for the clock's word at most this long between frames.
constexpr int kSettleMs = 250;
// The plot on every third frame of the 25 a second, and only once the newest sample has moved a
// few pixels on (at 60 s, four times a second); the figures at most five times a second, on the
// plot's frames. A frame of the plot costs about a millisecond, and the window must stay cheap
// at line rate.
constexpr qint64 kPlotEveryNs = 3 * FrameClock::kFrameMilliseconds * 1'000'000ll;
constexpr double kPlotStepPixels = 3;
constexpr qint64 kFiguresEveryNs = 200'000'000;
// The scroll bar moves in tenths of the span. As the history grows its thumb creeps: once a
// second is enough for that, and its style draws it at some cost.
constexpr int kScrollStepsPerSpan = 10;
constexpr qint64 kScrollEveryNs = 1'000'000'000;

QString spanText(int ms)
{
    return ms < 1000 ? QStringLiteral("%1 s").arg(ms / 1000.0)
                     : QStringLiteral("%1 s").arg(ms / 1000);
}

} // namespace

LiveChart::LiveChart(CaptureSession &session, const EventLog &events, UserPrompts &prompts,
    int spanMs, int historyMinutes, FrameClock *frames, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_ui(std::make_unique<Ui::LiveChart>())
    , m_session(session)
    , m_prompts(prompts)
    , m_history(historyMinutes, QDateTime::currentMSecsSinceEpoch())
    , m_view(spanMs)
    , m_throttle([this] { refresh(); })
{
    m_clock.start();
    m_ui->setupUi(this);
    setWindowTitle(QStringLiteral("Live chart - ") + QLatin1String(kApplicationTitle));
    FormDesign::setIcon(this, QStringLiteral(":/ui/velmora_icon_16.png"),
        QStringLiteral(":/ui/velmora_icon_32.png"));
    m_throttle.setClock(frames);

    for (const int ms : StoredSettings::kLiveSpansMs)
        m_ui->liveSpan->addItem(spanText(ms), ms);
    const int stored = m_ui->liveSpan->findData(spanMs);
    m_ui->liveSpan->setCurrentIndex(
        stored >= 0 ? stored : m_ui->liveSpan->findData(StoredSettings::kDefaultLiveSpanMs));
    m_view.setSpanMs(m_ui->liveSpan->currentData().toInt());

    PlotWidget *plot = m_ui->livePlot;
    plot->setTimeTitle(QStringLiteral("time since the chart started"));
    plot->setLeftDragZooms(false);
    plot->addSeries({ &m_history.series(), 0, kStreamColor, Qt::SolidLine, 1.5,
        QStringLiteral("following error") });
    PlotWidget::markCursorCaption(m_ui->liveCursorACaption, PlotWidget::Cursor::A);
    PlotWidget::markCursorCaption(m_ui->liveCursorBCaption, PlotWidget::Cursor::B);
    for (QDoubleSpinBox *spin : { m_ui->liveCursorASpin, m_ui->liveCursorBSpin })
        spin->setSingleStep(kTransientSamplePeriodMs);
    m_ui->liveSplitter->setStretchFactor(0, 1);
    showEventLog(events);
    m_ui->liveCursorsGroup->hide();
    // Read-outs of a fixed size change without laying the window out again.
    const QFontMetrics metrics(font());
    for (QLabel *label : findChildren<QLabel *>()) {
        if (!label->objectName().endsWith(QLatin1String("Value")))
            continue;
        const bool wide = label->objectName() == QLatin1String("liveSamplesValue")
            || label->parentWidget() == m_ui->liveCursorsGroup;
        // Opaque, so that a change repaints the label alone and not the panel behind it.
        label->setAutoFillBackground(true);
        label->setFixedSize(metrics.horizontalAdvance(wide ? QStringLiteral("999999999.999 ms / 99")
                                                           : QStringLiteral("-255.00 steps"))
                + 4,
            label->sizeHint().height());
    }

    wireHandlers();
    m_settle.start(kSettleMs);
    refresh(Refresh::Now);
}

LiveChart::~LiveChart() = default;

void LiveChart::showEventLog(const EventLog &events)
{
    QTableView *table = m_ui->eventLog;
    table->setModel(new EventLogModel(events, table));
    // Widths from the font rather than from the rows: measuring thousands of rows on every new
    // one would cost more than the chart.
    const QFontMetrics metrics(table->font());
    QHeaderView *header = table->horizontalHeader();
    header->resizeSection(
        EventLogModel::TimeColumn, metrics.horizontalAdvance(QStringLiteral("00:00:00.000")) + 16);
    header->resizeSection(
        EventLogModel::EventColumn, metrics.horizontalAdvance(QStringLiteral("start-failed")) + 16);
    table->verticalHeader()->setDefaultSectionSize(metrics.height() + 4);
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    // About six rows under the chart at first; the splitter hands out the rest.
    m_ui->liveSplitter->setSizes({ height(), 7 * (metrics.height() + 4) });
}

int LiveChart::spanMs() const
{
    return m_ui->liveSpan->currentData().toInt();
}

void LiveChart::wireHandlers()
{
    connect(&m_session, &CaptureSession::liveSample, this, &LiveChart::onSample);
    connect(&m_settle, &QTimer::timeout, this, [this] { refresh(); });
    connect(m_ui->livePause, &QPushButton::clicked, this, &LiveChart::togglePause);
    auto *space = new QShortcut(QKeySequence(Qt::Key_Space), this);
    connect(space, &QShortcut::activated, this, &LiveChart::togglePause);
    connect(m_ui->liveExportCsv, &QPushButton::clicked, this, &LiveChart::exportCsv);
    connect(m_ui->liveCursors, &QCheckBox::toggled, this, &LiveChart::setCursorsShown);
    connect(m_ui->liveSpan, &QComboBox::currentIndexChanged, this, [this] {
        m_view.setSpanMs(spanMs());
        refresh(Refresh::Now);
    });
    connect(m_ui->livePlot, &PlotWidget::viewChangedByUser, this, &LiveChart::viewMovedByUser);
    connect(m_ui->liveScroll, &QScrollBar::valueChanged, this, [this](int step) {
        const double span = m_view.view().span();
        const double ms = step * span / kScrollStepsPerSpan;
        viewMovedByUser(ms, ms + span);
    });

    const auto moveCursor = [this](PlotWidget::Cursor which, double ms) {
        (which == PlotWidget::Cursor::A ? m_cursorA : m_cursorB) = ms;
        updateCursors();
    };
    connect(m_ui->livePlot, &PlotWidget::cursorMoved, this, moveCursor);
    connect(m_ui->liveCursorASpin, &QDoubleSpinBox::valueChanged, this,
        [moveCursor](double ms) { moveCursor(PlotWidget::Cursor::A, ms); });
    connect(m_ui->liveCursorBSpin, &QDoubleSpinBox::valueChanged, this,
        [moveCursor](double ms) { moveCursor(PlotWidget::Cursor::B, ms); });
}

// ---- Recording and refreshing ----

void LiveChart::onSample(const LiveSample &sample)
{
    m_history.add(sample, m_clock.nsecsElapsed());
    if (m_throttle.paintNow())
        queueRefresh();
}

// The samples of one arrival come one by one; the chart shows them once they are all in.
void LiveChart::queueRefresh()
{
    if (m_refreshQueued)
        return;
    m_refreshQueued = true;
    QMetaObject::invokeMethod(
        this, [this] { refresh(); }, Qt::QueuedConnection);
}

void LiveChart::refresh(Refresh kind)
{
    if (kind == Refresh::Frame)
        m_refreshQueued = false;
    const qint64 now = m_clock.nsecsElapsed();
    m_history.settle(now);
    const SampleSeries &series = m_history.series();
    m_view.update(series.begin(), series.end());
    if (!isVisible())
        return;
    const double stepNs
        = m_view.view().span() * 1e6 / std::max(1, m_ui->livePlot->width()) * kPlotStepPixels;
    // The figures and the scroll bar change on the plot's frames only, so the window goes to the
    // screen once for all of them.
    if (kind == Refresh::Frame && now - m_plotShownNs < std::max(double(kPlotEveryNs), stepNs))
        return;
    m_plotShownNs = now;
    showView(kind);
    if (kind == Refresh::Now || now - m_scrollShownNs >= kScrollEveryNs) {
        m_scrollShownNs = now;
        showScroll();
    }
    if (kind == Refresh::Now || now - m_figuresShownNs >= kFiguresEveryNs) {
        m_figuresShownNs = now;
        updateStatistics();
        updateCursors();
        updateStatus();
    }
}

void LiveChart::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    refresh(Refresh::Now);
}

void LiveChart::showView(Refresh kind)
{
    const LiveView::Range full = m_view.full();
    const LiveView::Range view = m_view.view();
    PlotWidget *plot = m_ui->livePlot;
    plot->setFullRange(full.min, full.max);
    // A view that stays (paused, or no new sample) costs no repaint; one that follows the stream
    // moves the picture on; what the user chose is drawn as chosen.
    if (plot->timeMin() != view.min || plot->timeMax() != view.max) {
        if (kind == Refresh::Frame && m_view.isLive())
            plot->followTimeTo(view.min, view.max);
        else
            plot->setTimeRange(view.min, view.max);
    }

    m_ui->livePause->setText(m_view.isLive() ? QStringLiteral("Pause") : QStringLiteral("Live"));
}

void LiveChart::showScroll()
{
    const LiveView::Range full = m_view.full();
    const LiveView::Range view = m_view.view();
    QScrollBar *scroll = m_ui->liveScroll;
    const QSignalBlocker quiet(scroll);
    const double step = view.span() / kScrollStepsPerSpan;
    const int first = int(std::floor(full.min / step));
    scroll->setRange(first, std::max(first, int(std::ceil(full.max / step)) - kScrollStepsPerSpan));
    scroll->setPageStep(kScrollStepsPerSpan);
    scroll->setSingleStep(1);
    scroll->setValue(int(std::lround(view.min / step)));
}

void LiveChart::updateStatistics()
{
    const auto [from, to] = m_view.samples();
    const RangeTexts t = rangeTexts(m_history.series().stats(from, to));
    m_ui->liveMeanValue->setText(t.mean);
    m_ui->liveRmsValue->setText(t.rms);
    m_ui->liveMinValue->setText(t.min);
    m_ui->liveMaxValue->setText(t.max);
    m_ui->livePeakToPeakValue->setText(t.peakToPeak);
    m_ui->liveOverSpinValue->setText(t.overSpin);
    m_ui->liveSamplesValue->setText(t.samples);
    m_ui->liveExportCsv->setEnabled(from < to);
}

void LiveChart::updateStatus()
{
    QString text;
    if (m_session.isTriggered()) {
        text = QStringLiteral("The live chart follows continuous mode: select Continuous in the "
                              "main window and press its Start.");
    } else if (m_session.cpuSaver()) {
        text = QStringLiteral("CPU saver on: the chart shows the one sample read from each block "
                              "of 31 bytes, about 186 a second, each at its place in the stream; "
                              "the samples between are missing. Uncheck CPU Saver Mode to see "
                              "them all.");
    } else {
        text = QStringLiteral("Every sample of the stream, 5 760 a second.");
    }
    text += QStringLiteral(" The last %1 minutes are kept.").arg(m_history.minutes());
    if (!m_view.isLive())
        text += QStringLiteral(" Paused: recording goes on; Live returns to the newest sample.");
    m_ui->liveStatus->setText(text);
}

// ---- Pause, scrolling and the span ----

void LiveChart::togglePause()
{
    if (m_view.isLive())
        m_view.pause();
    else
        m_view.goLive();
    refresh(Refresh::Now);
}

void LiveChart::viewMovedByUser(double minMs, double maxMs)
{
    m_view.moveTo({ minMs, maxMs });
    refresh(Refresh::Now);
}

// ---- Cursors ----

void LiveChart::setCursorsShown(bool shown)
{
    m_ui->liveCursorsGroup->setVisible(shown);
    for (const PlotWidget::Cursor cursor : { PlotWidget::Cursor::A, PlotWidget::Cursor::B })
        m_ui->livePlot->setCursorVisible(cursor, shown);
    if (!shown) {
        m_cursorStatistics.reset();
        return;
    }
    // A third and two thirds into the view, where they can be seen.
    const LiveView::Range view = m_view.view();
    m_cursorA = view.min + view.span() / 3;
    m_cursorB = view.min + 2 * view.span() / 3;
    updateCursors();
}

void LiveChart::updateCursors()
{
    if (!m_ui->liveCursors->isChecked())
        return;
    const SampleSeries &series = m_history.series();
    m_cursorStatistics.reset();
    if (!series.isEmpty()) {
        m_cursorStatistics = cursorStatistics(series, 0, m_cursorA, m_cursorB);
        // Snapped to their samples, so what the lines and the boxes say is what was measured.
        m_cursorA = m_cursorStatistics->tAms;
        m_cursorB = m_cursorStatistics->tBms;
    }
    m_ui->livePlot->setCursorTime(PlotWidget::Cursor::A, m_cursorA);
    m_ui->livePlot->setCursorTime(PlotWidget::Cursor::B, m_cursorB);
    const LiveView::Range full = m_view.full();
    for (const auto &[spin, ms] : { std::pair { m_ui->liveCursorASpin, m_cursorA },
             std::pair { m_ui->liveCursorBSpin, m_cursorB } }) {
        const QSignalBlocker quiet(spin);
        spin->setRange(std::min(full.min, ms), std::max(full.max, ms));
        spin->setValue(ms);
    }
    const CursorTexts texts = m_cursorStatistics ? cursorTexts(*m_cursorStatistics) : CursorTexts();
    const std::pair<QLabel *, const QString *> values[] = {
        { m_ui->liveTAValue, &texts.tA },
        { m_ui->liveTBValue, &texts.tB },
        { m_ui->liveDeltaTValue, &texts.deltaT },
        { m_ui->liveInverseDeltaTValue, &texts.inverseDeltaT },
        { m_ui->liveEAValue, &texts.eA },
        { m_ui->liveEBValue, &texts.eB },
        { m_ui->liveDeltaEValue, &texts.deltaE },
        { m_ui->liveCursorMinValue, &texts.min },
        { m_ui->liveCursorMaxValue, &texts.max },
        { m_ui->liveCursorMeanValue, &texts.mean },
        { m_ui->liveCursorRmsValue, &texts.rms },
    };
    for (const auto &[label, text] : values)
        label->setText(text->isEmpty() ? noFigureText() : *text);
}

// ---- Export ----

void LiveChart::exportCsv()
{
    auto [from, to] = m_view.samples();
    if (m_ui->liveCursors->isChecked() && m_cursorStatistics) {
        from = std::min(m_cursorStatistics->indexA, m_cursorStatistics->indexB);
        to = std::max(m_cursorStatistics->indexA, m_cursorStatistics->indexB) + 1;
    }
    const QString nothing = QStringLiteral("Nothing to export: no samples are kept there.");
    if (from >= to) {
        m_prompts.message(this, nothing, UserPrompts::Icon::Information, UserPrompts::Buttons::Ok);
        return;
    }
    const QString path = askSavePath(LiveStreamLog::fileName(m_history.timeOf(from)));
    if (path.isEmpty())
        return;
    // The stream ran on while the dialog was open; what the history dropped meanwhile is gone.
    const SampleSeries &series = m_history.series();
    from = std::max(from, series.begin());
    if (from >= to) {
        m_prompts.message(this, nothing, UserPrompts::Icon::Information, UserPrompts::Buttons::Ok);
        return;
    }
    const int port = m_session.PortNumber();
    const QString error = writeLiveStreamCsv(
        path, { &series, from, to, m_history.timeOf(from), port, m_session.deviceName(port) });
    if (!error.isEmpty())
        m_prompts.message(this, error, UserPrompts::Icon::Critical, UserPrompts::Buttons::Ok);
}

QString LiveChart::askSavePath(const QString &proposed)
{
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Save;
    request.title = QStringLiteral("Export the live stream");
    request.nameFilters
        = { QStringLiteral("Live stream CSV (*.csv)"), QStringLiteral("All files (*)") };
    request.fileName = proposed;
    request.defaultSuffix = QStringLiteral("csv");
    return m_prompts.askExportFileName(this, request);
}
