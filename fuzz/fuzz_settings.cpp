// Fuzzes start-up's reading of the settings file: the input is written as the INI file and read
// the way the program starts, the [Ports] overrides first, then the two stored values. Checks that
// the port index is -1..254 and the sample setting 0..255, that every [Ports] key that names no
// port 1..255 is reported and leaves the map alone, that device names come out trimmed, and that
// writing the values read gives them back.
#include "core/stored_settings.h"
#include "fuzz_support.h"
#include "serial/port_map.h"
#include "temp_config.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QSettings>

namespace {

TempConfig *g_config = nullptr;
const PortMap kDefaults;

// Whether an INI key under [Ports] names a port of the list: Comm1 to Comm255, any letter case,
// leading zeros allowed.
bool namesAPort(const QString &key)
{
    if (key.size() <= 4 || key.left(4).compare(QLatin1String("comm"), Qt::CaseInsensitive) != 0)
        return false;
    QString digits = key.mid(4);
    for (QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    while (digits.size() > 1 && digits.startsWith(QLatin1Char('0')))
        digits.remove(0, 1);
    const int port = digits.size() <= 3 ? digits.toInt() : 0;
    return port >= PortMap::kFirstPort && port <= PortMap::kLastPort;
}

void checkPorts(StoredSettings &stored)
{
    QSettings &store = stored.store();
    store.beginGroup(QStringLiteral("Ports"));
    const QStringList keys = store.childKeys();
    store.endGroup();
    QSet<int> named;
    int unusable = 0;
    for (const QString &key : keys) {
        if (namesAPort(key))
            named.insert(key.mid(4).toInt());
        else
            ++unusable;
    }

    PortMap ports;
    const QStringList problems = ports.loadOverrides(store);
    fuzzCheck(problems.size() == unusable, "not every unusable [Ports] key was reported");
    fuzzCheck(ports.device(0).isEmpty() && ports.device(PortMap::kLastPort + 1).isEmpty(),
        "a port outside the list names a device");
    for (int port = PortMap::kFirstPort; port <= PortMap::kLastPort; ++port) {
        const QString device = ports.device(port);
        fuzzCheck(device == device.trimmed(), "a device name with blanks around it");
        fuzzCheck(!ports.describe(port).isEmpty(), "a port without a description");
        if (!named.contains(port))
            fuzzCheck(device == kDefaults.device(port), "a port no key names was changed");
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    // QSettings syncs every file it writes to disk; in memory that costs nothing, and the
    // fuzzer writes a file per input.
    if (QFileInfo(QStringLiteral("/dev/shm")).isWritable())
        qputenv("TMPDIR", "/dev/shm");
    static TempConfig config;
    g_config = &config;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // QSettings keeps a parsed file until its size or modification time changes, and two inputs
    // may well agree in size: give every input its own time.
    static qint64 run = 0;
    const QString appName = QStringLiteral("velmora-fuzz");
    g_config->writeIni(appName, QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    {
        QFile file(g_config->iniFile(appName));
        fuzzCheck(file.open(QIODevice::ReadWrite)
                && file.setFileTime(QDateTime::fromSecsSinceEpoch(1000000000 + ++run),
                    QFileDevice::FileModificationTime),
            "the settings file cannot be prepared");
    }

    {
        StoredSettings stored(appName);
        checkPorts(stored);
    }
    int port = 0;
    int minta = 0;
    bool written = false;
    {
        StoredSettings stored(appName);
        port = stored.readPort();
        minta = stored.readMinta();
        fuzzCheck(port >= -1 && port <= 254, "a port index outside -1..254");
        fuzzCheck(minta >= 0 && minta <= 255, "a sample setting outside 0..255");
        stored.writePort(port);
        stored.writeMinta(minta);
        stored.store().sync();
        written = stored.store().status() == QSettings::NoError;
    }
    if (written) {
        StoredSettings stored(appName);
        fuzzCheck(stored.readPort() == port && stored.readMinta() == minta,
            "the values written do not read back");
    }
    return 0;
}
