// Writing a stretch of the live history.
#include "files/live_stream_export.h"

#include "files/live_stream_log.h"
#include "files/save_through.h"

#include <QIODevice>

namespace {

// Rows go out in pieces of about this size, so an hour of history never sits in memory as text.
constexpr qsizetype kPieceBytes = 256 * 1024;

SampleValue valueOf(qint16 code)
{
    if (code == SampleSeries::kMissing)
        return {};
    if (code == SampleSeries::kOverSpin)
        return SampleValue::overSpin();
    return SampleValue::valid(code);
}

} // namespace

QString writeLiveStreamCsv(const QString &path, const LiveStreamStretch &stretch)
{
    QString problem;
    const QByteArray header
        = LiveStreamLog::header(stretch.firstSampleAt, stretch.port, stretch.device, &problem);
    if (!problem.isEmpty())
        return QStringLiteral("%1: %2").arg(path, problem);
    return saveThrough(path, [&](QIODevice &device) {
        QByteArray piece = header;
        piece.reserve(kPieceBytes + 64);
        for (qint64 i = stretch.from; i < stretch.to; ++i) {
            LiveStreamLog::appendRow(piece, i - stretch.from, valueOf(stretch.series->at(i)));
            if (piece.size() < kPieceBytes && i + 1 < stretch.to)
                continue;
            if (device.write(piece) != piece.size())
                return device.errorString();
            piece.resize(0);
        }
        if (!piece.isEmpty() && device.write(piece) != piece.size())
            return device.errorString();
        return QString();
    });
}
