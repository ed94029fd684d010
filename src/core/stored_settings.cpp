// Reading and writing the two persisted settings as text.
#include "core/stored_settings.h"

#include "core/number_text.h"

#include <QCoreApplication>

#include <cfenv>
#include <cmath>

namespace {

const QString kSetupGroup = QStringLiteral("Setup");
const QString kPortKey = QStringLiteral("Port");
const QString kMintaKey = QStringLiteral("Minta");
const QString kReconnectKey = QStringLiteral("Options/Reconnect");

QString nameOrDefault(const QString &appName)
{
    return appName.isEmpty() ? QCoreApplication::applicationName() : appName;
}

} // namespace

StoredSettings::StoredSettings(const QString &appName)
    : m_settings(
        QSettings::IniFormat, QSettings::UserScope, nameOrDefault(appName), nameOrDefault(appName))
{
}

bool StoredSettings::roundedValue(const QString &text, double *value)
{
    const double number = NumberValue(text);
    if (!std::isfinite(number))
        return false;
    // nearbyint follows the current rounding mode; round-to-nearest sends halves to even.
    const int oldMode = std::fegetround();
    std::fesetround(FE_TONEAREST);
    *value = std::nearbyint(number);
    std::fesetround(oldMode);
    return true;
}

int StoredSettings::readInRange(const QString &key, int defaultValue, int low, int high)
{
    m_settings.beginGroup(kSetupGroup);
    // An unquoted comma makes QSettings read a list; the stored text is what counts.
    const QVariant stored = m_settings.value(key, NumberText(defaultValue));
    const QString text = stored.typeId() == QMetaType::QStringList
        ? stored.toStringList().join(QLatin1Char(','))
        : stored.toString();
    m_settings.endGroup();
    double value = 0;
    if (!roundedValue(text, &value) || value < low || value > high)
        return defaultValue;
    return int(value);
}

int StoredSettings::readPort()
{
    return readInRange(kPortKey, kDefaultPort, -1, 254);
}

int StoredSettings::readMinta()
{
    return readInRange(kMintaKey, kDefaultMinta, 0, 255);
}

bool StoredSettings::readReconnect()
{
    const QString text = m_settings.value(kReconnectKey).toString().trimmed();
    return text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
}

void StoredSettings::writePort(int index)
{
    m_settings.setValue(kSetupGroup + QLatin1Char('/') + kPortKey, NumberText(index));
}

void StoredSettings::writeMinta(int value)
{
    m_settings.setValue(kSetupGroup + QLatin1Char('/') + kMintaKey, NumberText(value));
}

void StoredSettings::writeReconnect(bool on)
{
    m_settings.setValue(kReconnectKey, on ? QStringLiteral("true") : QStringLiteral("false"));
}

QString StoredSettings::save()
{
    m_settings.sync();
    if (m_settings.status() == QSettings::NoError)
        return QString();
    return QStringLiteral("settings not saved: cannot write %1").arg(m_settings.fileName());
}
