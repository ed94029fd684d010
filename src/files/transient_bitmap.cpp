// Bitmap save and picture load with the checks that keep a bad file from costing data or memory.
#include "files/transient_bitmap.h"

#include "files/file_exists.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QSaveFile>
#include <QtEndian>

namespace {

// Qt's BMP reader fills the rows a truncated file lacks instead of failing, so for the
// uncompressed variants compare the pixel bytes the header declares with the file's length.
bool bitmapIsTruncated(QFile &file)
{
    const QByteArray head = file.peek(34);
    if (!head.startsWith("BM") || head.size() < 26)
        return false;
    const auto *bytes = reinterpret_cast<const uchar *>(head.constData());
    const quint32 pixelOffset = qFromLittleEndian<quint32>(bytes + 10);
    const quint32 infoSize = qFromLittleEndian<quint32>(bytes + 14);
    qint64 width = 0;
    qint64 height = 0;
    int bitCount = 0;
    if (infoSize == 12) { // OS/2 core header: 16-bit sizes, never compressed
        width = qFromLittleEndian<quint16>(bytes + 18);
        height = qFromLittleEndian<quint16>(bytes + 20);
        bitCount = qFromLittleEndian<quint16>(bytes + 24);
    } else if (infoSize >= 40 && head.size() >= 34) {
        width = qFromLittleEndian<qint32>(bytes + 18);
        height = qAbs(qint64(qFromLittleEndian<qint32>(bytes + 22))); // negative: top-down rows
        bitCount = qFromLittleEndian<quint16>(bytes + 28);
        const quint32 compression = qFromLittleEndian<quint32>(bytes + 30);
        const bool uncompressed = compression == 0 || compression == 3 || compression == 6;
        if (!uncompressed)
            return false; // run-length and embedded formats: left to the decoder
    } else {
        return false;
    }
    // Sizes beyond the load limits are refused there; leaving them out keeps the product in range.
    if (width <= 0 || bitCount <= 0 || width > kMaxPictureSide || height > kMaxPictureSide)
        return false;
    const qint64 stride = (width * bitCount + 31) / 32 * 4;
    return qint64(pixelOffset) + stride * height > file.size();
}

} // namespace

int saveTransientBitmap(const QImage &image, const QString &path)
{
    if (image.isNull())
        return kInvalidPicture;
    // Replacing a folder, device or hidden file is never what saving a transient means; renaming
    // the temporary file over a device node would even replace the node itself.
    if (fileEntryKind(path) == FileEntryKind::Other)
        return kFileAccessError;

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return kFileAccessError;
    QImageWriter writer(&file, "bmp");
    if (!writer.write(image.convertToFormat(QImage::Format_RGB32))) {
        file.cancelWriting();
        return kFileAccessError;
    }
    return file.commit() ? kFileOk : kFileAccessError;
}

int loadTransientPicture(const QString &path, QImage *out)
{
    // The caller's existence test has already turned hidden files away; here only what cannot be
    // read as a picture at all is refused: a folder, or a fifo or device that would block or
    // never end.
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        return kFileNotFound;
    if (!info.isFile())
        return kFileAccessError;

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return kFileAccessError;
    if (bitmapIsTruncated(file))
        return kInvalidPicture;

    QImageReader reader(&file);
    reader.setAllocationLimit(kPictureAllocationLimitMb);
    const QSize declared = reader.size();
    if (declared.width() > kMaxPictureSide || declared.height() > kMaxPictureSide)
        return kInvalidPicture;

    QImage picture;
    if (!reader.read(&picture))
        return reader.error() == QImageReader::DeviceError ? kFileAccessError : kInvalidPicture;
    if (picture.width() > kMaxPictureSide || picture.height() > kMaxPictureSide)
        return kInvalidPicture;
    *out = picture;
    return kFileOk;
}
