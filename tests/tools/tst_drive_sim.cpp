// velmora-drive-sim: its command line, and the program itself played into a real
// pseudo-terminal read through QSerialPort.
#include "capture/capture_session.h"
#include "core/app_version.h"
#include "drive_sim_options.h"
#include "drive_stream_reader.h"
#include "serial/port_map.h"
#include "sim/drive_model.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {
constexpr int kWaitMs = 20000;

// The program running, and a port on the terminal it printed.
class RunningSim
{
public:
    explicit RunningSim(const QStringList &arguments)
    {
        m_process.start(QStringLiteral(VELMORA_DRIVE_SIM_PROGRAM), arguments);
        QObject::connect(
            &m_port, &QSerialPort::readyRead, &m_port, [this] { m_received += m_port.readAll(); });
    }
    ~RunningSim()
    {
        m_process.terminate();
        m_process.waitForFinished();
    }

    // Once the program has printed the terminal's path: reads it and opens the terminal.
    // The program writes only while a reader is present, so a first opening finds nothing
    // waiting, and flushing it would throw away a chunk the program has already counted.
    bool openPort()
    {
        if (!m_process.canReadLine())
            return false;
        m_path = QString::fromLocal8Bit(m_process.readLine()).trimmed();
        return openTerminal(false);
    }
    // A terminal keeps what its last reader left unread; a reopening starts from a flush.
    bool reopenPort() { return openTerminal(true); }
    void closePort() { m_port.close(); }

    QString path() const { return m_path; }
    const QByteArray &received() const { return m_received; }
    QProcess &process() { return m_process; }
    bool finished() const { return m_process.state() == QProcess::NotRunning; }

    // The counts the program printed last on stderr.
    bool counts(quint64 *samples, quint64 *transients)
    {
        static const QRegularExpression line(
            QStringLiteral("(\\d+) samples, (\\d+) transients, \\d+ over-spin samples, 0 bytes"));
        const QString errors = QString::fromLocal8Bit(m_process.readAllStandardError());
        QRegularExpressionMatch last;
        for (auto it = line.globalMatch(errors); it.hasNext();)
            last = it.next();
        if (!last.hasMatch())
            return false;
        *samples = last.captured(1).toULongLong();
        *transients = last.captured(2).toULongLong();
        return true;
    }

private:
    bool openTerminal(bool flush)
    {
        m_port.close();
        m_port.setPortName(m_path);
        if (!m_port.open(QIODevice::ReadOnly))
            return false;
        m_port.setBaudRate(QSerialPort::Baud115200);
        if (flush)
            m_port.clear(QSerialPort::Input);
        m_received.clear();
        return true;
    }

    QProcess m_process;
    QSerialPort m_port;
    QString m_path;
    QByteArray m_received;
};

// Reads from a terminal descriptor until at least count bytes have come or the wait is over.
QByteArray readAtLeast(int fd, qsizetype count)
{
    QByteArray bytes;
    QElapsedTimer waited;
    waited.start();
    while (bytes.size() < count && waited.elapsed() < kWaitMs) {
        pollfd readable { fd, POLLIN, 0 };
        if (poll(&readable, 1, 100) != 1)
            continue;
        char chunk[4096];
        const ssize_t got = read(fd, chunk, sizeof chunk);
        if (got <= 0)
            break;
        bytes.append(chunk, got);
    }
    return bytes;
}

bool startsWithAQuietLeadIn(const QByteArray &bytes)
{
    QList<LineSample> samples;
    if (!readLineSamples(bytes, &samples) || samples.size() <= DriveSender::kPretriggerSamples)
        return false;
    for (int i = 0; i < DriveSender::kPretriggerSamples; ++i) {
        if (samples[i].overspin || std::abs(samples[i].error) > DriveSender::kTriggerSteps)
            return false;
    }
    return std::abs(samples[DriveSender::kPretriggerSamples].error) > DriveSender::kTriggerSteps;
}

QByteArray modelStream(quint64 seed, int sampleCount)
{
    return DriveModel({ seed, 5760, 0.0 }).generate(sampleCount);
}
} // namespace

class TestDriveSim : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void commandLinesAreReadOrRefused_data();
    void commandLinesAreReadOrRefused();
    void helpAndVersionAreShown_data();
    void helpAndVersionAreShown();
    void piecesAreWholeSamples_data();
    void piecesAreWholeSamples();
    void recordingsThatCannotPlayAreRefused_data();
    void recordingsThatCannotPlayAreRefused();
    void aRecordingPlaysAsItWasRecorded();
    void aRunStreamsTheModelAtLineRateAndCountsIt_data();
    void aRunStreamsTheModelAtLineRateAndCountsIt();
    void closingTheTerminalCutsATransientShort();
    void aReopeningWithinOneChunkStillCutsTheTransient();
    void aSessionPickingUpTheLineMidSampleFindsItsFooting();
};

