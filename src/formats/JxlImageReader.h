#pragma once

#include "media/pictures/LibraryImageReader.h"

namespace vistrel {

// JPEG XL pictures through libjxl. The pixels come back as stored, with the
// codestream's orientation reported for the view to apply (the orientation field is
// the format's own and always authoritative; an Exif copy of it is not read).
class JxlImageReader final : public LibraryImageReader {
  public:
    explicit JxlImageReader(QString path);

    std::optional<Header> header() override;
    QImage read() override;

  private:
    // The whole file, read once: the decoder works on bytes in memory.
    bool load();

    QString m_path;
    QByteArray m_bytes;
};

} // namespace vistrel
