// A stretch of the live chart's history as a file of the live stream's format (see
// live_stream_log.h): its header, with captured_at the time of the first sample written, then a
// row for every sample from index 0, a missing one with an empty deviation and over_spin 0, so
// the rows keep the stream's time through a gap.
#pragma once

#include "analysis/sample_series.h"

#include <QDateTime>
#include <QString>

struct LiveStreamStretch
{
    const SampleSeries *series = nullptr;
    qint64 from = 0; // the first sample written
    qint64 to = 0; // one past the last
    QDateTime firstSampleAt;
    int port = 0;
    QString device;
};

// Written through a temporary file that replaces path only when complete. Returns the error,
// naming the file; empty on success.
QString writeLiveStreamCsv(const QString &path, const LiveStreamStretch &stretch);
