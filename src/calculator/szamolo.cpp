// The rotation calculator window.
#include "calculator/szamolo.h"

#include "ui/module_state.h"

Szamolo::Szamolo(ModuleState &state, QWidget *parent)
    : QDialog(parent)
    , m_state(state)
{
    setWindowTitle(QStringLiteral("Rotate Calculation"));
    setFixedSize(424, 321);
}

Szamolo::~Szamolo() = default;
