#pragma once

#include "formats/FileBytes.h"
#include "media/pictures/LibraryImageReader.h"

#include <QColorSpace>
#include <jxl/decode_cxx.h>

namespace vistrel {

// JPEG XL pictures through libjxl. The pixels come back as stored, with the
// codestream's orientation reported for the view to apply (the orientation field is
// the format's own and always authoritative; an Exif copy of it is not read).
class JxlImageReader final : public LibraryImageReader {
  public:
    // `path` names `file` in the log.
    JxlImageReader(QString path, OwnedDescriptor file);

    std::optional<Header> header() override;
    QImage read() override;
    std::optional<Frame> readFrame() override;
    bool rewindFrames() override;

  private:
    // The whole file, read once: the decoder works on bytes in memory.
    bool load();

    QString m_path;
    OwnedDescriptor m_file;
    QByteArray m_bytes;
    // The decoder stepping through an animation's frames, and what it told so far.
    JxlDecoderPtr m_frames;
    JxlBasicInfo m_info{};
    QColorSpace m_colourSpace;
    int m_frameDelay = 0;
};

} // namespace vistrel
