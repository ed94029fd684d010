// The simulated drive behind the serial seam: a DriveSender delivered in chunks of a few
// milliseconds, as a USB adapter would, with RTS seen directly.
//
// The drive's clock runs only while the device is open, so a monitor left stopped for hours
// costs nothing when it starts again. Devices can share one drive, which is how it keeps moving
// from one opening to the next when a new device is made for every opening. Closing drops RTS
// for the drive (a closed port asserts nothing), which cuts a transient short.
#pragma once

#include "serial/serial_device.h"
#include "sim/drive_sender.h"

#include <QElapsedTimer>
#include <QTimer>

#include <cstdint>
#include <memory>

class SimSerialDevice : public SerialDevice
{
    Q_OBJECT
public:
    static constexpr int kChunkMs = 4;
    // What the device holds for a reader that does not read; beyond it bytes are lost, as on a
    // real port whose driver buffer overruns.
    static constexpr int kDriverBufferBytes = 65536;

    // A drive of its own, simulated from the given seed.
    explicit SimSerialDevice(std::uint64_t seed = 1, QObject *parent = nullptr);
    explicit SimSerialDevice(std::shared_ptr<DriveSender> drive, QObject *parent = nullptr);
    ~SimSerialDevice() override;

    // A drive of the standard line rate over a DriveModel, to share between devices.
    static std::shared_ptr<DriveSender> makeDrive(
        std::uint64_t seed, double overspinEverySeconds = 0.0);

    int open() override;
    void close() override;
    bool isOpen() const override { return m_open; }
    void setRequestToSend(bool asserted) override;
    QByteArray readAll() override;
    void discardInput() override;
    QString errorString() const override { return {}; }

    // Fails as a pulled adapter would: closes, then emits failed. Nobody can unplug a built-in
    // device, so this is how tests take it through the failure path.
    void pull();

    const DriveSender &drive() const { return *m_drive; }

private:
    // Takes what the drive has sent up to now and keeps it for the reader while open.
    void takeFromDrive();
    void deliver();

    std::shared_ptr<DriveSender> m_drive;
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_clockBase = 0;
    bool m_open = false;
    bool m_requestToSend = false;
    QByteArray m_received;
    bool m_unannounced = false;
};
