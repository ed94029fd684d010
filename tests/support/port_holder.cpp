#include "port_holder.h"

#include <QCoreApplication>
#include <QSerialPort>

#include <cstdio>

namespace {

constexpr char kHoldEnv[] = "VELMORA_TEST_HOLD_PORT";

} // namespace

PortHolder::PortHolder(const QString &devicePath)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QLatin1String(kHoldEnv), devicePath);
    m_process.setProcessEnvironment(env);
    m_process.start(QCoreApplication::applicationFilePath(), {});
}

PortHolder::~PortHolder()
{
    m_process.closeWriteChannel();
    m_process.waitForFinished();
}

bool PortHolder::holds()
{
    return m_process.waitForReadyRead() && m_process.readLine().trimmed() == "held";
}

int holdPortIfAsked(int argc, char **argv)
{
    const QByteArray path = qgetenv(kHoldEnv);
    if (path.isEmpty())
        return -1;
    QCoreApplication app(argc, argv);
    QSerialPort port;
    port.setPortName(QString::fromLocal8Bit(path));
    std::puts(port.open(QIODevice::ReadOnly) ? "held" : "failed");
    std::fflush(stdout);
    while (std::getchar() != EOF) { }
    return 0;
}
