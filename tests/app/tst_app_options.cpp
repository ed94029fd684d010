// The command line and the decision whether the monitor can run where it was started.
#include "app/app_options.h"

#include <QTest>

class TestAppOptions : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void argumentsAreParsed_data();
    void argumentsAreParsed();
    void demoStartAndScreenshotTimingAreParsed_data();
    void demoStartAndScreenshotTimingAreParsed();
    void statsPeriodIsParsed();
    void calculatorScreenshotIsParsed_data();
    void calculatorScreenshotIsParsed();
    void analysisScreenshotArmsTheTriggeredMode_data();
    void analysisScreenshotArmsTheTriggeredMode();
    void liveChartAndItsScreenshot_data();
    void liveChartAndItsScreenshot();
    void platformDependsOnDisplayAndScreenshot_data();
    void platformDependsOnDisplayAndScreenshot();
};

void TestAppOptions::argumentsAreParsed_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("screenshot");
    QTest::addColumn<QStringList>("ports");
    QTest::addColumn<bool>("help");
    QTest::addColumn<bool>("error");
    QTest::newRow("nothing") << QStringList {} << "" << QStringList {} << false << false;
    QTest::newRow("screenshot") << QStringList { "--screenshot", "/tmp/a.png" } << "/tmp/a.png"
                                << QStringList {} << false << false;
    QTest::newRow("screenshot with equals") << QStringList { "--screenshot=/tmp/b.png" }
                                            << "/tmp/b.png" << QStringList {} << false << false;
    QTest::newRow("ports in order")
        << QStringList { "--port", "3=/dev/ttyUSB1", "--port", "7=sim" } << ""
        << QStringList { "3=/dev/ttyUSB1", "7=sim" } << false << false;
    QTest::newRow("help") << QStringList { "--help" } << "" << QStringList {} << true << false;
    QTest::newRow("screenshot without file")
        << QStringList { "--screenshot" } << "" << QStringList {} << false << true;
    QTest::newRow("empty screenshot file")
        << QStringList { "--screenshot=" } << "" << QStringList {} << false << true;
    QTest::newRow("unknown option")
        << QStringList { "--fast" } << "" << QStringList {} << false << true;
    QTest::newRow("stray argument")
        << QStringList { "file.bmp" } << "" << QStringList {} << false << true;
}

void TestAppOptions::argumentsAreParsed()
{
    QFETCH(QStringList, args);
    QFETCH(QString, screenshot);
    QFETCH(QStringList, ports);
    QFETCH(bool, help);
    QFETCH(bool, error);
    args.prepend(QStringLiteral("velmora-monitor"));
    const AppOptions options = AppOptions::parse(args);
    QCOMPARE(!options.error.isEmpty(), error);
    if (error)
        return;
    QCOMPARE(options.screenshotFile, screenshot);
    QCOMPARE(options.portOptions, ports);
    QCOMPARE(options.helpRequested, help);
}

void TestAppOptions::demoStartAndScreenshotTimingAreParsed_data()
{
    using S = AppOptions::StartMode;
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("demo");
    QTest::addColumn<S>("start");
    QTest::addColumn<int>("afterMs");
    QTest::addColumn<bool>("afterCapture");
    QTest::addColumn<bool>("error");
    QTest::newRow("defaults") << QStringList {} << false << S::None << 0 << false << false;
    QTest::newRow("demo") << QStringList { "--demo" } << true << S::None << 0 << false << false;
    QTest::newRow("start continuous")
        << QStringList { "--start", "continuous" } << false << S::Continuous << 0 << false << false;
    QTest::newRow("start triggered")
        << QStringList { "--start=triggered" } << false << S::Triggered << 0 << false << false;
    QTest::newRow("unknown mode") << QStringList { "--start", "fast" } << false << S::None << 0
                                  << false << true;
    QTest::newRow("screenshot after time")
        << QStringList { "--demo", "--screenshot", "a.png", "--after", "1500" } << true << S::None
        << 1500 << false << false;
    QTest::newRow("screenshot after capture")
        << QStringList { "--screenshot", "a.png", "--after-capture", "--start", "triggered" }
        << false << S::Triggered << 0 << true << false;
    QTest::newRow("after is not a number")
        << QStringList { "--screenshot", "a.png", "--after", "soon" } << false << S::None << 0
        << false << true;
    QTest::newRow("negative after") << QStringList { "--screenshot", "a.png", "--after", "-1" }
                                    << false << S::None << 0 << false << true;
    QTest::newRow("after without screenshot")
        << QStringList { "--after", "100" } << false << S::None << 0 << false << true;
    QTest::newRow("stats every zero")
        << QStringList { "--stats-every", "0" } << false << S::None << 0 << false << true;
    QTest::newRow("after-capture without screenshot")
        << QStringList { "--after-capture" } << false << S::None << 0 << false << true;
}

