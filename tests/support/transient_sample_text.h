// Samples written as text for the transient tests: "12 -3 m o" is two deviations, a missing
// sample and an over-spin sample, indexed from 0.
#pragma once

#include "capture/transient_samples.h"

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
