// A main window on fake ports, scripted prompts and a fresh settings store, for the window tests.
#pragma once

#include "fake_serial_device.h"
#include "scripted_prompts.h"
#include "serial/port_map.h"
#include "temp_config.h"
#include "ui/back_color.h"
#include "ui/folap.h"
#include "ui/module_state.h"

#include <QCoreApplication>
#include <QSettings>
#include <QTest>

#include <memory>

struct FolapHarness
{
    TempConfig config;
    ModuleState state;
    FakeSerialPorts ports;
    PortMap portMap;
    ScriptedPrompts prompts;
    std::unique_ptr<Folap> window;

    // Settings stored before the window starts, as "[Setup]" INI lines; empty for a first run.
    explicit FolapHarness(const QByteArray &setupLines = QByteArray())
    {
        if (!setupLines.isEmpty())
            config.writeIni(appName(), "[Setup]\n" + setupLines);
    }

    Folap &start()
    {
        window = std::make_unique<Folap>(state, ports.factory(), portMap, prompts);
        return *window;
    }

    static QString appName() { return QCoreApplication::applicationName(); }

    template <typename T> T *control(const QString &name) const
    {
        T *found = window->findChild<T *>(name);
        if (!found)
            qFatal("no control %s", qPrintable(name));
        return found;
    }
    quint32 backColor(const QString &name) const { return BackColor(control<QWidget>(name)); }
    void setBackColorOf(const QString &name, quint32 color) const
    {
        setBackColor(control<QWidget>(name), color);
    }

    // Opens the port directly on the control, as a Start would have done.
    void openPort(int port)
    {
        ports.next(port);
        window->MSComm().setCommPort(port);
        QCOMPARE(window->MSComm().setPortOpen(true), SerialError::None);
    }

    QString stored(const QString &key) const
    {
        QSettings file(config.iniFile(appName()), QSettings::IniFormat);
        return file.value(QStringLiteral("Setup/") + key, QStringLiteral("<missing>")).toString();
    }
};
