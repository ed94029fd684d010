// The capture modes of the main window: the two mode options and their Start and Stop buttons
// forward to the capture session; what the session reports lands on the lamps, the gauge, the
// read-out and the chart.
#include "ui/folap.h"

#include "capture/overview_trace.h"
#include "core/module_state.h"
#include "core/user_prompts.h"
#include "ui/back_color.h"
#include "ui/chart_surface.h"
#include "ui/print_surface.h"
#include "ui/readout_label.h"
#include "ui/vertical_gauge.h"
#include "ui_folap.h"

// ---- Mode options, Start and Stop ----

void Folap::Foly_Click()
{
    m_session->selectContinuous();
}

void Folap::Triger_Click()
{
    m_session->selectTriggered();
}

void Folap::FStart_Click()
{
    m_session->startContinuous(quint8(m_ui->Portok->currentIndex() + 1));
}

void Folap::FStop_Click()
{
    m_session->stopContinuous();
}

void Folap::TStart_Click()
{
    m_session->startTriggered(quint8(m_ui->Portok->currentIndex() + 1));
}

void Folap::TMegse_Click()
{
    m_session->stopTriggered();
}

void Folap::startMode(Mode mode)
{
    if (mode == Mode::Continuous) {
        m_ui->Foly->setChecked(true);
        FStart_Click();
    } else {
        m_ui->Triger->setChecked(true);
        TStart_Click();
    }
}

// ---- What the session reports ----

void Folap::wireSession()
{
    connect(m_session, &CaptureSession::lampChanged, this, &Folap::showLamp);
    connect(m_session, &CaptureSession::liveSample, this, &Folap::showLiveSample);
    connect(m_session, &CaptureSession::clearChart, m_ui->Rajz, &ChartSurface::Cls);
    // A change of value redraws the (now empty) magnified view through the scroll bar's handler.
    connect(m_session, &CaptureSession::captureReset, this, [this] { m_ui->Csuszka->setValue(0); });
    connect(m_session, &CaptureSession::transientCaptured, this, &Folap::DrawCaptureOverview);
    connect(m_session, &CaptureSession::startFailed, this, &Folap::showStartFailure);
    connect(m_session, &CaptureSession::deviceFailed, this, &Folap::MSComm_DeviceFailed);
    connect(m_session, &CaptureSession::waitingForDevice, this, [this](const QString &path) {
        m_ui->LED->setToolTip(path.isEmpty() ? QString() : tr("waiting for %1").arg(path));
    });
}

void Folap::showLamp(CaptureSession::Lamp lamp, CaptureSession::LampState state)
{
    QWidget *const widget = lamp == CaptureSession::Lamp::Run ? m_ui->LED : m_ui->LED2;
    switch (state) {
    case CaptureSession::LampState::Red:
        setBackColor(widget, LampColor::Red);
        break;
    case CaptureSession::LampState::Green:
        setBackColor(widget, LampColor::Green);
        break;
    case CaptureSession::LampState::Black:
        setBackColor(widget, LampColor::Black);
        break;
    }
}

void Folap::showLiveSample(const LiveSample &sample)
{
    if (!sample.negative) {
        m_ui->Pozitivbar->setValue(sample.positiveBar());
        m_ui->Negativbar->setValue(0);
    } else {
        m_ui->Negativbar->setValue(sample.negativeBar());
        m_ui->Pozitivbar->setValue(0);
    }
    m_ui->Ertek->setCaption(sample.caption);
}

void Folap::DrawCaptureOverview()
{
    const QList<QPoint> trace = overviewTrace(m_session->captureBuffer());
    ChartSurface *rajz = m_ui->Rajz;
    rajz->setDrawWidth(kOverviewLineWidth);
    rajz->Line(trace.first(), trace.first(), m_state.PenColor);
    for (qsizetype k = 1; k < trace.size(); ++k)
        rajz->LineTo(trace.at(k), m_state.PenColor);
    Q_EMIT transientDrawn();
}

// A failed Start, after the session has set the lamps: the variant's message for 8002 / 8005
// (clearing the port selection afterwards) or the number written on the window.
void Folap::showStartFailure(Mode variant, int errorNumber, const QString &osText)
{
    // The triggered Start's messages have always read "anothert"; users know them so.
    const QString another
        = variant == Mode::Triggered ? QStringLiteral("anothert!") : QStringLiteral("another!");
    QString text;
    if (errorNumber == SerialError::InvalidPort)
        text = QStringLiteral("Invalid Port Number! Please select ") + another;
    else if (errorNumber == SerialError::PortInUse)
        text = QStringLiteral("This Port Used! Please select ") + another;

    if (!text.isEmpty()) {
        m_prompts.message(this, text, UserPrompts::Icon::Critical, UserPrompts::Buttons::Ok);
        m_ui->Portok->setCurrentIndex(-1);
        return;
    }
    m_ui->surface->Print(QString::number(errorNumber));
    const QString remedy = SerialError::remedy(errorNumber);
    const QString advice = remedy.isEmpty() ? QString() : QStringLiteral("; ") + remedy;
    qWarning("%s: Comm %d: %s (error %d)%s", qPrintable(QCoreApplication::applicationName()),
        int(PortNumber()), qPrintable(osText), errorNumber, qPrintable(advice));
}

void Folap::MSComm_DeviceFailed(int errorNumber, const QString &osMessage)
{
    qWarning("%s: Comm %d: %s (error %d)", qPrintable(QCoreApplication::applicationName()),
        MSComm().CommPort(), qPrintable(osMessage), errorNumber);
}
