// Bitmaps whose headers lie: about their size, their bit depth, their palette, where their
// pixels are, and their run-length data. Each must end in one clear outcome: a picture of the
// declared size, or a refusal that leaves the caller's picture as it was.
#include "files/transient_bitmap.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <climits>

namespace {

// The fields of a file header and a 40-byte info header that the cases vary.
struct Header
{
    quint32 fileSize = 0;
    quint32 pixelOffset = 54;
    quint32 infoSize = 40;
    qint32 width = 4;
    qint32 height = 4;
    quint16 planes = 1;
    quint16 bitCount = 24;
    quint32 compression = 0;
    quint32 coloursUsed = 0;

    QByteArray bytes() const
    {
        QByteArray header(54, '\0');
        auto *p = reinterpret_cast<uchar *>(header.data());
        p[0] = 'B';
        p[1] = 'M';
        qToLittleEndian<quint32>(fileSize, p + 2);
        qToLittleEndian<quint32>(pixelOffset, p + 10);
        qToLittleEndian<quint32>(infoSize, p + 14);
        qToLittleEndian<qint32>(width, p + 18);
        qToLittleEndian<qint32>(height, p + 22);
        qToLittleEndian<quint16>(planes, p + 26);
        qToLittleEndian<quint16>(bitCount, p + 28);
        qToLittleEndian<quint32>(compression, p + 30);
        qToLittleEndian<quint32>(coloursUsed, p + 46);
        return header;
    }
};

constexpr quint32 kRle8 = 1;
constexpr quint32 kRle4 = 2;
constexpr quint32 kBitFields = 3;

// A grey palette of n entries (blue, green, red, reserved).
QByteArray palette(int n)
{
    QByteArray entries;
    for (int i = 0; i < n; ++i)
        entries.append(char(i)).append(char(i)).append(char(i)).append('\0');
    return entries;
}

// 4 x 4 pixels of 24 bits: rows of 12 bytes, no padding needed.
const QByteArray kPixels24(48, '\x7f');

// An 8-bit 4 x 4 header with a full palette behind it, then the given run-length data.
QByteArray rle8(const QByteArray &hex, qint32 height = 4)
{
    Header h;
    h.bitCount = 8;
    h.compression = kRle8;
    h.height = height;
    h.pixelOffset = 54 + 256 * 4;
    return h.bytes() + palette(256) + QByteArray::fromHex(hex);
}

QByteArray rle4(const QByteArray &hex)
{
    Header h;
    h.bitCount = 4;
    h.compression = kRle4;
    h.pixelOffset = 54 + 16 * 4;
    return h.bytes() + palette(16) + QByteArray::fromHex(hex);
}

// A 12-byte OS/2 core header (16-bit sizes) with 4 x 4 pixels of 24 bits behind it.
QByteArray os2Bitmap(quint16 width, quint16 height, int pixelBytes)
{
    QByteArray header(26, '\0');
    auto *p = reinterpret_cast<uchar *>(header.data());
    p[0] = 'B';
    p[1] = 'M';
    qToLittleEndian<quint32>(26, p + 10);
    qToLittleEndian<quint32>(12, p + 14);
    qToLittleEndian<quint16>(width, p + 18);
    qToLittleEndian<quint16>(height, p + 20);
    qToLittleEndian<quint16>(1, p + 22);
    qToLittleEndian<quint16>(24, p + 24);
    return header + QByteArray(pixelBytes, '\x7f');
}

// What a case may end in. Run-length data that breaks the format's rules inside the picture
// (runs past a row, a missing end) is decoded by Qt as far as it goes; either outcome is sound
// there, as long as it is one of the two.
enum class Outcome { Loads, Refused, LoadsOrRefused };

} // namespace

Q_DECLARE_METATYPE(Outcome)

class TestBadInputBitmaps : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void lyingHeadersEndInOneClearOutcome_data();
    void lyingHeadersEndInOneClearOutcome();
};

