// This run's captures, newest first.
#include "analysis/transient_history.h"

#include "capture/capture_session.h"

#include <QDateTime>

TransientHistory::TransientHistory(QObject *parent)
    : QAbstractTableModel(parent)
{
}

void TransientHistory::follow(const CaptureSession &session, std::function<QString(int)> deviceOf)
{
    connect(&session, &CaptureSession::transientCaptured, this,
        [this, &session, deviceOf = std::move(deviceOf)] {
            add(transientCaptureOf(session, deviceOf(session.PortNumber())));
        });
}

void TransientHistory::add(const TransientCapture &capture)
{
    if (m_entries.size() >= kMaxCaptures) {
        beginRemoveRows(QModelIndex(), kMaxCaptures - 1, int(m_entries.size()) - 1);
        m_entries.resize(kMaxCaptures - 1);
        endRemoveRows();
    }
    beginInsertRows(QModelIndex(), 0, 0);
    Entry entry { capture, transientFigures(capture.samples), {} };
    entry.numbers = transientFigureNumbers(entry.figures);
    m_entries.prepend(std::move(entry));
    endInsertRows();
    Q_EMIT captureAdded();
}

int TransientHistory::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

int TransientHistory::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TransientHistory::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= count())
        return QVariant();
    const Entry &entry = m_entries.at(index.row());
    if (role == Qt::TextAlignmentRole)
        return index.column() <= PortColumn ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                                            : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    if (role == Qt::ToolTipRole)
        return transientCaptureLabel(entry.capture);
    if (role != Qt::DisplayRole)
        return QVariant();

    const TransientFigureNumbers &n = entry.numbers;
    QString text;
    switch (Column(index.column())) {
    case TimeColumn:
        return entry.capture.capturedAt.toString(QStringLiteral("HH:mm:ss.zzz"));
    case PortColumn:
        return QStringLiteral("Comm %1").arg(entry.capture.port);
    case PeakColumn:
        text = n.peakSteps;
        break;
    case PeakTimeColumn:
        text = n.peakMs;
        break;
    case OvershootColumn:
        text = n.overshootSteps;
        break;
    case OvershootPercentColumn:
        text = n.overshootPercent;
        break;
    case SettleColumn:
        if (entry.figures.settling == Settling::NotSettled)
            return QStringLiteral("not settled");
        text = n.settleMs;
        break;
    case RingColumn:
        text = n.ringHz;
        break;
    case DampingColumn:
        text = n.damping;
        break;
    case MeanColumn:
        text = n.meanSteps;
        break;
    case RmsColumn:
        text = n.rmsSteps;
        break;
    case OverSpinColumn:
        text = n.overSpinSamples;
        break;
    case ColumnCount:
        break;
    }
    return text.isEmpty() ? noFigureText() : text;
}

QVariant TransientHistory::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char *const kHeaders[ColumnCount] = { "Time", "Port", "Peak\n(steps)",
        "Peak\n(ms)", "Overshoot\n(steps)", "Overshoot\n(%)", "Settling\n(ms)", "Ringing\n(Hz)",
        "Damping\n\xce\xb6", "Mean\n(steps)", "RMS\n(steps)", "Over-spin\nsamples" };
    if (section < 0 || section >= ColumnCount)
        return QVariant();
    return QString::fromUtf8(kHeaders[section]);
}

TransientCapture transientCaptureOf(const CaptureSession &session, const QString &device)
{
    const QDateTime now = QDateTime::currentDateTime();
    TransientCapture capture;
    capture.capturedAt = now.toOffsetFromUtc(now.offsetFromUtc());
    capture.port = session.PortNumber();
    capture.device = device;
    capture.samples = transientSamples(session.captureBuffer().data() + 1, kTransientCaptureBytes);
    return capture;
}

QString transientCaptureLabel(const TransientCapture &capture)
{
    QString label = capture.capturedAt.toString(QStringLiteral("HH:mm:ss.zzz"))
        + QStringLiteral(", Comm ") + QString::number(capture.port);
    if (!capture.device.isEmpty())
        label += QStringLiteral(" (") + capture.device + QLatin1Char(')');
    return label;
}
