// Compiled into every test program that makes windows: the process-wide set-up main() does for
// the monitor, run as soon as the test's application object exists.
#include "ui/process_setup.h"

#include <QGuiApplication>

static void setUpWindowsForTest()
{
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        setUpUiProcess();
}
Q_COREAPP_STARTUP_FUNCTION(setUpWindowsForTest)
