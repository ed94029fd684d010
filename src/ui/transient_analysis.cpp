// The transient analysis window.
#include "ui/transient_analysis.h"

#include "analysis/figure_table.h"
#include "core/app_title.h"
#include "core/app_version.h"
#include "core/user_prompts.h"
#include "files/transient_csv.h"
#include "ui/analysis_report.h"
#include "ui/form_design.h"
#include "ui/plot/plot_widget.h"
#include "ui/transient_chart_scale.h"
#include "ui_transient_analysis.h"

#include <QClipboard>
#include <QComboBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QPixmap>
#include <QSignalBlocker>

#include <iterator>

namespace {

const QColor kShownColor(0x1f, 0x4e, 0x9c);
// One per reference slot, apart from the shown capture's blue and from each other.
const QColor kReferenceColors[TransientReferences::kMaxReferences]
    = { QColor(0xe6, 0x7e, 0x00), QColor(0x2c, 0xa0, 0x2c), QColor(0x94, 0x67, 0xbd),
          QColor(0x8c, 0x56, 0x4b), QColor(0xe3, 0x77, 0xc2), QColor(0x17, 0xbe, 0xcf),
          QColor(0xbc, 0xbd, 0x22), QColor(0x7f, 0x7f, 0x7f) };
// Where a button keeps its form's tool tip while a full reference list replaces it.
const char kFormToolTip[] = "formToolTip";

const QStringList kCsvFilters
    = { QStringLiteral("Transient CSV (*.csv)"), QStringLiteral("All files (*)") };

QPixmap swatch(const QColor &color)
{
    QPixmap pixmap(12, 12);
    pixmap.fill(color);
    return pixmap;
}

} // namespace