void TestDriveSim::commandLinesAreReadOrRefused_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("runs");
    QTest::addColumn<bool>("triggered");
    QTest::addColumn<quint64>("seed");
    QTest::addColumn<double>("duration");
    QTest::addColumn<int>("rate");
    const QStringList none;
    QTest::newRow("defaults") << none << true << false << quint64(1) << 0.0 << 11520;
    QTest::newRow("everything") << QStringList { "--mode", "triggered", "--seed",
        "18446744073709551615", "--duration", "2.5", "--overspin-every", "3", "--rate", "23040",
        "--wait-open", "--stats" }
                                << true << true << quint64(18446744073709551615ull) << 2.5 << 23040;
    QTest::newRow("= form") << QStringList { "--mode=continuous", "--seed=0" } << true << false
                            << quint64(0) << 0.0 << 11520;
    QTest::newRow("unknown mode") << QStringList { "--mode", "burst" } << false << false
                                  << quint64(0) << 0.0 << 0;
    QTest::newRow("negative seed")
        << QStringList { "--seed", "-1" } << false << false << quint64(0) << 0.0 << 0;
    QTest::newRow("zero duration")
        << QStringList { "--duration", "0" } << false << false << quint64(0) << 0.0 << 0;
    QTest::newRow("duration not a number")
        << QStringList { "--duration", "soon" } << false << false << quint64(0) << 0.0 << 0;
    QTest::newRow("infinite duration")
        << QStringList { "--duration", "inf" } << false << false << quint64(0) << 0.0 << 0;
    QTest::newRow("negative over-spin interval")
        << QStringList { "--overspin-every", "-2" } << false << false << quint64(0) << 0.0 << 0;
    QTest::newRow("rate of one byte")
        << QStringList { "--rate", "1" } << false << false << quint64(0) << 0.0 << 0;
    QTest::newRow("fractional rate")
        << QStringList { "--rate", "11520.5" } << false << false << quint64(0) << 0.0 << 0;
    QTest::newRow("missing value")
        << QStringList { "--seed" } << false << false << quint64(0) << 0.0 << 0;
    QTest::newRow("unknown option")
        << QStringList { "--baud", "9600" } << false << false << quint64(0) << 0.0 << 0;
    QTest::newRow("stray argument")
        << QStringList { "/dev/ttyUSB0" } << false << false << quint64(0) << 0.0 << 0;
    QTest::newRow("recording with a seed") << QStringList { "--raw", "x.bin", "--seed", "4" }
                                           << false << false << quint64(0) << 0.0 << 0;
}

void TestDriveSim::commandLinesAreReadOrRefused()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, runs);
    const DriveSimCommand command
        = parseDriveSimCommand(QStringList { QStringLiteral("velmora-drive-sim") } + arguments);
    if (!runs) {
        QCOMPARE(command.action, DriveSimCommand::Action::Fail);
        QVERIFY(!command.message.isEmpty());
        return;
    }
    QFETCH(bool, triggered);
    QFETCH(quint64, seed);
    QFETCH(double, duration);
    QFETCH(int, rate);
    QCOMPARE(command.action, DriveSimCommand::Action::Run);
    QCOMPARE(command.options.triggered, triggered);
    QCOMPARE(command.options.seed, seed);
    QCOMPARE(command.options.durationSeconds, duration);
    QCOMPARE(command.options.bytesPerSecond, rate);
}

void TestDriveSim::helpAndVersionAreShown_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("expected"); // the text, or for the help a pattern of a line
    QTest::newRow("help") << "--help" << int(DriveSimCommand::Action::ShowHelp)
                          << "^  --version +Shows the program's version\\.$";
    QTest::newRow("version") << "--version" << int(DriveSimCommand::Action::ShowVersion)
                             << QStringLiteral("velmora-drive-sim %1\n").arg(QLatin1String(kVersionText));
}

void TestDriveSim::helpAndVersionAreShown()
{
    QFETCH(QString, option);
    QFETCH(int, action);
    QFETCH(QString, expected);
    const DriveSimCommand command
        = parseDriveSimCommand({ QStringLiteral("velmora-drive-sim"), option });
    QCOMPARE(int(command.action), action);
    if (command.action == DriveSimCommand::Action::ShowVersion)
        QCOMPARE(command.message, expected);
    else
        QVERIFY2(command.message.contains(
                     QRegularExpression(expected, QRegularExpression::MultilineOption)),
            qPrintable(command.message));
}

