// The simulated axis: motion profile, loop response and noise.
#include "sim/drive_model.h"

#include <algorithm>
#include <cmath>

namespace {
// Peak following error of an ordinary move, and of the occasional hard one that saturates the
// line's +-255.
constexpr double kPeakLow = 40.0;
constexpr double kPeakHigh = 230.0;
constexpr double kHardPeakLow = 240.0;
constexpr double kHardPeakHigh = 320.0;
constexpr int kHardMoveOdds = 16;
constexpr double kDwellShortest = 0.4;
constexpr double kDwellLongest = 1.0;
// Encoder noise: peak amplitude of the white part at rest and while moving (steps).
constexpr double kRestNoise = 3.5;
constexpr double kMotionNoise = 7.0;
constexpr double kNoiseSmoothing = 0.6;

double overshootFactor()
{
    const double z = DriveModel::kDamping;
    return 1.0 + std::exp(-z * M_PI / std::sqrt(1.0 - z * z));
}
} // namespace

DriveModel::DriveModel(const DriveModelConfig &config)
    : m_config(config)
    , m_prngState(config.seed)
{
    m_config.sampleRate = std::max(1, m_config.sampleRate);
    const double dt = 1.0 / m_config.sampleRate;
    const double omega = 2.0 * M_PI * kRingHz;
    const double radius = std::exp(-kDamping * omega * dt);
    const double angle = omega * std::sqrt(1.0 - kDamping * kDamping) * dt;
    m_a1 = 2.0 * radius * std::cos(angle);
    m_a2 = -radius * radius;
    m_b = 1.0 - m_a1 - m_a2; // unity gain: a steady input of n steps settles at n steps

    if (m_config.overspinEverySeconds > 0.0) {
        m_overspinPeriod = std::max<std::int64_t>(
            1, std::llround(m_config.overspinEverySeconds * m_config.sampleRate));
        m_overspinLength
            = std::max<std::int64_t>(1, std::llround(kOverspinSeconds * m_config.sampleRate));
    }
    m_phaseLeft = phaseSamples(kDwellShortest, kDwellLongest);
}

double DriveModel::uniform(double low, double high)
{
    // splitmix64: small, and the same numbers on every platform and library.
    std::uint64_t z = (m_prngState += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return low + (high - low) * double(z >> 11) * 0x1.0p-53;
}

int DriveModel::phaseSamples(double low, double high)
{
    return std::max(1, int(std::lround(uniform(low, high) * m_config.sampleRate)));
}

void DriveModel::planMove()
{
    // Mostly back and forth, sometimes twice the same way.
    if (uniform(0.0, 1.0) < 0.75)
        m_direction = -m_direction;
    const auto peak = [this] {
        if (uniform(0.0, kHardMoveOdds) < 1.0)
            return uniform(kHardPeakLow, kHardPeakHigh);
        return uniform(kPeakLow, kPeakHigh);
    };
    m_accelerationError = m_direction * peak() / overshootFactor();
    m_decelerationError = -m_direction * peak() / overshootFactor();
}

void DriveModel::enterNextPhase()
{
    // The phase after each one (in the order of Phase) and its shortest and longest time.
    struct Next
    {
        Phase phase;
        double shortest;
        double longest;
    };
    static constexpr Next kNext[] = {
        { Phase::Cruising, 0.3, 0.9 },
        { Phase::Decelerating, 0.08, 0.16 },
        { Phase::Dwelling, kDwellShortest, kDwellLongest },
        { Phase::Accelerating, 0.08, 0.16 },
    };
    const Next &next = kNext[int(m_phase)];
    if (next.phase == Phase::Accelerating)
        planMove();
    m_phase = next.phase;
    m_phaseLeft = phaseSamples(next.shortest, next.longest);
}

double DriveModel::noise()
{
    // Four uniforms summed are close to normal but bounded, smoothed a little like a real
    // encoder's jitter.
    const double amplitude = m_phase == Phase::Dwelling ? kRestNoise : kMotionNoise;
    double white = -2.0;
    for (int i = 0; i < 4; ++i)
        white += uniform(0.0, 1.0);
    m_noise = kNoiseSmoothing * m_noise + (1.0 - kNoiseSmoothing) * amplitude * white;
    return m_noise;
}

bool DriveModel::overspinning() const
{
    return m_overspinPeriod > 0 && m_samplesTaken >= m_overspinPeriod
        && m_samplesTaken % m_overspinPeriod < m_overspinLength;
}

SampleValue DriveModel::nextSample()
{
    if (m_phaseLeft == 0)
        enterNextPhase();
    --m_phaseLeft;

    double input = 0.0;
    if (m_phase == Phase::Accelerating)
        input = m_accelerationError;
    else if (m_phase == Phase::Decelerating)
        input = m_decelerationError;
    const double error = m_a1 * m_error1 + m_a2 * m_error2 + m_b * input;
    m_error2 = m_error1;
    m_error1 = error;

    // The noise is drawn on every sample, over-spin or not, so an over-spin leaves the rest of
    // the stream as it would have been.
    const int steps = int(std::lround(error + noise()));
    const bool overspin = overspinning();
    ++m_samplesTaken;
    return overspin ? SampleValue::overSpin() : SampleValue::valid(steps);
}

QByteArray DriveModel::generate(int sampleCount)
{
    QByteArray bytes;
    bytes.reserve(2 * std::max(0, sampleCount));
    for (int i = 0; i < sampleCount; ++i) {
        const auto pair = encodePair(nextSample());
        bytes.append(char(pair[0]));
        bytes.append(char(pair[1]));
    }
    return bytes;
}
