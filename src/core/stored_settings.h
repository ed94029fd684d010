// The values that survive between runs: the port list's selection and the sample setting in
// section "Setup" of the per-user INI file named after the executable
// ($XDG_CONFIG_HOME/<app>/<app>.ini on Linux), and the options of the Tools menu and the live
// chart in section "Options". The same file's [Ports] section maps port numbers to devices.
#pragma once

#include <QSettings>
#include <QString>

class StoredSettings
{
public:
    static constexpr int kDefaultPort = 0;
    static constexpr int kDefaultMinta = 31;

    // appName defaults to QCoreApplication::applicationName(), the executable's base name.
    explicit StoredSettings(const QString &appName = QString());

    // The stored selection index, -1..254. A missing key, or a stored number that no selection
    // can take, gives the first entry.
    int readPort();
    // The stored sample setting, 0..255; a missing key or a value a byte cannot hold gives 31.
    int readMinta();

    // [Options] Reconnect: true only for the text "true" (any case); off when missing.
    bool readReconnect();

    // The live chart's spans, in ms; [Options] LiveSpanMs holds one of them.
    static constexpr int kLiveSpansMs[] = { 500, 1000, 2000, 5000, 10000, 30000, 60000 };
    static constexpr int kDefaultLiveSpanMs = 2000;
    static constexpr int kDefaultLiveHistoryMinutes = 10;
    static constexpr int kMinLiveHistoryMinutes = 1;
    static constexpr int kMaxLiveHistoryMinutes = 60;
    // [Options] LiveSpanMs; anything but one of kLiveSpansMs gives 2000.
    int readLiveSpanMs();
    // [Options] LiveHistoryMinutes, 1..60; anything else gives 10. Only read: the user sets it.
    int readLiveHistoryMinutes();

    void writePort(int index);
    void writeMinta(int value);
    void writeReconnect(bool on);
    void writeLiveSpanMs(int ms);
    // Writes what was set to the file now; returns an empty text, or one line that names the
    // file when it could not be written (read-only folder, full disk).
    QString save();

    // The whole store, for the readers of its other sections ([Ports]).
    QSettings &store() { return m_settings; }

    // A stored text as a whole number: read as far as it forms a number, rounded half to even.
    // Returns false when the text reads as something no integer can stand for (an overflow).
    static bool roundedValue(const QString &text, double *value);

private:
    // key names the group too ("Setup/Port").
    int readInRange(const QString &key, int defaultValue, int low, int high);

    QSettings m_settings;
};
