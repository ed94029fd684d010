// Bitmap save and picture load against real files: round trips, failures that must keep the old
// file, and inputs that must be refused without touching the caller's picture.
#include "files/transient_bitmap.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QImage testPattern(const QSize &size)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, qRgb(x % 256, y % 256, (x * 7 + y * 13) % 256));
    return image;
}

QByteArray encoded(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// A 54-byte bitmap header with the pixels right behind it.
QByteArray bitmapHeader(qint32 width, qint32 height, quint16 bitCount, quint32 compression = 0)
{
    QByteArray header(54, '\0');
    auto *p = reinterpret_cast<uchar *>(header.data());
    p[0] = 'B';
    p[1] = 'M';
    qToLittleEndian<quint32>(54, p + 10);
    qToLittleEndian<quint32>(40, p + 14);
    qToLittleEndian<qint32>(width, p + 18);
    qToLittleEndian<qint32>(height, p + 22);
    qToLittleEndian<quint16>(1, p + 26);
    qToLittleEndian<quint16>(bitCount, p + 28);
    qToLittleEndian<quint32>(compression, p + 30);
    return header;
}

// Every entry of a folder, with the bytes of the regular files, to see that nothing changed.
QMap<QString, QByteArray> snapshot(const QString &folder)
{
    QMap<QString, QByteArray> entries;
    const auto infos = QDir(folder).entryInfoList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &info : infos)
        entries.insert(info.fileName(), info.isFile() ? readFile(info.filePath()) : "(not a file)");
    return entries;
}

// Lets no file of this process grow beyond a few kilobytes, so a write fails halfway through
// even for root, who ignores permissions.
class FileSizeLimit
{
public:
    FileSizeLimit()
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_saved);
        rlimit small = m_saved;
        small.rlim_cur = 16 * 1024;
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_saved); }

private:
    rlimit m_saved {};
};

} // namespace

class TestTransientBitmap : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void savedBitmapReloadsPixelForPixel_data();
    void savedBitmapReloadsPixelForPixel();
    void savingOverAnExistingFileReplacesIt();
    void failedSaveKeepsWhatWasThere_data();
    void failedSaveKeepsWhatWasThere();
    void picturesLoadAsStored_data();
    void picturesLoadAsStored();
    void badInputLeavesThePictureUntouched_data();
    void badInputLeavesThePictureUntouched();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

// Each test gets: an old bitmap, a text file, a folder, a hidden file, a fifo, a dangling link.
void TestTransientBitmap::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QCOMPARE(saveTransientBitmap(testPattern({ 600, 510 }), path("old.bmp")), kFileOk);
    writeFile(path("plain.txt"), "not a folder\n");
    writeFile(path(".hidden.bmp"), "hidden bytes");
    QVERIFY(QDir().mkpath(path("folder.bmp")));
    QCOMPARE(::mkfifo(QFile::encodeName(path("fifo.bmp")).constData(), 0600), 0);
    QVERIFY(QFile::link(path("nowhere.bmp"), path("dangling.bmp")));
}

void TestTransientBitmap::savedBitmapReloadsPixelForPixel_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("chart") << QSize(600, 510);
    QTest::newRow("one pixel") << QSize(1, 1);
    QTest::newRow("padded rows") << QSize(601, 3);
    QTest::newRow("tall") << QSize(3, 601);
}

void TestTransientBitmap::savedBitmapReloadsPixelForPixel()
{
    QFETCH(QSize, size);
    const QImage original = testPattern(size);
    QCOMPARE(saveTransientBitmap(original, path("new.bmp")), kFileOk);

    // A plain 24-bit Windows bitmap, exactly as long as its rows, so other programs open it.
    const QByteArray bytes = readFile(path("new.bmp"));
    QVERIFY(bytes.startsWith("BM"));
    QCOMPARE(qFromLittleEndian<quint16>(bytes.constData() + 28), quint16(24));
    QCOMPARE(bytes.size(), 54 + (size.width() * 3 + 3) / 4 * 4 * size.height());

    QImage reloaded;
    QCOMPARE(loadTransientPicture(path("new.bmp"), &reloaded), kFileOk);
    QCOMPARE(reloaded.convertToFormat(QImage::Format_RGB32), original);
}

