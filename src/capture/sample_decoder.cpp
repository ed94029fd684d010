// Decoding of the drive's live samples.
#include "capture/sample_decoder.h"

#include "capture/sample_format.h"
#include "core/number_text.h"

namespace {

std::optional<LiveSample> decodePair(int marker, int value)
{
    LiveSample sample;
    if (marker == kMarkerPositive) {
        sample.magnitude = qint16(value);
        sample.positiveBar = value;
        sample.caption = QLatin1Char('+') + NumberText(int(sample.magnitude));
        return sample;
    }
    if (marker != kMarkerNegative)
        return std::nullopt;
    // After 129 the value byte is 256 minus the magnitude; 0 is the over-spin signal and shows 0.
    sample.negative = true;
    sample.overSpin = value == 0;
    sample.magnitude = qint16(sample.overSpin ? 0 : 256 - value);
    sample.negativeBar = sample.magnitude;
    sample.caption = QLatin1Char('-') + NumberText(int(sample.magnitude));
    return sample;
}

} // namespace

std::optional<LiveSample> decodeSample(const QByteArray &input)
{
    if (input.isEmpty())
        return std::nullopt;
    // A marker that ends the read counts as the pair (marker, 0).
    return decodePair(quint8(input.at(0)), input.size() > 1 ? quint8(input.at(1)) : 0);
}

std::optional<LiveSample> decodeSample(const QString &input)
{
    if (input.isEmpty())
        return std::nullopt;
    const int value = input.size() > 1 ? input.at(1).unicode() : 0;
    if (value > 255)
        return std::nullopt;
    return decodePair(input.at(0).unicode(), value);
}
