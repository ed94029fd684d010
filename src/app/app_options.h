// The monitor's command line: repeatable --port N=DEVICE, --demo, --start MODE, --live-chart,
// --record DIR, --screenshot FILE with its timing, --screenshot-calculator FILE,
// --screenshot-analysis FILE, --screenshot-live FILE, --list-ports, --help and --version, and
// whether the program can run at all where no display is available.
#pragma once

#include <QString>
#include <QStringList>

struct AppOptions
{
    enum class StartMode { None, Continuous, Triggered };

    QString screenshotFile; // empty: run interactively
    QString calculatorScreenshotFile; // the rotation calculator as it opens; empty: none
    // The analysis window after two triggered captures, the first as a reference; empty: none.
    QString analysisScreenshotFile;
    // The analysis window's PDF report after the same two captures; empty: none.
    QString analysisReportFile;
    bool analysisWanted() const
    {
        return !analysisScreenshotFile.isEmpty() || !analysisReportFile.isEmpty();
    }
    // The live chart after a few seconds of the simulated drive in continuous mode; empty: none.
    QString liveScreenshotFile;
    bool liveChart = false; // open the live chart at start-up
    int screenshotAfterMs = 0; // how long to let the window run before the screenshot
    bool screenshotAfterCapture = false; // take it once the first transient has been drawn
    QStringList portOptions; // the N=DEVICE texts, in the order given
    bool demo = false; // the built-in simulated drive on Comm 1, for this run only
    StartMode start = StartMode::None; // press this mode's Start once start-up is done
    // print the samples shown, captures drawn and samples the live chart took this often; 0: never
    int statsEverySeconds = 0;
    QString recordFolder; // every capture is also written here; empty: nowhere
    QString error; // set when the arguments cannot be used
    bool helpRequested = false;
    bool versionRequested = false;
    bool listPorts = false; // print the ports' devices and exit

    // args includes the program name, as QCoreApplication::arguments() does.
    static AppOptions parse(const QStringList &args);
    static QString usage();
    // "velmora-monitor 1.3.2": the form help2man reads the version from.
    static QString versionText();

    enum class Platform { AsIs, Offscreen, NoDisplay };
    // What to do about the windowing platform before the application is made: screenshots can
    // be taken offscreen; an interactive run needs a display.
    Platform platformFor(bool hasDisplay, bool platformChosen) const;
};
