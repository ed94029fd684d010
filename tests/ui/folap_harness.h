// A main window on fake ports, scripted prompts and a fresh settings store, for the window tests.
#pragma once

#include "back_color_of.h"
#include "core/module_state.h"
#include "core/stored_settings.h"
#include "fake_serial_device.h"
#include "scripted_prompts.h"
#include "serial/port_map.h"
#include "temp_config.h"
#include "ui/back_color.h"
#include "ui/folap.h"

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

    // As the program starts it: the stored values read and handed to the window, and written
    // back when it closes.
    Folap &start() { return start(ports.factory()); }
    Folap &start(SerialControl::DeviceFactory factory)
    {
        window = std::make_unique<Folap>(
            state, std::move(factory), portMap, prompts, storedSettings());
        QObject::connect(window.get(), &Folap::settingsToStore, window.get(), &storeSettings);
        return *window;
    }

    static FolapSettings storedSettings()
    {
        StoredSettings stored;
        return { stored.readPort(), stored.readMinta(), stored.readReconnect(),
            stored.readLiveSpanMs(), stored.readLiveHistoryMinutes() };
    }
    static void storeSettings(const FolapSettings &settings)
    {
        StoredSettings stored;
        stored.writePort(settings.portIndex);
        stored.writeMinta(settings.minta);
        stored.writeReconnect(settings.reconnect);
        stored.writeLiveSpanMs(settings.liveSpanMs);
    }

    static QString appName() { return QCoreApplication::applicationName(); }

    template <typename T> T *control(const QString &name) const
    {
        T *found = window->findChild<T *>(name);
        if (!found)
            qFatal("no control %s", qPrintable(name));
        return found;
    }
    quint32 backColor(const QString &name) const { return backColorOf(control<QWidget>(name)); }
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