void TestTransientBitmap::savingOverAnExistingFileReplacesIt()
{
    const QImage replacement = testPattern({ 20, 10 }).mirrored(true, false);
    const QStringList entries = snapshot(m_dir->path()).keys();
    QCOMPARE(saveTransientBitmap(replacement, path("old.bmp")), kFileOk);
    QImage reloaded;
    QCOMPARE(loadTransientPicture(path("old.bmp"), &reloaded), kFileOk);
    QCOMPARE(reloaded.convertToFormat(QImage::Format_RGB32), replacement);
    QCOMPARE(snapshot(m_dir->path()).keys(), entries);
}

enum class SaveTrap { None, WriteFailsHalfway, NullImage };

void TestTransientBitmap::failedSaveKeepsWhatWasThere_data()
{
    QTest::addColumn<QString>("target"); // relative to the fixture unless absolute
    QTest::addColumn<int>("trap");
    QTest::addColumn<int>("error");
    const int none = int(SaveTrap::None);
    QTest::newRow("missing folder") << "nofolder/Tranziens.bmp" << none << kFileAccessError;
    QTest::newRow("parent is a file") << "plain.txt/Tranziens.bmp" << none << kFileAccessError;
    // /proc takes no new files even from root, for whom a read-only folder would be writable.
    QTest::newRow("folder refusing files") << "/proc/Tranziens.bmp" << none << kFileAccessError;
    QTest::newRow("target is a folder") << "folder.bmp" << none << kFileAccessError;
    QTest::newRow("target is hidden") << ".hidden.bmp" << none << kFileAccessError;
    QTest::newRow("target is a fifo") << "fifo.bmp" << none << kFileAccessError;
    QTest::newRow("write fails halfway")
        << "old.bmp" << int(SaveTrap::WriteFailsHalfway) << kFileAccessError;
    QTest::newRow("null image") << "old.bmp" << int(SaveTrap::NullImage) << kInvalidPicture;
}

void TestTransientBitmap::failedSaveKeepsWhatWasThere()
{
    QFETCH(QString, target);
    QFETCH(int, trap);
    QFETCH(int, error);
    const QMap<QString, QByteArray> before = snapshot(m_dir->path());
    const QString targetPath = target.startsWith(QLatin1Char('/')) ? target : path(target);
    const QImage image
        = SaveTrap(trap) == SaveTrap::NullImage ? QImage() : testPattern({ 600, 510 });

    int result = -1;
    if (SaveTrap(trap) == SaveTrap::WriteFailsHalfway) {
        FileSizeLimit limit;
        result = saveTransientBitmap(image, targetPath);
    } else {
        result = saveTransientBitmap(image, targetPath);
    }
    QCOMPARE(result, error);
    // No temporary file left behind, nothing replaced, nothing created.
    QCOMPARE(snapshot(m_dir->path()), before);
}

