#pragma once

#include <string>
#include <string_view>

namespace vistrel {

// What a file's first bytes announce, told without a picture library or the toolkit:
// the readers ask before they load a library, and the command `vistrel` asks before
// the viewer starts.

// The picture formats read through their own libraries rather than Qt's readers.
enum class LibraryFormat { none, heif, avif, jxl };

// How many first bytes every question here needs at most.
inline constexpr std::size_t fileHeadBytes = 192;

// The first bytes of the open file `descriptor`, read with pread: enough for every
// question here; empty when it cannot be read.
std::string fileHeadOf(int descriptor);

// Which of those formats the first bytes announce, so that a JPEG or a PNG never loads
// their libraries. An ISO media file counts only when its type box names an image
// brand: a movie's "mp42" or "isom" stays a movie.
LibraryFormat libraryFormatOf(std::string_view head);

// Whether the first bytes announce a movie container (an ISO media file without an
// image brand, Matroska or WebM, AVI, an MPEG transport or program stream, Ogg, FLV,
// ASF): no picture reader need be tried on it.
bool isMovieContainer(std::string_view head);

// Whether the first bytes announce a picture that only the general readers and the
// format libraries read (HEIF, AVIF, JPEG XL, GIF, WebP, TIFF, BMP): no PNG or JPEG,
// which this program decodes itself, and no movie.
bool needsEveryReader(std::string_view head);

} // namespace vistrel
