#include "temp_config.h"

#include <QDir>
#include <QFile>
#include <QSettings>

TempConfig::TempConfig()
    : m_oldXdg(qgetenv("XDG_CONFIG_HOME"))
{
    qputenv("XDG_CONFIG_HOME", m_dir.path().toLocal8Bit());
    // QSettings caches the user path on first use; setPath overrides the cache.
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.path());
}

TempConfig::~TempConfig()
{
    qputenv("XDG_CONFIG_HOME", m_oldXdg);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QString::fromLocal8Bit(m_oldXdg));
}

QString TempConfig::iniFile(const QString &appName) const
{
    return m_dir.path() + QLatin1Char('/') + appName + QLatin1Char('/') + appName
            + QStringLiteral(".ini");
}

void TempConfig::writeIni(const QString &appName, const QByteArray &content) const
{
    QDir().mkpath(m_dir.path() + QLatin1Char('/') + appName);
    QFile f(iniFile(appName));
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(content);
}

QByteArray TempConfig::readIni(const QString &appName) const
{
    QFile f(iniFile(appName));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
