// A pseudo-terminal pair for tests: the slave path is the "serial port" the code under test opens,
// the master side is the drive writing to it. Closing the master looks like a pulled adapter.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

class PtyPair
{
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair &) = delete;
    PtyPair &operator=(const PtyPair &) = delete;

    bool isValid() const { return m_master >= 0; }
    QString slavePath() const { return m_slavePath; }
    int masterFd() const { return m_master; }

    // Writes every byte to the master, letting the event loop run while the pty is full.
    bool write(const QByteArray &bytes);
    // One write() per chunk, cycling through chunkSizes.
    bool writeChunked(const QByteArray &bytes, const QList<int> &chunkSizes);
    void closeMaster();

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
};
