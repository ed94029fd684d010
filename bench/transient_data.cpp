// Made-up drive-like input for the benchmarks.
#include "transient_data.h"

#include <QtGlobal>

#include <algorithm>
#include <cmath>

namespace bench {

QByteArray transientPairs(int pairs)
{
    QByteArray bytes;
    bytes.reserve(2 * pairs);
    quint32 noise = 0x2545F491u;
    for (int n = 0; n < pairs; ++n) {
        // A step every 1500 samples, ringing at about 60 Hz and dying out in a few periods.
        const int since = n % 1500;
        const double ring = 180.0 * std::exp(-since / 250.0) * std::sin(2 * M_PI * since / 96.0);
        noise ^= noise << 13;
        noise ^= noise >> 17;
        noise ^= noise << 5;
        const int error = std::clamp(int(std::lround(ring)) + int(noise % 7) - 3, -255, 255);
        if (error >= 0)
            bytes.append(char(128)).append(char(error));
        else
            bytes.append(char(129)).append(char(256 + error));
    }
    return bytes;
}

} // namespace bench
