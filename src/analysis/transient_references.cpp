// Reference captures and their colours.
#include "analysis/transient_references.h"

bool TransientReferences::add(const TransientCapture &capture, const QString &name)
{
    if (isFull())
        return false;
    int colour = 0;
    const auto taken = [this](int c) {
        for (const Reference &r : m_references) {
            if (r.colour == c)
                return true;
        }
        return false;
    };
    while (taken(colour))
        ++colour;
    m_references.append({ capture, name, colour });
    return true;
}

void TransientReferences::remove(int row)
{
    if (row >= 0 && row < m_references.size())
        m_references.removeAt(row);
}
