// A captured transient: its bytes as samples, the time of each sample, and the one stamped object
// the capture session hands to everything that keeps, records or shows a capture.
#pragma once

#include "capture/sample_codec.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QtGlobal>

// The drive sends a pair every 2 bytes at 11 520 bytes/s.
inline constexpr int kTransientSampleRateHz = 5760;
inline constexpr double kTransientSamplePeriodMs = 1000.0 / kTransientSampleRateHz;
// A capture is 4100 bytes, so it holds at most 2050 pairs.
inline constexpr int kTransientCaptureBytes = 4100;
inline constexpr int kTransientMaxSamples = kTransientCaptureBytes / 2;

struct TransientSample
{
    int index = 0; // position in the capture; runs on through missing samples
    SampleKind kind = SampleKind::Missing;
    int deviation = 0; // steps; 0 unless kind is Valid

    static TransientSample at(int index, const SampleValue &value)
    {
        return { index, value.kind, value.deviation };
    }
    SampleValue value() const { return { kind, deviation }; }
    bool isValid() const { return kind == SampleKind::Valid; }
    friend bool operator==(const TransientSample &a, const TransientSample &b)
    {
        return a.index == b.index && a.kind == b.kind && a.deviation == b.deviation;
    }
    friend bool operator!=(const TransientSample &a, const TransientSample &b) { return !(a == b); }
};

// One capture with where and when it came from: stamped once, by the session that captured it,
// so its history row, its file name and its file all carry the same time. Samples are indexed
// 0, 1, 2... in list order.
struct TransientCapture
{
    QDateTime capturedAt; // with its UTC offset
    int port = 0; // the port list's number: Comm 1..255
    QString device; // what the port named: a device path or a built-in device such as "sim"
    QByteArray bytes; // the bytes captured; empty for a capture read back from a file
    QList<TransientSample> samples;
    QString note; // the tuner's words on it ("P 12, FF1 30"); may hold line breaks
};

// The pairs start at byte 0 or byte 1, whichever phase has more pairs starting with a marker;
// byte 0 on a tie. Pairs are taken in steps of two while both their bytes lie within count, so a
// capture of 4100 bytes gives 2050 samples in phase 0 and 2049 in phase 1.
QList<TransientSample> transientSamples(const quint8 *bytes, int count);

// 0 or 1: the byte the pairs start at, as transientSamples() chooses it.
int transientPhase(const quint8 *bytes, int count);

// Now in local time, fixed to the UTC offset of the moment, so the time reads the same in every
// file and row: how captures and events are stamped.
QDateTime stampNow();

// The capture of these bytes, stamped now.
TransientCapture stampedCapture(const QByteArray &bytes, int port, const QString &device);

inline double transientTimeMs(int index, int origin)
{
    return (index - origin) * kTransientSamplePeriodMs;
}
