// The captures the analysis window draws behind the shown one for comparison: up to 8, each
// keeping its slot (and so its colour) for as long as it stays, so that removing one does not
// repaint the others.
#pragma once

#include "analysis/transient_figures.h"
#include "capture/transient_samples.h"

#include <QList>
#include <QString>

class TransientReferences
{
public:
    static constexpr int kMaxReferences = 8;

    struct Reference
    {
        TransientCapture capture;
        TransientFigures figures;
        QString name; // a file name or the capture's label
        int slot = 0; // 0..kMaxReferences - 1: which of the window's reference colours
    };

    bool isFull() const { return m_references.size() >= kMaxReferences; }
    int count() const { return int(m_references.size()); }
    const Reference &at(int row) const { return m_references.at(row); }
    const QList<Reference> &all() const { return m_references; }

    // Appends in the first slot no reference holds; false, changing nothing, when full.
    bool add(const TransientCapture &capture, const QString &name);
    // Rows out of range are ignored.
    void remove(int row);

private:
    QList<Reference> m_references;
};
