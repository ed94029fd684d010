// The main window's design fix-ups, start-up, shut-down, About box, port list and the serial
// operations the Start buttons build on.
#include "ui/folap.h"

#include "app/stored_settings.h"
#include "calculator/szamolo.h"
#include "serial/port_map.h"
#include "ui/app_title.h"
#include "ui/back_color.h"
#include "ui/chart_surface.h"
#include "ui/frame_clock.h"
#include "ui/module_state.h"
#include "ui/number_text.h"
#include "ui/print_surface.h"
#include "ui/user_prompts.h"
#include "ui_folap.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QLayout>
#include <QRegularExpression>
#include <QScreen>
#include <QSignalBlocker>

namespace {

constexpr int kPortCount = 255;

const QString kCreditLine = QStringLiteral("(C) 2006 Velmora Drives Kft. - www.velmora-drives.com");

} // namespace

Folap::Folap(ModuleState &state, SerialControl::DeviceFactory factory, const PortMap &ports,
    UserPrompts &prompts, QWidget *parent)
    : QMainWindow(parent)
    , m_ui(std::make_unique<Ui::Folap>())
    , m_state(state)
    , m_prompts(prompts)
    , m_comm(new SerialControl(std::move(factory), this))
{
    // The form was laid out for the old bitmap dialog font; Liberation Sans has nearly its
    // metrics, where the usual fallback is wide enough to cut captions off.
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    m_comm->setObjectName(QStringLiteral("MSComm"));
    m_ui->setupUi(this);
    applyDesign();
    wireHandlers();
    Form_Load(ports);
}

Folap::~Folap() = default;

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
    const std::pair<QWidget *, qreal> fractionalFonts[] = {
        { this, 8.25 },
        { m_ui->Label1_0, 9.75 },
        { m_ui->Label1_1, 9.75 },
        { m_ui->Label1_2, 9.75 },
        { m_ui->Label2, 20.25 },
        { m_ui->Label6, 8.25 },
        { m_ui->Ertek, 18.75 },
    };
    for (const auto &[widget, points] : fractionalFonts) {
        QFont font = widget->font();
        font.setPointSizeF(points);
        widget->setFont(font);
    }
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

    // Designer needs identifiers; the program's control arrays are named Label1(1), Szin(2)...
    static const QRegularExpression arrayName(QStringLiteral("^(\\w+?)_(\\d+)$"));
    const QList<QWidget *> children = findChildren<QWidget *>();
    for (QWidget *child : children) {
        const QRegularExpressionMatch match = arrayName.match(child->objectName());
        if (match.hasMatch())
            child->setObjectName(
                match.captured(1) + QLatin1Char('(') + match.captured(2) + QLatin1Char(')'));
    }

    QIcon icon;
    icon.addFile(QStringLiteral(":/ui/velmora_icon_32.png"));
    icon.addFile(QStringLiteral(":/ui/velmora_icon_16.png"));
    setWindowIcon(icon);

    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
        | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    m_ui->surface->setFixedSize(817, 607);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    adjustSize();
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void Folap::wireHandlers()
{
    connect(m_ui->Nev, &QAction::triggered, this, &Folap::Nev_Click);
    connect(m_ui->Ford, &QAction::triggered, this, &Folap::Ford_Click);
    connect(m_ui->Portok, &QComboBox::currentIndexChanged, this, &Folap::Portok_Click);
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
    connect(m_comm, &SerialControl::OnComm, this, &Folap::MSComm_OnComm);
    connect(m_comm, &SerialControl::deviceFailed, this, &Folap::MSComm_DeviceFailed);

    wireTransientTools();
}

// ---- Start-up and shut-down ----

void Folap::Form_Load(const PortMap &ports)
{
    m_state.PenColor = 0;

    setWindowTitle(QLatin1String(kApplicationTitle) + QStringLiteral(" V")
        + NumberText(VELMORA_VERSION_MAJOR) + QLatin1Char('.') + NumberText(VELMORA_VERSION_MINOR)
        + QLatin1Char('.') + NumberText(VELMORA_VERSION_PATCH));

    {
        // QComboBox selects its first entry by itself; the list has to start without a
        // selection so that applying the stored one below is a change that runs Portok_Click.
        const QSignalBlocker quiet(m_ui->Portok);
        for (int k = 0; k < kPortCount; ++k) {
            m_ui->Portok->addItem(QStringLiteral("Comm ") + NumberText(k + 1));
            m_ui->Portok->setItemData(k, ports.describe(k + 1), Qt::ToolTipRole);
        }
        m_ui->Portok->setCurrentIndex(-1);
    }

    StoredSettings settings;
    m_ui->Portok->setCurrentIndex(settings.readPort());

    m_state.MintaSetting = quint8(settings.readMinta());
    if (m_state.MintaSetting != 2)
        m_ui->Csok->setChecked(true);

    InitSerialLink();
    m_ui->Rajz->setDrawWidth(2);
}

void Folap::Form_Unload()
{
    ClosePort();
    StoredSettings settings;
    settings.writePort(m_ui->Portok->currentIndex());
    settings.writeMinta(m_state.MintaSetting);
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

// ---- Serial operations ----

void Folap::InitSerialLink()
{
    m_comm->setParityReplace(QString());
    m_comm->setInputMode(0);
    m_comm->setNullDiscard(false);
    if (m_ui->Triger->isChecked())
        ApplyProfile(true, 4100, 2000, 1);
    else
        ApplyProfile(false, 4000, m_state.MintaSetting, m_state.MintaSetting);
}

void Folap::ApplyProfile(bool rtsEnable, qint16 inBufferSize, qint16 rThreshold, qint16 inputLen)
{
    m_comm->setRTSEnable(rtsEnable);
    m_comm->setInBufferSize(inBufferSize);
    m_comm->setRThreshold(rThreshold);
    m_comm->setInputLen(inputLen);
}

int Folap::OpenPort()
{
    if (const int error = ClosePort())
        return error;
    m_comm->setCommPort(m_PortNumber);
    return m_comm->setPortOpen(true);
}

int Folap::ClosePort()
{
    return m_comm->PortOpen() ? m_comm->setPortOpen(false) : SerialError::None;
}

void Folap::Portok_Click()
{
    ClosePort();
    setBackColor(m_ui->LED, LampColor::Red);
    setBackColor(m_ui->LED2, LampColor::Black);
}

void Folap::ReportStartFailure(StartVariant variant, int errorNumber)
{
    setBackColor(m_ui->LED, LampColor::Red);
    if (variant == StartVariant::Continuous)
        setBackColor(m_ui->LED2, LampColor::Black);

    // The triggered Start's messages have always read "anothert"; users know them so.
    const QString another = variant == StartVariant::Triggered ? QStringLiteral("anothert!")
                                                               : QStringLiteral("another!");
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
    qWarning("%s: Comm %d: %s (error %d)", qPrintable(QCoreApplication::applicationName()),
        int(m_PortNumber), qPrintable(m_comm->lastErrorText()), errorNumber);
}

// ---- Capture modes ----

void Folap::Csok_Click()
{
    if (m_comm->PortOpen()) {
        ClosePort();
        setBackColor(m_ui->LED, LampColor::Red);
    }
    m_state.MintaSetting = m_ui->Csok->isChecked() ? 31 : 2;
    if (m_ui->Triger->isChecked()) {
        ApplyProfile(true, 12000, 4000, 1);
        return;
    }
    ApplyProfile(false, 4000, m_state.MintaSetting, m_state.MintaSetting);
    setBackColor(m_ui->LED, LampColor::Red);
    setBackColor(m_ui->LED2, LampColor::Black);
}
