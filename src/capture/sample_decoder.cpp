// Decoding of the drive's live samples.
#include "capture/sample_decoder.h"

#include "core/number_text.h"

#include <array>
#include <cstdlib>

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

} // namespace

std::optional<LiveSample> decodeSample(QByteArrayView input)
{
    if (input.isEmpty())
        return std::nullopt;
    const int marker = quint8(input.at(0));
    LiveSample sample;
    sample.value = decodePair(marker, input.size() > 1 ? quint8(input.at(1)) : 0);
    if (sample.value.kind == SampleKind::Missing)
        return std::nullopt;
    // An over-spin sample shows the magnitude 0 on the negative side.
    sample.negative = marker == kMarkerNegative;
    sample.magnitude = qint16(std::abs(sample.value.deviation));
    sample.caption = liveCaption(sample.negative, sample.magnitude);
    return sample;
}
