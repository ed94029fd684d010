// The rotation calculator window: from the CNC program's pulse rate, the encoder's lines and the
// drive's encoder configuration it shows the highest safe motor speed and the over-spin verdict.
// The arithmetic lives in RotationCalculator; this window only passes the controls' contents.
#pragma once

#include "calculator/rotation_calculator.h"

#include <QDialog>
#include <QFont>
#include <QImage>

#include <memory>

struct ModuleState;
class QButtonGroup;

namespace Ui {
class Szamolo;
}

class Szamolo : public QDialog
{
    Q_OBJECT
public:
    explicit Szamolo(ModuleState &state, QWidget *parent = nullptr);
    ~Szamolo() override;

    // Closing by any path (close box, Escape, a call) unloads the form.
    void done(int result) override;

    // The window as it first opens, drawn off screen: for screenshots and documentation.
    static QImage renderForScreenshot(ModuleState &state);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct FormContents
    {
        int pulseOption = -1;
        int encoderOption = -1;
        QString encoderText;
        QString revolutions;
        QString danger;
    };

    void applyDesign();
    void wireHandlers();

    void Seb_Click(int index);
    void Oszto_Click(int index);
    void Encoder_LostFocus();
    void Szamitas_Click();
    void Form_Unload();

    FormContents contents() const;
    void showRevolutions(const QString &text);

    std::unique_ptr<Ui::Szamolo> m_ui;
    RotationCalculator m_calculator;
    QButtonGroup *m_seb = nullptr;
    QButtonGroup *m_oszto = nullptr;
    FormContents m_design;
    QFont m_revolutionsFont;
};
