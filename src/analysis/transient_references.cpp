// Reference captures and their slots.
#include "analysis/transient_references.h"

bool TransientReferences::add(const TransientCapture &capture, const QString &name)
{
    if (isFull())
        return false;
    int slot = 0;
    const auto taken = [this](int s) {
        for (const Reference &r : m_references) {
            if (r.slot == s)
                return true;
        }
        return false;
    };
    while (taken(slot))
        ++slot;
    m_references.append({ capture, transientFigures(capture.samples), name, slot });
    return true;
}

void TransientReferences::remove(int row)
{
    if (row >= 0 && row < m_references.size())
        m_references.removeAt(row);
}