TransientAnalysis::TransientAnalysis(
    HistoryTableModel &history, UserPrompts &prompts, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_ui(std::make_unique<Ui::TransientAnalysis>())
    , m_history(history)
    , m_prompts(prompts)
{
    m_ui->setupUi(this);
    setWindowTitle(QStringLiteral("Transient analysis - ") + QLatin1String(kApplicationTitle));
    FormDesign::setIcon(this, QStringLiteral(":/ui/velmora_icon_16.png"),
        QStringLiteral(":/ui/velmora_icon_32.png"));
    m_ui->topSplitter->setStretchFactor(0, 1);
    m_ui->verticalSplitter->setStretchFactor(0, 1);
    m_ui->verticalSplitter->setSizes({ 540, 150 });
    m_ui->topSplitter->setSizes({ 780, 460 });

    m_ui->historyTable->setModel(&m_history);
    // The note takes what room is left.
    m_ui->historyTable->horizontalHeader()->setStretchLastSection(true);
    m_ui->historyTable->verticalHeader()->setDefaultSectionSize(
        m_ui->historyTable->fontMetrics().height() + 4);

    PlotWidget *plot = m_ui->chartView;
    plot->setTimeTitle(QStringLiteral("time from trigger"));
    plot->setStepsTitle(QStringLiteral("following error (steps)"));
    for (const PlotWidget::Cursor cursor : { PlotWidget::Cursor::A, PlotWidget::Cursor::B })
        plot->setCursorVisible(cursor, true);

    for (QPushButton *button : { m_ui->setReferenceButton, m_ui->loadCsvButton })
        button->setProperty(kFormToolTip, button->toolTip());
    // The boxes' letters in their lines' colours.
    PlotWidget::markCursorCaption(m_ui->cursorACaption, PlotWidget::Cursor::A);
    PlotWidget::markCursorCaption(m_ui->cursorBCaption, PlotWidget::Cursor::B);

    setUpFigures();
    wireHandlers();
    rebuildSeries();
    showNewest();
}

TransientAnalysis::~TransientAnalysis() = default;

void TransientAnalysis::wireHandlers()
{
    connect(&m_history, &HistoryTableModel::captureAdded, this, &TransientAnalysis::showNewest);
    connect(m_ui->historyTable->selectionModel(), &QItemSelectionModel::selectionChanged, this,
        &TransientAnalysis::showSelectedRow);
    // A note typed into the shown capture's row names it on the chart and in its files at once.
    connect(&m_history, &HistoryTableModel::dataChanged, this, [this](const QModelIndex &changed) {
        if (m_ui->historyTable->selectionModel()->isRowSelected(changed.row(), QModelIndex()))
            showSelectedRow();
    });
    connect(m_ui->resetZoomButton, &QPushButton::clicked, m_ui->chartView, &PlotWidget::resetZoom);
    connect(
        m_ui->setReferenceButton, &QPushButton::clicked, this, &TransientAnalysis::setAsReference);
    connect(m_ui->loadCsvButton, &QPushButton::clicked, this, &TransientAnalysis::loadCsv);
    connect(m_ui->removeReferenceButton, &QPushButton::clicked, this,
        &TransientAnalysis::removeReference);
    connect(m_ui->exportCsvButton, &QPushButton::clicked, this, &TransientAnalysis::exportCsv);
    connect(
        m_ui->exportHistoryButton, &QPushButton::clicked, this, &TransientAnalysis::exportHistory);
    connect(m_ui->copyFiguresButton, &QPushButton::clicked, this, &TransientAnalysis::copyFigures);
    connect(
        m_ui->exportPictureButton, &QPushButton::clicked, this, &TransientAnalysis::exportPicture);
    connect(
        m_ui->exportReportButton, &QPushButton::clicked, this, &TransientAnalysis::exportReport);
    connect(m_ui->definitionsButton, &QToolButton::clicked, this,
        [this] { m_ui->bottomTabs->setCurrentWidget(m_ui->definitionsTab); });
    connect(m_ui->referenceList, &QListWidget::currentRowChanged, this,
        &TransientAnalysis::updateControls);
    connect(m_ui->compareWith, &QComboBox::currentIndexChanged, this,
        &TransientAnalysis::updateComparison);

    connect(m_ui->cursorASpin, &QDoubleSpinBox::valueChanged, this, [this](double ms) {
        m_cursorA = ms;
        updateCursors();
    });
    connect(m_ui->cursorBSpin, &QDoubleSpinBox::valueChanged, this, [this](double ms) {
        m_cursorB = ms;
        updateCursors();
    });
    connect(m_ui->chartView, &PlotWidget::cursorMoved, this,
        [this](PlotWidget::Cursor which, double ms) {
            (which == PlotWidget::Cursor::A ? m_cursorA : m_cursorB) = ms;
            updateCursors();
        });
}

void TransientAnalysis::setUpFigures()
{
    QString html = QStringLiteral("<dl>");
    for (const FigureColumn *figure : figureRows()) {
        const QString name = QLatin1String(figure->figure);
        const QString caption = QString::fromUtf8(figure->caption);
        const QString text = QString::fromUtf8(figure->definition);
        auto *captionLabel = findChild<QLabel *>(name + QStringLiteral("Caption"));
        auto *valueLabel = findChild<QLabel *>(name + QStringLiteral("Value"));
        Q_ASSERT(captionLabel && valueLabel);
        captionLabel->setText(caption);
        captionLabel->setToolTip(text);
        valueLabel->setToolTip(text);
        html += QStringLiteral("<dt><b>%1</b></dt><dd>%2</dd>")
                    .arg(caption.toHtmlEscaped(), text.toHtmlEscaped());

        // The reference's value and the change beside the shown one, on the figure's row.
        int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
        m_ui->figuresLayout->getItemPosition(
            m_ui->figuresLayout->indexOf(valueLabel), &row, &column, &rowSpan, &columnSpan);
        ComparisonRow comparison { figure, new QLabel(m_ui->figuresGroup), nullptr };
        comparison.reference->setObjectName(name + QStringLiteral("ReferenceValue"));
        m_ui->figuresLayout->addWidget(comparison.reference, row, 2);
        if (figure->comparison != FigureComparison::None) {
            comparison.change = new QLabel(m_ui->figuresGroup);
            comparison.change->setObjectName(name + QStringLiteral("Compare"));
            comparison.change->setToolTip(figure->comparison == FigureComparison::SizeAndShare
                    ? QStringLiteral("Shown minus reference, by size (the sign only tells the "
                                     "direction of the move), and as a share of the reference's")
                    : figure->comparison == FigureComparison::ValueAndShare
                    ? QStringLiteral("Shown minus reference, and as a share of the reference's")
                    : QStringLiteral("Shown minus reference"));
            m_ui->figuresLayout->addWidget(comparison.change, row, 3);
        }
        for (QLabel *label : { comparison.reference, comparison.change }) {
            if (label)
                label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        }
        m_comparison.append(comparison);
    }
    html += QStringLiteral("</dl><p>%1</p><p>%2</p><p>%3</p>")
                .arg(figureRoundingNote().toHtmlEscaped(), figureSamplingNote().toHtmlEscaped(),
                    QStringLiteral("With a reference on the chart the panel also shows the "
                                   "reference's figures and the change, shown minus reference: "
                                   "peak and overshoot by their size, and peak, overshoot and "
                                   "settling also as a share of the reference's."));
    m_ui->definitionsText->setHtml(html);
}

const TransientReferences::Reference *TransientAnalysis::comparedReference() const
{
    const int slot = m_ui->compareWith->currentData().toInt();
    for (const TransientReferences::Reference &reference : m_references.all()) {
        if (reference.slot == slot)
            return &reference;
    }
    return nullptr;
}

void TransientAnalysis::updateComparison()
{
    const TransientReferences::Reference *reference = comparedReference();
    const bool comparing = reference != nullptr;
    for (QWidget *header :
        { static_cast<QWidget *>(m_ui->shownHeader), static_cast<QWidget *>(m_ui->compareWith),
            static_cast<QWidget *>(m_ui->changeHeader) })
        header->setVisible(comparing);
    for (const ComparisonRow &row : std::as_const(m_comparison)) {
        row.reference->setVisible(comparing);
        if (row.change)
            row.change->setVisible(comparing);
        if (!comparing)
            continue;
        row.reference->setText(figureDisplayText(*row.figure, reference->figures));
        if (row.change)
            row.change->setText(m_shown
                    ? figureChangeText(*row.figure, m_shown->figures, reference->figures)
                    : noFigureText());
    }
}

// ---- Which capture is shown ----

void TransientAnalysis::showNewest()
{
    if (m_history.count() == 0) {
        updateControls();
        return;
    }
    m_ui->historyTable->resizeColumnsToContents();
    // Selecting the row shows it; a row already selected is shown again.
    if (m_ui->historyTable->selectionModel()->isRowSelected(0, QModelIndex()))
        showSelectedRow();
    else
        m_ui->historyTable->selectRow(0);
}

void TransientAnalysis::showSelectedRow()
{
    const QModelIndexList rows = m_ui->historyTable->selectionModel()->selectedRows();
    if (!rows.isEmpty())
        showEntry(m_history.at(rows.constFirst().row()));
    updateControls();
}

void TransientAnalysis::showEntry(const TransientHistory::Entry &entry)
{
    m_shown = entry;
    for (const FigureColumn *figure : figureRows()) {
        if (auto *label
            = findChild<QLabel *>(QLatin1String(figure->figure) + QStringLiteral("Value")))
            label->setText(figureDisplayText(*figure, entry.figures));
    }
    m_ui->shownLabel->setText(QStringLiteral("Shown: ") + transientCaptureLabel(entry.capture));
    updateComparison();

    m_shownSamples = SampleSeries::fromSamples(entry.capture.samples);

    if (!m_cursorsPlaced) {
        m_cursorsPlaced = true;
        m_cursorA = 0;
        m_cursorB = entry.figures.peak ? entry.figures.timeMs(entry.figures.peak->index) : 0;
    }
    rebuildSeries();
}

// ---- References ----

void TransientAnalysis::setAsReference()
{
    if (m_shown)
        addReference(m_shown->capture, transientCaptureLabel(m_shown->capture));
}

void TransientAnalysis::loadCsv()
{
    if (m_references.isFull())
        return;
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Open;
    request.title = QStringLiteral("Load a capture as a reference");
    request.nameFilters = kCsvFilters;
    const QString path = m_prompts.askFileName(this, request);
    if (path.isEmpty())
        return;
    const TransientCsvRead read = readTransientCsv(path);
    if (!read.capture) {
        reportProblem(read.error);
        return;
    }
    QString name = QFileInfo(path).fileName();
    if (!read.capture->note.isEmpty())
        name += QStringLiteral(" \u2014 ") + read.capture->note.section(QLatin1Char('\n'), 0, 0);
    addReference(*read.capture, name);
}

void TransientAnalysis::addReference(const TransientCapture &capture, const QString &name)
{
    if (!m_references.add(capture, name))
        return;
    // A new reference is the one compared with.
    m_ui->compareWith->setCurrentIndex(-1);
    rebuildSeries();
    m_ui->referenceList->setCurrentRow(m_references.count() - 1);
    updateControls();
}

void TransientAnalysis::removeReference()
{
    const int row = m_ui->referenceList->currentRow();
    if (row < 0)
        return;
    m_references.remove(row);
    rebuildSeries();
    m_ui->referenceList->setCurrentRow(std::min(row, m_references.count() - 1));
    updateControls();
}

// References behind the shown capture, so it is drawn last; the scale covers them all.
void TransientAnalysis::rebuildSeries()
{
    PlotWidget *plot = m_ui->chartView;
    plot->clearSeries();
    m_referenceSamples.clear();
    QList<QList<TransientSample>> drawn;
    {
        // Refilled as it was, the selection kept.
        const QSignalBlocker quiet(m_ui->referenceList);
        const int current = m_ui->referenceList->currentRow();
        m_ui->referenceList->clear();
        for (const TransientReferences::Reference &reference : m_references.all()) {
            const QColor color = kReferenceColors[reference.slot];
            m_referenceSamples.push_back(SampleSeries::fromSamples(reference.capture.samples));
            plot->addSeries({ &m_referenceSamples.back(), reference.figures.timeOrigin(), color,
                Qt::DashLine, 1.5, QStringLiteral("reference: ") + reference.name });
            drawn.append(reference.capture.samples);
            m_ui->referenceList->addItem(new QListWidgetItem(swatch(color), reference.name));
        }
        m_ui->referenceList->setCurrentRow(std::min(current, m_references.count() - 1));
    }
    {
        // The reference compared with stays while it is there; else the newest.
        const QSignalBlocker quiet(m_ui->compareWith);
        const QVariant compared = m_ui->compareWith->currentData();
        m_ui->compareWith->clear();
        for (const TransientReferences::Reference &reference : m_references.all())
            m_ui->compareWith->addItem(
                swatch(kReferenceColors[reference.slot]), reference.name, reference.slot);
        const int kept = m_ui->compareWith->findData(compared);
        m_ui->compareWith->setCurrentIndex(kept >= 0 ? kept : m_ui->compareWith->count() - 1);
    }
    updateComparison();
    m_ui->bottomTabs->setTabText(m_ui->bottomTabs->indexOf(m_ui->referencesTab),
        QStringLiteral("References (%1 of %2)")
            .arg(m_references.count())
            .arg(TransientReferences::kMaxReferences));

    if (m_shown) {
        plot->addSeries(
            { &m_shownSamples, m_shown->figures.timeOrigin(), kShownColor, Qt::SolidLine, 1.5,
                QStringLiteral("shown: ") + transientCaptureLabel(m_shown->capture) });
        drawn.append(m_shown->capture.samples);
    }

    const TransientChartScale scale = transientChartScale(drawn);
    for (QDoubleSpinBox *spin : { m_ui->cursorASpin, m_ui->cursorBSpin }) {
        const QSignalBlocker quiet(spin);
        spin->setRange(scale.minMs, scale.maxMs);
        spin->setSingleStep(kTransientSamplePeriodMs);
    }
    plot->setFullRange(scale.minMs, scale.maxMs);
    plot->resetZoom();
    updateCursors();
    updateControls();
}

// ---- Cursors ----

void TransientAnalysis::placeCursors(double aMs, double bMs)
{
    m_cursorsPlaced = true;
    m_cursorA = aMs;
    m_cursorB = bMs;
    updateCursors();
}

void TransientAnalysis::updateCursors()
{
    std::optional<CursorStatistics> statistics;
    if (m_shown) {
        statistics = cursorStatistics(
            m_shown->capture.samples, m_shown->figures.timeOrigin(), m_cursorA, m_cursorB);
        // Snapped to their samples, so what the lines and the boxes say is what was measured.
        m_cursorA = statistics->tAms;
        m_cursorB = statistics->tBms;
    }
    m_ui->chartView->setCursorTime(PlotWidget::Cursor::A, m_cursorA);
    m_ui->chartView->setCursorTime(PlotWidget::Cursor::B, m_cursorB);
    for (const auto &[spin, ms] : { std::pair { m_ui->cursorASpin, m_cursorA },
             std::pair { m_ui->cursorBSpin, m_cursorB } }) {
        const QSignalBlocker quiet(spin);
        spin->setValue(ms);
    }

    const CursorTexts texts = statistics ? cursorTexts(*statistics) : CursorTexts();
    const std::pair<QLabel *, const QString *> values[] = {
        { m_ui->tAValue, &texts.tA },
        { m_ui->tBValue, &texts.tB },
        { m_ui->deltaTValue, &texts.deltaT },
        { m_ui->inverseDeltaTValue, &texts.inverseDeltaT },
        { m_ui->eAValue, &texts.eA },
        { m_ui->eBValue, &texts.eB },
        { m_ui->deltaEValue, &texts.deltaE },
        { m_ui->cursorMinValue, &texts.min },
        { m_ui->cursorMaxValue, &texts.max },
        { m_ui->cursorMeanValue, &texts.mean },
        { m_ui->cursorRmsValue, &texts.rms },
    };
    for (const auto &[label, text] : values)
        label->setText(text->isEmpty() ? noFigureText() : *text);
}

// ---- Files and the clipboard ----

void TransientAnalysis::exportCsv()
{
    if (!m_shown)
        return;
    const QString path = askSavePath(QStringLiteral("Export the shown capture"),
        transientCsvFileName(m_shown->capture.capturedAt), kCsvFilters, QStringLiteral("csv"));
    if (path.isEmpty())
        return;
    const QString error = writeTransientCsv(path, m_shown->capture);
    if (!error.isEmpty())
        reportProblem(error);
}

// Oldest first, as the history file that records a run grows.
void TransientAnalysis::exportHistory()
{
    if (m_history.count() == 0)
        return;
    const QString path = askSavePath(QStringLiteral("Export the history"),
        QStringLiteral("history.csv"), kCsvFilters, QStringLiteral("csv"));
    if (path.isEmpty())
        return;
    QByteArrayList rows;
    for (int row = m_history.count() - 1; row >= 0; --row)
        rows.append(transientHistoryRow(m_history.at(row).capture, QString()));
    const QString error = writeTransientHistory(path, rows);
    if (!error.isEmpty())
        reportProblem(error);
}

// The proposed names of the picture and the report: the shown capture's, as its CSV file's.
static QString exportName(const std::optional<TransientHistory::Entry> &shown, const char *suffix)
{
    const QString stem = shown
        ? QFileInfo(transientCsvFileName(shown->capture.capturedAt)).completeBaseName()
        : QStringLiteral("transient");
    return stem + QLatin1Char('.') + QLatin1String(suffix);
}

void TransientAnalysis::exportPicture()
{
    const QString path = askSavePath(QStringLiteral("Export the chart"), exportName(m_shown, "png"),
        { QStringLiteral("PNG picture (*.png)"), QStringLiteral("SVG picture (*.svg)") },
        QStringLiteral("png"));
    if (path.isEmpty())
        return;
    QString error;
    if (path.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive))
        m_ui->chartView->exportSvg(path, m_ui->shownLabel->text(), &error);
    else
        m_ui->chartView->exportPng(path, &error);
    if (!error.isEmpty())
        reportProblem(error);
}

