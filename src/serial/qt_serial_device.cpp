// QSerialPort behind the device seam; see the header.
#include "serial/qt_serial_device.h"

#include <QDir>
#include <QFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <unistd.h>
#endif

QtSerialDevice::QtSerialDevice(const QString &path, QObject *parent)
    : SerialDevice(parent)
    , m_path(path)
    , m_port(new QSerialPort(this))
{
    connect(m_port, &QSerialPort::readyRead, this, &SerialDevice::readyRead);
    connect(m_port, &QSerialPort::errorOccurred, this, &QtSerialDevice::onError);
}

QtSerialDevice::~QtSerialDevice() = default;

int QtSerialDevice::open()
{
    if (m_port->isOpen())
        return SerialError::None;
    m_failing = false;
    m_errorText.clear();
    m_port->setPortName(m_path);
    m_port->setBaudRate(QSerialPort::Baud115200);
    m_port->setDataBits(QSerialPort::Data8);
    m_port->setParity(QSerialPort::NoParity);
    m_port->setStopBits(QSerialPort::OneStop);
    m_port->setFlowControl(QSerialPort::NoFlowControl);
    if (m_port->open(QIODevice::ReadOnly)) {
        // Whatever the device held before this opening is not ours to hand out.
        m_port->clear(QSerialPort::Input);
        return SerialError::None;
    }
    m_errorText = m_port->errorString();
    switch (m_port->error()) {
    case QSerialPort::DeviceNotFoundError:
        return SerialError::InvalidPort;
    case QSerialPort::PermissionError:
        return permissionFailure(m_path, defaultLockDirs());
    case QSerialPort::ResourceError:
    case QSerialPort::ReadError:
        return SerialError::DeviceIoError;
    default:
        return SerialError::OtherError;
    }
}

void QtSerialDevice::close()
{
    m_failing = false;
    if (m_port->isOpen())
        m_port->close();
}

bool QtSerialDevice::isOpen() const
{
    return m_port->isOpen();
}

void QtSerialDevice::setRequestToSend(bool asserted)
{
    // A pseudo-terminal has no RTS line and refuses with UnsupportedOperationError; it still
    // receives, so the refusal is dropped rather than kept as the port's error.
    if (m_port->isOpen() && !m_port->setRequestToSend(asserted))
        m_port->clearError();
}

QByteArray QtSerialDevice::readAll()
{
    return m_port->readAll();
}

void QtSerialDevice::discardInput()
{
    if (m_port->isOpen())
        m_port->clear(QSerialPort::Input);
}

QString QtSerialDevice::errorString() const
{
    return m_errorText.isEmpty() ? m_port->errorString() : m_errorText;
}

void QtSerialDevice::onError(QSerialPort::SerialPortError error)
{
    // Every open() first reports NoError, and RTS on a pty reports UnsupportedOperationError;
    // only a read or resource failure of an open port means the device is gone.
    if (error != QSerialPort::ReadError && error != QSerialPort::ResourceError)
        return;
    if (!m_port->isOpen() || m_failing)
        return;
    // A vanished device keeps its descriptor readable, so QSerialPort repeats ReadError as fast
    // as the event loop turns. Close once, outside QSerialPort's own notification.
    m_failing = true;
    // After a hang-up read() returns 0 and QSerialPort words whatever errno an earlier call left
    // behind (on a pty, the refused RTS request: "Inappropriate ioctl for device"), so a read
    // failure is named for what it means to the user; a resource failure carries a real errno.
    m_errorText = error == QSerialPort::ReadError
        ? QStringLiteral("the device stopped delivering data (hung up or unplugged)")
        : m_port->errorString();
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!m_failing || !m_port->isOpen())
                return;
            m_failing = false;
            m_port->close();
            Q_EMIT failed(SerialError::DeviceIoError, m_errorText);
        },
        Qt::QueuedConnection);
}

QString QtSerialDevice::lockFileName(const QString &path)
{
    const QString devPrefix = QStringLiteral("/dev/");
    QString name = path.startsWith(devPrefix) ? path.mid(devPrefix.size()) : path;
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    return QStringLiteral("LCK..") + name;
}

QStringList QtSerialDevice::defaultLockDirs()
{
    return { QStringLiteral("/var/lock"), QStringLiteral("/run/lock") };
}

#ifdef Q_OS_UNIX
// A lock file names its holder's pid on its first line (QLockFile and the ten-column ASCII form
// of other serial programs alike).
static bool heldByLiveProcess(const QString &lockFile)
{
    QFile file(lockFile);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    bool ok = false;
    const qint64 pid = file.readLine(32).trimmed().toLongLong(&ok);
    if (!ok || pid <= 0)
        return false;
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}
#endif

int QtSerialDevice::permissionFailure(const QString &path, const QStringList &lockDirs)
{
#ifdef Q_OS_UNIX
    const QString lockName = lockFileName(path);
    for (const QString &dir : lockDirs) {
        if (heldByLiveProcess(QDir(dir).filePath(lockName)))
            return SerialError::PortInUse;
    }
    return ::access(QFile::encodeName(path).constData(), R_OK) == 0 ? SerialError::PortInUse
                                                                    : SerialError::PermissionDenied;
#else
    Q_UNUSED(path)
    Q_UNUSED(lockDirs)
    // Windows refuses a port held by another program with access denied.
    return SerialError::PortInUse;
#endif
}
