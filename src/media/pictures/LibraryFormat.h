#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace vistrel {

// The picture formats read through their own libraries rather than Qt's readers.
enum class LibraryFormat { none, heif, avif, jxl };

// Which of those formats a file's first bytes announce, told without the libraries so
// that a JPEG or a PNG never loads them. An ISO media file counts only when its type
// box names an image brand: a movie's "mp42" or "isom" stays a movie.
LibraryFormat libraryFormatOf(QByteArrayView head);

// Whether a file's first bytes announce a movie container (an ISO media file without an
// image brand, Matroska or WebM, AVI, an MPEG transport or program stream, Ogg, FLV,
// ASF): no picture reader need be tried on it.
bool isMovieContainer(QByteArrayView head);

// The first bytes of the open file `descriptor`, read with pread: enough for both
// questions above.
QByteArray fileHead(int descriptor);

} // namespace vistrel