void TransientAnalysis::exportReport()
{
    const QString path = askSavePath(QStringLiteral("Export a report"), exportName(m_shown, "pdf"),
        { QStringLiteral("PDF report (*.pdf)") }, QStringLiteral("pdf"));
    if (path.isEmpty())
        return;
    const QString error = writeReport(path);
    if (!error.isEmpty())
        reportProblem(error);
}

QString TransientAnalysis::writeReport(const QString &path)
{
    const TransientReferences::Reference *reference = comparedReference();
    AnalysisReport report;
    report.title = QStringLiteral("Transient analysis \u2014 ") + QLatin1String(kApplicationTitle);
    if (m_shown) {
        const TransientCapture &capture = m_shown->capture;
        report.facts = { { QStringLiteral("Captured"), transientTimeText(capture.capturedAt) },
            { QStringLiteral("Port"),
                QStringLiteral("Comm %1 (%2)").arg(capture.port).arg(capture.device) } };
        if (!capture.note.isEmpty())
            report.facts.append({ QStringLiteral("Note"),
                QString(capture.note).replace(QLatin1Char('\n'), QStringLiteral(" / ")) });
    }
    if (reference)
        report.facts.append({ QStringLiteral("Compared with"), reference->name });
    report.figureHeader = { QString(), QStringLiteral("Shown") };
    if (reference)
        report.figureHeader << reference->name << QStringLiteral("Change");
    report.figureRows = figureTable(reference);
    for (const auto &[name, label] : { std::pair { "tA", m_ui->tAValue },
             std::pair { "tB", m_ui->tBValue }, std::pair { "\u0394t", m_ui->deltaTValue },
             std::pair { "e(A)", m_ui->eAValue }, std::pair { "e(B)", m_ui->eBValue },
             std::pair { "\u0394e", m_ui->deltaEValue }, std::pair { "min", m_ui->cursorMinValue },
             std::pair { "max", m_ui->cursorMaxValue }, std::pair { "mean", m_ui->cursorMeanValue },
             std::pair { "RMS", m_ui->cursorRmsValue } })
        report.cursors.append({ QString::fromUtf8(name), label->text() });
    for (const FigureColumn *figure : figureRows())
        report.definitions.append(
            { QString::fromUtf8(figure->caption), figureBriefDefinition(*figure) });
    report.footer = QStringLiteral("Written by %1 %2 on %3")
                        .arg(QLatin1String(kApplicationTitle), QLatin1String(kVersionText),
                            transientTimeText(QDateTime::currentDateTime()));
    return writeAnalysisReport(path, report, *m_ui->chartView);
}

