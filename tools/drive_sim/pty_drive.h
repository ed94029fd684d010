// The simulated drive on a pseudo-terminal: the monitor opens the terminal's slave side like a
// serial port and receives the drive's bytes at line rate.
//
// The drive writes only while someone has the slave open, whole samples at a time, so a reader
// always starts on a marker byte and nothing waits in the terminal for a later opening. Opening
// and closing are seen through inotify on the slave's path, so a close followed at once by a
// reopen (the monitor's capture) is not missed; in triggered mode those stand in for RTS rising
// and falling. When the reader stops reading and the terminal fills, whole samples are dropped,
// as a receiver that overruns would lose them.
#pragma once

#include "sim/drive_sender.h"

#include <QString>

#include <csignal>
#include <functional>
#include <memory>

struct PtyDriveCounts
{
    quint64 samplesWritten = 0;
    quint64 transients = 0;
    quint64 overspinSamples = 0;
    quint64 bytesDropped = 0; // the terminal was full
};

class PtyDrive
{
public:
    static constexpr int kChunkMs = 4;
    // After the duration, how long the terminal stays open for the reader to take the tail.
    static constexpr int kLingerMs = 1000;

    PtyDrive(std::unique_ptr<DriveSender> sender, bool triggered);
    ~PtyDrive();
    PtyDrive(const PtyDrive &) = delete;
    PtyDrive &operator=(const PtyDrive &) = delete;

    // Writes once per this many bytes of line time (even: whole samples) since the drive's clock
    // started, so a streaming drive writes pieces of exactly this size; 0 (the default) writes
    // what is due every kChunkMs. Pieces that fall late are written one after the other at
    // once, never merged into one larger write.
    void setPieceBytes(int bytes) { m_pieceBytes = bytes; }

    // Creates the terminal in raw mode at 115200 baud; false with *error set on failure.
    bool open(QString *error);
    QString slavePath() const { return m_slavePath; }
    // The first sample goes out without its marker: the line starts on a value byte.
    void startMidSample() { m_startMidSample = true; }
    // False when inotify is unavailable: a closing is then seen by the master's hang-up flag,
    // which a quick reopen can hide, and the terminal counts as open before its first opening.
    bool watchesOpenings() const { return m_watch >= 0; }

    // Plays until *stop becomes non-zero or durationSeconds (0: no limit) of drive time have
    // passed; then waits up to kLingerMs for the reader to close. With waitOpen the drive's
    // clock starts at the first opening. everySecond, if set, gets the counts once a second.
    void run(double durationSeconds, bool waitOpen, const volatile std::sig_atomic_t *stop,
        const std::function<void(const PtyDriveCounts &)> &everySecond);

    PtyDriveCounts counts() const;

private:
    // Applies the openings and closings seen since the last call, in order.
    void followReader();
    void setOpenings(int openings);
    bool readerPresent() const { return m_openings > 0; }
    bool requestToSend() const { return m_triggered && readerPresent(); }
    void linger(const volatile std::sig_atomic_t *stop);
    // Drive time of the tick'th tick since the clock started.
    qint64 tickNs(qint64 tick) const;
    void send(qint64 elapsedNs);
    void write(const QByteArray &bytes);
    void discardReaderOutput();

    std::unique_ptr<DriveSender> m_sender;
    bool m_triggered;
    int m_pieceBytes = 0;
    int m_master = -1;
    int m_watch = -1; // inotify descriptor; -1 falls back to the master's hang-up flag
    QString m_slavePath;
    int m_openings = 0;
    bool m_carryValid = false;
    bool m_startMidSample = false;
    char m_carry = 0; // second byte of a sample the terminal took only half of
    PtyDriveCounts m_counts;
};
