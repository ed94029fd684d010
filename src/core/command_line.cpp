// Command-line numbers and help.
#include "core/command_line.h"

#include <QCoreApplication>
#include <QLocale>

#include <cmath>

std::optional<double> optionNumber(const QString &text, double low, double high)
{
    bool ok = false;
    const double value = QLocale::c().toDouble(text, &ok);
    if (!ok || !std::isfinite(value) || value < low || value > high)
        return std::nullopt;
    return value;
}

std::optional<qint64> optionWholeNumber(const QString &text, qint64 low, qint64 high)
{
    bool ok = false;
    const qint64 value = QLocale::c().toLongLong(text, &ok);
    if (!ok || value < low || value > high)
        return std::nullopt;
    return value;
}

QCommandLineOption helpOption()
{
    return QCommandLineOption(
        { QStringLiteral("h"), QStringLiteral("help") }, QStringLiteral("Show this help."));
}

QCommandLineOption versionOption()
{
    return QCommandLineOption(
        QStringLiteral("version"), QStringLiteral("Print the program's name and version."));
}

QString optionHelpText(const QCommandLineParser &parser)
{
    QString text = parser.helpText();
    const QStringList arguments = QCoreApplication::arguments();
    if (!arguments.isEmpty()) {
        const QString started = QStringLiteral("Usage: ") + arguments.constFirst();
        if (text.startsWith(started))
            text.replace(
                0, started.size(), QStringLiteral("Usage: ") + QCoreApplication::applicationName());
    }
    return text;
}
