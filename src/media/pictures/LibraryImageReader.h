#pragma once

#include <QByteArray>
#include <QImage>
#include <QImageIOHandler>
#include <QSize>
#include <QString>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vistrel {

// Reads a picture format that Qt's image readers do not know (HEIF/HEIC and AVIF,
// JPEG XL) through that format's own decoding library. One reader reads one file;
// readers share nothing, so several may decode on different threads at once.
class LibraryImageReader {
  public:
    struct Header {
        QByteArray format; // "heif", "avif", "jxl"
        QSize size;        // the size of the pixels read() returns
        int bitsPerSample = 8;
        bool gray = false;
        bool alpha = false;
        // How the pixels read() returns are to be turned for showing.
        QImageIOHandler::Transformations transformation = QImageIOHandler::TransformationNone;
        bool animated = false;    // readFrame() gives its frames
        std::optional<int> plays; // how often an animation plays; nullopt for ever
    };
    // One frame of an animation and how long it stays.
    struct Frame {
        QImage image; // the whole canvas as stored; null when the frame is damaged
        int delayMilliseconds = 0;
    };

    virtual ~LibraryImageReader() = default;

    // A reader for `path` when its first bytes are those of a format read here;
    // nullptr for any other file (Qt's readers are asked then). Loads the formats
    // module for such a file: call off the GUI thread.
    static std::unique_ptr<LibraryImageReader> forFile(const std::string& path);
    // The lower-case extensions of the formats read here. Known without loading the
    // libraries, which come with the formats module (see PictureFormats).
    static std::vector<std::string> suffixes();
    // Whether a file named like `path` is of a format whose files may carry a small
    // picture for a first look (readFirstLook), by its name alone.
    static bool mayCarryFirstLook(const std::string& path);

    // The facts of the picture without decoding its pixels; nullopt when the file is
    // damaged (logged in vistrel.media.picture).
    virtual std::optional<Header> header() = 0;
    // The first image at full size, tagged with the colour space the file gives; a
    // null image when it cannot be decoded (logged).
    virtual QImage read() = 0;
    // The small picture the file carries for a quick first look (a HEIF thumbnail),
    // turned and tagged like read()'s image; null when it carries none.
    virtual QImage readFirstLook() { return {}; }
    // The next frame of an animation, the first first, tagged like read()'s image;
    // nullopt after the last.
    virtual std::optional<Frame> readFrame() { return std::nullopt; }
    // Back before the first frame; false when the file cannot be read again.
    virtual bool rewindFrames() { return false; }
};

} // namespace vistrel
