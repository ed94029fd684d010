// Fuzzes the capture file reader with the input as a file's content. A refusal names a line the
// input has and gives no capture. An accepted file is exactly what writing its capture gives (a
// missing last line end, CR LF line ends and a byte order mark aside), so it reads back to the
// same samples and note, and its figures count every sample once. The same bytes, taken as a raw capture, decode into consecutive samples
// whose figures and cursor statistics stay within the capture.
#include "analysis/transient_figures.h"
#include "files/transient_csv.h"
#include "fuzz_support.h"

#include <cmath>

namespace {

void checkFigures(const QList<TransientSample> &samples)
{
    const TransientFigures f = transientFigures(samples);
    fuzzCheck(f.validCount + f.overSpinCount + f.missingCount == samples.size(),
        "the figures do not count every sample once");
    fuzzCheck(!f.damping || std::isfinite(*f.damping), "a damping ratio that is not a number");
    fuzzCheck(!f.settleIndex || (f.trigger && *f.settleIndex > f.trigger->index),
        "settled before the trigger");
    const int last = samples.isEmpty() ? 0 : samples.last().index;
    const CursorStatistics c = cursorStatistics(samples, f.timeOrigin(), -1e9, 1e9);
    fuzzCheck(c.indexA == 0 && c.indexB == last, "cursors beyond the ends are not clamped");
    fuzzCheck(c.moments.count == f.validCount, "the cursors over everything miss valid samples");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray content(reinterpret_cast<const char *>(data), qsizetype(size));

    const QList<TransientSample> raw = transientSamples(data, int(size));
    for (qsizetype i = 0; i < raw.size(); ++i)
        fuzzCheck(raw.at(i).index == i, "decoded samples that are not consecutive");
    fuzzCheck(size < 2 || raw.size() == qsizetype(size - transientPhase(data, int(size))) / 2,
        "pairs left out of the decoded phase");
    checkFigures(raw);

    const TransientCsvRead read = readTransientCsv(content, QStringLiteral("fuzz.csv"));
    if (!read.capture) {
        fuzzCheck(!read.error.isEmpty(), "a refusal without a message");
        fuzzCheck(read.line >= 0 && read.line <= content.count('\n') + 2,
            "a refusal naming a line the input does not have");
        return 0;
    }
    const TransientCapture &capture = *read.capture;
    fuzzCheck(read.error.isEmpty() && transientCaptureProblem(capture).isEmpty(),
        "an accepted capture that cannot be written");
    QByteArray asWritten = content;
    if (asWritten.startsWith("\xEF\xBB\xBF"))
        asWritten.remove(0, 3);
    asWritten.replace("\r\n", "\n");
    if (asWritten.endsWith('\r'))
        asWritten.chop(1);
    const QByteArray written = transientCsvBytes(capture);
    fuzzCheck(written == asWritten || written == asWritten + '\n',
        "an accepted file that is not what the monitor writes");
    const TransientCsvRead again = readTransientCsv(written, QStringLiteral("again.csv"));
    fuzzCheck(again.capture && again.capture->samples == capture.samples
            && again.capture->note == capture.note,
        "a written capture that does not read back");
    checkFigures(capture.samples);
    return 0;
}
