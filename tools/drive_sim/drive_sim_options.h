// Command line of velmora-drive-sim, and the drive it asks for.
#pragma once

#include "sim/drive_sender.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>

struct DriveSimOptions
{
    // A pseudo-terminal carries no RTS, so the mode is chosen here; in triggered mode the
    // reader's opening of the terminal stands in for RTS.
    bool triggered = false;
    std::uint64_t seed = 1;
    double durationSeconds = 0.0; // 0: until stopped
    double overspinEverySeconds = 0.0;
    int bytesPerSecond = DriveSender::kDefaultBytesPerSecond;
    // Write exactly this many bytes at a time, one piece every pieceBytes / rate seconds, as an
    // adapter that hands its bytes over in fixed blocks; 0: whatever is due every few ms.
    int pieceBytes = 0;
    QString rawFile;
    bool waitOpen = false;
    // The first byte on the line is a sample's value byte, as when a reader opens the port while
    // the drive is already streaming.
    bool startMidSample = false;
    bool stats = false;
};

struct DriveSimCommand
{
    enum class Action { Run, ShowHelp, ShowVersion, Fail };
    Action action = Action::Run;
    DriveSimOptions options;
    QString message; // the help or version text, or what is wrong with the command line
};

// arguments[0] is the program name.
DriveSimCommand parseDriveSimCommand(const QStringList &arguments);

// The model, or the recorded file, behind a sender at the chosen rate; null with *error set
// when the file cannot be read or holds no sample.
std::unique_ptr<DriveSender> makeDriveSender(const DriveSimOptions &options, QString *error);
