#pragma once

#include "formats/FileBytes.h"
#include "formats/HeifGrid.h"
#include "media/pictures/LibraryImageReader.h"

#include <memory>

struct heif_context;
struct heif_error;
struct heif_image_handle;

namespace vistrel {

// HEIF pictures (HEIC from phones, AVIF from the web) through libheif.
//
// The pixels come back turned and cropped as the file's irot, imir and clap boxes
// say, and the header reports no further turn. Only libheif knows those boxes (this
// version has no call that reports them), and the crop must be applied in the turned
// picture's frame, which stored pixels plus an orientation could not express. An
// Exif orientation tag inside the file only repeats what irot/imir already did and is
// never applied on top, or the picture would turn twice.
class HeifImageReader final : public LibraryImageReader {
  public:
    // `format` is the name the header reports: "heif" or "avif". `path` names `file`
    // in the log.
    HeifImageReader(QString path, QByteArray format, OwnedDescriptor file);
    ~HeifImageReader() override;

    std::optional<Header> header() override;
    QImage read() override;
    // The thumbnail a phone stores with the photo, turned as the photo is.
    QImage readFirstLook() override;

  private:
    // Opens the file and its primary image once; false when it cannot (logged).
    bool open();
    using Context = std::unique_ptr<heif_context, void (*)(heif_context*)>;
    using Handle = std::unique_ptr<heif_image_handle, void (*)(const heif_image_handle*)>;

    // Opens the HEIF file `bytes` (which the context reads without a copy of its own)
    // and its primary image.
    static heif_error openPrimary(const QByteArray& bytes, Context& context, Handle& handle);
    // The image of `handle` (the primary, a thumbnail or a grid's tile), tagged with its
    // colour space.
    QImage decoded(const heif_image_handle* handle);
    // The tiles that are there of a grid libheif refuses whole, on black.
    QImage salvaged();

    QString m_path;
    QByteArray m_format;
    OwnedDescriptor m_file;
    // The file's bytes, which the context reads without a copy of its own.
    QByteArray m_bytes;
    Context m_context;
    Handle m_handle;
    std::optional<HeifGrid> m_grid; // read once libheif refused the picture
};

} // namespace vistrel
