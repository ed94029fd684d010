// Writing the live stream log.
#include "files/live_stream_log.h"

#include "analysis/figure_number.h"
#include "files/transient_csv.h"

namespace {

// About a second of the stream at full rate; written out before it grows further.
constexpr qsizetype kPendingBytes = 128 * 1024;

} // namespace

QString LiveStreamLog::fileName(const QDateTime &openedAt)
{
    return openedAt.toOffsetFromUtc(openedAt.offsetFromUtc())
        .toString(QStringLiteral("'live-'yyyyMMdd-HHmmss-zzz'.csv'"));
}

QByteArray LiveStreamLog::header(
    const QDateTime &capturedAt, int port, const QString &device, QString *problem)
{
    for (QChar c : device) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f) {
            *problem = QStringLiteral("the device name holds a control character");
            return QByteArray();
        }
    }
    return QStringLiteral("# Velmora Servo Monitor live stream\n"
                          "# captured_at,%1\n"
                          "# port,Comm %2,%3\n"
                          "# sample_rate_hz,%4\n"
                          "# trigger_index,\n"
                          "index,time_ms,deviation_steps,over_spin\n")
        .arg(transientTimeText(capturedAt))
        .arg(port)
        .arg(device)
        .arg(kTransientSampleRateHz)
        .toUtf8();
}

void LiveStreamLog::appendRow(QByteArray &to, qint64 index, const SampleValue &value)
{
    to += QByteArray::number(index) + ',';
    to += decimalText(index * 1000, kTransientSampleRateHz, 3).toLatin1() + ',';
    if (value.isValid())
        to += QByteArray::number(value.deviation);
    to += value.isOverSpin() ? ",1\n" : ",0\n";
}

QString LiveStreamLog::open(
    const QString &path, const QDateTime &openedAt, int port, const QString &device)
{
    QString problem;
    const QByteArray head = header(openedAt, port, device, &problem);
    if (!problem.isEmpty())
        return QStringLiteral("%1: %2").arg(path, problem);
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return QStringLiteral("%1: %2").arg(path, m_file.errorString());
    m_samples = 0;
    m_overSpins = 0;
    m_error.clear();
    m_pending = head;
    return flush();
}

void LiveStreamLog::append(const LiveSample &sample)
{
    appendRow(m_pending, m_samples, sample.value);
    if (sample.overSpin())
        ++m_overSpins;
    ++m_samples;
    if (m_pending.size() >= kPendingBytes)
        flush();
}

QString LiveStreamLog::flush()
{
    // After a failed write the file is left as it is: rows after a gap would read as one stream.
    if (!m_file.isOpen() || !m_error.isEmpty()) {
        m_pending.clear();
        return m_error;
    }
    const qint64 written = m_file.write(m_pending);
    if (written != m_pending.size() || !m_file.flush())
        m_error = QStringLiteral("%1: %2").arg(m_file.fileName(), m_file.errorString());
    m_pending.clear();
    return m_error;
}

QString LiveStreamLog::close()
{
    const QString error = flush();
    m_file.close();
    return error;
}
