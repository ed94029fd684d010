// The session's reports as event rows.
#include "analysis/session_event_recorder.h"

#include "analysis/figure_table.h"

#include <cstring>

namespace {

QString portText(const CaptureSession &session, int port)
{
    const QString device = session.deviceName(port);
    const QString comm = QStringLiteral("Comm %1").arg(port);
    return device.isEmpty() ? comm : QStringLiteral("%1 (%2)").arg(comm, device);
}

QString countText(qint64 count, const char *one, const char *many)
{
    return QStringLiteral("%1 %2").arg(count).arg(QLatin1String(count == 1 ? one : many));
}

// "trigger 128, peak -167 steps, overshoot 67 steps, settling 245.833 ms": the figures as the
// history shows them.
QString captureEventDetail(const TransientCapture &capture)
{
    static const std::pair<const char *, const char *> kShown[] = {
        { "trigger_index", "trigger" },
        { "peak_steps", "peak" },
        { "overshoot_steps", "overshoot" },
        { "settle_ms", "settling" },
    };
    const TransientFigures figures = transientFigures(capture.samples);
    QStringList fields;
    for (const auto &[key, label] : kShown) {
        for (const FigureColumn &column : figureColumns()) {
            if (std::strcmp(column.key, key) != 0)
                continue;
            const bool none = figureNumberText(column, figures).isEmpty();
            const QString unit = QLatin1String(column.unit);
            fields.append(QLatin1String(label) + QLatin1Char(' ') + figureCellText(column, figures)
                + (none || unit.isEmpty() ? QString() : QLatin1Char(' ') + unit));
        }
    }
    return fields.join(QLatin1String(", "));
}

} // namespace

SessionEventRecorder::SessionEventRecorder(
    const CaptureSession &session, EventLog &log, QObject *parent)
    : QObject(parent)
    , m_session(session)
    , m_log(log)
    , m_clock(stampNow)
{
    m_burstQuiet.setSingleShot(true);
    m_burstQuiet.setInterval(kResyncBurstMs);
    connect(&m_burstQuiet, &QTimer::timeout, this, &SessionEventRecorder::endResyncBurst);

    connect(&session, &CaptureSession::started, this, &SessionEventRecorder::onStarted);
    connect(&session, &CaptureSession::stopped, this, &SessionEventRecorder::onStopped);
    connect(&session, &CaptureSession::startFailed, this,
        [this](CaptureSession::Mode, int errorNumber, const QString &osText) {
            addFailure(QStringLiteral("start-failed"), errorNumber, osText);
        });
    connect(&session, &CaptureSession::deviceFailed, this,
        [this](int errorNumber, const QString &osText) {
            m_linkLostAt = addFailure(QStringLiteral("link-lost"), errorNumber, osText);
        });
    connect(&session, &CaptureSession::linkBack, this, &SessionEventRecorder::onLinkBack);
    connect(&session, &CaptureSession::resynced, this, &SessionEventRecorder::onResynced);
    connect(&session, &CaptureSession::liveSample, this, &SessionEventRecorder::onLiveSample);
    connect(&session, &CaptureSession::transientCaptured, this, &SessionEventRecorder::onCapture);
}

void SessionEventRecorder::add(const QString &event, const QString &detail)
{
    m_log.add({ m_clock(), event, detail });
}

void SessionEventRecorder::onStarted(CaptureSession::Mode mode, int port)
{
    endOverSpinRun();
    endResyncBurst();
    m_bytesPerRead = mode == CaptureSession::Mode::Continuous && m_session.cpuSaver()
        ? qMax(2, int(m_session.MintaSetting()))
        : 2;
    // The run opened again by a reconnect is the link coming back, which its own row says.
    if (m_session.isWaitingForDevice())
        return;
    add(QStringLiteral("start"),
        QStringLiteral("%1, %2").arg(mode == CaptureSession::Mode::Continuous
                ? QStringLiteral("continuous")
                : QStringLiteral("triggered"),
            portText(m_session, port)));
}

void SessionEventRecorder::onStopped()
{
    endOverSpinRun();
    endResyncBurst();
    add(QStringLiteral("stop"), QString());
}

QDateTime SessionEventRecorder::addFailure(
    const QString &event, int errorNumber, const QString &osText)
{
    endOverSpinRun();
    endResyncBurst();
    const QDateTime now = m_clock();
    m_log.add({ now, event,
        osText.isEmpty() ? QString::number(errorNumber)
                         : QStringLiteral("%1 %2").arg(errorNumber).arg(osText) });
    return now;
}

void SessionEventRecorder::onLinkBack()
{
    const QDateTime now = m_clock();
    const QString after = m_linkLostAt.isValid()
        ? QStringLiteral("after %1 s").arg(decimalText(m_linkLostAt.msecsTo(now), 1000, 1))
        : QString();
    m_linkLostAt = QDateTime();
    m_log.add({ now, QStringLiteral("link-back"), after });
}

void SessionEventRecorder::onResynced()
{
    const QDateTime now = m_clock();
    if (m_resyncRow && m_lastResync.msecsTo(now) < kResyncBurstMs) {
        ++m_resyncBytes;
        m_log.setDetail(*m_resyncRow, countText(m_resyncBytes, "byte dropped", "bytes dropped"));
    } else {
        endResyncBurst();
        m_resyncBytes = 1;
        m_resyncRow = m_log.addOpen({ now, QStringLiteral("resync"),
            countText(m_resyncBytes, "byte dropped", "bytes dropped") });
    }
    m_lastResync = now;
    m_burstQuiet.start();
}

void SessionEventRecorder::endResyncBurst()
{
    m_burstQuiet.stop();
    if (m_resyncRow)
        m_log.finish(*m_resyncRow);
    m_resyncRow.reset();
}

void SessionEventRecorder::onLiveSample(const LiveSample &sample)
{
    if (!sample.overSpin()) {
        if (m_overSpinRow)
            endOverSpinRun();
        return;
    }
    if (!m_overSpinRow) {
        m_overSpinSamples = 0;
        m_overSpinRow = m_log.addOpen(
            { m_clock(), QStringLiteral("over-spin"), QStringLiteral("under way") });
    }
    ++m_overSpinSamples;
}

void SessionEventRecorder::endOverSpinRun()
{
    if (!m_overSpinRow)
        return;
    // Each sample shown stands for one read: a pair, or with the CPU saver a whole read of
    // which only the first pair is seen, so the length is then an estimate.
    const QString ms = decimalText(
        m_overSpinSamples * m_bytesPerRead * 1000, 2 * qint64(kTransientSampleRateHz), 1);
    const QString samples = countText(m_overSpinSamples, "sample", "samples");
    m_log.setDetail(*m_overSpinRow,
        m_bytesPerRead == 2
            ? QStringLiteral("%1, %2 ms").arg(samples, ms)
            : QStringLiteral("%1 read, about %2 ms (CPU saver on)").arg(samples, ms));
    m_log.finish(*m_overSpinRow);
    m_overSpinRow.reset();
}

void SessionEventRecorder::onCapture(const TransientCapture &capture)
{
    m_log.add({ capture.capturedAt, QStringLiteral("capture"), captureEventDetail(capture) });
}
