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

// fileHeadOf, as the toolkit holds bytes.
QByteArray fileHead(int descriptor);

} // namespace vistrel
