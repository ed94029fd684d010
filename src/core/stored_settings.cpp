// Reading and writing the two persisted settings as text.
#include "core/stored_settings.h"

#include "core/number_text.h"

#include <QCoreApplication>

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <iterator>

namespace {

const QString kPortKey = QStringLiteral("Setup/Port");
const QString kMintaKey = QStringLiteral("Setup/Minta");
const QString kReconnectKey = QStringLiteral("Options/Reconnect");
const QString kLiveSpanKey = QStringLiteral("Options/LiveSpanMs");
const QString kLiveHistoryKey = QStringLiteral("Options/LiveHistoryMinutes");

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
    // An unquoted comma makes QSettings read a list; the stored text is what counts.
    const QVariant stored = m_settings.value(key, NumberText(defaultValue));
    const QString text = stored.typeId() == QMetaType::QStringList
        ? stored.toStringList().join(QLatin1Char(','))
        : stored.toString();
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

int StoredSettings::readLiveSpanMs()
{
    const int ms = readInRange(
        kLiveSpanKey, kDefaultLiveSpanMs, 0, kLiveSpansMs[std::size(kLiveSpansMs) - 1]);
    return std::find(std::begin(kLiveSpansMs), std::end(kLiveSpansMs), ms) != std::end(kLiveSpansMs)
        ? ms
        : kDefaultLiveSpanMs;
}

int StoredSettings::readLiveHistoryMinutes()
{
    return readInRange(kLiveHistoryKey, kDefaultLiveHistoryMinutes, kMinLiveHistoryMinutes,
        kMaxLiveHistoryMinutes);
}

void StoredSettings::writePort(int index)
{
    m_settings.setValue(kPortKey, NumberText(index));
}

void StoredSettings::writeMinta(int value)
{
    m_settings.setValue(kMintaKey, NumberText(value));
}

void StoredSettings::writeLiveSpanMs(int ms)
{
    m_settings.setValue(kLiveSpanKey, QString::number(ms));
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
