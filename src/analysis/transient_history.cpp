// This run's captures, newest first.
#include "analysis/transient_history.h"

void TransientHistory::add(const TransientCapture &capture)
{
    if (isFull())
        m_entries.resize(kMaxCaptures - 1);
    // The figures are worked out once, as the capture comes in.
    m_entries.prepend({ capture, transientFigures(capture.samples) });
}
