// Capture and history files.
#include "files/transient_csv.h"

#include "analysis/figure_table.h"
#include "files/save_through.h"
#include "files/shared_log.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSet>
#include <QStringDecoder>

#include <algorithm>
#include <cstdlib>

namespace {

const char kTitleLine[] = "# Velmora Servo Monitor transient";
const char kCapturedAtKey[] = "# captured_at,";
const char kPortKey[] = "# port,Comm ";
const char kRateKey[] = "# sample_rate_hz,";
const char kTriggerKey[] = "# trigger_index,";
const char kNoteKey[] = "# note,";
const char kColumnsLine[] = "index,time_ms,deviation_steps,over_spin";
// The title, time, port, rate and trigger lines; then an optional note, then the columns.
constexpr int kFixedHeaderLines = 5;
const char *const kColumns[] = { "index", "time_ms", "deviation_steps", "over_spin" };

const char kCapturedAtColumn[] = "captured_at";
const char kFileColumn[] = "file";
const char kNoteColumn[] = "note";

constexpr int kFirstPort = 1;
constexpr int kLastPort = 255;
constexpr int kMaxDeviation = 255;

bool hasControlCharacter(QStringView text)
{
    for (QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return true;
    }
    return false;
}



// An integer written exactly as QString::number writes it, within low..high.
std::optional<int> exactInt(QStringView field, int low, int high)
{
    bool ok = false;
    const int value = QLocale::c().toInt(field, &ok);
    if (!ok || QString::number(value) != field || value < low || value > high)
        return std::nullopt;
    return value;
}

struct Failure
{
    int line = 0;
    QString what;
};

class Parser
{
public:
    // Lines without their LF; the last one empty when the content ended with one.
    explicit Parser(const QList<QByteArray> &lines)
        : m_lines(lines)
    {
    }

    std::optional<Failure> parse(TransientCapture *capture);

private:
    std::optional<Failure> checkText();
    std::optional<Failure> parseHeader(TransientCapture *capture);
    std::optional<Failure> parseNote(TransientCapture *capture);
    std::optional<Failure> parseRow(int line, const QString &text, TransientSample *sample);

    QList<QByteArray> m_lines;
    QStringList m_text;
    std::optional<int> m_trigger;
    qsizetype m_columnsLine = kFixedHeaderLines; // where the columns line stands, from 0
};

Failure fail(int line, const QString &what)
{
    return Failure { line, what };
}

// Two things a spreadsheet or a Windows editor adds when it saves a file unchanged are taken
// back off: a UTF-8 byte order mark and CR LF line ends. Anything else must be as written.
std::optional<Failure> Parser::checkText()
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    if (!m_lines.isEmpty() && m_lines.first().startsWith("\xEF\xBB\xBF"))
        m_lines.first().remove(0, 3);
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const int line = int(i) + 1;
        QByteArray bytes = m_lines.at(i);
        if (bytes.endsWith('\r'))
            bytes.chop(1);
        const QString text = utf8.decode(bytes);
        if (utf8.hasError())
            return fail(line, QStringLiteral("not UTF-8 text"));
        if (hasControlCharacter(text))
            return fail(line, QStringLiteral("binary data (a control character)"));
        m_text.append(text);
    }
    return std::nullopt;
}