void TestDriveSim::piecesAreWholeSamples_data()
{
    QTest::addColumn<QString>("piece");
    QTest::addColumn<int>("bytes"); // 0: refused
    QTest::newRow("one sample") << "2" << 2;
    QTest::newRow("a USB block") << "184" << 184;
    QTest::newRow("largest") << "4096" << 4096;
    QTest::newRow("half a sample") << "1" << 0;
    QTest::newRow("odd") << "63" << 0;
    QTest::newRow("zero") << "0" << 0;
    QTest::newRow("too large") << "4098" << 0;
    QTest::newRow("not a number") << "64k" << 0;
}

void TestDriveSim::piecesAreWholeSamples()
{
    QFETCH(QString, piece);
    QFETCH(int, bytes);
    const DriveSimCommand command
        = parseDriveSimCommand({ QStringLiteral("velmora-drive-sim"), "--piece", piece });
    QCOMPARE(command.action, bytes ? DriveSimCommand::Action::Run : DriveSimCommand::Action::Fail);
    if (bytes)
        QCOMPARE(command.options.pieceBytes, bytes);
}

void TestDriveSim::recordingsThatCannotPlayAreRefused_data()
{
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("missing file") << false << QByteArray();
    QTest::newRow("empty file") << true << QByteArray();
    QTest::newRow("no marker") << true << QByteArray("hello, drive");
}

void TestDriveSim::recordingsThatCannotPlayAreRefused()
{
    QFETCH(bool, exists);
    QFETCH(QByteArray, content);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("recording.bin"));
    if (exists) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    DriveSimOptions options;
    options.rawFile = path;
    QString error;
    QVERIFY(!makeDriveSender(options, &error));
    QVERIFY(error.contains(path));
}

