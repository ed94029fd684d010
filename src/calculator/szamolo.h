// The rotation calculator window: from the CNC program's pulse rate, the encoder's lines and the
// drive's encoder configuration it shows the highest safe motor speed and the over-spin verdict.
#pragma once

#include <QDialog>

struct ModuleState;

class Szamolo : public QDialog
{
    Q_OBJECT
public:
    explicit Szamolo(ModuleState &state, QWidget *parent = nullptr);
    ~Szamolo() override;

private:
    ModuleState &m_state;
};
