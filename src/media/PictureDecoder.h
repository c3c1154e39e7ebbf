#pragma once

#include <QImage>
#include <QSize>
#include <QString>

namespace vistrel {

// Decodes the first image of a picture file with its stored (unturned) pixels.
// Pictures larger than the display needs are decoded scaled down, natively where the
// format can (JPEG), so that a gigantic picture shows without exhausting memory.
class PictureDecoder {
  public:
    // Our own limit for one decoded image; the image reader's default refuses ordinary
    // camera pictures.
    static constexpr int allocationLimitMegabytes = 2048;

    struct Result {
        QImage image;     // null when the file cannot be decoded
        QSize storedSize; // the picture's size as stored, whatever was decoded
    };

    // `bound` is the most the caller needs, in stored orientation; the image is scaled
    // down to fit it with its aspect kept. An invalid bound asks for the full picture.
    static Result decode(const QString& path, QSize bound);
};

} // namespace vistrel
