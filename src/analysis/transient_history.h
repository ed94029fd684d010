// This run's captures with their figures, newest first: the last 200 of them, whether or not
// the analysis window has been opened.
#pragma once

#include "analysis/transient_figures.h"
#include "capture/transient_samples.h"

#include <QList>

class TransientHistory
{
public:
    static constexpr int kMaxCaptures = 200;

    struct Entry
    {
        TransientCapture capture;
        TransientFigures figures;
    };

    // Puts a capture first, dropping the oldest beyond kMaxCaptures.
    void add(const TransientCapture &capture);
    void dropOldest() { m_entries.removeLast(); }
    // The tuner's words on a capture, written into its files from now on.
    void setNote(int row, const QString &note) { m_entries[row].capture.note = note; }

    int count() const { return int(m_entries.size()); }
    bool isFull() const { return count() >= kMaxCaptures; }
    // Row 0 is the newest.
    const Entry &at(int row) const { return m_entries.at(row); }

private:
    QList<Entry> m_entries;
};
