// The in-process simulated drive.
#include "sim/sim_serial_device.h"

#include "sim/drive_model.h"

SimSerialDevice::SimSerialDevice(std::uint64_t seed, QObject *parent)
    : SimSerialDevice(makeDrive(seed), parent)
{
}

SimSerialDevice::SimSerialDevice(std::shared_ptr<DriveSender> drive, QObject *parent)
    : SerialDevice(parent)
    , m_drive(std::move(drive))
{
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(kChunkMs);
    connect(&m_timer, &QTimer::timeout, this, &SimSerialDevice::deliver);
}

SimSerialDevice::~SimSerialDevice()
{
    close();
}

std::shared_ptr<DriveSender> SimSerialDevice::makeDrive(
    std::uint64_t seed, double overspinEverySeconds)
{
    DriveModelConfig config;
    config.seed = seed;
    config.sampleRate = DriveSender::kDefaultBytesPerSecond / 2;
    config.overspinEverySeconds = overspinEverySeconds;
    return std::make_shared<DriveSender>(std::make_unique<DriveModel>(config));
}

int SimSerialDevice::open()
{
    if (m_open)
        return SerialError::None;
    m_clockBase = m_drive->elapsedNs();
    m_clock.start();
    m_open = true;
    m_received.clear();
    m_timer.start();
    return SerialError::None;
}

void SimSerialDevice::close()
{
    if (!m_open)
        return;
    takeFromDrive();
    m_open = false;
    m_timer.stop();
    m_received.clear();
    m_unannounced = false;
    // The drive sees RTS fall now, even if the next opening follows at once.
    m_drive->bytesDue(m_drive->elapsedNs(), false);
}

void SimSerialDevice::pull()
{
    if (!m_open)
        return;
    close();
    Q_EMIT failed(SerialError::DeviceIoError, QStringLiteral("the simulated drive was unplugged"));
}

void SimSerialDevice::setRequestToSend(bool asserted)
{
    takeFromDrive();
    m_requestToSend = asserted;
}

void SimSerialDevice::takeFromDrive()
{
    if (!m_open)
        return;
    const QByteArray bytes
        = m_drive->bytesDue(m_clockBase + m_clock.nsecsElapsed(), m_requestToSend);
    // Whole samples only, so an overrun never leaves half a pair behind.
    const qsizetype room = (kDriverBufferBytes - m_received.size()) & ~qsizetype(1);
    m_received.append(bytes.left(room));
    m_unannounced = m_unannounced || !bytes.isEmpty();
}

void SimSerialDevice::deliver()
{
    takeFromDrive();
    if (m_unannounced && !m_received.isEmpty()) {
        m_unannounced = false;
        Q_EMIT readyRead();
    }
}

QByteArray SimSerialDevice::readAll()
{
    return std::exchange(m_received, {});
}

void SimSerialDevice::discardInput()
{
    takeFromDrive();
    m_received.clear();
    m_unannounced = false;
}
