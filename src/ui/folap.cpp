// The main window's design fix-ups, start-up, shut-down, About box, port list and CPU saver.
#include "ui/folap.h"

#include "analysis/session_event_recorder.h"
#include "core/app_title.h"
#include "core/app_version.h"
#include "core/module_state.h"
#include "core/number_text.h"
#include "core/user_prompts.h"
#include "serial/port_describer.h"
#include "serial/port_map.h"
#include "ui/back_color.h"
#include "ui/chart_surface.h"
#include "ui/form_design.h"
#include "ui/frame_clock.h"
#include "ui/history_table_model.h"
#include "ui/live_chart.h"
#include "ui/print_surface.h"
#include "ui/szamolo.h"
#include "ui/transient_analysis.h"
#include "ui_folap.h"

#include <QCloseEvent>
#include <QLayout>
#include <QSignalBlocker>

namespace {

constexpr int kPortCount = 255;

const QString kCreditLine = QStringLiteral("(C) 2006 Velmora Drives Kft. - www.velmora-drives.com");

} // namespace

Folap::Folap(ModuleState &state, SerialControl::DeviceFactory factory, const PortMap &ports,
    UserPrompts &prompts, const FolapSettings &stored, QWidget *parent)
    : QMainWindow(parent)
    , m_ui(std::make_unique<Ui::Folap>())
    , m_state(state)
    , m_prompts(prompts)
    , m_ports(ports)
    , m_session(new CaptureSession(std::move(factory), this))
    , m_history(new HistoryTableModel(this))
    , m_events(new EventLog(this))
{
    // A copy of the port map names the device behind each capture's port.
    m_session->setDeviceNamer([ports](int port) { return ports.device(port); });
    connect(m_session, &CaptureSession::transientCaptured, m_history, &HistoryTableModel::add);
    new SessionEventRecorder(*m_session, *m_events, this);
    m_ui->setupUi(this);
    applyDesign();
    wireHandlers();
    Form_Load(stored);
}

// The analysis window shows the history, which as the older child would go first.
Folap::~Folap()
{
    delete m_analysis;
    delete m_liveChart;
}

ChartSurface *Folap::Rajz() const
{
    return m_ui->Rajz;
}

PrintSurface *Folap::surface() const
{
    return m_ui->surface;
}

// What the form file cannot say: fractional font sizes, the separator, names with an index,
// self-sizing labels, the fixed frame and the start position.
void Folap::applyDesign()
{
    FormDesign::setFractionalFonts({
        { this, 8.25 },
        { m_ui->Label1_0, 9.75 },
        { m_ui->Label1_1, 9.75 },
        { m_ui->Label1_2, 9.75 },
        { m_ui->Label2, 20.25 },
        { m_ui->Label6, 8.25 },
        { m_ui->Ertek, 18.75 },
    });
    m_ui->vonal->setSeparator(true);

    // The read-out and the bars repaint on one clock, so each frame of live samples reaches the
    // screen in one window update.
    auto *liveFrames = new FrameClock(this);
    liveFrames->setObjectName(QStringLiteral("liveFrames"));
    m_ui->Ertek->setFrameClock(liveFrames);
    m_ui->Pozitivbar->setFrameClock(liveFrames);
    m_ui->Negativbar->setFrameClock(liveFrames);

    QLabel *const selfSizing[] = { m_ui->Label7, m_ui->Label2, m_ui->Label6, m_ui->Label1_0,
        m_ui->Label1_1, m_ui->Label1_2, m_ui->Label3_0, m_ui->Label3_1, m_ui->Label5_0,
        m_ui->Label5_1, m_ui->Label4 };
    for (QLabel *label : selfSizing)
        label->adjustSize();

    FormDesign::nameControlArrays(this);
    FormDesign::setIcon(this, QStringLiteral(":/ui/velmora_icon_16.png"),
        QStringLiteral(":/ui/velmora_icon_32.png"));

    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
        | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    m_ui->surface->setFixedSize(817, 607);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    adjustSize();
    FormDesign::centreOnScreen(this);
}

