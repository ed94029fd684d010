// The main window on the built-in simulated drive, as `--demo` runs it: the live display follows
// every sample the drive sent, the CPU saver thins it, the recorder captures whole transients
// with their rise, an over-spin latches its lamp, and a Stop ends the stream.
#include "../sim/drive_stream_reader.h"
#include "back_color_of.h"

#include "core/module_state.h"
#include "core/stored_settings.h"
#include "scripted_prompts.h"
#include "serial/port_map.h"
#include "sim/sim_serial_device.h"
#include "temp_config.h"
#include "ui/back_color.h"
#include "ui/chart_surface.h"
#include "ui/folap.h"
#include "ui/vertical_gauge.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>

namespace {

constexpr int kPort = 1;
constexpr quint32 kPen = 0x0000FF; // red: tells the transient from the chart's own artwork
const QRgb kPenRgb = qRgb(255, 0, 0);
constexpr int kTimeoutMs = 30000; // a move comes every second or two; room for a loaded machine

// The simulated drive as the window's port sees it, with every byte it hands over recorded.
class TappedSimDevice : public SimSerialDevice
{
public:
    TappedSimDevice(std::shared_ptr<DriveSender> drive, QByteArray *tap)
        : SimSerialDevice(std::move(drive))
        , m_tap(tap)
    {
    }

    QByteArray readAll() override
    {
        const QByteArray bytes = SimSerialDevice::readAll();
        m_tap->append(bytes);
        return bytes;
    }

private:
    QByteArray *m_tap;
};

// What the display showed right after one receive event.
struct Shown
{
    quint64 samplesShown = 0;
    QString caption;
    int positive = 0;
    int negative = 0;
    quint32 led2 = 0;

    bool operator==(const Shown &other) const
    {
        return samplesShown == other.samplesShown && caption == other.caption
            && positive == other.positive && negative == other.negative && led2 == other.led2;
    }
    QString describe() const
    {
        return QStringLiteral("#%1 \"%2\" bars %3/%4 LED2 %5")
            .arg(samplesShown)
            .arg(caption)
            .arg(positive)
            .arg(negative)
            .arg(led2, 0, 16);
    }
};

// A main window whose Comm 1 is one simulated drive, shared by every opening as in main().
struct SimulatedDriveWindow
{
    TempConfig config;
    ModuleState state;
    PortMap portMap;
    ScriptedPrompts prompts;
    std::shared_ptr<DriveSender> drive;
    QByteArray received; // every byte the window's ports delivered, in order
    std::unique_ptr<Folap> window;

    // minta: the stored CPU saver setting (2: off, 31: on).
    explicit SimulatedDriveWindow(int minta, double overspinEverySeconds = 0.0)
        : drive(SimSerialDevice::makeDrive(1, overspinEverySeconds))
    {
        config.writeIni(QCoreApplication::applicationName(),
            QByteArray("[Setup]\nMinta=\" ") + QByteArray::number(minta) + "\"\n");
        portMap.registerSpecialDevice(QStringLiteral("sim"),
            [this] { return std::make_unique<TappedSimDevice>(drive, &received); });
        portMap.setDevice(kPort, QStringLiteral("sim"));
        StoredSettings stored;
        window = std::make_unique<Folap>(state, portMap.factory(), portMap, prompts,
            FolapSettings { stored.readPort(), stored.readMinta() });
        state.PenColor = kPen;
    }