QList<QStringList> TransientAnalysis::figureTable(
    const TransientReferences::Reference *reference) const
{
    QList<QStringList> rows;
    for (const ComparisonRow &row : m_comparison) {
        QStringList cells { QString::fromUtf8(row.figure->caption),
            m_shown ? figureDisplayText(*row.figure, m_shown->figures) : noFigureText() };
        if (reference)
            cells << figureDisplayText(*row.figure, reference->figures)
                  << (m_shown ? figureChangeText(*row.figure, m_shown->figures, reference->figures)
                              : noFigureText());
        rows.append(cells);
    }
    return rows;
}

void TransientAnalysis::copyFigures()
{
    if (!m_shown)
        return;
    // "Caption: text" a line, as the panel shows them; with a reference compared, the three
    // columns as a table that pastes into a spreadsheet.
    const TransientReferences::Reference *reference = comparedReference();
    QString text;
    if (reference)
        text += QStringLiteral("\tShown\t%1\tChange\n").arg(reference->name);
    for (const QStringList &row : figureTable(reference))
        text += reference ? row.join(QLatin1Char('\t')) + QLatin1Char('\n')
                          : row.at(0) + QStringLiteral(": ") + row.at(1) + QLatin1Char('\n');
    QGuiApplication::clipboard()->setText(text);
}