void TestAppOptions::demoStartAndScreenshotTimingAreParsed()
{
    QFETCH(QStringList, args);
    QFETCH(bool, demo);
    QFETCH(AppOptions::StartMode, start);
    QFETCH(int, afterMs);
    QFETCH(bool, afterCapture);
    QFETCH(bool, error);
    args.prepend(QStringLiteral("velmora-monitor"));
    const AppOptions options = AppOptions::parse(args);
    QCOMPARE(!options.error.isEmpty(), error);
    if (error)
        return;
    QCOMPARE(options.demo, demo);
    QCOMPARE(options.start, start);
    QCOMPARE(options.screenshotAfterMs, afterMs);
    QCOMPARE(options.screenshotAfterCapture, afterCapture);
}

void TestAppOptions::statsPeriodIsParsed()
{
    const AppOptions options = AppOptions::parse({ QStringLiteral("velmora-monitor"),
        QStringLiteral("--stats-every"), QStringLiteral("60") });
    QVERIFY(options.error.isEmpty());
    QCOMPARE(options.statsEverySeconds, 60);
    QCOMPARE(AppOptions::parse({ QStringLiteral("velmora-monitor") }).statsEverySeconds, 0);
}

void TestAppOptions::calculatorScreenshotIsParsed_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("calculator");
    QTest::addColumn<QString>("window");
    QTest::addColumn<bool>("error");
    QTest::newRow("calculator alone")
        << QStringList { "--screenshot-calculator", "c.png" } << "c.png"
        << "" << false;
    QTest::newRow("with the main window")
        << QStringList { "--screenshot-calculator=c.png", "--screenshot", "w.png" } << "c.png"
        << "w.png" << false;
    QTest::newRow("without file") << QStringList { "--screenshot-calculator=" } << ""
                                  << "" << true;
    // The wait is the main window's; the calculator is drawn as it opens.
    QTest::newRow("after goes with the main window")
        << QStringList { "--screenshot-calculator", "c.png", "--after", "100" } << ""
        << "" << true;
}

void TestAppOptions::calculatorScreenshotIsParsed()
{
    QFETCH(QStringList, args);
    QFETCH(QString, calculator);
    QFETCH(QString, window);
    QFETCH(bool, error);
    args.prepend(QStringLiteral("velmora-monitor"));
    const AppOptions options = AppOptions::parse(args);
    QCOMPARE(!options.error.isEmpty(), error);
    if (error)
        return;
    QCOMPARE(options.calculatorScreenshotFile, calculator);
    QCOMPARE(options.screenshotFile, window);
    // Either picture can be drawn where there is no display.
    QCOMPARE(options.platformFor(false, false), AppOptions::Platform::Offscreen);
}

void TestAppOptions::analysisScreenshotArmsTheTriggeredMode_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("file"); // empty: refused
    QTest::newRow("alone") << QStringList { "--screenshot-analysis", "a.png" } << "a.png";
    QTest::newRow("triggered asked for too")
        << QStringList { "--start", "triggered", "--screenshot-analysis=a.png" } << "a.png";
    QTest::newRow("continuous cannot capture")
        << QStringList { "--screenshot-analysis", "a.png", "--start", "continuous" } << "";
    QTest::newRow("without file") << QStringList { "--screenshot-analysis=" } << "";
    QTest::newRow("the report alone") << QStringList { "--report-analysis", "r.pdf" } << "r.pdf";
    QTest::newRow("the report, continuous")
        << QStringList { "--report-analysis", "r.pdf", "--start", "continuous" } << "";
}

