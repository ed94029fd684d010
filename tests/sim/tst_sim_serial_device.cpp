// The in-process simulated drive behind the serial seam, driven by its own timer.
#include "sim/drive_model.h"
#include "sim/sim_serial_device.h"

#include "drive_stream_reader.h"

#include <QSignalSpy>
#include <QTest>

#include <cstdlib>

namespace {
// Collects everything a device delivers, as the serial control would.
struct Reader
{
    explicit Reader(SimSerialDevice &device)
        : device(device)
    {
        QObject::connect(&device, &SerialDevice::readyRead, &device,
            [this] { bytes += this->device.readAll(); });
    }
    SimSerialDevice &device;
    QByteArray bytes;
};

QByteArray modelStream(quint64 seed, int sampleCount)
{
    return DriveModel({ seed, 5760, 0.0 }).generate(sampleCount);
}
} // namespace

class TestSimSerialDevice : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void openingAlwaysSucceeds();
    void withoutRtsTheDriveStreamsItsModel();
    void withRtsTheDriveIsQuietThenSendsOneTransient();
    void closingCutsTheTransientAndDropsWhatWaits();
    void discardingInputKeepsTheStreamOnPairs();
    void devicesSharingADriveCarryOnWhereTheLastStopped();
};

void TestSimSerialDevice::openingAlwaysSucceeds()
{
    SimSerialDevice device(1);
    QVERIFY(!device.isOpen());
    QCOMPARE(device.open(), SerialError::None);
    QVERIFY(device.isOpen());
    QCOMPARE(device.open(), SerialError::None);
    device.close();
    QVERIFY(!device.isOpen());
    QCOMPARE(device.open(), SerialError::None);
    QVERIFY(device.errorString().isEmpty());
}

void TestSimSerialDevice::withoutRtsTheDriveStreamsItsModel()
{
    SimSerialDevice device(31);
    Reader reader(device);
    device.setRequestToSend(false);
    QCOMPARE(device.open(), SerialError::None);
    QTRY_VERIFY(reader.bytes.size() >= 3000);
    // Several chunks, none of them more than a few milliseconds of line time apart.
    QSignalSpy chunks(&device, &SerialDevice::readyRead);
    QTRY_VERIFY(chunks.size() >= 3);
    QVERIFY(reader.bytes.size() % 2 == 0);
    QCOMPARE(reader.bytes, modelStream(31, int(reader.bytes.size() / 2)));
}

void TestSimSerialDevice::withRtsTheDriveIsQuietThenSendsOneTransient()
{
    SimSerialDevice device(32);
    Reader reader(device);
    device.setRequestToSend(true);
    QCOMPARE(device.open(), SerialError::None);
    QTRY_VERIFY_WITH_TIMEOUT(device.drive().counters().transientsSent == 1, 20000);
    QTRY_VERIFY_WITH_TIMEOUT(!device.drive().sendingTransient(), 20000);
    const QByteArray burst = reader.bytes.left(DriveSender::kBurstBytes);
    QCOMPARE(burst.size(), DriveSender::kBurstBytes);
    QList<LineSample> samples;
    QVERIFY(readLineSamples(burst, &samples));
    for (int i = 0; i < DriveSender::kPretriggerSamples; ++i)
        QVERIFY(std::abs(samples[i].error) <= DriveSender::kTriggerSteps);
    QVERIFY(std::abs(samples[DriveSender::kPretriggerSamples].error) > DriveSender::kTriggerSteps);
}

void TestSimSerialDevice::closingCutsTheTransientAndDropsWhatWaits()
{
    SimSerialDevice device(33);
    device.setRequestToSend(true);
    QCOMPARE(device.open(), SerialError::None);
    QTRY_VERIFY_WITH_TIMEOUT(device.drive().sendingTransient(), 20000);
    device.close();
    QVERIFY(!device.drive().sendingTransient());
    QVERIFY(device.readAll().isEmpty());

    // Reopened with RTS still set, the drive waits for the next crossing.
    QSignalSpy delivered(&device, &SerialDevice::readyRead);
    QCOMPARE(device.open(), SerialError::None);
    QVERIFY(!device.drive().sendingTransient());
    QTRY_VERIFY_WITH_TIMEOUT(delivered.size() > 0, 20000);
    QCOMPARE(device.drive().counters().transientsSent, quint64(2));
}

void TestSimSerialDevice::discardingInputKeepsTheStreamOnPairs()
{
    SimSerialDevice device(34);
    QSignalSpy delivered(&device, &SerialDevice::readyRead);
    QCOMPARE(device.open(), SerialError::None);
    QTRY_VERIFY(delivered.size() > 0);
    device.discardInput();
    QVERIFY(device.readAll().isEmpty());
    const qsizetype before = delivered.size();
    QTRY_VERIFY(delivered.size() > before);
    const QByteArray after = device.readAll();
    QVERIFY(!after.isEmpty());
    QList<LineSample> samples;
    QVERIFY(readLineSamples(after, &samples));
}

void TestSimSerialDevice::devicesSharingADriveCarryOnWhereTheLastStopped()
{
    const auto drive = SimSerialDevice::makeDrive(35);
    QByteArray first;
    {
        SimSerialDevice device(drive);
        Reader reader(device);
        QCOMPARE(device.open(), SerialError::None);
        QTRY_VERIFY(reader.bytes.size() >= 500);
        first = reader.bytes;
    }
    SimSerialDevice device(drive);
    Reader reader(device);
    QCOMPARE(device.open(), SerialError::None);
    QTRY_VERIFY(reader.bytes.size() >= 500);

    const QByteArray whole = modelStream(35, 20000);
    QVERIFY(whole.startsWith(first));
    const qsizetype resumed = whole.indexOf(reader.bytes.left(400), first.size());
    QVERIFY(resumed >= first.size());
    QVERIFY(resumed % 2 == 0);
}

QTEST_MAIN(TestSimSerialDevice)
#include "tst_sim_serial_device.moc"
