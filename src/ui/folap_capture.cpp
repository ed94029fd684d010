// The capture modes of the main window: the two mode options, their Start and Stop buttons, and
// the serial control's events, which show live samples and record transients.
#include "ui/folap.h"

#include "capture/overview_trace.h"
#include "serial/sample_decoder.h"
#include "ui/back_color.h"
#include "ui/chart_surface.h"
#include "ui/module_state.h"
#include "ui/readout_label.h"
#include "ui/vertical_gauge.h"
#include "ui_folap.h"

#include <algorithm>

namespace {

constexpr qint16 kContinuousBufferSize = 4000;
constexpr qint16 kTriggeredBufferSize = 4000;
constexpr qint16 kTriggeredThreshold = 2000;

} // namespace

// ---- Mode options ----

void Folap::Foly_Click()
{
    if (m_comm->PortOpen()) {
        ClosePort();
        setBackColor(m_ui->LED, LampColor::Red);
    }
    ApplyProfile(false, kContinuousBufferSize, m_state.MintaSetting, m_state.MintaSetting);
}

void Folap::Triger_Click()
{
    if (m_comm->PortOpen()) {
        ClosePort();
        setBackColor(m_ui->LED, LampColor::Red);
        setBackColor(m_ui->LED2, LampColor::Black);
    }
    ApplyProfile(true, kTriggeredBufferSize, kTriggeredThreshold, 1);
}

// ---- Start and Stop ----

void Folap::FStart_Click()
{
    m_PortNumber = quint8(m_ui->Portok->currentIndex() + 1);
    if (const int error = startContinuous())
        ReportStartFailure(StartVariant::Continuous, error);
}

int Folap::startContinuous()
{
    if (m_ui->Triger->isChecked())
        return stopForTheOtherMode();
    if (const int error = OpenPort())
        return error;
    setBackColor(m_ui->LED, LampColor::Green);
    if (!m_ui->Csok->isChecked())
        setBackColor(m_ui->LED2, LampColor::Green);
    m_ui->Rajz->Cls();
    return SerialError::None;
}

void Folap::FStop_Click()
{
    if (m_ui->Triger->isChecked())
        return;
    m_comm->setRTSEnable(false);
    ClosePort();
    setBackColor(m_ui->LED, LampColor::Red);
    setBackColor(m_ui->LED2, LampColor::Black);
}

void Folap::TStart_Click()
{
    m_PortNumber = quint8(m_ui->Portok->currentIndex() + 1);
    setBackColor(m_ui->LED2, LampColor::Black);
    if (const int error = startTriggered())
        ReportStartFailure(StartVariant::Triggered, error);
}

int Folap::startTriggered()
{
    if (!m_ui->Triger->isChecked())
        return stopForTheOtherMode();
    if (const int error = OpenPort())
        return error;
    setBackColor(m_ui->LED, LampColor::Green);
    std::fill_n(m_state.CaptureBuffer.begin() + 1, ModuleState::kCaptureLength, quint8(0));
    m_comm->setInBufferCount(0);
    // A change of value redraws the (now empty) magnified view through the scroll bar's handler.
    m_ui->Csuszka->setValue(0);
    if (m_ui->Torles->isChecked())
        m_ui->Rajz->Cls();
    return SerialError::None;
}

// A Start pressed while the other mode's option is selected stops the link.
int Folap::stopForTheOtherMode()
{
    if (const int error = ClosePort())
        return error;
    setBackColor(m_ui->LED, LampColor::Red);
    return SerialError::None;
}

void Folap::TMegse_Click()
{
    if (m_ui->Triger->isChecked()) {
        ClosePort();
        setBackColor(m_ui->LED, LampColor::Red);
    }
    setBackColor(m_ui->LED2, LampColor::Black);
}

// ---- The serial control's events ----

void Folap::MSComm_OnComm()
{
    switch (m_comm->CommEvent()) {
    case SerialControl::kEvReceive:
        showLiveSample();
        break;
    case SerialControl::kErOverflow:
        captureTransient();
        break;
    default:
        break;
    }
}

void Folap::showLiveSample()
{
    if (m_ui->Triger->isChecked())
        return;
    const std::optional<LiveSample> sample = decodeSample(m_comm->Input());
    if (!sample)
        return;
    m_state.LiveDeviation = sample->magnitude;
    if (!sample->negative) {
        m_ui->Pozitivbar->setValue(sample->positiveBar);
        m_ui->Negativbar->setValue(0);
    } else {
        if (sample->overSpin)
            setBackColor(m_ui->LED2, LampColor::Red);
        m_ui->Negativbar->setValue(sample->negativeBar);
        m_ui->Pozitivbar->setValue(0);
    }
    m_ui->Ertek->setCaption(sample->caption);
    ++m_samplesShown;
}

void Folap::captureTransient()
{
    for (int i = 1; i <= ModuleState::kCaptureLength; ++i) {
        const QString one = m_comm->Input();
        m_state.CaptureBuffer[i] = one.isEmpty() ? 0 : quint8(one.at(0).unicode());
    }
    DrawCaptureOverview();
    ++m_capturesDrawn;
    Q_EMIT transientDrawn();

    ClosePort();
    m_comm->setCommPort(m_PortNumber);
    setBackColor(m_ui->LED, LampColor::Red);
    // The port can be gone by now (adapter pulled, taken by another program). The capture stays
    // drawn and the port closed; the user hears of it as from a triggered Start that failed.
    if (const int error = m_comm->setPortOpen(true))
        ReportStartFailure(StartVariant::Triggered, error);
}

void Folap::DrawCaptureOverview()
{
    ChartSurface *rajz = m_ui->Rajz;
    if (m_ui->Torles->isChecked())
        rajz->Cls();
    rajz->setDrawWidth(kOverviewLineWidth);
    const QList<QPoint> trace = overviewTrace(m_state.CaptureBuffer);
    rajz->Line(trace.first(), trace.first(), m_state.PenColor);
    for (qsizetype k = 1; k < trace.size(); ++k)
        rajz->LineTo(trace.at(k), m_state.PenColor);
}

void Folap::MSComm_DeviceFailed(int errorNumber, const QString &osMessage)
{
    // The control has closed the port already; the bars, the read-out and the chart keep the
    // last they showed.
    ClosePort();
    setBackColor(m_ui->LED, LampColor::Red);
    setBackColor(m_ui->LED2, LampColor::Black);
    qWarning("%s: Comm %d: %s (error %d)", qPrintable(QCoreApplication::applicationName()),
        m_comm->CommPort(), qPrintable(osMessage), errorNumber);
}
