// A simulated servo axis, so the monitor can be run and tested without a drive on the desk.
//
// The axis repeats a motion profile (accelerate, cruise, decelerate, dwell), moving back and
// forth with a little variety from move to move, and reports the position loop's following
// error like a tuned drive: a few steps of encoder noise at rest, tens to a couple of hundred
// steps when the acceleration changes, ringing down as a damped oscillation. On request it
// over-spins at a fixed interval. One sample per two bytes of line time; the same seed always
// gives the same samples.
#pragma once

#include "sim/sample_source.h"

#include <QByteArray>

#include <cstdint>

struct DriveModelConfig
{
    std::uint64_t seed = 1;
    // 115200 baud at 10 bits a byte is 11 520 bytes a second, two bytes a sample.
    int sampleRate = 5760;
    // An over-spin event every this many seconds (the first one after one interval); 0: never.
    double overspinEverySeconds = 0.0;
};

class DriveModel : public SampleSource
{
public:
    enum class Phase { Accelerating, Cruising, Decelerating, Dwelling };

    static constexpr double kRingHz = 25.0; // the tuned loop's resonance
    static constexpr double kDamping = 0.15; // damping ratio of that resonance
    static constexpr double kOverspinSeconds = 0.02; // how long an over-spin event lasts

    explicit DriveModel(const DriveModelConfig &config = {});

    SampleValue nextSample() override;
    // The next sampleCount samples, two bytes each, as they go on the line.
    QByteArray generate(int sampleCount);

    // The phase of the motion profile the last sample was taken in.
    Phase phase() const { return m_phase; }
    std::int64_t samplesTaken() const { return m_samplesTaken; }
    double seconds() const { return double(m_samplesTaken) / m_config.sampleRate; }

private:
    double uniform(double low, double high);
    int phaseSamples(double low, double high);
    void enterNextPhase();
    void planMove();
    double noise();
    bool overspinning() const;

    DriveModelConfig m_config;
    std::uint64_t m_prngState;

    // Second-order response of the following error to the commanded acceleration.
    double m_a1 = 0.0;
    double m_a2 = 0.0;
    double m_b = 0.0;
    double m_error1 = 0.0;
    double m_error2 = 0.0;
    double m_noise = 0.0;

    Phase m_phase = Phase::Dwelling;
    std::int64_t m_phaseLeft = 0;
    int m_direction = -1;
    double m_accelerationError = 0.0; // steady error while accelerating, in steps
    double m_decelerationError = 0.0;
    std::int64_t m_overspinPeriod = 0; // in samples; 0: never
    std::int64_t m_overspinLength = 0;
    std::int64_t m_samplesTaken = 0;
};
