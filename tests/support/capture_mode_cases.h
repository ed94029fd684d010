// The rows of the capture modes' state table: where a run stands and what happens next. Shared
// by the session's table and the main window's, so both walk the same transitions.
#pragma once

#include <QMetaType>

enum class Setup { IdleTriggered, IdleContinuous, ContinuousRunning, TriggeredArmed };
enum class Event {
    ContinuousStart,
    ContinuousStop,
    TriggeredStart,
    TriggeredStop,
    ChooseContinuous,
    ChooseTriggered,
    ToggleSaver,
    ChooseAnotherPort,
    Overflow,
    OverSpin,
};

Q_DECLARE_METATYPE(Setup)
Q_DECLARE_METATYPE(Event)
