#pragma once

#include "codec/work/Parallelism.h"

#include <QImage>
#include <QImageIOHandler>
#include <QSize>
#include <QString>
#include <optional>
#include <string>

namespace vistrel {

// Decodes the first image of a picture file with its stored (unturned) pixels.
// Pictures larger than the display needs are decoded scaled down, natively where the
// format can, so that a gigantic picture shows without exhausting memory: PNG and JPEG
// rows are folded into the smaller image as they are decoded, and only that is held.
// Every PNG goes through libpng (the general reader only takes what it refuses).
// Formats Qt does not read (HEIF, AVIF, JPEG XL) go through a LibraryImageReader.
// Pixels come back in sRGB, converted from the colour space the file embeds, since
// that is what the display is drawn as. Re-entrant: it keeps no state between calls.
class PictureDecoder {
  public:
    // Our own limit for one decoded image; the image reader's default refuses ordinary
    // camera pictures.
    static constexpr int allocationLimitMegabytes = 2048;

    struct Result {
        QImage image;     // null when the file cannot be decoded
        QSize storedSize; // the picture's size as stored, whatever was decoded
        // How the stored pixels are to be turned, as the format's reader reads it from
        // the file; empty when the reader of this format cannot tell.
        std::optional<QImageIOHandler::Transformations> transformation;
        QString failure; // why the image is null, for the log
        bool animated = false; // the file holds more frames

        // No pixels, and why.
        static Result failed(QSize storedSize, const QString& why) {
            Result result;
            result.storedSize = storedSize;
            result.failure = why;
            return result;
        }
    };

    // `stored` scaled down, its aspect kept, to fit `bound`; as it is when it fits or
    // the bound is invalid.
    static QSize fittedSize(QSize stored, QSize bound);

    // True when an image of `size` decodes within our allocation limit.
    static bool fitsAllocationLimit(QSize size);

    // Sets the image readers' allocation limit, which is shared by the whole process,
    // to ours; once, however often it is called. decode() calls it too.
    static void applyAllocationLimit();

    // `bound` is the most the caller needs, in stored orientation; the image is scaled
    // down to fit it with its aspect kept. An invalid bound asks for the full picture.
    // The file is opened by the bytes of `path`, so that a name that is no valid UTF-8
    // (which no QString can name) decodes too; only regular files are read. Large PNG
    // and JPEG pictures spread their decoding over `parallelism`.
    static Result decode(const std::string& path, QSize bound, const Parallelism& parallelism = {});
    static Result decode(const QString& path, QSize bound, const Parallelism& parallelism = {});

    // As decode(), for a PNG picture, or a JPEG larger than needed, that this program's
    // own decoders read alone, without the general image reader. That reader's plugin
    // loader must not run while the application object is being made, and the
    // program's first picture decodes then. nullopt when the file needs the general
    // reader: another format, a file the own decoder leaves to it, colours to convert
    // to sRGB, a possible Exif orientation, damage.
    static std::optional<Result> decodeWithOwnDecoder(const std::string& path, QSize bound,
                                                      const Parallelism& parallelism = {});

    // Pictures of fewer pixels decode whole quickly enough to need no first look.
    static constexpr qint64 firstLookWorthFromPixels = 4'000'000;
    // The small picture a large picture's file carries (a HEIF photo's thumbnail), to
    // show while the picture itself decodes: sRGB, within `bound`, with the picture's
    // stored size and turn. A null image when the file carries none or the picture is
    // small enough to decode quickly whole.
    static Result decodeFirstLook(const std::string& path, QSize bound);

    // Converts `image` to sRGB when it carries another valid colour space (an embedded
    // ICC profile, a PNG gamma); untagged and sRGB images are left as they are. Gray
    // images stay gray, each level converted by a table.
    static void convertToSrgb(QImage& image);
};

} // namespace vistrel