void TestAppOptions::analysisScreenshotArmsTheTriggeredMode()
{
    QFETCH(QStringList, args);
    QFETCH(QString, file);
    args.prepend(QStringLiteral("velmora-monitor"));
    const AppOptions options = AppOptions::parse(args);
    QCOMPARE(options.error.isEmpty(), !file.isEmpty());
    if (file.isEmpty())
        return;
    QCOMPARE(options.analysisScreenshotFile + options.analysisReportFile, file);
    QCOMPARE(options.start, AppOptions::StartMode::Triggered);
    QCOMPARE(options.platformFor(false, false), AppOptions::Platform::Offscreen);
}

void TestAppOptions::liveChartAndItsScreenshot_data()
{
    using S = AppOptions::StartMode;
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("file"); // "!" for refused
    QTest::addColumn<bool>("demo");
    QTest::addColumn<S>("start");
    QTest::newRow("the chart alone") << QStringList { "--live-chart" } << "" << false << S::None;
    QTest::newRow("its picture") << QStringList { "--screenshot-live", "l.png" } << "l.png" << true
                                 << S::Continuous;
    QTest::newRow("its picture, continuous asked for too") << QStringList { "--start=continuous",
        "--screenshot-live=l.png" } << "l.png" << true << S::Continuous;
    QTest::newRow("triggered has no live samples") << QStringList { "--screenshot-live", "l.png",
        "--start", "triggered" } << "!" << false << S::None;
    QTest::newRow("not with the analysis window's picture")
        << QStringList { "--screenshot-live", "l.png", "--screenshot-analysis", "a.png" } << "!"
        << false << S::None;
    QTest::newRow("without file") << QStringList { "--screenshot-live=" } << "!" << false
                                  << S::None;
}

void TestAppOptions::liveChartAndItsScreenshot()
{
    QFETCH(QStringList, args);
    QFETCH(QString, file);
    QFETCH(bool, demo);
    QFETCH(AppOptions::StartMode, start);
    args.prepend(QStringLiteral("velmora-monitor"));
    const AppOptions options = AppOptions::parse(args);
    QCOMPARE(options.error.isEmpty(), file != QLatin1String("!"));
    if (!options.error.isEmpty())
        return;
    QVERIFY(options.liveChart);
    QCOMPARE(options.liveScreenshotFile, file);
    QCOMPARE(options.demo, demo);
    QCOMPARE(options.start, start);
    QCOMPARE(options.platformFor(false, false),
        file.isEmpty() ? AppOptions::Platform::NoDisplay : AppOptions::Platform::Offscreen);
}

void TestAppOptions::platformDependsOnDisplayAndScreenshot_data()
{
    using P = AppOptions::Platform;
    QTest::addColumn<bool>("screenshot");
    QTest::addColumn<bool>("hasDisplay");
    QTest::addColumn<bool>("platformChosen");
    QTest::addColumn<P>("platform");
    QTest::newRow("desktop") << false << true << false << P::AsIs;
    QTest::newRow("desktop screenshot") << true << true << false << P::AsIs;
    QTest::newRow("headless screenshot") << true << false << false << P::Offscreen;
    QTest::newRow("headless interactive") << false << false << false << P::NoDisplay;
    QTest::newRow("platform chosen by the user") << false << false << true << P::AsIs;
}

void TestAppOptions::platformDependsOnDisplayAndScreenshot()
{
    QFETCH(bool, screenshot);
    QFETCH(bool, hasDisplay);
    QFETCH(bool, platformChosen);
    QFETCH(AppOptions::Platform, platform);
    AppOptions options;
    if (screenshot)
        options.screenshotFile = QStringLiteral("/tmp/shot.png");
    QCOMPARE(options.platformFor(hasDisplay, platformChosen), platform);
}

QTEST_APPLESS_MAIN(TestAppOptions)
#include "tst_app_options.moc"
