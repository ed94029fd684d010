// The transient tools of the main window: the magnifier, the pen colours, clearing, and saving and
// loading the chart as a picture file.
#include "ui/folap.h"

#include "capture/magnifier_trace.h"
#include "core/module_state.h"
#include "core/user_prompts.h"
#include "files/common_dialog.h"
#include "files/file_exists.h"
#include "files/file_messages.h"
#include "files/transient_bitmap.h"
#include "ui/chart_surface.h"
#include "ui_folap.h"

#include <QKeyEvent>

#include <iterator>

namespace {

// The pen colour each swatch selects, 0x00BBGGRR.
constexpr quint32 kSzinColors[] = { 0x000000, 0x0000FF, 0xFFFF00, 0xFF00FF };

// QScrollBar inverts its controls so that the wheel and Page Down scroll forwards, which also
// turns the Left and Right keys of a horizontal bar round. Right has to move the magnifier right.
class ArrowKeysInScreenDirection : public QObject
{
public:
    using QObject::QObject;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key != Qt::Key_Left && key != Qt::Key_Right)
            return false;
        static_cast<QAbstractSlider *>(watched)->triggerAction(key == Qt::Key_Right
                ? QAbstractSlider::SliderSingleStepAdd
                : QAbstractSlider::SliderSingleStepSub);
        return true;
    }
};

// Both dialogs are set up anew before every show, so the same name is proposed each time.
CommonDialog setUpForShow(CommonDialog dialog, const char *filter)
{
    dialog.setCancelError(true);
    dialog.setFilter(QLatin1String(filter));
    dialog.setFileName(QLatin1String(kProposedFileName));
    return dialog;
}

} // namespace

void Folap::wireTransientTools()
{
    m_ui->Csuszka->installEventFilter(new ArrowKeysInScreenDirection(m_ui->Csuszka));
    connect(m_ui->Csuszka, &QScrollBar::valueChanged, this, &Folap::Csuszka_ValueChanged);
    QRadioButton *const szin[] = { m_ui->Szin_0, m_ui->Szin_1, m_ui->Szin_2, m_ui->Szin_3 };
    for (int index = 0; index < int(std::size(szin)); ++index)
        connect(szin[index], &QRadioButton::toggled, this, [this, index](bool selected) {
            if (selected)
                Szin_Click(index);
        });
    connect(m_ui->Torlesgomb, &QPushButton::clicked, this, &Folap::Torlesgomb_Click);
    connect(m_ui->Mentes, &QPushButton::clicked, this, &Folap::Mentes_Click);
    connect(m_ui->Betolt, &QPushButton::clicked, this, &Folap::Betolt_Click);
}

// ---- Magnifier ----

void Folap::Csuszka_Change()
{
    ChartSurface &rajz = *m_ui->Rajz;
    rajz.Cls();
    rajz.setDrawWidth(kMagnifierLineWidth);
    const QList<QPoint> points = magnifierTrace(m_session->captureBuffer(), m_ui->Csuszka->value());
    // The first point only places the pen at the start of the zero line.
    rajz.Line(points.first(), points.first(), m_state.PenColor);
    for (qsizetype i = 1; i < points.size(); ++i)
        rajz.LineTo(points.at(i), m_state.PenColor);
    m_session->discardWaitingInput();
}

void Folap::Csuszka_Scroll()
{
    Csuszka_Change();
}

// QScrollBar reports every change of value once, whether a drag, a click or code made it; a
// change while the thumb is held is the scroll event, any other the change event. Listening to
// sliderMoved as well would draw each drag step twice, and before the value has moved.
void Folap::Csuszka_ValueChanged()
{
    if (m_ui->Csuszka->isSliderDown())
        Csuszka_Scroll();
    else
        Csuszka_Change();
}

// ---- Pen colour and clearing ----

void Folap::Szin_Click(int Index)
{
    if (Index < 0 || Index >= int(std::size(kSzinColors)))
        return;
    m_state.PenColor = kSzinColors[Index];
}

void Folap::Torlesgomb_Click()
{
    m_ui->Rajz->Cls();
}

// ---- Picture files ----

void Folap::Mentes_Click()
{
    CommonDialog DialogSave = setUpForShow(makeDialogSave(m_prompts, this), kSaveFilter);
    if (const int error = DialogSave.ShowSave()) {
        ReportFileError(error);
        return;
    }
    if (FileExists(DialogSave.FileName(), DialogSave.FileTitle())
        && m_prompts.message(this, OverwriteQuestion(DialogSave.FileTitle()),
               UserPrompts::Icon::Question, UserPrompts::Buttons::OkCancel)
            == UserPrompts::Answer::Cancel)
        return;
    ReportFileError(saveTransientBitmap(m_ui->Rajz->image(), DialogSave.FileName()));
}

void Folap::Betolt_Click()
{
    CommonDialog DialogOpen = setUpForShow(makeDialogOpen(m_prompts, this), kOpenFilter);
    if (const int error = DialogOpen.ShowOpen()) {
        ReportFileError(error);
        return;
    }
    if (!FileExists(DialogOpen.FileName(), DialogOpen.FileTitle())) {
        m_prompts.message(this, NotExistMessage(DialogOpen.FileTitle()),
            UserPrompts::Icon::Critical, UserPrompts::Buttons::Ok);
        return;
    }
    QImage picture;
    const int error = loadTransientPicture(DialogOpen.FileName(), &picture);
    // Only a picture read in full replaces the background; the lines drawn go with the old one.
    if (error == kFileOk)
        m_ui->Rajz->setPicture(picture);
    ReportFileError(error);
}

void Folap::ReportFileError(int errorNumber)
{
    if (const std::optional<QString> text = FileErrorMessage(errorNumber))
        m_prompts.message(this, *text, UserPrompts::Icon::None, UserPrompts::Buttons::Ok);
}
