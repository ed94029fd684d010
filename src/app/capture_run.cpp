// A headless capture run.
#include "app/capture_run.h"

#include "analysis/session_event_recorder.h"
#include "capture/capture_session.h"
#include "files/event_csv_log.h"
#include "files/transient_csv.h"
#include "files/transient_recorder.h"
#include "serial/port_map.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>

#include <limits>

namespace {

constexpr int kFlushEveryMs = 1000;

QByteArray jsonString(const QString &text)
{
    const QByteArray array = QJsonDocument(QJsonArray { text }).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

// The history file's texts as JSON values: an empty field is null, a number stays as written
// (so "25.0" keeps the rounding of the files), and the time and file name are strings.
QByteArray jsonLine(const QList<std::pair<QString, QString>> &fields)
{
    static const QRegularExpression number(QStringLiteral("^-?(0|[1-9][0-9]*)(\\.[0-9]+)?$"));
    QByteArrayList members;
    for (const auto &[key, text] : fields) {
        QByteArray value;
        if (text.isEmpty())
            value = "null";
        else if (key != QLatin1String("captured_at") && key != QLatin1String("file")
            && key != QLatin1String("note") && number.match(text).hasMatch())
            value = text.toLatin1();
        else
            value = jsonString(text);
        members.append(jsonString(key) + ':' + value);
    }
    return '{' + members.join(',') + '}';
}

int milliseconds(double seconds)
{
    return int(qMin(seconds * 1000, double(std::numeric_limits<int>::max())));
}

} // namespace

CaptureRun::CaptureRun(const CaptureOptions &options, const PortMap &ports, QObject *parent)
    : QObject(parent)
    , m_options(options)
    , m_ports(ports)
{
    m_timeout.setSingleShot(true);
    m_timeout.setTimerType(Qt::PreciseTimer);
    connect(&m_timeout, &QTimer::timeout, this, &CaptureRun::onTimeout);
    connect(&m_flush, &QTimer::timeout, this, &CaptureRun::flushLog);
}

CaptureRun::~CaptureRun() = default;

QString CaptureRun::portText() const
{
    return QStringLiteral("Comm %1 (%2)").arg(m_options.port).arg(m_ports.device(m_options.port));
}

void CaptureRun::start()
{
    const QString folderProblem = checkWritableFolder(m_options.outDir);
    if (!folderProblem.isEmpty()) {
        Q_EMIT diagnostic(folderProblem);
        finish(WriteFailed);
        return;
    }
    m_session = std::make_unique<CaptureSession>(m_ports.factory());
    m_session->setDeviceNamer([this](int port) { return m_ports.device(port); });
    connect(m_session.get(), &CaptureSession::startFailed, this,
        [this](CaptureSession::Mode, int errorNumber, const QString &osText) {
            onStartFailed(errorNumber, osText);
        });
    connect(m_session.get(), &CaptureSession::deviceFailed, this, &CaptureRun::onDeviceFailed);
    m_events = std::make_unique<EventLog>();
    m_eventRecorder = std::make_unique<SessionEventRecorder>(*m_session, *m_events);
    auto *eventFile = new EventCsvLog(EventCsvLog::pathIn(m_options.outDir), this);
    eventFile->listen(*m_events);
    connect(eventFile, &EventCsvLog::writeFailed, this, [this](const QString &message) {
        m_eventsFailed = true;
        Q_EMIT diagnostic(message);
    });
    // The CPU saver off: every live sample is read and shown on its own.
    m_session->setStoredMinta(2);
    m_session->initSerialLink();
    if (m_options.continuous())
        startContinuous();
    else
        startTransients();
}

void CaptureRun::startTransients()
{
    m_recorder = new TransientRecorder(m_options.outDir, this);
    connect(m_recorder, &TransientRecorder::writeFailed, this, [this](const QString &message) {
        m_writeFailed = true;
        Q_EMIT diagnostic(message);
    });
    connect(m_recorder, &TransientRecorder::recorded, this, &CaptureRun::onRecorded);
    connect(m_session.get(), &CaptureSession::transientCaptured, this, &CaptureRun::onTransient);
    // As the monitor's triggered Start straight after start-up, with its 4100-byte buffer.
    m_session->startTriggered(quint8(m_options.port));
    if (m_finishing)
        return;
    Q_EMIT diagnostic(QStringLiteral("%1 open, waiting for %2 transient%3")
                          .arg(portText())
                          .arg(m_options.count)
                          .arg(m_options.count == 1 ? QString() : QStringLiteral("s")));
    if (m_options.timeoutSeconds > 0)
        m_timeout.start(milliseconds(m_options.timeoutSeconds));
}

void CaptureRun::startContinuous()
{
    m_session->selectContinuous();
    connect(m_session.get(), &CaptureSession::liveSample, this, [this](const LiveSample &sample) {
        if (!m_finishing)
            m_log.append(sample);
    });
    m_openedAt = QDateTime::currentDateTime();
    m_session->startContinuous(quint8(m_options.port));
    if (m_finishing)
        return;
    const QDir dir(m_options.outDir);
    QString error;
    m_logName = createUniqueFile(dir, LiveStreamLog::fileName(m_openedAt), &error);
    if (error.isEmpty())
        error = m_log.open(
            dir.filePath(m_logName), m_openedAt, m_options.port, m_ports.device(m_options.port));
    if (!error.isEmpty()) {
        Q_EMIT diagnostic(error);
        finish(WriteFailed);
        return;
    }
    Q_EMIT diagnostic(QStringLiteral("%1 open, logging the live stream for %2 s")
                          .arg(portText())
                          .arg(m_options.continuousSeconds));
    m_timeout.start(milliseconds(m_options.continuousSeconds));
    m_flush.start(kFlushEveryMs);
}

void CaptureRun::onTransient(const TransientCapture &capture)
{
    if (m_finishing)
        return;
    TransientCapture noted = capture;
    noted.note = m_options.note;
    m_recorder->record(noted);
}

void CaptureRun::onRecorded(const TransientCapture &capture, const QString &fileName)
{
    Q_EMIT output(jsonLine(transientHistoryFields(capture, fileName)));
    ++m_captured;
    if (m_writeFailed)
        finish(WriteFailed);
    else if (m_captured >= m_options.count)
        finish(Captured);
    else if (m_options.timeoutSeconds > 0)
        m_timeout.start(milliseconds(m_options.timeoutSeconds));
}

void CaptureRun::onStartFailed(int errorNumber, const QString &osText)
{
    const QString remedy = SerialError::remedy(errorNumber);
    Q_EMIT diagnostic(
        QStringLiteral("%1: %2 (error %3)%4")
            .arg(portText(), osText.isEmpty() ? QStringLiteral("no usable device") : osText)
            .arg(errorNumber)
            .arg(remedy.isEmpty() ? QString() : QStringLiteral("; ") + remedy));
    finish(PortFailed);
}

void CaptureRun::onDeviceFailed(int errorNumber, const QString &osText)
{
    Q_EMIT diagnostic(
        QStringLiteral("%1 failed: %2 (error %3)").arg(portText(), osText).arg(errorNumber));
    finish(PortFailed);
}

void CaptureRun::onTimeout()
{
    if (m_options.continuous()) {
        if (m_log.sampleCount() > 0) {
            finish(Captured);
            return;
        }
        Q_EMIT diagnostic(QStringLiteral("%1: no sample came in %2 s")
                              .arg(portText())
                              .arg(m_options.continuousSeconds));
        finish(TimedOut);
        return;
    }
    Q_EMIT diagnostic(QStringLiteral("%1: no transient came within %2 s; %3 of %4 captured")
                          .arg(portText())
                          .arg(m_options.timeoutSeconds)
                          .arg(m_captured)
                          .arg(m_options.count));
    finish(TimedOut);
}

void CaptureRun::interrupt()
{
    if (m_finishing)
        return;
    Q_EMIT diagnostic(m_options.continuous()
            ? QStringLiteral("stopped early; %1 samples logged").arg(m_log.sampleCount())
            : QStringLiteral("stopped; %1 of %2 captured").arg(m_captured).arg(m_options.count));
    finish(TimedOut);
}

void CaptureRun::flushLog()
{
    // The error is said once, as the log is closed.
    if (!m_log.flush().isEmpty())
        finish(WriteFailed);
}

void CaptureRun::finish(int exitStatus)
{
    if (m_finishing)
        return;
    m_finishing = true;
    m_timeout.stop();
    m_flush.stop();
    // Not at once: a capture is reported from inside the session's overflow handling, which
    // reopens the port after its listeners have run.
    QTimer::singleShot(0, this, [this, exitStatus] { stopAndReport(exitStatus); });
}

void CaptureRun::stopAndReport(int exitStatus)
{
    if (m_session) {
        if (m_options.continuous())
            m_session->stopContinuous();
        else
            m_session->stopTriggered();
    }
    if (m_log.isOpen()) {
        const QString error = m_log.close();
        if (!error.isEmpty()) {
            Q_EMIT diagnostic(error);
            if (exitStatus != PortFailed)
                exitStatus = WriteFailed;
        }
        const QList<std::pair<QString, QString>> summary {
            { QStringLiteral("captured_at"), transientTimeText(m_openedAt) },
            { QStringLiteral("file"), m_logName },
            { QStringLiteral("samples"), QString::number(m_log.sampleCount()) },
            { QStringLiteral("over_spin_samples"), QString::number(m_log.overSpinCount()) },
        };
        Q_EMIT output(jsonLine(summary));
    }
    if (m_eventsFailed && exitStatus == Captured)
        exitStatus = WriteFailed;
    Q_EMIT finished(exitStatus);
}