void TestDriveSim::aRecordingPlaysAsItWasRecorded()
{
    QTemporaryDir dir;
    const QByteArray recorded = modelStream(9, 3000);
    QFile file(dir.filePath(QStringLiteral("recording.bin")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("\x07", 1) + recorded); // a stray byte in front is skipped
    file.close();
    DriveSimOptions options;
    options.rawFile = file.fileName();
    QString error;
    const std::unique_ptr<DriveSender> sender = makeDriveSender(options, &error);
    QVERIFY2(sender, qPrintable(error));
    // Two seconds of line time: 23 040 bytes, the recording of 6000 bytes almost four times.
    const QByteArray played = sender->bytesDue(2000000000, false);
    QCOMPARE(played.size(), 23040);
    QCOMPARE(played, (recorded + recorded + recorded + recorded).left(23040));
}

void TestDriveSim::aRunStreamsTheModelAtLineRateAndCountsIt_data()
{
    QTest::addColumn<bool>("waitOpen");
    QTest::addColumn<int>("piece");
    QTest::newRow("clock from the start") << false << 0;
    QTest::newRow("clock from the opening") << true << 0;
    QTest::newRow("in pieces, from the start") << false << 184;
    QTest::newRow("in pieces, from the opening") << true << 64;
}

void TestDriveSim::aRunStreamsTheModelAtLineRateAndCountsIt()
{
    QFETCH(bool, waitOpen);
    QFETCH(int, piece);
    QStringList arguments { "--seed", "3", "--duration", "1.5" };
    if (waitOpen)
        arguments << QStringLiteral("--wait-open");
    if (piece)
        arguments << QStringLiteral("--piece") << QString::number(piece);
    RunningSim sim(arguments);
    QTRY_VERIFY_WITH_TIMEOUT(sim.process().canReadLine(), kWaitMs);
    QVERIFY(sim.openPort());
    QElapsedTimer open;
    open.start();
    QTRY_VERIFY_WITH_TIMEOUT(sim.finished(), kWaitMs);
    QCOMPARE(sim.process().exitCode(), 0);

    const QByteArray &got = sim.received();
    QList<LineSample> samples;
    QVERIFY(readLineSamples(got, &samples));
    const double nominal = 11520 * 1.5;
    QVERIFY2(got.size() >= nominal / 2 && got.size() <= nominal,
        qPrintable(QString::number(got.size())));
    quint64 sent = 0;
    quint64 transients = 0;
    QVERIFY(sim.counts(&sent, &transients));
    QCOMPARE(quint64(got.size()), 2 * sent);

    // A piece of the model's own stream, pair-aligned and without a gap; with the clock started
    // at the opening, the whole of it from the first sample.
    const QByteArray whole = modelStream(3, 8640);
    const qsizetype at = whole.indexOf(got.left(400));
    QVERIFY(at >= 0 && at % 2 == 0);
    QCOMPARE(whole.mid(at, got.size()), got);
    if (piece)
        QCOMPARE(got.size() % piece, 0);
    if (waitOpen) {
        QCOMPARE(at, qsizetype(0));
        // In pieces, the whole pieces the duration holds.
        const qsizetype whole = piece ? qsizetype(nominal) / piece * piece : qsizetype(nominal);
        QCOMPARE(got.size(), whole);
    }
}

// The monitor opened while the drive streams: its first read is (value, marker). Through the real
// QSerialPort, the session drops one byte and shows every later sample, over-spins included.
void TestDriveSim::aSessionPickingUpTheLineMidSampleFindsItsFooting()
{
    RunningSim sim({ "--seed", "3", "--duration", "1.5", "--wait-open", "--start-mid-sample",
        "--overspin-every", "0.4" });
    QTRY_VERIFY_WITH_TIMEOUT(sim.process().canReadLine(), kWaitMs);
    PortMap ports;
    ports.setDevice(1, QString::fromLocal8Bit(sim.process().readLine()).trimmed());
    CaptureSession session(ports.factory());
    bool overSpinLamp = false; // latched red at some point
    connect(&session, &CaptureSession::lampChanged, this,
        [&](CaptureSession::Lamp lamp, CaptureSession::LampState state) {
            if (lamp == CaptureSession::Lamp::OverSpin && state == CaptureSession::LampState::Red)
                overSpinLamp = true;
        });
    session.setStoredMinta(2);
    session.initSerialLink();
    session.selectContinuous();
    session.startContinuous(1);
    QVERIFY(session.serial().PortOpen());
    QTRY_VERIFY_WITH_TIMEOUT(sim.finished(), kWaitMs);
    quint64 sent = 0;
    quint64 transients = 0;
    QVERIFY(sim.counts(&sent, &transients));
    QTRY_COMPARE_WITH_TIMEOUT(session.samplesShown() + 1, sent, kWaitMs);
    QVERIFY(overSpinLamp);
}

void TestDriveSim::closingTheTerminalCutsATransientShort()
{
    RunningSim sim({ "--mode", "triggered", "--seed", "5", "--wait-open" });
    QTRY_VERIFY_WITH_TIMEOUT(sim.process().canReadLine(), kWaitMs);
    QVERIFY(sim.openPort());
    QTRY_VERIFY_WITH_TIMEOUT(sim.received().size() >= 2000, kWaitMs);
    QVERIFY(sim.received().size() < DriveSender::kBurstBytes);

    // As the monitor does when it captures: close and open again at once.
    QVERIFY(sim.reopenPort());
    QTRY_VERIFY_WITH_TIMEOUT(sim.received().size() >= DriveSender::kBurstBytes, kWaitMs);
    QVERIFY(startsWithAQuietLeadIn(sim.received()));

    sim.closePort();
    sim.process().terminate();
    QTRY_VERIFY_WITH_TIMEOUT(sim.finished(), kWaitMs);
    quint64 sent = 0;
    quint64 transients = 0;
    QVERIFY(sim.counts(&sent, &transients));
    QVERIFY(transients >= 2);
}

void TestDriveSim::aReopeningWithinOneChunkStillCutsTheTransient()
{
    // QSerialPort takes long enough to reopen that the program may see the terminal closed at
    // one of its chunks; plain descriptors reopen within microseconds.
    RunningSim sim({ "--mode", "triggered", "--seed", "5", "--wait-open" });
    QTRY_VERIFY_WITH_TIMEOUT(sim.process().canReadLine(), kWaitMs);
    const QByteArray path = sim.process().readLine().trimmed();
    int fd = ::open(path.constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    QVERIFY(fd >= 0);
    const QByteArray first = readAtLeast(fd, 2000);
    QVERIFY(first.size() >= 2000 && first.size() < DriveSender::kBurstBytes);
    ::close(fd);
    fd = ::open(path.constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    QVERIFY(fd >= 0);
    tcflush(fd, TCIFLUSH);
    const QByteArray second = readAtLeast(fd, 2 * DriveSender::kPretriggerSamples + 2);
    ::close(fd);
    QVERIFY(startsWithAQuietLeadIn(second));
}

QTEST_MAIN(TestDriveSim)
#include "tst_drive_sim.moc"