void Folap::wireHandlers()
{
    connect(m_ui->Nev, &QAction::triggered, this, &Folap::Nev_Click);
    connect(m_ui->Ford, &QAction::triggered, this, &Folap::Ford_Click);
    connect(m_ui->Analysis, &QAction::triggered, this, &Folap::Analysis_Click);
    connect(m_ui->LiveChart, &QAction::triggered, this, &Folap::LiveChart_Click);
    connect(m_ui->Portok, &QComboBox::currentIndexChanged, this, &Folap::Portok_Click);
    connect(m_ui->Portok, &PortList::aboutToShowPopup, this, &Folap::refreshPortTips);
    connect(m_ui->Reconnect, &QAction::toggled, m_session, &CaptureSession::setReconnect);
    connect(m_ui->Csok, &QCheckBox::toggled, this, &Folap::Csok_Click);

    // An option's handler runs when it becomes selected; not on deselection, not on a re-click.
    connect(m_ui->Foly, &QRadioButton::toggled, this, [this](bool selected) {
        if (selected)
            Foly_Click();
    });
    connect(m_ui->Triger, &QRadioButton::toggled, this, [this](bool selected) {
        if (selected)
            Triger_Click();
    });
    connect(m_ui->FStart, &QPushButton::clicked, this, &Folap::FStart_Click);
    connect(m_ui->FStop, &QPushButton::clicked, this, &Folap::FStop_Click);
    connect(m_ui->TStart, &QPushButton::clicked, this, &Folap::TStart_Click);
    connect(m_ui->TMegse, &QPushButton::clicked, this, &Folap::TMegse_Click);
    m_session->setAutoClear(m_ui->Torles->isChecked());
    connect(m_ui->Torles, &QCheckBox::toggled, m_session, &CaptureSession::setAutoClear);

    wireSession();
    wireTransientTools();
}

// ---- Start-up and shut-down ----

void Folap::Form_Load(const FolapSettings &stored)
{
    m_state.PenColor = 0;

    setWindowTitle(QLatin1String(kApplicationTitle) + QStringLiteral(" V")
        + NumberText(kVersionMajor) + QLatin1Char('.') + NumberText(kVersionMinor)
        + QLatin1Char('.') + NumberText(kVersionPatch));

    {
        // QComboBox selects its first entry by itself; the list has to start without a
        // selection so that applying the stored one below is a change that runs Portok_Click.
        const QSignalBlocker quiet(m_ui->Portok);
        for (int k = 0; k < kPortCount; ++k)
            m_ui->Portok->addItem(PortMap::entryText(k + 1));
        m_ui->Portok->setCurrentIndex(-1);
    }
    refreshPortTips();

    m_ui->Portok->setCurrentIndex(stored.portIndex);

    m_session->setStoredMinta(quint8(stored.minta));
    if (stored.minta != 2)
        m_ui->Csok->setChecked(true);

    m_session->initSerialLink();
    m_ui->Rajz->setDrawWidth(2);
    m_ui->Reconnect->setChecked(stored.reconnect);
    m_liveSpanMs = stored.liveSpanMs;
    m_liveHistoryMinutes = stored.liveHistoryMinutes;
}

void Folap::Form_Unload()
{
    m_session->closeLink();
    Q_EMIT settingsToStore(
        { m_ui->Portok->currentIndex(), m_session->MintaSetting(), m_session->reconnect(),
            m_liveChart ? m_liveChart->spanMs() : m_liveSpanMs, m_liveHistoryMinutes });
}

void Folap::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    event->accept();
}

// ---- Menu ----

void Folap::Nev_Click()
{
    m_prompts.message(this,
        QLatin1String(kApplicationTitle)
            + QStringLiteral("\r\nMinimum DSP V1.2 and PID V1.2 needed.\r\n") + kCreditLine,
        UserPrompts::Icon::Information, UserPrompts::Buttons::Ok);
}

void Folap::Ford_Click()
{
    Szamolo dialog(m_state, this);
    dialog.exec();
}

void Folap::Analysis_Click()
{
    if (!m_analysis)
        m_analysis = new TransientAnalysis(*m_history, m_prompts, this);
    m_analysis->show();
    m_analysis->raise();
    m_analysis->activateWindow();
}

void Folap::LiveChart_Click()
{
    if (!m_liveChart) {
        m_liveChart
            = new LiveChart(*m_session, *m_events, m_prompts, m_liveSpanMs, m_liveHistoryMinutes,
                findChild<FrameClock *>(QStringLiteral("liveFrames"), Qt::FindDirectChildrenOnly),
                this);
    }
    m_liveChart->show();
    m_liveChart->raise();
    m_liveChart->activateWindow();
}

// ---- Port list and CPU saver ----

void Folap::refreshPortTips()
{
    const PortDescriber describer(availablePorts());
    for (int k = 0; k < m_ui->Portok->count(); ++k)
        m_ui->Portok->setItemData(k, describer.toolTip(m_ports, k + 1), Qt::ToolTipRole);
}

void Folap::Portok_Click()
{
    m_session->portChosen();
}

void Folap::Csok_Click()
{
    m_session->cpuSaverChanged(m_ui->Csok->isChecked());
}