std::optional<Failure> Parser::parseHeader(TransientCapture *capture)
{
    const auto expectLine = [this](int line, const char *text) -> std::optional<Failure> {
        if (m_text.value(line - 1) != QLatin1String(text))
            return fail(line, QStringLiteral("\"%1\" expected").arg(QLatin1String(text)));
        return std::nullopt;
    };
    const auto valueAfter = [this](int line, const char *key) -> std::optional<QString> {
        const QString text = m_text.value(line - 1);
        if (!text.startsWith(QLatin1String(key)))
            return std::nullopt;
        return text.mid(qsizetype(qstrlen(key)));
    };

    if (auto failure = expectLine(1, kTitleLine))
        return failure;

    const std::optional<QString> time = valueAfter(2, kCapturedAtKey);
    if (!time)
        return fail(2, QStringLiteral("\"%1<time>\" expected").arg(QLatin1String(kCapturedAtKey)));
    capture->capturedAt = QDateTime::fromString(*time, Qt::ISODateWithMs);
    if (!capture->capturedAt.isValid() || transientTimeText(capture->capturedAt) != *time)
        return fail(2,
            QStringLiteral("bad time \"%1\" (written like 2026-12-08T10:15:30.123+01:00)")
                .arg(*time));

    const std::optional<QString> port = valueAfter(3, kPortKey);
    const qsizetype comma = port ? port->indexOf(QLatin1Char(',')) : -1;
    const std::optional<int> number = comma > 0
        ? exactInt(QStringView(*port).left(comma), kFirstPort, kLastPort)
        : std::nullopt;
    if (!number)
        return fail(3, QStringLiteral("\"# port,Comm N,<device>\" with N 1..255 expected"));
    capture->port = *number;
    capture->device = port->mid(comma + 1);

    const std::optional<QString> rate = valueAfter(4, kRateKey);
    if (!rate || *rate != QString::number(kTransientSampleRateHz))
        return fail(4,
            QStringLiteral("\"%1%2\" expected: the drive sends %2 samples a second")
                .arg(QLatin1String(kRateKey))
                .arg(kTransientSampleRateHz));

    const std::optional<QString> trigger = valueAfter(5, kTriggerKey);
    if (!trigger)
        return fail(5, QStringLiteral("\"%1<index>\" expected").arg(QLatin1String(kTriggerKey)));
    if (!trigger->isEmpty()) {
        m_trigger = exactInt(*trigger, 0, kTransientMaxSamples - 1);
        if (!m_trigger)
            return fail(5, QStringLiteral("bad number \"%1\" for trigger_index").arg(*trigger));
    }

    if (auto failure = parseNote(capture))
        return failure;
    return expectLine(int(m_columnsLine) + 1, kColumnsLine);
}

// "# note,TEXT" with TEXT as one CSV field, which may run over several lines when quoted.
std::optional<Failure> Parser::parseNote(TransientCapture *capture)
{
    const qsizetype first = kFixedHeaderLines;
    if (!m_text.value(first).startsWith(QLatin1String(kNoteKey)))
        return std::nullopt;
    QString field = m_text.at(first).mid(qsizetype(qstrlen(kNoteKey)));
    qsizetype last = first;
    const auto quotes = [](const QString &text) { return text.count(QLatin1Char('"')); };
    // An odd number of quotes so far leaves the field open: its line break is the note's.
    while (quotes(field) % 2 == 1 && last + 1 < m_text.size())
        field += QLatin1Char('\n') + m_text.at(++last);
    QString note = field;
    if (field.startsWith(QLatin1Char('"')) && field.endsWith(QLatin1Char('"')) && field.size() > 1)
        note = field.mid(1, field.size() - 2).replace(QLatin1String("\"\""), QLatin1String("\""));
    if (note.isEmpty() || csvField(note) != field)
        return fail(int(first) + 1,
            QStringLiteral("\"%1<note>\" expected, the note as one CSV field")
                .arg(QLatin1String(kNoteKey)));
    capture->note = note;
    m_columnsLine = last + 1;
    return std::nullopt;
}

