// Samples written as text for the transient tests: "12 -3 m o" is two deviations, a missing
// sample and an over-spin sample, indexed from 0; and the bytes the drive sends for them.
#pragma once

#include "capture/transient_samples.h"

#include <QByteArray>
#include <QStringList>

inline QList<TransientSample> samplesOf(const QString &text)
{
    QList<TransientSample> samples;
    for (const QString &token : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        TransientSample s;
        s.index = int(samples.size());
        if (token == QLatin1String("o"))
            s.kind = SampleKind::OverSpin;
        else if (token != QLatin1String("m"))
            s = TransientSample { s.index, SampleKind::Valid, token.toInt() };
        samples.append(s);
    }
    return samples;
}

// The drive's pairs for the samples: 128 or 129 and the value byte, two zeros when missing.
inline QByteArray bytesOf(const QList<TransientSample> &samples)
{
    QByteArray bytes;
    for (const TransientSample &s : samples) {
        if (s.kind == SampleKind::Missing)
            bytes.append(2, '\0');
        else if (s.kind == SampleKind::OverSpin || s.deviation < 0)
            bytes.append(char(129)).append(char(s.isValid() ? 256 + s.deviation : 0));
        else
            bytes.append(char(128)).append(char(s.deviation));
    }
    return bytes;
}