QString TransientAnalysis::askSavePath(const QString &title, const QString &proposed,
    const QStringList &filters, const QString &suffix)
{
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Save;
    request.title = title;
    request.nameFilters = filters;
    request.fileName = proposed;
    request.defaultSuffix = suffix;
    return m_prompts.askExportFileName(this, request);
}

void TransientAnalysis::reportProblem(const QString &text)
{
    m_prompts.message(this, text, UserPrompts::Icon::Critical, UserPrompts::Buttons::Ok);
}

void TransientAnalysis::updateControls()
{
    const bool full = m_references.isFull();
    const QString fullTip = QStringLiteral("%1 references at most: remove one first")
                                .arg(TransientReferences::kMaxReferences);
    m_ui->setReferenceButton->setEnabled(m_shown.has_value() && !full);
    m_ui->loadCsvButton->setEnabled(!full);
    for (QPushButton *button : { m_ui->setReferenceButton, m_ui->loadCsvButton })
        button->setToolTip(full ? fullTip : button->property(kFormToolTip).toString());
    m_ui->removeReferenceButton->setEnabled(m_ui->referenceList->currentRow() >= 0);
    m_ui->exportCsvButton->setEnabled(m_shown.has_value());
    m_ui->copyFiguresButton->setEnabled(m_shown.has_value());
    m_ui->exportPictureButton->setEnabled(m_shown.has_value() || m_references.count() > 0);
    m_ui->exportReportButton->setEnabled(m_shown.has_value());
    m_ui->exportHistoryButton->setEnabled(m_history.count() > 0);
    m_ui->bottomTabs->setTabText(m_ui->bottomTabs->indexOf(m_ui->historyTab),
        QStringLiteral("History (%1)").arg(m_history.count()));
}
