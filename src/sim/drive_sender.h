// How the simulated drive puts its samples on the line, paced by a byte budget: after t seconds
// exactly floor(t * rate) bytes' worth of line time has passed, whatever the caller's timing.
//
// RTS not asserted: the drive streams every sample without a pause.
// RTS asserted: the drive records. It stays quiet until the following error crosses
// kTriggerSteps, then sends one transient of kBurstBytes at line rate, starting
// kPretriggerSamples before the crossing so the rise is in the capture, and is quiet again until
// the error has rested for kRearmSamples and crosses once more.
//
// The burst length. The monitor captures when its receive buffer overflows, and in triggered
// mode that buffer is 4100 bytes after start-up, 4000 after choosing the triggered option and
// 12000 after the CPU saver box changes. A burst of 12 200 bytes overflows every one of them on
// its own, so each move gives a capture whichever buffer is in force, and the capture (the first
// 4100 bytes) always holds the pre-trigger samples and the rise. With the smaller buffers the
// monitor closes the port to capture before the burst is over: closing drops RTS, and a drop of
// RTS cuts the burst short, so the rest of one transient never arrives as a second, flat
// capture. A burst just over 4100 bytes would need three moves to fill the 12000-byte buffer and
// would leave its tail in the smaller ones, shifting every later capture.
//
// The stream always goes out in whole samples, so a receiver that starts listening between two
// calls starts on a marker byte.
#pragma once

#include "sim/sample_source.h"

#include <QByteArray>
#include <QtGlobal>

#include <memory>
#include <vector>

class DriveSender
{
public:
    static constexpr int kDefaultBytesPerSecond = 11520;
    static constexpr int kTriggerSteps = 20;
    static constexpr int kBurstBytes = 12200;
    static constexpr int kPretriggerSamples = 128;
    // The error must stay within kTriggerSteps this long before the next crossing counts, so the
    // ringing of one move does not start a second transient.
    static constexpr int kRearmSamples = 288;

    struct Counters
    {
        quint64 samplesSent = 0;
        quint64 transientsSent = 0; // bursts begun (one cut short by RTS counts too)
        quint64 overspinSamplesSent = 0;
    };

    explicit DriveSender(
        std::unique_ptr<SampleSource> source, int bytesPerSecond = kDefaultBytesPerSecond);

    // The bytes due between the previous call and elapsedNs (time since the drive started), with
    // RTS in the given state over that interval. A change of RTS takes effect at the previous
    // call's time, so a drop and a rise with no time between them still cut a burst.
    QByteArray bytesDue(qint64 elapsedNs, bool requestToSend);

    qint64 elapsedNs() const { return m_elapsedNs; }
    int bytesPerSecond() const { return m_bytesPerSecond; }
    const Counters &counters() const { return m_counters; }
    bool sendingTransient() const { return m_burstLeft > 0; }

private:
    qint64 samplesAt(qint64 elapsedNs) const;
    void changeRequestToSend(bool asserted);
    // Takes one sample from the source; true with *sample set when it goes on the line.
    bool step(SampleValue *sample);

    std::unique_ptr<SampleSource> m_source;
    int m_bytesPerSecond;
    qint64 m_elapsedNs = 0;
    qint64 m_samplesDone = 0;
    bool m_requestToSend = false;

    // The last kPretriggerSamples samples, oldest at m_delayHead: what a burst starts with.
    std::vector<SampleValue> m_delay;
    std::size_t m_delayHead = 0;
    bool m_armed = false;
    int m_quietSamples = 0;
    int m_burstLeft = 0; // samples

    Counters m_counters;
};
