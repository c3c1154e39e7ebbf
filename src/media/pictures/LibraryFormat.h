#pragma once

#include "codec/io/FileSignatures.h"

#include <QByteArray>
#include <QByteArrayView>

namespace vistrel {

// The questions of FileSignatures, asked of the bytes the toolkit holds.
inline LibraryFormat libraryFormatOf(QByteArrayView head) {
    return libraryFormatOf(std::string_view(head.data(), std::size_t(head.size())));
}
inline bool isMovieContainer(QByteArrayView head) {
    return isMovieContainer(std::string_view(head.data(), std::size_t(head.size())));
}

// The first bytes of the open file `descriptor`, read with pread: enough for every
// question of FileSignatures.
QByteArray fileHead(int descriptor);

} // namespace vistrel
