#pragma once

#include "codec/io/DescriptorReader.h"
#include "codec/jpeg/JpegSplitDecoder.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vistrel {

// One reading of a JPEG file by the reference library (libjpeg): its header, what the
// split decoder needs of it, and its own scaled decode into rows of blue, green, red
// and 255. The library reports errors by a long jump, which never crosses a frame of
// the caller's: each step that calls it tells its failure by its result, and error()
// says why.
class JpegLibraryDecoder {
  public:
    // Gets each warning about damaged data the library decodes past.
    using Warn = std::function<void(const char* message)>;

    JpegLibraryDecoder(DescriptorReader& reader, Warn warn);
    ~JpegLibraryDecoder();
    JpegLibraryDecoder(const JpegLibraryDecoder&) = delete;
    JpegLibraryDecoder& operator=(const JpegLibraryDecoder&) = delete;

    // Reads up to the first scan, keeping any ICC profile.
    bool readHeader();
    int width() const;
    int height() const;
    // One gray or three colour components of 8 bits: what decodes to the rows below.
    bool decodable() const;
    // The embedded ICC profile of a colour picture; empty without one.
    std::vector<std::uint8_t> colourProfile();
    // The header's account of a baseline picture's one scan, when it has no restart
    // markers and every table it names; nullopt for anything else. `fileSize` is that
    // of the whole file.
    std::optional<JpegScan> scan(std::uint64_t fileSize) const;

    // Starts decoding at `eighths` (1 to 8) of the stored size.
    bool start(int eighths);
    int outputWidth() const;
    int outputHeight() const;
    int outputComponents() const; // 4 for the rows above
    // The next `count` rows, `rowBytes` apart; false when the library failed.
    bool readRows(std::uint8_t* rows, std::size_t rowBytes, int count);

    // Why the last step failed.
    std::string error() const;

  private:
    struct Session;
    std::unique_ptr<Session> m_session;
};

} // namespace vistrel
