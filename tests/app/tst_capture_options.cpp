// velmora-capture's command line.
#include "app/capture_options.h"

#include <QTest>

class TestCaptureOptions : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void argumentsAreParsedOrRefused_data();
    void argumentsAreParsedOrRefused();
};

void TestCaptureOptions::argumentsAreParsedOrRefused_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("error"); // a part of the refusal; empty when the line is used
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("portOption");
    QTest::addColumn<int>("count");
    QTest::addColumn<double>("timeout");
    QTest::addColumn<QString>("out");
    QTest::addColumn<double>("continuous");
    const QStringList sim { "--port", "1=sim" };
    QTest::newRow("defaults") << sim << "" << 1 << "1=sim" << 1 << 60.0 << "." << 0.0;
    QTest::newRow("a port of the map")
        << QStringList { "--port=17" } << "" << 17 << "" << 1 << 60.0 << "." << 0.0;
    QTest::newRow("everything for transients")
        << QStringList { "--port", "255=/dev/ttyS0", "--count", "3", "--timeout", "0.5", "--out",
               "/tmp/t" }
        << "" << 255 << "255=/dev/ttyS0" << 3 << 0.5 << "/tmp/t" << 0.0;
    QTest::newRow("no time limit")
        << sim + QStringList { "--timeout", "0" } << "" << 1 << "1=sim" << 1 << 0.0 << "." << 0.0;
    QTest::newRow("live stream") << sim + QStringList { "--continuous", "2.5" } << "" << 1
                                 << "1=sim" << 1 << 60.0 << "." << 2.5;
    const auto refused = [](const char *tag, const QStringList &args, const char *error) {
        QTest::newRow(tag) << args << error << 0 << "" << 0 << 0.0 << "" << 0.0;
    };
    refused("no port", { "--count", "2" }, "--port N or --port N=DEVICE is needed");
    refused("two ports", sim + sim, "one --port");
    refused("port 0", { "--port", "0=sim" }, "N from 1 to 255");
    refused("port not a number", { "--port", "ttyUSB0" }, "N from 1 to 255");
    refused("count 0", sim + QStringList { "--count", "0" }, "--count takes");
    refused("negative timeout", sim + QStringList { "--timeout", "-1" }, "--timeout takes");
    refused("timeout in a comma locale", sim + QStringList { "--timeout", "0,5" }, "--timeout");
    refused("stream of no time", sim + QStringList { "--continuous", "0" }, "above 0");
    refused("stream over a day", sim + QStringList { "--continuous", "86401" }, "at most 86400");
    refused("stream with a count", sim + QStringList { "--continuous", "1", "--count", "2" },
        "are for transients");
    refused("stray argument", sim + QStringList { "now" }, "unexpected argument 'now'");
}

void TestCaptureOptions::argumentsAreParsedOrRefused()
{
    QFETCH(QStringList, args);
    QFETCH(QString, error);
    const CaptureOptions options
        = CaptureOptions::parse(QStringList { QStringLiteral("velmora-capture") } + args);
    if (!error.isEmpty()) {
        QVERIFY2(options.error.contains(error), qPrintable(options.error));
        return;
    }
    QCOMPARE(options.error, QString());
    QTEST(options.port, "port");
    QTEST(options.portOption, "portOption");
    QTEST(options.count, "count");
    QTEST(options.timeoutSeconds, "timeout");
    QTEST(options.outDir, "out");
    QTEST(options.continuousSeconds, "continuous");
}

QTEST_APPLESS_MAIN(TestCaptureOptions)
#include "tst_capture_options.moc"
