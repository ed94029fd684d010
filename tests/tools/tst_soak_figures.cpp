// What velmora-soak reads: the monitor's and the drive's count lines, and /proc figures, including
// command names that hold blanks and parentheses.
#include "soak_figures.h"

#include <QTest>

#include <unistd.h>

Q_DECLARE_METATYPE(std::optional<qint64>)

class TestSoakFigures : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void countLinesAreReadOrRejected_data();
    void countLinesAreReadOrRejected();
    void cpuTicksAreCountedFromAfterTheName_data();
    void cpuTicksAreCountedFromAfterTheName();
    void residentSetIsReadInKilobytes_data();
    void residentSetIsReadInKilobytes();
    void ownProcessIsMeasured();
};

void TestSoakFigures::countLinesAreReadOrRejected_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("monitor"); // a monitor stats line, else a drive count line
    QTest::addColumn<bool>("read");
    QTest::addColumn<quint64>("first"); // samples
    QTest::addColumn<quint64>("second"); // captures, or transients

    QTest::newRow("monitor") << QByteArray("velmora-monitor: stats samples=345600 captures=0")
                             << true << true << quint64(345600) << quint64(0);
    QTest::newRow("monitor, line end kept")
        << QByteArray("velmora-monitor: stats samples=1 captures=77\n") << true << true
        << quint64(1) << quint64(77);
    QTest::newRow("monitor, beyond 32 bits")
        << QByteArray("velmora-monitor: stats samples=18446744073709551615 captures=5") << true
        << true << quint64(18446744073709551615ULL) << quint64(5);
    QTest::newRow("monitor, beyond 64 bits")
        << QByteArray("velmora-monitor: stats samples=18446744073709551616 captures=5") << true
        << false << quint64(0) << quint64(0);
    QTest::newRow("monitor warning")
        << QByteArray("velmora-monitor: Comm 1: Input/output error (error 8012)") << true << false
        << quint64(0) << quint64(0);
    QTest::newRow("monitor, negative") << QByteArray("velmora-monitor: stats samples=-1 captures=0")
                                       << true << false << quint64(0) << quint64(0);
    QTest::newRow("drive") << QByteArray(
        "velmora-drive-sim: 172800 samples, 12 transients, 0 over-spin samples, 0 "
        "bytes dropped") << false
                           << true << quint64(172800) << quint64(12);
    QTest::newRow("drive, other line")
        << QByteArray("velmora-drive-sim: inotify unavailable; a quick reopen may go unnoticed")
        << false << false << quint64(0) << quint64(0);
    QTest::newRow("drive, cut short")
        << QByteArray("velmora-drive-sim: 172800 samples, 12 transients") << false << false
        << quint64(0) << quint64(0);
}

void TestSoakFigures::countLinesAreReadOrRejected()
{
    QFETCH(QByteArray, line);
    QFETCH(bool, monitor);
    QFETCH(bool, read);
    QFETCH(quint64, first);
    QFETCH(quint64, second);
    if (monitor) {
        const std::optional<MonitorStats> stats = parseMonitorStats(line);
        QCOMPARE(stats.has_value(), read);
        QVERIFY(!parseDriveCounts(line));
        if (stats) {
            QCOMPARE(stats->samples, first);
            QCOMPARE(stats->captures, second);
        }
    } else {
        const std::optional<DriveCounts> counts = parseDriveCounts(line);
        QCOMPARE(counts.has_value(), read);
        QVERIFY(!parseMonitorStats(line));
        if (counts) {
            QCOMPARE(counts->samples, first);
            QCOMPARE(counts->transients, second);
        }
    }
}

void TestSoakFigures::cpuTicksAreCountedFromAfterTheName_data()
{
    QTest::addColumn<QByteArray>("stat");
    QTest::addColumn<std::optional<qint64>>("ticks");
    // Fields after the name: state ppid pgrp session tty tpgid flags minflt cminflt majflt
    // cmajflt utime stime ...
    const QByteArray tail = " S 1 2 3 0 -1 4194560 100 0 0 0 1234 567 0 0 20 0 1 0 99 1000 50\n";
    QTest::newRow("plain name") << "4242 (velmora-monitor)" + tail << std::optional<qint64>(1801);
    QTest::newRow("blanks in the name")
        << "4242 (a b c d e f g)" + tail << std::optional<qint64>(1801);
    QTest::newRow("parentheses in the name")
        << "4242 (x) S 9 9 9 (y)" + tail << std::optional<qint64>(1801);
    QTest::newRow("no name") << QByteArray("4242 S 1 2 3") << std::optional<qint64>();
    QTest::newRow("cut short") << QByteArray("4242 (m) S 1 2 3 0 -1 4194560 100 0 0 0 1234")
                               << std::optional<qint64>();
    QTest::newRow("not numbers") << QByteArray("4242 (m) S 1 2 3 0 -1 4194560 100 0 0 0 x y 0")
                                 << std::optional<qint64>();
    QTest::newRow("empty") << QByteArray() << std::optional<qint64>();
}

void TestSoakFigures::cpuTicksAreCountedFromAfterTheName()
{
    QFETCH(QByteArray, stat);
    QFETCH(std::optional<qint64>, ticks);
    QCOMPARE(cpuTicksFromStat(stat), ticks);
}

void TestSoakFigures::residentSetIsReadInKilobytes_data()
{
    QTest::addColumn<QByteArray>("status");
    QTest::addColumn<std::optional<qint64>>("kb");
    QTest::newRow("among other lines") << QByteArray(
        "Name:\tvelmora-monitor\nVmPeak:\t  900000 kB\nVmRSS:\t   33512 kB\n"
        "RssAnon:\t   10000 kB\n") << std::optional<qint64>(33512);
    QTest::newRow("last line, no line end")
        << QByteArray("Name:\tm\nVmRSS:\t 7 kB") << std::optional<qint64>(7);
    QTest::newRow("a kernel thread has none")
        << QByteArray("Name:\tkthreadd\nState:\tS (sleeping)\n") << std::optional<qint64>();
    QTest::newRow("another unit") << QByteArray("VmRSS:\t 7 MB\n") << std::optional<qint64>();
    QTest::newRow("not a number") << QByteArray("VmRSS:\t many kB\n") << std::optional<qint64>();
}

void TestSoakFigures::residentSetIsReadInKilobytes()
{
    QFETCH(QByteArray, status);
    QFETCH(std::optional<qint64>, kb);
    QCOMPARE(rssKbFromStatus(status), kb);
}

void TestSoakFigures::ownProcessIsMeasured()
{
    const std::optional<ProcessUsage> usage = readProcessUsage(::getpid());
    QVERIFY(usage.has_value());
    QVERIFY(usage->rssKb > 0);
    QVERIFY(usage->cpuTicks >= 0);
    QVERIFY(!readProcessUsage(-1).has_value());
}

QTEST_APPLESS_MAIN(TestSoakFigures)
#include "tst_soak_figures.moc"