void TestTransientBitmap::picturesLoadAsStored_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QImage>("expected");

    const QImage pattern = testPattern({ 300, 200 });
    QTest::newRow("png of another size") << encoded(pattern, "png") << pattern;

    QImage mono(13, 5, QImage::Format_Mono);
    mono.fill(0);
    for (int i = 0; i < 5; ++i)
        mono.setPixel(i * 3, i, 1);
    QTest::newRow("1-bit bitmap") << encoded(mono, "bmp") << mono;
    QImage gray(7, 3, QImage::Format_Grayscale8);
    for (int i = 0; i < 21; ++i)
        gray.setPixel(i % 7, i / 7, i * 12);
    QTest::newRow("8-bit bitmap") << encoded(gray, "bmp") << gray;

    // Rows stored top row first, as some programs write them; 2 x 2 pixels, rows padded to 8.
    QByteArray topDown = bitmapHeader(2, -2, 24);
    topDown += QByteArray::fromHex("0000ff"
                                   "00ff00"
                                   "0000"); // red, green
    topDown += QByteArray::fromHex("ff0000"
                                   "ffffff"
                                   "0000"); // blue, white
    QImage square(2, 2, QImage::Format_RGB32);
    square.setPixel(0, 0, qRgb(255, 0, 0));
    square.setPixel(1, 0, qRgb(0, 255, 0));
    square.setPixel(0, 1, qRgb(0, 0, 255));
    square.setPixel(1, 1, qRgb(255, 255, 255));
    QTest::newRow("top-down bitmap") << topDown << square;
}

void TestTransientBitmap::picturesLoadAsStored()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QImage, expected);
    writeFile(path("picture"), bytes);
    QImage loaded;
    QCOMPARE(loadTransientPicture(path("picture"), &loaded), kFileOk);
    QCOMPARE(loaded.size(), expected.size());
    QCOMPARE(loaded.convertToFormat(QImage::Format_RGB32),
        expected.convertToFormat(QImage::Format_RGB32));
}

void TestTransientBitmap::badInputLeavesThePictureUntouched_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes"); // written to name first unless null
    QTest::addColumn<int>("error");

    const QByteArray good = encoded(testPattern({ 600, 510 }), "bmp");
    QTest::newRow("missing") << "missing.bmp" << QByteArray() << kFileNotFound;
    QTest::newRow("link to nowhere") << "dangling.bmp" << QByteArray() << kFileNotFound;
    QTest::newRow("folder") << "folder.bmp" << QByteArray() << kFileAccessError;
    QTest::newRow("fifo") << "fifo.bmp" << QByteArray() << kFileAccessError;
    QTest::newRow("unreadable") << "unreadable.bmp" << good << kFileAccessError;
    QTest::newRow("empty file") << "empty.bmp" << QByteArray("") << kInvalidPicture;
    QTest::newRow("text file") << "notes.txt" << QByteArray("Tranziens\r\n") << kInvalidPicture;
    QTest::newRow("header only") << "cut.bmp" << good.left(54) << kInvalidPicture;
    QTest::newRow("half a bitmap") << "cut.bmp" << good.left(good.size() / 2) << kInvalidPicture;
    QTest::newRow("one byte short") << "cut.bmp" << good.chopped(1) << kInvalidPicture;
    QTest::newRow("claims 60000 x 60000")
        << "huge.bmp" << bitmapHeader(60000, 60000, 24) + QByteArray(1024, 'x') << kInvalidPicture;
    QTest::newRow("claims 60000 x 60000 run-length")
        << "huge.bmp" << bitmapHeader(60000, 60000, 8, 1) + QByteArray(2048, '\0')
        << kInvalidPicture;
    QTest::newRow("complete but too wide")
        << "wide.bmp" << bitmapHeader(kMaxPictureSide + 1, 1, 24) + QByteArray(24580, '\0')
        << kInvalidPicture;
}

void TestTransientBitmap::badInputLeavesThePictureUntouched()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(int, error);
    if (!bytes.isNull())
        writeFile(path(name), bytes);
    if (name == QLatin1String("unreadable.bmp")) {
        if (::geteuid() == 0)
            QSKIP("root reads files whatever their permissions");
        QVERIFY(QFile::setPermissions(path(name), QFile::WriteOwner));
    }

    QImage picture(5, 5, QImage::Format_RGB32);
    picture.fill(Qt::cyan);
    const QImage before = picture;
    QCOMPARE(loadTransientPicture(path(name), &picture), error);
    QCOMPARE(picture, before);
}

QTEST_GUILESS_MAIN(TestTransientBitmap)
#include "tst_transient_bitmap.moc"