std::optional<Failure> Parser::parseRow(int line, const QString &text, TransientSample *sample)
{
    const QStringList fields = text.split(QLatin1Char(','));
    if (fields.size() != 4)
        return fail(line, QStringLiteral("4 fields expected, %1 found").arg(fields.size()));
    const auto badNumber = [&](int column) {
        return fail(line,
            QStringLiteral("bad number \"%1\" in %2")
                .arg(fields.at(column), QLatin1String(kColumns[column])));
    };

    const std::optional<int> index = exactInt(fields.at(0), 0, kTransientMaxSamples);
    if (!index)
        return badNumber(0);
    if (*index != sample->index)
        return fail(
            line, QStringLiteral("index %1 where %2 was expected").arg(*index).arg(sample->index));

    bool ok = false;
    QLocale::c().toDouble(fields.at(1), &ok);
    if (!ok)
        return badNumber(1);
    const QString time = timeMsText(*index - transientTimeOrigin(m_trigger));
    if (fields.at(1) != time)
        return fail(line,
            QStringLiteral("time_ms %1 is not the time of sample %2 (%3)")
                .arg(fields.at(1))
                .arg(*index)
                .arg(time));

    const std::optional<int> overSpin = exactInt(fields.at(3), 0, 1);
    if (!overSpin)
        return badNumber(3);
    if (fields.at(2).isEmpty()) {
        sample->kind = *overSpin ? SampleKind::OverSpin : SampleKind::Missing;
        return std::nullopt;
    }
    const std::optional<int> deviation = exactInt(fields.at(2), -kMaxDeviation, kMaxDeviation);
    if (!deviation)
        return badNumber(2);
    if (*overSpin)
        return fail(line, QStringLiteral("an over-spin sample with a deviation"));
    sample->kind = SampleKind::Valid;
    sample->deviation = *deviation;
    return std::nullopt;
}

std::optional<Failure> Parser::parse(TransientCapture *capture)
{
    if (m_lines.size() > 1 && m_lines.last().isEmpty())
        m_lines.removeLast();
    if (auto failure = checkText())
        return failure;
    if (auto failure = parseHeader(capture))
        return failure;

    for (qsizetype i = m_columnsLine + 1; i < m_text.size(); ++i) {
        const int line = int(i) + 1;
        TransientSample sample;
        sample.index = int(capture->samples.size());
        if (sample.index == kTransientMaxSamples)
            return fail(line,
                QStringLiteral("more than the %1 samples a capture holds")
                    .arg(kTransientMaxSamples));
        if (auto failure = parseRow(line, m_text.at(i), &sample))
            return failure;
        capture->samples.append(sample);
    }
    if (capture->samples.isEmpty())
        return fail(int(m_columnsLine) + 2, QStringLiteral("no samples"));
    const std::optional<int> trigger = transientTrigger(capture->samples);
    if (trigger != m_trigger)
        return fail(5,
            QStringLiteral("trigger_index %1 is not the samples' trigger (%2)")
                .arg(m_trigger ? QString::number(*m_trigger) : QStringLiteral("empty"),
                    trigger ? QString::number(*trigger) : QStringLiteral("none")));
    return std::nullopt;
}

TransientCsvRead refusal(const QString &name, int line, const QString &what)
{
    TransientCsvRead read;
    read.line = line;
    read.error = line > 0 ? QStringLiteral("%1, line %2: %3").arg(name).arg(line).arg(what)
                          : QStringLiteral("%1: %2").arg(name, what);
    return read;
}

QString saveBytes(const QString &path, const QByteArray &bytes)
{
    return saveThrough(path, [&bytes](QIODevice &file) {
        return file.write(bytes) == bytes.size() ? QString() : file.errorString();
    });
}

} // namespace

