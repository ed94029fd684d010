// The serial control: ties a SerialDevice to the receive rules and raises OnComm for each event.
#include "serial/serial_control.h"

#include <QPointer>
#include <QScopedValueRollback>

#include <algorithm>
#include <vector>

struct SerialControl::Private
{
    DeviceFactory factory;
    std::unique_ptr<SerialDevice> device;
    // Devices closed from inside one of their own signals; they are deleted later, and at the
    // latest with the control.
    std::vector<QPointer<SerialDevice>> retired;
    ReceiveBuffer buffer;

    int commPort = 1;
    bool rts = false;
    bool nullDiscard = false;
    SerialEvent event = SerialEvent::None;
    QString lastError;

    int inDeviceSignal = 0;
    bool delivering = false;
    bool readPending = false;
};

SerialControl::SerialControl(DeviceFactory factory, QObject *parent)
    : QObject(parent)
    , d(std::make_unique<Private>())
{
    d->factory = std::move(factory);
}

SerialControl::~SerialControl()
{
    d->device.reset();
    for (const QPointer<SerialDevice> &device : d->retired)
        delete device.data();
}

int SerialControl::CommPort() const
{
    return d->commPort;
}

void SerialControl::setCommPort(int port)
{
    d->commPort = port;
}

bool SerialControl::PortOpen() const
{
    return d->device != nullptr;
}

int SerialControl::setPortOpen(bool open)
{
    if (!open) {
        closeDevice();
        return SerialError::None;
    }
    if (d->device)
        return SerialError::None;

    int error = SerialError::InvalidPort;
    std::unique_ptr<SerialDevice> device;
    if (d->commPort >= 1 && d->factory)
        device = d->factory(d->commPort, &error);
    if (!device) {
        d->lastError = tr("No device is assigned to port %1").arg(d->commPort);
        return error != SerialError::None ? error : SerialError::InvalidPort;
    }
    error = device->open();
    if (error != SerialError::None) {
        d->lastError = device->errorString();
        return error;
    }
    device->setRequestToSend(d->rts);

    SerialDevice *raw = device.get();
    connect(raw, &SerialDevice::readyRead, this, [this, raw] {
        if (raw == d->device.get())
            deliver();
    });
    connect(raw, &SerialDevice::failed, this, [this, raw](int errorNumber, const QString &text) {
        if (raw == d->device.get())
            onDeviceFailed(errorNumber, text);
    });
    d->buffer.discard();
    d->device = std::move(device);
    return SerialError::None;
}

bool SerialControl::RTSEnable() const
{
    return d->rts;
}

void SerialControl::setRTSEnable(bool enable)
{
    d->rts = enable;
    if (d->device)
        d->device->setRequestToSend(enable);
}

int SerialControl::InBufferSize() const
{
    return d->buffer.size();
}

void SerialControl::setInBufferSize(int size)
{
    d->buffer.setSize(size);
}

int SerialControl::RThreshold() const
{
    return d->buffer.threshold();
}

void SerialControl::setRThreshold(int threshold)
{
    d->buffer.setThreshold(threshold);
}

int SerialControl::InputLen() const
{
    return d->buffer.inputLength();
}

void SerialControl::setInputLen(int length)
{
    d->buffer.setInputLength(length);
}

int SerialControl::InBufferCount() const
{
    return d->buffer.count();
}

void SerialControl::setInBufferCount(int count)
{
    if (count != 0)
        return;
    d->buffer.discard();
    if (d->device)
        d->device->discardInput();
}

void SerialControl::applyProfile(const ReceiveProfile &profile)
{
    setRTSEnable(profile.rtsEnable);
    setInBufferSize(profile.inBufferSize);
    setRThreshold(profile.rThreshold);
    setInputLen(profile.inputLength);
}

ReceiveProfile SerialControl::profile() const
{
    return { d->rts, d->buffer.size(), d->buffer.threshold(), d->buffer.inputLength() };
}

bool SerialControl::NullDiscard() const
{
    return d->nullDiscard;
}

void SerialControl::setNullDiscard(bool discard)
{
    d->nullDiscard = discard;
}

QByteArrayView SerialControl::takeInput()
{
    return d->buffer.takeView();
}

void SerialControl::skipInput(int count)
{
    d->buffer.skip(count);
}

StreamPosition SerialControl::inputPosition() const
{
    return d->buffer.position();
}

SerialEvent SerialControl::CommEvent() const
{
    return d->event;
}

QString SerialControl::deviceLocation() const
{
    return d->device ? d->device->location() : QString();
}

QString SerialControl::lastErrorText() const
{
    return d->lastError;
}

void SerialControl::deliver()
{
    // A handler that spins a nested event loop may make the device signal again; the outer
    // delivery reads those bytes after the current arrival, so arrivals never interleave.
    if (d->delivering) {
        d->readPending = true;
        return;
    }
    QScopedValueRollback<bool> delivering(d->delivering, true);
    QScopedValueRollback<int> inSignal(d->inDeviceSignal, d->inDeviceSignal + 1);
    d->readPending = true;
    while (d->readPending && d->device) {
        d->readPending = false;
        QByteArray bytes = d->device->readAll();
        if (d->nullDiscard)
            bytes.removeIf([](char c) { return c == '\0'; });
        // Closing, reopening or discarding from a handler discards the buffer, which ends this
        // arrival: nothing of the old opening is handed out afterwards.
        d->buffer.arrive(bytes, [this](SerialEvent event) {
            d->event = event;
            Q_EMIT OnComm();
        });
    }
}

void SerialControl::onDeviceFailed(int errorNumber, const QString &text)
{
    {
        QScopedValueRollback<int> inSignal(d->inDeviceSignal, d->inDeviceSignal + 1);
        d->lastError = text;
        closeDevice();
    }
    Q_EMIT deviceFailed(errorNumber, text);
}

void SerialControl::closeDevice()
{
    d->buffer.discard();
    std::unique_ptr<SerialDevice> device = std::move(d->device);
    if (!device)
        return;
    disconnect(device.get(), nullptr, this, nullptr);
    device->close();
    if (d->inDeviceSignal > 0) {
        // Its own signal is still on the stack; deleting it now would pull the floor from under
        // the code that emitted it.
        d->retired.erase(std::remove_if(d->retired.begin(), d->retired.end(),
                             [](const QPointer<SerialDevice> &p) { return p.isNull(); }),
            d->retired.end());
        d->retired.emplace_back(device.get());
        device.release()->deleteLater();
    }
}