void TestBadInputBitmaps::lyingHeadersEndInOneClearOutcome_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<QSize>("size"); // of a picture that loads

    const QSize declared(4, 4);
    const auto row
        = [&](const char *name, const QByteArray &file, Outcome outcome, QSize size = QSize(4, 4)) {
              QTest::newRow(name) << file << outcome << size;
          };
    const auto with = [](auto change) {
        Header h;
        change(h);
        return h.bytes();
    };

    // Sizes.
    row("width 0", with([](Header &h) { h.width = 0; }) + kPixels24, Outcome::Refused);
    row("height 0", with([](Header &h) { h.height = 0; }) + kPixels24, Outcome::Refused);
    row("negative width", with([](Header &h) { h.width = -4; }) + kPixels24, Outcome::Refused);
    row("height INT_MIN", with([](Header &h) { h.height = INT_MIN; }) + kPixels24,
        Outcome::Refused);
    row("top-down, one row short", with([](Header &h) { h.height = -4; }) + kPixels24.left(36),
        Outcome::Refused);
    row("more pixels than declared", Header().bytes() + kPixels24 + QByteArray(1000, '\x01'),
        Outcome::Loads, declared);
    row("file size field 4 GB", with([](Header &h) { h.fileSize = 0xFFFFFFFF; }) + kPixels24,
        Outcome::Loads, declared);
    row("file size field 10", with([](Header &h) { h.fileSize = 10; }) + kPixels24, Outcome::Loads,
        declared);
    row("OS/2 header, half the pixels", os2Bitmap(4, 4, 24), Outcome::Refused);
    row("OS/2 header claims 65535 x 65535", os2Bitmap(65535, 65535, 48), Outcome::Refused);

    // Bit depths and planes.
    for (const int bits : { 0, 2, 3, 7, 12, 33, 48, 64, 65535 }) {
        const QByteArray name = "bit depth " + QByteArray::number(bits);
        row(name.constData(),
            with([bits](Header &h) { h.bitCount = quint16(bits); }) + QByteArray(4096, '\x7f'),
            Outcome::Refused);
    }
    row("no planes", with([](Header &h) { h.planes = 0; }) + kPixels24, Outcome::Refused);
    row("three planes", with([](Header &h) { h.planes = 3; }) + kPixels24, Outcome::Refused);

    // Palettes.
    row("1000 colours on 8 bits",
        with([](Header &h) {
            h.bitCount = 8;
            h.coloursUsed = 1000;
            h.pixelOffset = 54 + 4000;
        }) + palette(1000)
            + QByteArray(16, '\x01'),
        Outcome::Refused);
    row("4 G colours on 8 bits",
        with([](Header &h) {
            h.bitCount = 8;
            h.coloursUsed = 0xFFFFFFFF;
        }) + palette(256)
            + QByteArray(16, '\x01'),
        Outcome::Refused);
    row("pixels naming colours the palette lacks",
        with([](Header &h) {
            h.bitCount = 8;
            h.coloursUsed = 2;
            h.pixelOffset = 54 + 8;
        }) + palette(2)
            + QByteArray(16, '\xc8'),
        Outcome::Loads, declared);
    row("8 bits without a palette",
        with([](Header &h) { h.bitCount = 8; }) + QByteArray(16, '\x01'), Outcome::Refused);

    // Where the pixels are, and the header's own size.
    row("pixel offset 0", with([](Header &h) { h.pixelOffset = 0; }) + kPixels24, Outcome::Loads,
        declared);
    row("pixel offset inside the header", with([](Header &h) { h.pixelOffset = 20; }) + kPixels24,
        Outcome::Loads, declared);
    row("pixel offset 4 GB", with([](Header &h) { h.pixelOffset = 0xFFFFFFF0; }) + kPixels24,
        Outcome::Refused);
    for (const quint32 info : { 0u, 1u, 11u, 13u, 39u, 41u, 200u, 0xFFFFFFFFu }) {
        const QByteArray name = "info header size " + QByteArray::number(info);
        row(name.constData(), with([info](Header &h) { h.infoSize = info; }) + QByteArray(4096, 0),
            Outcome::Refused);
    }

    // Compression claims.
    row("run-length 8 on 24 bits",
        with([](Header &h) { h.compression = kRle8; }) + QByteArray::fromHex("040100000001"),
        Outcome::Refused);
    row("run-length 4 on 8 bits",
        with([](Header &h) {
            h.bitCount = 8;
            h.compression = kRle4;
            h.pixelOffset = 54 + 1024;
        }) + palette(256)
            + QByteArray::fromHex("04110001"),
        Outcome::Refused);
    row("run-length 8 without data", rle8(""), Outcome::Refused);
    row("run-length 8 absolute run past the data", rle8("00ff0102"), Outcome::Refused);
    row("run-length 8 runs past the row", rle8("ff05ff05ff05ff05ff05ff050001"),
        Outcome::LoadsOrRefused, declared);
    row("run-length 8 delta past the picture", rle8("0002ffff040a0001"), Outcome::LoadsOrRefused,
        declared);
    row("run-length 8 absolute run past the row",
        rle8(QByteArray("00fe") + QByteArray(254, '\x03').toHex() + "0001"),
        Outcome::LoadsOrRefused, declared);
    row("run-length 8 without an end", rle8("0405"), Outcome::LoadsOrRefused, declared);
    row("run-length 8 stored top-down", rle8("04050000040500000405000004050001", -4),
        Outcome::LoadsOrRefused, declared);
    row("run-length 4 runs past the row", rle4("ff12ff12ff12ff120001"), Outcome::LoadsOrRefused,
        declared);
    row("run-length 4 absolute run past the data", rle4("00ff12"), Outcome::LoadsOrRefused,
        declared);
    row("bit fields on 24 bits",
        with([](Header &h) {
            h.compression = kBitFields;
            h.pixelOffset = 54 + 12;
        }) + QByteArray::fromHex("0000ff0000ff0000ff000000")
            + kPixels24,
        Outcome::Refused);
    row("bit fields overlapping",
        with([](Header &h) {
            h.bitCount = 32;
            h.compression = kBitFields;
            h.pixelOffset = 54 + 12;
        }) + QByteArray(12, '\xff')
            + QByteArray(64, '\x7f'),
        Outcome::Refused);
    for (const quint32 compression : { 4u, 5u, 99u }) {
        const QByteArray name = "compression " + QByteArray::number(compression);
        row(name.constData(), with([compression](Header &h) {
            h.compression = compression;
        }) + QByteArray(100, '\x7f'),
            Outcome::Refused);
    }
}

void TestBadInputBitmaps::lyingHeadersEndInOneClearOutcome()
{
    QFETCH(QByteArray, file);
    QFETCH(Outcome, outcome);
    QFETCH(QSize, size);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Tranziens.bmp"));
    QFile out(path);
    QVERIFY(out.open(QIODevice::WriteOnly));
    QCOMPARE(out.write(file), file.size());
    out.close();

    QImage picture(5, 5, QImage::Format_RGB32);
    picture.fill(Qt::cyan);
    const QImage before = picture;
    const int result = loadTransientPicture(path, &picture);

    const bool loaded = result == kFileOk;
    if (outcome != Outcome::LoadsOrRefused)
        QCOMPARE(loaded, outcome == Outcome::Loads);
    if (loaded) {
        QCOMPARE(picture.size(), size);
        // The window draws it converted; a palette index beyond the table must not read past it.
        const QImage shown = picture.convertToFormat(QImage::Format_RGB32);
        QCOMPARE(shown.size(), size);
    } else {
        QCOMPARE(result, kInvalidPicture);
        QCOMPARE(picture, before);
    }
}

QTEST_GUILESS_MAIN(TestBadInputBitmaps)
#include "tst_bad_input_bitmaps.moc"
