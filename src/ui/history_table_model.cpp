// The history table.
#include "ui/history_table_model.h"

#include "analysis/figure_table.h"
#include "files/transient_csv.h"

#include <cstring>

namespace {

// The figure columns the table shows, in the table of figures' order.
const QList<const FigureColumn *> &shownColumns()
{
    static const QList<const FigureColumn *> columns = [] {
        QList<const FigureColumn *> shown;
        for (const FigureColumn &column : figureColumns()) {
            if (column.header)
                shown.append(&column);
        }
        return shown;
    }();
    return columns;
}

} // namespace

HistoryTableModel::HistoryTableModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

void HistoryTableModel::add(const TransientCapture &capture)
{
    if (m_history.isFull()) {
        beginRemoveRows(QModelIndex(), count() - 1, count() - 1);
        m_history.dropOldest();
        endRemoveRows();
    }
    beginInsertRows(QModelIndex(), 0, 0);
    m_history.add(capture);
    endInsertRows();
    Q_EMIT captureAdded();
}

int HistoryTableModel::columnOf(const char *key) const
{
    const QList<const FigureColumn *> &columns = shownColumns();
    for (qsizetype i = 0; i < columns.size(); ++i) {
        if (std::strcmp(columns.at(i)->key, key) == 0)
            return FirstFigureColumn + int(i);
    }
    return -1;
}

int HistoryTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

int HistoryTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : FirstFigureColumn + int(shownColumns().size()) + 1;
}

QVariant HistoryTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= count())
        return QVariant();
    const TransientHistory::Entry &entry = at(index.row());
    if (role == Qt::TextAlignmentRole)
        return index.column() < FirstFigureColumn ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                                                  : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    if (role == Qt::ToolTipRole)
        return transientCaptureLabel(entry.capture);
    if (index.column() == noteColumn() && (role == Qt::DisplayRole || role == Qt::EditRole))
        return entry.capture.note;
    if (role != Qt::DisplayRole)
        return QVariant();
    if (index.column() == TimeColumn)
        return entry.capture.capturedAt.toString(QStringLiteral("HH:mm:ss.zzz"));
    if (index.column() == PortColumn)
        return QStringLiteral("Comm %1").arg(entry.capture.port);
    if (index.column() == noteColumn())
        return QVariant();
    return figureCellText(*shownColumns().at(index.column() - FirstFigureColumn), entry.figures);
}

QVariant HistoryTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (section == TimeColumn)
        return QStringLiteral("Time");
    if (section == PortColumn)
        return QStringLiteral("Port");
    if (section == noteColumn())
        return QStringLiteral("Note");
    if (section < FirstFigureColumn || section >= columnCount())
        return QVariant();
    return QString::fromUtf8(shownColumns().at(section - FirstFigureColumn)->header);
}

Qt::ItemFlags HistoryTableModel::flags(const QModelIndex &index) const
{
    const Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    return index.isValid() && index.column() == noteColumn() ? flags | Qt::ItemIsEditable : flags;
}

bool HistoryTableModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || index.row() >= count() || index.column() != noteColumn()
        || role != Qt::EditRole)
        return false;
    m_history.setNote(index.row(), cleanNote(value.toString()));
    Q_EMIT dataChanged(this->index(index.row(), 0), index);
    return true;
}

QString transientCaptureLabel(const TransientCapture &capture)
{
    QString label = capture.capturedAt.toString(QStringLiteral("HH:mm:ss.zzz"))
        + QStringLiteral(", Comm ") + QString::number(capture.port);
    if (!capture.device.isEmpty())
        label += QStringLiteral(" (") + capture.device + QLatin1Char(')');
    if (!capture.note.isEmpty())
        label += QStringLiteral(" \u2014 ") + capture.note.section(QLatin1Char('\n'), 0, 0);
    return label;
}
