// Another program holding a serial device, for the "port in use" cases: a copy of the running
// test opens the device and keeps it open until the holder is destroyed. A test using it calls
// holdPortIfAsked() first thing in main().
#pragma once

#include <QProcess>
#include <QString>

class PortHolder
{
public:
    explicit PortHolder(const QString &devicePath);
    ~PortHolder();
    PortHolder(const PortHolder &) = delete;
    PortHolder &operator=(const PortHolder &) = delete;

    // Waits until the copy has the device open; false when it could not open it.
    bool holds();

private:
    QProcess m_process;
};

// In the copy a PortHolder started: holds the device until told to stop and returns the exit
// code for main(). Anywhere else: returns -1 at once.
int holdPortIfAsked(int argc, char **argv);
