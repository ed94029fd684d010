// Decoding of the drive's live samples.
#include "capture/sample_decoder.h"

#include "capture/sample_format.h"
#include "core/number_text.h"

#include <array>

namespace {

// Only 512 captions exist; each is made once, and a sample takes a shared copy.
const QString &liveCaption(bool negative, int magnitude)
{
    static const std::array<QString, 512> captions = [] {
        std::array<QString, 512> made;
        for (int m = 0; m < 256; ++m) {
            made[m] = QLatin1Char('+') + NumberText(m);
            made[256 + m] = QLatin1Char('-') + NumberText(m);
        }
        return made;
    }();
    return captions[(negative ? 256 : 0) + magnitude];
}

std::optional<LiveSample> decodePair(int marker, int value)
{
    LiveSample sample;
    if (marker == kMarkerPositive) {
        sample.magnitude = qint16(value);
        sample.positiveBar = value;
        sample.caption = liveCaption(false, sample.magnitude);
        return sample;
    }
    if (marker != kMarkerNegative)
        return std::nullopt;
    // After 129 the value byte is 256 minus the magnitude; 0 is the over-spin signal and shows 0.
    sample.negative = true;
    sample.overSpin = value == 0;
    sample.magnitude = qint16(sample.overSpin ? 0 : 256 - value);
    sample.negativeBar = sample.magnitude;
    sample.caption = liveCaption(true, sample.magnitude);
    return sample;
}

} // namespace

std::optional<LiveSample> decodeSample(const QByteArray &input)
{
    return decodeSample(QByteArrayView(input));
}

std::optional<LiveSample> decodeSample(QByteArrayView input)
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