    template <typename T> T *control(const char *name) const
    {
        T *found = window->findChild<T *>(QLatin1String(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }
    void click(const char *name) { control<QAbstractButton>(name)->click(); }
    quint32 lamp(const char *name) const { return backColorOf(control<QWidget>(name)); }

    Shown display() const
    {
        return { window->samplesShown(), control<QLabel>("Ertek")->text(),
            control<VerticalGauge>("Pozitivbar")->value(),
            control<VerticalGauge>("Negativbar")->value(), lamp("LED2") };
    }

    // Records the display after each receive event; the window's own handler runs first.
    void recordReceiveEvents(QList<Shown> *shown, QObject *context)
    {
        QObject::connect(&window->MSComm(), &SerialControl::OnComm, context, [this, shown] {
            if (window->MSComm().CommEvent() == SerialEvent::Receive)
                shown->append(display());
        });
    }
};

// What a receive event that read `block` must leave on the display that showed `before`.
Shown expectedAfter(const Shown &before, const QByteArray &block)
{
    QList<LineSample> first;
    if (!readLineSamples(block.first(2), &first))
        return before; // not a marker: ignored
    const LineSample &sample = first.constFirst();
    Shown after = before;
    ++after.samplesShown;
    const int magnitude = std::abs(sample.error);
    const bool negative = sample.error < 0 || sample.overspin;
    after.caption = QStringLiteral("%1 %2").arg(QLatin1Char(negative ? '-' : '+')).arg(magnitude);
    after.positive = negative ? 0 : magnitude;
    after.negative = negative ? magnitude : 0;
    if (sample.overspin)
        after.led2 = LampColor::Red;
    return after;
}

bool movedBeyond(const QList<Shown> &shown, int steps)
{
    for (const Shown &one : shown) {
        if (one.positive > steps || one.negative > steps)
            return true;
    }
    return false;
}

// Samples shown after the first over-spin; -1 while none has been shown.
qsizetype shownAfterOverspin(const QList<Shown> &shown)
{
    for (qsizetype k = 0; k < shown.size(); ++k) {
        if (shown.at(k).caption == QLatin1String("- 0"))
            return qsizetype(shown.constLast().samplesShown - shown.at(k).samplesShown);
    }
    return -1;
}

struct Capture
{
    QByteArray bytes; // CaptureBuffer[1..4100]
    QImage chart;
};

// Pixels of the pen colour at least `steps` rows away from the zero line.
int penPixelsBeyond(const QImage &chart, int steps)
{
    int count = 0;
    for (int y = 0; y < chart.height(); ++y) {
        if (std::abs(y - 255) < steps)
            continue;
        for (int x = 0; x < chart.width(); ++x)
            count += chart.pixel(x, y) == kPenRgb;
    }
    return count;
}

} // namespace

using WindowStep = std::function<void(SimulatedDriveWindow &)>;
Q_DECLARE_METATYPE(WindowStep)

class TestFolapSimulatedDrive : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void continuousDisplayFollowsEachBlockTheDriveSent_data();
    void continuousDisplayFollowsEachBlockTheDriveSent();
    void cpuSaverCheckedDuringARunThinsTheSamplesAfterTheNextStart();
    void recorderCapturesWholeTransientsWithTheirRise_data();
    void recorderCapturesWholeTransientsWithTheirRise();
    void stoppingEndsTheStreamWhileTheDriveGoesOn_data();
    void stoppingEndsTheStreamWhileTheDriveGoesOn();
};

void TestFolapSimulatedDrive::continuousDisplayFollowsEachBlockTheDriveSent_data()
{
    QTest::addColumn<int>("minta");
    QTest::addColumn<double>("overspinEvery");
    // Each receive event reads a block of Minta bytes and shows its first pair, if the block
    // starts on a marker: every pair with the saver off, every other 31-byte block with it on.
    QTest::newRow("saver off") << 2 << 0.0;
    QTest::newRow("saver on") << 31 << 0.0;
    QTest::newRow("saver off, over-spin every 0.3 s") << 2 << 0.3;
    QTest::newRow("saver on, over-spin every 0.3 s") << 31 << 0.3;
}

void TestFolapSimulatedDrive::continuousDisplayFollowsEachBlockTheDriveSent()
{
    QFETCH(int, minta);
    QFETCH(double, overspinEvery);
    SimulatedDriveWindow sim(minta, overspinEvery);
    QList<Shown> shown;
    sim.recordReceiveEvents(&shown, this);
    sim.click("Foly");
    sim.click("FStart");
    QCOMPARE(sim.lamp("LED"), LampColor::Green);
    const Shown atStart = sim.display();
    QCOMPARE(atStart.led2, minta == 2 ? LampColor::Green : LampColor::Black);

    // Until the axis has made a move, and an over-spin has been shown with samples after it.
    QTRY_VERIFY_WITH_TIMEOUT(shown.size() > 50 && movedBeyond(shown, 20), kTimeoutMs);
    if (overspinEvery > 0)
        QTRY_VERIFY_WITH_TIMEOUT(shownAfterOverspin(shown) > 20, kTimeoutMs);
    sim.click("FStop");

    // Events come only for whole blocks; what is left over was never read by the window.
    QCOMPARE(shown.size(), sim.received.size() / minta);
    Shown expected = atStart;
    for (qsizetype k = 0; k < shown.size(); ++k) {
        expected = expectedAfter(expected, sim.received.mid(k * minta, minta));
        const Shown &actual = shown.at(k);
        QVERIFY2(actual == expected,
            qPrintable(QStringLiteral("event %1 showed %2, not %3")
                           .arg(k)
                           .arg(actual.describe(), expected.describe())));
    }
    if (overspinEvery > 0)
        QCOMPARE(shown.constLast().led2, LampColor::Red);
    // The live display never draws on the chart.
    QVERIFY(sim.window->Rajz()->image() == sim.window->Rajz()->picture());
}

void TestFolapSimulatedDrive::cpuSaverCheckedDuringARunThinsTheSamplesAfterTheNextStart()
{
    SimulatedDriveWindow sim(2);
    sim.click("Foly");
    sim.click("FStart");
    QTRY_VERIFY_WITH_TIMEOUT(sim.received.size() >= 6000, kTimeoutMs);
    sim.click("FStop");
    const double plainPerByte = double(sim.window->samplesShown()) / sim.received.size();

    // Checking the box stops the run; the next Start reads 31-byte blocks.
    sim.click("FStart");
    sim.click("Csok");
    QVERIFY(!sim.window->MSComm().PortOpen());
    const quint64 shownBefore = sim.window->samplesShown();
    const qsizetype receivedBefore = sim.received.size();
    sim.click("FStart");
    QTRY_VERIFY_WITH_TIMEOUT(sim.received.size() - receivedBefore >= 6000, kTimeoutMs);
    sim.click("FStop");
    const double saverPerByte
        = double(sim.window->samplesShown() - shownBefore) / (sim.received.size() - receivedBefore);

    QCOMPARE(plainPerByte, 0.5);
    QVERIFY2(saverPerByte > 0 && saverPerByte <= 1.0 / 31,
        qPrintable(QStringLiteral("%1 samples a byte with the saver on").arg(saverPerByte)));
}

void TestFolapSimulatedDrive::recorderCapturesWholeTransientsWithTheirRise_data()
{
    QTest::addColumn<WindowStep>("before");
    QTest::addColumn<int>("bufferSize");
    // The receive buffer in force depends on how the triggered mode was reached; the drive's
    // burst must overflow each of them with the rise at the start of the capture.
    QTest::newRow("as started") << WindowStep([](SimulatedDriveWindow &) {}) << 4100;
    QTest::newRow("triggered option chosen") << WindowStep([](SimulatedDriveWindow &sim) {
        sim.click("Foly");
        sim.click("Triger");
    }) << 4000;
    QTest::newRow("CPU saver box changed")
        << WindowStep([](SimulatedDriveWindow &sim) { sim.click("Csok"); }) << 12000;
}

void TestFolapSimulatedDrive::recorderCapturesWholeTransientsWithTheirRise()
{
    QFETCH(WindowStep, before);
    QFETCH(int, bufferSize);
    SimulatedDriveWindow sim(2);
    before(sim);
    QCOMPARE(sim.window->MSComm().InBufferSize(), bufferSize);

    QList<Capture> captures;
    connect(sim.window.get(), &Folap::transientDrawn, this, [&sim, &captures] {
        const auto *first
            = reinterpret_cast<const char *>(sim.window->session().captureBuffer().data() + 1);
        captures.append({ QByteArray(first, kTransientCaptureBytes), sim.window->Rajz()->image() });
    });
    sim.click("TStart");
    QTRY_VERIFY_WITH_TIMEOUT(captures.size() >= 2, kTimeoutMs);
    QCOMPARE(sim.window->capturesDrawn(), quint64(captures.size()));
    QVERIFY(sim.window->MSComm().PortOpen()); // re-armed

    // The first capture, taken from a discarded buffer: whole pairs from its first byte, the
    // quiet pre-trigger samples, then the crossing.
    const Capture &capture = captures.constFirst();
    const qsizetype filled = std::min(bufferSize, kTransientCaptureBytes);
    QList<LineSample> samples;
    QVERIFY(readLineSamples(capture.bytes.first(filled), &samples));
    QVERIFY(capture.bytes.sliced(filled) == QByteArray(kTransientCaptureBytes - filled, 0));
    for (qsizetype k = 0; k < DriveSender::kPretriggerSamples; ++k)
        QVERIFY2(std::abs(samples.at(k).error) <= DriveSender::kTriggerSteps,
            qPrintable(
                QStringLiteral("pre-trigger sample %1 is %2").arg(k).arg(samples.at(k).error)));
    const LineSample &crossing = samples.at(DriveSender::kPretriggerSamples);
    QVERIFY(crossing.overspin || std::abs(crossing.error) > DriveSender::kTriggerSteps);

    // The overview shows the move well off the zero line.
    QVERIFY(penPixelsBeyond(capture.chart, 2 * DriveSender::kTriggerSteps) > 0);
}

void TestFolapSimulatedDrive::stoppingEndsTheStreamWhileTheDriveGoesOn_data()
{
    QTest::addColumn<WindowStep>("stop");
    QTest::newRow("continuous Stop")
        << WindowStep([](SimulatedDriveWindow &sim) { sim.click("FStop"); });
    QTest::newRow("triggered Start")
        << WindowStep([](SimulatedDriveWindow &sim) { sim.click("TStart"); });
    QTest::newRow("triggered option chosen")
        << WindowStep([](SimulatedDriveWindow &sim) { sim.click("Triger"); });
    QTest::newRow("CPU saver box changed")
        << WindowStep([](SimulatedDriveWindow &sim) { sim.click("Csok"); });
}

void TestFolapSimulatedDrive::stoppingEndsTheStreamWhileTheDriveGoesOn()
{
    QFETCH(WindowStep, stop);
    SimulatedDriveWindow sim(2);
    sim.click("Foly");
    sim.click("FStart");
    QTRY_VERIFY_WITH_TIMEOUT(sim.window->samplesShown() >= 100, kTimeoutMs);
    stop(sim);
    QVERIFY(!sim.window->MSComm().PortOpen());
    QCOMPARE(sim.lamp("LED"), LampColor::Red);
    const quint64 shown = sim.window->samplesShown();
    const qsizetype received = sim.received.size();

    // The same drive keeps streaming to a listener of its own; none of it reaches the window.
    SimSerialDevice listener(sim.drive);
    QByteArray heard;
    connect(&listener, &SerialDevice::readyRead, this,
        [&listener, &heard] { heard.append(listener.readAll()); });
    QCOMPARE(listener.open(), SerialError::None);
    QTRY_VERIFY_WITH_TIMEOUT(heard.size() >= 4000, kTimeoutMs);
    QCOMPARE(sim.received.size(), received);
    QCOMPARE(sim.window->samplesShown(), shown);
    QCOMPARE(sim.window->capturesDrawn(), quint64(0));
}

QTEST_MAIN(TestFolapSimulatedDrive)
#include "tst_folap_simulated_drive.moc"
