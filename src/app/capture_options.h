// velmora-capture's command line: --port N[=DEVICE], --count, --timeout, --out, --continuous,
// --help and --version.
#pragma once

#include <QString>
#include <QStringList>

struct CaptureOptions
{
    // A day of the live stream at full rate still counts its samples in an int.
    static constexpr double kMaxContinuousSeconds = 86400;
    static constexpr int kMaxCount = 1000000;

    int port = 0; // the port number to capture from, 1..255
    QString portOption; // "N=DEVICE" as given, for the port map; empty for a bare "N"
    int count = 1; // transients to capture
    double timeoutSeconds = 60; // the longest wait for each transient; 0: no limit
    QString outDir = QStringLiteral(".");
    double continuousSeconds = 0; // > 0: log the live stream this long instead of transients
    QString note; // written into every capture taken
    QString error; // set when the arguments cannot be used
    bool helpRequested = false;
    bool versionRequested = false;

    bool continuous() const { return continuousSeconds > 0; }

    // args includes the program name, as QCoreApplication::arguments() does.
    static CaptureOptions parse(const QStringList &args);
    static QString usage();
    // "velmora-capture 1.3.2": the form help2man reads the version from.
    static QString versionText();
};