QString transientTimeText(const QDateTime &capturedAt)
{
    const int offset = capturedAt.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return capturedAt.toOffsetFromUtc(offset).toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz"))
        + QLatin1Char(offset < 0 ? '-' : '+')
        + QStringLiteral("%1:%2")
              .arg(minutes / 60, 2, 10, QLatin1Char('0'))
              .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QString csvField(const QString &text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"'))
        && !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    return QLatin1Char('"') + QString(text).replace(QLatin1Char('"'), QLatin1String("\"\""))
        + QLatin1Char('"');
}

QString transientCsvFileName(const QDateTime &capturedAt)
{
    return capturedAt.toOffsetFromUtc(capturedAt.offsetFromUtc())
        .toString(QStringLiteral("'transient-'yyyyMMdd-HHmmss-zzz'.csv'"));
}

QString transientCaptureProblem(const TransientCapture &capture)
{
    if (!capture.capturedAt.isValid())
        return QStringLiteral("the capture has no time");
    if (capture.port < kFirstPort || capture.port > kLastPort)
        return QStringLiteral("port %1 is not one of Comm 1..255").arg(capture.port);
    if (hasControlCharacter(capture.device))
        return QStringLiteral("the device name holds a control character");
    if (hasControlCharacter(QString(capture.note).remove(QLatin1Char('\n'))))
        return QStringLiteral("the note holds a control character other than a line break");
    if (capture.samples.isEmpty() || capture.samples.size() > kTransientMaxSamples)
        return QStringLiteral("a capture holds 1..%1 samples, not %2")
            .arg(kTransientMaxSamples)
            .arg(capture.samples.size());
    for (qsizetype i = 0; i < capture.samples.size(); ++i) {
        const TransientSample &s = capture.samples.at(i);
        if (s.index != i || std::abs(s.deviation) > kMaxDeviation
            || (!s.isValid() && s.deviation != 0))
            return QStringLiteral("sample %1 cannot be written").arg(i);
    }
    return QString();
}

QByteArray transientCsvBytes(const TransientCapture &capture)
{
    const std::optional<int> trigger = transientTrigger(capture.samples);
    const int origin = transientTimeOrigin(trigger);
    QString text;
    text.reserve(64 + 24 * capture.samples.size());
    text += QLatin1String(kTitleLine) + QLatin1Char('\n');
    text += QLatin1String(kCapturedAtKey) + transientTimeText(capture.capturedAt)
        + QLatin1Char('\n');
    text += QLatin1String(kPortKey) + QString::number(capture.port) + QLatin1Char(',')
        + capture.device + QLatin1Char('\n');
    text += QLatin1String(kRateKey) + QString::number(kTransientSampleRateHz) + QLatin1Char('\n');
    text += QLatin1String(kTriggerKey) + (trigger ? QString::number(*trigger) : QString())
        + QLatin1Char('\n');
    // Only a capture with a note has the line, so one without reads as it always did.
    if (!capture.note.isEmpty())
        text += QLatin1String(kNoteKey) + csvField(capture.note) + QLatin1Char('\n');
    text += QLatin1String(kColumnsLine) + QLatin1Char('\n');
    for (const TransientSample &s : capture.samples) {
        text += QString::number(s.index) + QLatin1Char(',') + timeMsText(s.index - origin)
            + QLatin1Char(',') + (s.isValid() ? QString::number(s.deviation) : QString())
            + QLatin1Char(',') + QLatin1Char(s.kind == SampleKind::OverSpin ? '1' : '0')
            + QLatin1Char('\n');
    }
    return text.toUtf8();
}

QString writeTransientCsv(const QString &path, const TransientCapture &capture)
{
    const QString problem = transientCaptureProblem(capture);
    if (!problem.isEmpty())
        return QStringLiteral("%1: %2").arg(path, problem);
    return saveBytes(path, transientCsvBytes(capture));
}

TransientCsvRead readTransientCsv(const QByteArray &content, const QString &name)
{
    if (content.isEmpty())
        return refusal(name, 0, QStringLiteral("the file is empty"));
    if (content.size() > kTransientCsvMaxBytes)
        return refusal(name, 0, QStringLiteral("far larger than a capture file"));
    TransientCapture capture;
    Parser parser(content.split('\n'));
    if (const std::optional<Failure> failure = parser.parse(&capture))
        return refusal(name, failure->line, failure->what);
    TransientCsvRead read;
    read.capture = std::move(capture);
    return read;
}

TransientCsvRead readTransientCsv(const QString &path)
{
    const QFileInfo info(path);
    const QString name = info.fileName().isEmpty() ? path : info.fileName();
    if (!info.exists())
        return refusal(name, 0, QStringLiteral("no such file"));
    if (info.isDir())
        return refusal(name, 0, QStringLiteral("a folder, not a capture file"));
    if (!info.isFile())
        return refusal(name, 0, QStringLiteral("not an ordinary file"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return refusal(name, 0, QStringLiteral("cannot be read: %1").arg(file.errorString()));
    // One byte more than the limit tells a file at the limit from a larger one.
    const QByteArray content = file.read(kTransientCsvMaxBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return refusal(name, 0, QStringLiteral("cannot be read: %1").arg(file.errorString()));
    return readTransientCsv(content, name);
}

QStringList transientHistoryColumns()
{
    QStringList columns { QLatin1String(kCapturedAtColumn) };
    for (const FigureColumn &column : figureColumns())
        columns.append(QLatin1String(column.key));
    columns.append(QLatin1String(kFileColumn));
    columns.append(QLatin1String(kNoteColumn));
    return columns;
}

QString cleanNote(const QString &typed)
{
    QString note = typed;
    note.replace(QLatin1String("\r\n"), QLatin1String("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
    for (QChar &c : note) {
        if (c != QLatin1Char('\n') && (c.unicode() < 0x20 || c.unicode() == 0x7f))
            c = QLatin1Char(' ');
    }
    return note.trimmed();
}

QByteArray transientHistoryHeader()
{
    return transientHistoryColumns().join(QLatin1Char(',')).toUtf8() + '\n';
}

QList<std::pair<QString, QString>> transientHistoryFields(
    const TransientCapture &capture, const QString &fileName)
{
    const TransientFigures figures = transientFigures(capture.samples);
    QList<std::pair<QString, QString>> fields { { QLatin1String(kCapturedAtColumn),
        transientTimeText(capture.capturedAt) } };
    for (const FigureColumn &column : figureColumns())
        fields.append({ QLatin1String(column.key), figureNumberText(column, figures) });
    fields.append({ QLatin1String(kFileColumn), fileName });
    fields.append({ QLatin1String(kNoteColumn), capture.note });
    return fields;
}

QByteArray transientHistoryRow(const TransientCapture &capture, const QString &fileName)
{
    QStringList fields;
    for (const auto &[column, value] : transientHistoryFields(capture, fileName))
        fields.append(csvField(value));
    return fields.join(QLatin1Char(',')).toUtf8() + '\n';
}

namespace {

// The row for a history file whose header names these columns, in its order: a file written
// before a column was added keeps its columns. None when the header is not one of ours.
std::optional<QByteArray> historyRowFor(
    const QByteArray &header, const TransientCapture &capture, const QString &fileName)
{
    const QStringList columns = QString::fromUtf8(header).split(QLatin1Char(','));
    if (columns.constFirst() != QLatin1String(kCapturedAtColumn)
        || columns.size() != QSet<QString>(columns.begin(), columns.end()).size())
        return std::nullopt;
    const QList<std::pair<QString, QString>> fields = transientHistoryFields(capture, fileName);
    QStringList values;
    for (const QString &column : columns) {
        const auto field = std::find_if(fields.begin(), fields.end(),
            [&column](const std::pair<QString, QString> &f) { return f.first == column; });
        if (field == fields.end())
            return std::nullopt;
        values.append(csvField(field->second));
    }
    return values.join(QLatin1Char(',')).toUtf8() + '\n';
}

} // namespace

QString writeTransientHistory(const QString &path, const QByteArrayList &rows)
{
    return saveBytes(path, transientHistoryHeader() + rows.join());
}

QString appendTransientHistory(
    const QString &path, const TransientCapture &capture, const QString &fileName)
{
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return QStringLiteral("%1: not an ordinary file").arg(path);
    const QByteArray header = transientHistoryHeader();
    const QString error = appendToSharedLog(
        path, header,
        [&](const QByteArray &existing) { return historyRowFor(existing, capture, fileName); },
        QStringLiteral("not a history file (its first line is not the header)"));
    return error.isEmpty() ? QString() : QStringLiteral("%1: %2").arg(path, error);
}
