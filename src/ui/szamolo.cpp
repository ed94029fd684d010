// The rotation calculator window.
#include "ui/szamolo.h"
#include "ui_szamolo.h"

#include "core/module_state.h"
#include "ui/form_design.h"

#include <QButtonGroup>
#include <QFocusEvent>

namespace {

constexpr qreal kSmallestResultPoints = 6;

QButtonGroup *optionGroup(QObject *owner, std::initializer_list<QAbstractButton *> options)
{
    auto *group = new QButtonGroup(owner);
    int id = 0;
    for (QAbstractButton *option : options)
        group->addButton(option, id++);
    return group;
}

} // namespace

Szamolo::Szamolo(ModuleState &state, QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::Szamolo>())
    , m_calculator(state)
{
    m_ui->setupUi(this);
    applyDesign();
    wireHandlers();
    m_design = contents();
    m_revolutionsFont = m_ui->Fordulat->font();
}

Szamolo::~Szamolo()
{
    m_ui->Encoder->removeEventFilter(this);
}

void Szamolo::done(int result)
{
    Form_Unload();
    QDialog::done(result);
}

QImage Szamolo::renderForScreenshot(ModuleState &state)
{
    Szamolo dialog(state);
    return dialog.grab().toImage();
}

bool Szamolo::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_ui->Encoder && event->type() == QEvent::FocusOut) {
        // Only a move to another control counts; switching windows or opening the field's
        // context menu leaves the entry being typed alone.
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            Encoder_LostFocus();
    }
    return QDialog::eventFilter(watched, event);
}

void Szamolo::Seb_Click(int index)
{
    m_calculator.Seb_Click(index);
}

void Szamolo::Oszto_Click(int index)
{
    m_calculator.Oszto_Click(index);
}

void Szamolo::Encoder_LostFocus()
{
    m_ui->Encoder->setText(m_calculator.Encoder_LostFocus(m_ui->Encoder->text()));
}

void Szamolo::Szamitas_Click()
{
    const auto outcome = m_calculator.Szamitas_Click(m_ui->Encoder->text(), m_seb->checkedId(),
        m_oszto->checkedId() == RotationCalculator::kDoubleOption);
    m_ui->Encoder->setText(outcome.encoderText);
    showRevolutions(outcome.revolutions);
    m_ui->Vedelem->setText(outcome.danger);
}

void Szamolo::Form_Unload()
{
    // Whoever keeps this object, the next opening shows the form as designed; the calculator
    // values in the module state outlive it.
    m_seb->button(m_design.pulseOption)->setChecked(true);
    m_oszto->button(m_design.encoderOption)->setChecked(true);
    m_ui->Encoder->setText(m_design.encoderText);
    showRevolutions(m_design.revolutions);
    m_ui->Vedelem->setText(m_design.danger);
}

Szamolo::FormContents Szamolo::contents() const
{
    return { m_seb->checkedId(), m_oszto->checkedId(), m_ui->Encoder->text(),
        m_ui->Fordulat->text(), m_ui->Vedelem->text() };
}

void Szamolo::showRevolutions(const QString &text)
{
    // Seven digits, or a number in exponent form, are wider than the result label at its design
    // size; right-aligned, they would lose their leading digits and read as a smaller number.
    QLabel *const label = m_ui->Fordulat;
    QFont font = m_revolutionsFont;
    const auto needed = [&font, &text] {
        const QFontMetrics metrics(font);
        return metrics.horizontalAdvance(text) + metrics.horizontalAdvance(QLatin1Char('x')) / 2;
    };
    while (needed() > label->contentsRect().width() && font.pointSizeF() > kSmallestResultPoints)
        font.setPointSizeF(font.pointSizeF() - 0.75);
    label->setFont(font);
    label->setText(text);
}

// What the form file cannot say: names with an index, fractional font sizes, self-sizing
// labels, the fixed frame, the icon and the start position.
void Szamolo::applyDesign()
{
    FormDesign::nameControlArrays(this);
    FormDesign::setFractionalFonts(
        { { m_ui->Fordulat, 21.75 }, { m_ui->Label4_0, 20.25 }, { m_ui->Vedelem, 9.75 } });
    // The unit beside the field sizes itself too, so that a system font wider than the one the
    // form was drawn for does not cut it short.
    for (QLabel *label :
        { m_ui->Label1, m_ui->Label3, m_ui->Label2_0, m_ui->Label4_0, m_ui->Label2_1 })
        label->adjustSize();

    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint
        | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(size());
    FormDesign::setIcon(this, QStringLiteral(":/calculator/szamolo16.png"),
        QStringLiteral(":/calculator/szamolo32.png"));
    FormDesign::centreOnScreen(this);
}

void Szamolo::wireHandlers()
{
    m_seb = optionGroup(this, { m_ui->Seb_0, m_ui->Seb_1, m_ui->Seb_2 });
    m_oszto = optionGroup(this, { m_ui->Oszto_0, m_ui->Oszto_1 });
    connect(m_seb, &QButtonGroup::idClicked, this, &Szamolo::Seb_Click);
    connect(m_oszto, &QButtonGroup::idClicked, this, &Szamolo::Oszto_Click);
    connect(m_ui->Szamitas, &QPushButton::clicked, this, &Szamolo::Szamitas_Click);
    m_ui->Encoder->installEventFilter(this);
}
