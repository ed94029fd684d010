// Saving the chart as a Windows bitmap and loading a picture back as its background.
// Both return an error number from file_errors.h, 0 on success.
#pragma once

#include "files/file_errors.h"

#include <QImage>
#include <QString>

// Pictures larger than this on either side, or needing more memory than the allocation limit,
// are refused before they are decoded.
inline constexpr int kMaxPictureSide = 8192;
inline constexpr int kPictureAllocationLimitMb = 256;

// Writes image as a 24-bit BMP. The bytes go to a temporary file beside path that replaces path
// only once everything is written, so a failed save leaves an existing file as it was.
int saveTransientBitmap(const QImage &image, const QString &path);

// Reads any picture format Qt reads. *out is set only on success, and to the picture as stored:
// one of another size than the chart is not scaled (the window shows it from the top-left).
int loadTransientPicture(const QString &path, QImage *out);
